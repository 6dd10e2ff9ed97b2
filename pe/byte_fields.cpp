#include "pe/byte_fields.h"

#include "pe/pe_error.h"

namespace sanivo {

// Offsets come from the file itself: compared so that no sum can wrap.
void RequireBytes(std::string_view bytes, std::uint64_t offset, std::uint64_t length,
                  const char* outsideMessage) {
  if (offset > bytes.size() || length > bytes.size() - offset) {
    throw EPeImageError(outsideMessage);
  }
}

namespace {

std::uint64_t ReadLittleEndian(std::string_view bytes, std::uint64_t offset, int width,
                               const char* outsideMessage) {
  RequireBytes(bytes, offset, width, outsideMessage);
  std::uint64_t value = 0;
  for (int i = width - 1; i >= 0; --i) {
    value = (value << 8) | static_cast<unsigned char>(bytes[offset + i]);
  }
  return value;
}

void WriteLittleEndian(std::string& bytes, std::uint64_t offset, int width, std::uint64_t value,
                       const char* outsideMessage) {
  RequireBytes(bytes, offset, width, outsideMessage);
  for (int i = 0; i < width; ++i) {
    bytes[offset + i] = static_cast<char>(value & 0xFF);
    value >>= 8;
  }
}

}  // namespace

std::uint16_t ReadU16(std::string_view bytes, std::uint64_t offset, const char* outsideMessage) {
  return static_cast<std::uint16_t>(ReadLittleEndian(bytes, offset, 2, outsideMessage));
}

std::uint32_t ReadU32(std::string_view bytes, std::uint64_t offset, const char* outsideMessage) {
  return static_cast<std::uint32_t>(ReadLittleEndian(bytes, offset, 4, outsideMessage));
}

std::uint64_t ReadU64(std::string_view bytes, std::uint64_t offset, const char* outsideMessage) {
  return ReadLittleEndian(bytes, offset, 8, outsideMessage);
}

void WriteU32(std::string& bytes, std::uint64_t offset, std::uint32_t value,
              const char* outsideMessage) {
  WriteLittleEndian(bytes, offset, 4, value, outsideMessage);
}

void WriteU64(std::string& bytes, std::uint64_t offset, std::uint64_t value,
              const char* outsideMessage) {
  WriteLittleEndian(bytes, offset, 8, value, outsideMessage);
}

}  // namespace sanivo
