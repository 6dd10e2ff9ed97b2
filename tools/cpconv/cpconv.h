// cpconv: converts text from one charset to another, binary-safe, through the program's own
// conversion, in pieces, so that a file of any size goes through in little memory.
//   cpconv [--strict] [--map W,W,...] [-o OUTPUT] FROM TO [FILE...]
//   cpconv [...] -f FROM -t TO [FILE...]      cpconv -l      cpconv --help
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "charset/charset_id.h"

namespace sanivo {

inline constexpr int kCpconvUsageExitCode = 2;
inline constexpr int kCpconvFailureExitCode = 1;
// The output is written, but the built-in decoding replaced input that was not well-formed text
// of its charset.
inline constexpr int kCpconvReplacedExitCode = 3;
// At most this much input is read and converted at a time.
inline constexpr std::uint32_t kCpconvPieceSize = 64 * 1024;

struct TCpconvOptions {
  enum class TAction { convert, list, help } action = TAction::convert;
  TCharsetId from = ciISO8859_1;
  TCharsetId to = ciISO8859_1;
  // A name that none of our ids has, passed to the library as written; the id is then
  // ciUnassigned. Empty for a side named by its id.
  std::string fromLibraryName, toLibraryName;
  std::vector<std::uint16_t> map;  // empty: no replacement
  bool strict = false;
  std::string output;               // empty: standard output
  std::vector<std::string> inputs;  // empty: standard input; "-" is standard input too
};

// The arguments read, or the one-line message (Windows-1250) that says what is wrong with them.
struct TCpconvArguments {
  std::optional<TCpconvOptions> options;
  std::string error;
};
// The charset names come from the alias table: the conversion modules must have started.
TCpconvArguments ParseCpconvArguments(const std::vector<std::string>& arguments);

// An id from its number or any of its names, without regard to case: the names of the id's
// first alias record (of every record for UCS-2 and UCS-4, whose later records name the same
// big-endian forms), and the names Czech users type (1250, UTF8, KEYBCS2, KAMENICKY, 895, ...).
// Id 0's later records (US-ASCII, 850, 437) and those of UTF-16 and UTF-32 (UTF-16BE, UTF-32LE)
// name other charsets than the id's: they are not its names.
std::optional<TCharsetId> FindCharset(std::string_view text);
// Ids that the built-in engine cannot convert: without the library it would read and write them
// as ISO-8859-1.
bool NeedsIconvLibrary(TCharsetId id);

// Reports a side that only the library converts while the library does not take it, and
// returns the exit code for that; 0 when both sides can be converted.
int CheckCpconvSides(const TCpconvOptions& options);

// The whole run on the system seam: parses the arguments, converts (or lists, or helps) and
// reports a failure on standard error in the console's code page. Returns the exit code.
int RunCpconv(const std::vector<std::string>& arguments);

}  // namespace sanivo
