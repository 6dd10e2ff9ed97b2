// cpconv: converts standard input from one charset id to another, binary-safe, through the
// program's own conversion. "cpconv [--strict] [--map W,W,...] FROM TO".
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "charset/charset_id.h"

namespace sanivo {

inline constexpr char kCpconvUsage[] =
    "usage: cpconv [--strict] [--map W,W,...] FROM TO\n"
    "  FROM, TO  charset ids 0-107 (decimal)\n"
    "  --map     replacement map: 16-bit words in hexadecimal, pairs of from,to\n"
    "  --strict  leave out what the target cannot show instead of transliterating\n";
inline constexpr int kCpconvUsageExitCode = 2;

struct TCpconvOptions {
  TCharsetId from = ciISO8859_1;
  TCharsetId to = ciISO8859_1;
  std::vector<std::uint16_t> map;  // empty: no replacement
  bool strict = false;
};

// None when the arguments are not what the usage line says.
std::optional<TCpconvOptions> ParseCpconvArguments(const std::vector<std::string>& arguments);

std::string RunCpconv(const TCpconvOptions& options, const std::string& input);

}  // namespace sanivo
