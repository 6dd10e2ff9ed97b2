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
std::string PaddedNumber(std::uint32_t value, int width, int base = 10);

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

}  // namespace sanivo
