// Fields stored most significant byte first, as in TrueType fonts and UCS-2BE/UCS-4BE texts.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace sanivo {

// The `width` bytes (at most 4) at `at` as one number; the caller has checked that they lie
// inside `bytes`.
inline std::uint32_t ReadBigEndian(std::string_view bytes, std::size_t at, std::size_t width) {
  std::uint32_t value = 0;
  for (std::size_t i = 0; i < width; ++i) {
    value = value << 8 | static_cast<unsigned char>(bytes[at + i]);
  }
  return value;
}

}  // namespace sanivo
