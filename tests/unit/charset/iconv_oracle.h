#pragma once

#include <iconv.h>

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>

namespace sanivo::testing {

// glibc's iconv as an independent reference for the code-page tables.
class TIconvDecoder {
 public:
  // Decodes single bytes of the charset that glibc knows by name; IsOpen() is false when glibc
  // does not know the name.
  explicit TIconvDecoder(const std::string& charset_name);
  ~TIconvDecoder();
  TIconvDecoder(const TIconvDecoder&) = delete;
  TIconvDecoder& operator=(const TIconvDecoder&) = delete;

  bool IsOpen() const { return descriptor_ != kNoDescriptor; }

  // The one Unicode value of byte, or none when the charset leaves the byte undefined.
  std::optional<std::uint16_t> Decode(unsigned char byte);

 private:
  static inline const iconv_t kNoDescriptor = reinterpret_cast<iconv_t>(-1);
  iconv_t descriptor_;
};

// A whole text converted by glibc's iconv in one call, then flushed unless `flush` is false;
// none when it refuses the names or the text.
std::optional<std::string> IconvText(const std::string& from, const std::string& to,
                                     const std::string& text, bool flush = true);

// Texts of big-endian code units, for the tests of the Unicode forms.
inline std::string BigEndianUnits(std::initializer_list<std::uint32_t> values, int width) {
  std::string text;
  for (std::uint32_t value : values) {
    for (int i = width - 1; i >= 0; --i) text += static_cast<char>(value >> (8 * i) & 0xFF);
  }
  return text;
}
inline std::string Ucs2(std::initializer_list<std::uint32_t> values) {
  return BigEndianUnits(values, 2);
}
inline std::string Ucs4(std::initializer_list<std::uint32_t> values) {
  return BigEndianUnits(values, 4);
}

}  // namespace sanivo::testing
