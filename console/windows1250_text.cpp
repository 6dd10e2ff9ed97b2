#include "console/windows1250_text.h"

#include <algorithm>
#include <array>
#include <cstdint>

#include "base/exception.h"
#include "charset/code_page_tables.h"
#include "charset/unicode_codecs.h"

namespace sanivo {

namespace {

// Taken from the generated tables while compiling: only these two small tables are in the
// program, not the tables of every code page.
constexpr TCharsetTable kWindows1250 = kCodePageTables[ciWindows1250];

// The byte of code page 852 for each byte from 0x80 up: the lowest one that holds the same
// character, or "_".
consteval std::array<char, 128> UpperHalfInCP852() {
  const TCharsetTable& cp852 = kCodePageTables[ciCP852];
  std::array<char, 128> bytes{};
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const auto found = std::ranges::find(cp852, kWindows1250[i]);
    bytes[i] =
        found == cp852.end() ? '_' : static_cast<char>(kFirstTableByte + (found - cp852.begin()));
  }
  return bytes;
}

constexpr std::array<char, 128> kUpperHalfInCP852 = UpperHalfInCP852();

std::uint16_t CharacterOf(unsigned char byte) {
  return byte < kFirstTableByte ? byte : kWindows1250[byte - kFirstTableByte];
}

}  // namespace

std::string Windows1250ToCP852(const std::string& text, TCharsetId from) {
  if (from == ciCP852) return text;
  if (from != ciWindows1250) throw Exception("Only Windows-1250 text is converted for the console");
  std::string result = text;
  for (char& byte : result) {
    const auto value = static_cast<unsigned char>(byte);
    if (value >= kFirstTableByte) byte = kUpperHalfInCP852[value - kFirstTableByte];
  }
  return result;
}

std::string Windows1250ToUtf8(std::string_view text) {
  std::string result;
  result.reserve(text.size());
  for (const char byte : text) {
    char bytes[4];
    result.append(bytes, PutUtf8(CharacterOf(static_cast<unsigned char>(byte)), bytes));
  }
  return result;
}

}  // namespace sanivo
