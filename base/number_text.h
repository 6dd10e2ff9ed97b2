// Numbers as text and back, without the C runtime's formatted input and output, which would
// bring its whole printf engine into each program for a few fixed formats.
#pragma once

#include <charconv>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace sanivo {

// The digits of `value` in base 10 or 16 (upper-case), with zeros before them up to `width`.
std::string PaddedNumber(std::uint64_t value, int width, int base = 10);

// "0x" and the upper-case hexadecimal digits of `value`, with zeros before them up to `width`.
std::string HexText(std::uint64_t value, int width = 0);

// The whole text as a number in `base`, digits only (no sign, no prefix, no blanks); none when
// it is empty, holds anything else or does not fit the type.
template <typename Number>
std::optional<Number> ParseWholeNumber(std::string_view text, int base = 10) {
  Number value{};
  const char* end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, value, base);
  if (text.empty() || error != std::errc() || stop != end) return std::nullopt;
  return value;
}

// A number as a command line gives it: hexadecimal after "0x" or "0X", decimal otherwise.
std::optional<std::uint64_t> ParseDecimalOrHex(std::string_view text);

}  // namespace sanivo
