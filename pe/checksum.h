// The image checksum of a PE file's optional header, computed as Windows computes it.
#pragma once

#include <cstdint>
#include <string_view>

namespace sanivo {

// The file is summed as little-endian 16-bit words (an odd last byte as a word of its own)
// with every carry folded back into the low 16 bits; the four bytes of the checksum field
// at `checksumOffset` count as zero; the file length is added to the folded sum.
std::uint32_t ComputePeChecksum(std::string_view file, std::uint64_t checksumOffset);

}  // namespace sanivo
