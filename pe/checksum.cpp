#include "pe/checksum.h"

namespace sanivo {

std::uint32_t ComputePeChecksum(std::string_view file, std::uint64_t checksumOffset) {
  const auto byteAt = [&](std::size_t index) -> std::uint32_t {
    if (index >= file.size()) return 0;
    if (index >= checksumOffset && index - checksumOffset < 4) return 0;
    return static_cast<unsigned char>(file[index]);
  };
  std::uint32_t sum = 0;
  for (std::size_t i = 0; i < file.size(); i += 2) {
    sum += byteAt(i) | (byteAt(i + 1) << 8);
    sum = (sum & 0xFFFF) + (sum >> 16);
  }
  return sum + static_cast<std::uint32_t>(file.size());
}

}  // namespace sanivo
