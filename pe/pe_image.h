// A PE image (PE32 or PE32+) held in memory: the processor-affinity mask of its
// load-configuration directory and the checksum of its optional header, read and changed in
// place. Every field is bounds-checked; malformed or truncated input raises EPeImageError.
#pragma once

#include <cstdint>
#include <string>

#include "pe/pe_error.h"

namespace sanivo {

enum class TPeFormat { pfPe32, pfPe32Plus };

class TPeImage {
 public:
  // Checks the headers and the section table; raises EPeImageError when the bytes are not a
  // PE image or a section's data runs past the end of the file.
  explicit TPeImage(std::string bytes);

  const std::string& Bytes() const { return bytes_; }
  TPeFormat Format() const { return format_; }
  // Width of the affinity-mask field: 32 bits in PE32, 64 in PE32+.
  int AffinityMaskBits() const;

  // Both raise EPeImageError when the image has no load-configuration directory or one too
  // small to hold the field; SetAffinityMask also when the mask is wider than the field.
  std::uint64_t AffinityMask() const;
  void SetAffinityMask(std::uint64_t mask);

  std::uint32_t Checksum() const;         // as stored in the optional header
  std::uint32_t ComputeChecksum() const;  // what Windows computes for the current bytes
  void UpdateChecksum();                  // stores ComputeChecksum()
  // Whether the stored checksum is unset (0) or matches the bytes: a file damaged in place
  // (a zeroed tail) no longer matches its own.
  bool ChecksumHolds() const;

  // Where the two edited fields lie in the file: SetAffinityMask and UpdateChecksum change no
  // byte outside these AffinityMaskBits() / 8 and 4 bytes. AffinityMaskOffset raises as
  // AffinityMask does.
  std::uint64_t AffinityMaskOffset() const;
  std::uint64_t ChecksumOffset() const;

 private:
  struct TSectionHeader {
    std::uint32_t virtualSize;
    std::uint32_t virtualAddress;
    std::uint32_t rawSize;
    std::uint32_t rawPointer;
  };
  TSectionHeader SectionHeaderAt(std::uint32_t index) const;
  // The file offset of `length` bytes at `rva`, all inside one section's data in the file and
  // past the headers, so that an edit there cannot change what the headers say.
  std::uint64_t FileOffsetOf(std::uint32_t rva, std::uint32_t length) const;

  std::string bytes_;
  TPeFormat format_ = TPeFormat::pfPe32;
  std::uint64_t optionalHeader_ = 0;
  std::uint32_t optionalHeaderSize_ = 0;
  std::uint64_t sectionTable_ = 0;
  std::uint32_t sectionCount_ = 0;
  std::uint64_t headersEnd_ = 0;  // the first file offset that no header occupies
};

// Whether `edited` is `original` with only the affinity mask and the checksum changed, the
// checksum kept or matching the new bytes: what the affinity tool may do to an image and no
// more. Raises as AffinityMaskOffset does for an original without the field.
bool IsAffinityEditOf(const TPeImage& original, const TPeImage& edited);

}  // namespace sanivo
