// Numbers as text without the C runtime's formatted output, which would bring its whole
// printf engine into each program for two fixed formats.
#pragma once

#include <cstdint>
#include <string>

namespace sanivo {

// The digits of `value` in base 10 or 16 (upper-case), with zeros before them up to `width`.
std::string PaddedNumber(std::uint32_t value, int width, int base = 10);

}  // namespace sanivo
