#include "base/number_text.h"

#include <cctype>
#include <charconv>

namespace sanivo {

std::string PaddedNumber(std::uint64_t value, int width, int base) {
  char digits[32];
  const auto end = std::to_chars(digits, digits + sizeof digits, value, base).ptr;
  std::string text(digits, end);
  for (char& digit : text)
    digit = static_cast<char>(std::toupper(static_cast<unsigned char>(digit)));
  if (static_cast<int>(text.size()) < width) text.insert(0, width - text.size(), '0');
  return text;
}

std::string HexText(std::uint64_t value, int width) {
  return "0x" + PaddedNumber(value, width, 16);
}

std::optional<std::uint64_t> ParseDecimalOrHex(std::string_view text) {
  if (text.starts_with("0x") || text.starts_with("0X"))
    return ParseWholeNumber<std::uint64_t>(text.substr(2), 16);
  return ParseWholeNumber<std::uint64_t>(text);
}

}  // namespace sanivo
