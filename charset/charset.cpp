#include "charset/charset.h"

namespace sanivo {

namespace {

constexpr char kUnconvertible = '_';

}  // namespace

std::string ConvertCharset(const std::string& value, TCharsetId from, TCharsetId to) {
  if (from == to) return value;
  std::string result;
  result.reserve(value.size());
  for (const char byte : value) {
    const std::uint16_t character = DecodeCodePageByte(from, static_cast<unsigned char>(byte));
    const std::optional<unsigned char> encoded = EncodeCodePageChar(to, character);
    result += encoded ? static_cast<char>(*encoded) : kUnconvertible;
  }
  return result;
}

}  // namespace sanivo
