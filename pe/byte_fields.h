// Little-endian fields of a byte buffer, each access bounds-checked: a field that does not lie
// wholly inside the buffer raises EPeImageError with the message the caller gives for it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace sanivo {

void RequireBytes(std::string_view bytes, std::uint64_t offset, std::uint64_t length,
                  const char* outsideMessage);

std::uint16_t ReadU16(std::string_view bytes, std::uint64_t offset, const char* outsideMessage);
std::uint32_t ReadU32(std::string_view bytes, std::uint64_t offset, const char* outsideMessage);
std::uint64_t ReadU64(std::string_view bytes, std::uint64_t offset, const char* outsideMessage);

void WriteU32(std::string& bytes, std::uint64_t offset, std::uint32_t value,
              const char* outsideMessage);
void WriteU64(std::string& bytes, std::uint64_t offset, std::uint64_t value,
              const char* outsideMessage);

}  // namespace sanivo
