#include "base/number_text.h"

#include <cctype>
#include <charconv>

namespace sanivo {

std::string PaddedNumber(std::uint32_t value, int width, int base) {
  char digits[32];
  const auto end = std::to_chars(digits, digits + sizeof digits, value, base).ptr;
  std::string text(digits, end);
  for (char& digit : text)
    digit = static_cast<char>(std::toupper(static_cast<unsigned char>(digit)));
  if (static_cast<int>(text.size()) < width) text.insert(0, width - text.size(), '0');
  return text;
}

}  // namespace sanivo
