#include "pe/pe_image.h"

#include <algorithm>
#include <limits>
#include <utility>

#include "base/number_text.h"
#include "pe/byte_fields.h"
#include "pe/checksum.h"

namespace sanivo {

namespace {

// Layouts of the headers as winnt.h (MinGW-w64) declares them: IMAGE_DOS_HEADER,
// IMAGE_NT_HEADERS, IMAGE_FILE_HEADER, IMAGE_OPTIONAL_HEADER32/64, IMAGE_SECTION_HEADER and
// IMAGE_LOAD_CONFIG_DIRECTORY32/64.
constexpr std::uint16_t kDosSignature = 0x5A4D;      // "MZ"
constexpr std::uint64_t kDosNewHeaderOffset = 0x3C;  // e_lfanew
constexpr std::uint32_t kNtSignature = 0x00004550;   // "PE\0\0"
constexpr std::uint64_t kNtSignatureSize = 4;
constexpr std::uint64_t kFileHeaderNumberOfSections = 2;
constexpr std::uint64_t kFileHeaderSizeOfOptionalHeader = 16;
constexpr std::uint64_t kFileHeaderSize = 20;

constexpr std::uint16_t kOptionalMagicPe32 = 0x10B;
constexpr std::uint16_t kOptionalMagicPe32Plus = 0x20B;
constexpr std::uint64_t kOptionalSizeOfHeaders = 60;  // the same in both formats
constexpr std::uint64_t kOptionalCheckSum = 64;       // the same in both formats
constexpr std::uint64_t kOptionalNumberOfRvaAndSizes32 = 92;
constexpr std::uint64_t kOptionalNumberOfRvaAndSizes64 = 108;
constexpr std::uint64_t kOptionalDataDirectory32 = 96;
constexpr std::uint64_t kOptionalDataDirectory64 = 112;
constexpr std::uint64_t kDataDirectoryEntrySize = 8;  // VirtualAddress, Size
constexpr std::uint32_t kDirectoryLoadConfig = 10;    // IMAGE_DIRECTORY_ENTRY_LOAD_CONFIG

constexpr std::uint64_t kAddressSpaceEnd = std::uint64_t{1} << 32;  // RVAs are DWORDs
constexpr std::uint64_t kSectionHeaderSize = 40;
constexpr std::uint64_t kSectionVirtualSize = 8;
constexpr std::uint64_t kSectionVirtualAddress = 12;
constexpr std::uint64_t kSectionSizeOfRawData = 16;
constexpr std::uint64_t kSectionPointerToRawData = 20;

// The directory's first DWORD is its own size; a directory from an older linker may end
// before fields that newer ones added.
constexpr std::uint64_t kLoadConfigSize = 0;
constexpr std::uint32_t kLoadConfigAffinityMask32 = 48;  // ProcessAffinityMask, a DWORD
constexpr std::uint32_t kLoadConfigAffinityMask64 = 64;  // ProcessAffinityMask, a ULONGLONG

constexpr const char* kNoLoadConfig = "the image has no load-configuration directory";
constexpr const char* kLoadConfigTooSmall =
    "the load-configuration directory is too small to hold the affinity mask";
constexpr const char* kLoadConfigOutside =
    "the load-configuration directory lies outside the image's sections";
constexpr const char* kLoadConfigInHeaders =
    "the load-configuration directory lies in the file's headers";
constexpr const char* kTruncatedHeaders = "not a PE image: the file ends inside its headers";
constexpr const char* kTruncatedSection =
    "not a PE image: a section's data runs past the end of the file";

}  // namespace

TPeImage::TPeImage(std::string bytes) : bytes_(std::move(bytes)) {
  // The checksum adds the file length as a DWORD; no valid image is longer.
  if (bytes_.size() > std::numeric_limits<std::uint32_t>::max()) {
    throw EPeImageError("not a PE image: the file is larger than 4 GB");
  }
  if (ReadU16(bytes_, 0, "not a PE image: the file is too short") != kDosSignature) {
    throw EPeImageError("not a PE image: no MZ signature");
  }
  const std::uint64_t ntHeaders = ReadU32(bytes_, kDosNewHeaderOffset, kTruncatedHeaders);
  if (ReadU32(bytes_, ntHeaders, "not a PE image: no PE header") != kNtSignature) {
    throw EPeImageError("not a PE image: no PE signature");
  }
  const std::uint64_t fileHeader = ntHeaders + kNtSignatureSize;
  sectionCount_ = ReadU16(bytes_, fileHeader + kFileHeaderNumberOfSections, kTruncatedHeaders);
  optionalHeaderSize_ =
      ReadU16(bytes_, fileHeader + kFileHeaderSizeOfOptionalHeader, kTruncatedHeaders);
  optionalHeader_ = fileHeader + kFileHeaderSize;

  const std::uint16_t magic = ReadU16(bytes_, optionalHeader_, kTruncatedHeaders);
  if (magic == kOptionalMagicPe32) {
    format_ = TPeFormat::pfPe32;
  } else if (magic == kOptionalMagicPe32Plus) {
    format_ = TPeFormat::pfPe32Plus;
  } else {
    throw EPeImageError("not a PE image: unknown optional header magic " + HexText(magic));
  }
  const std::uint64_t fixedPart =
      format_ == TPeFormat::pfPe32 ? kOptionalDataDirectory32 : kOptionalDataDirectory64;
  if (optionalHeaderSize_ < fixedPart) {
    throw EPeImageError("not a PE image: the optional header is too small");
  }
  RequireBytes(bytes_, optionalHeader_, fixedPart, kTruncatedHeaders);

  sectionTable_ = optionalHeader_ + optionalHeaderSize_;
  const std::uint64_t sectionTableEnd = sectionTable_ + sectionCount_ * kSectionHeaderSize;
  RequireBytes(bytes_, sectionTable_, sectionCount_ * kSectionHeaderSize,
               "not a PE image: the section table lies past the end of the file");
  // The loader maps SizeOfHeaders bytes as the header page; a section table that runs past
  // that claim is still header.
  headersEnd_ = std::max<std::uint64_t>(
      sectionTableEnd,
      ReadU32(bytes_, optionalHeader_ + kOptionalSizeOfHeaders, kTruncatedHeaders));
  // A file cut short still has sound headers; the loader refuses it, and so do we, so that it
  // is never patched and put in place of a whole one.
  // A section without file data (uninitialised data) may point anywhere.
  for (std::uint32_t i = 0; i < sectionCount_; ++i) {
    const TSectionHeader section = SectionHeaderAt(i);
    if (section.rawSize != 0) {
      RequireBytes(bytes_, section.rawPointer, section.rawSize, kTruncatedSection);
    }
  }
}

int TPeImage::AffinityMaskBits() const { return format_ == TPeFormat::pfPe32 ? 32 : 64; }

std::uint64_t TPeImage::AffinityMask() const {
  const std::uint64_t offset = AffinityMaskOffset();
  return format_ == TPeFormat::pfPe32 ? ReadU32(bytes_, offset, kLoadConfigOutside)
                                      : ReadU64(bytes_, offset, kLoadConfigOutside);
}

void TPeImage::SetAffinityMask(std::uint64_t mask) {
  const std::uint64_t offset = AffinityMaskOffset();
  if (format_ == TPeFormat::pfPe32) {
    if (mask > std::numeric_limits<std::uint32_t>::max()) {
      throw EPeImageError("the affinity mask " + HexText(mask) +
                          " does not fit the image's 32-bit field");
    }
    WriteU32(bytes_, offset, static_cast<std::uint32_t>(mask), kLoadConfigOutside);
  } else {
    WriteU64(bytes_, offset, mask, kLoadConfigOutside);
  }
}

std::uint32_t TPeImage::Checksum() const {
  return ReadU32(bytes_, ChecksumOffset(), kTruncatedHeaders);
}

std::uint32_t TPeImage::ComputeChecksum() const {
  return ComputePeChecksum(bytes_, ChecksumOffset());
}

void TPeImage::UpdateChecksum() {
  WriteU32(bytes_, ChecksumOffset(), ComputeChecksum(), kTruncatedHeaders);
}

std::uint64_t TPeImage::ChecksumOffset() const { return optionalHeader_ + kOptionalCheckSum; }

bool TPeImage::ChecksumHolds() const { return Checksum() == 0 || Checksum() == ComputeChecksum(); }

bool IsAffinityEditOf(const TPeImage& original, const TPeImage& edited) {
  const std::string& before = original.Bytes();
  const std::string& after = edited.Bytes();
  if (before.size() != after.size()) return false;
  const std::uint64_t mask = original.AffinityMaskOffset();
  const std::uint64_t maskEnd = mask + original.AffinityMaskBits() / 8;
  const std::uint64_t checksum = original.ChecksumOffset();
  for (std::uint64_t at = 0; at < before.size(); ++at) {
    const bool inEditedField =
        (at >= mask && at < maskEnd) || (at >= checksum && at < checksum + 4);
    if (before[at] != after[at] && !inEditedField) return false;
  }
  return edited.Checksum() == original.Checksum() || edited.Checksum() == edited.ComputeChecksum();
}

std::uint64_t TPeImage::AffinityMaskOffset() const {
  const bool pe32 = format_ == TPeFormat::pfPe32;
  const std::uint64_t directoryCount = ReadU32(
      bytes_,
      optionalHeader_ + (pe32 ? kOptionalNumberOfRvaAndSizes32 : kOptionalNumberOfRvaAndSizes64),
      kTruncatedHeaders);
  const std::uint64_t entry = (pe32 ? kOptionalDataDirectory32 : kOptionalDataDirectory64) +
                              kDirectoryLoadConfig * kDataDirectoryEntrySize;
  // An entry counts only when both the count and the optional header's size include it.
  if (directoryCount <= kDirectoryLoadConfig ||
      entry + kDataDirectoryEntrySize > optionalHeaderSize_) {
    throw EPeImageError(kNoLoadConfig);
  }
  const std::uint32_t rva = ReadU32(bytes_, optionalHeader_ + entry, kTruncatedHeaders);
  const std::uint32_t size = ReadU32(bytes_, optionalHeader_ + entry + 4, kTruncatedHeaders);
  if (rva == 0 || size == 0) throw EPeImageError(kNoLoadConfig);

  const std::uint32_t field = pe32 ? kLoadConfigAffinityMask32 : kLoadConfigAffinityMask64;
  const std::uint32_t fieldEnd = field + AffinityMaskBits() / 8;
  if (size < fieldEnd) throw EPeImageError(kLoadConfigTooSmall);
  const std::uint64_t directory = FileOffsetOf(rva, fieldEnd);
  if (ReadU32(bytes_, directory + kLoadConfigSize, kLoadConfigOutside) < fieldEnd) {
    throw EPeImageError(kLoadConfigTooSmall);
  }
  return directory + field;
}

TPeImage::TSectionHeader TPeImage::SectionHeaderAt(std::uint32_t index) const {
  const std::uint64_t header = sectionTable_ + std::uint64_t{index} * kSectionHeaderSize;
  return {ReadU32(bytes_, header + kSectionVirtualSize, kTruncatedHeaders),
          ReadU32(bytes_, header + kSectionVirtualAddress, kTruncatedHeaders),
          ReadU32(bytes_, header + kSectionSizeOfRawData, kTruncatedHeaders),
          ReadU32(bytes_, header + kSectionPointerToRawData, kTruncatedHeaders)};
}

std::uint64_t TPeImage::FileOffsetOf(std::uint32_t rva, std::uint32_t length) const {
  for (std::uint32_t i = 0; i < sectionCount_; ++i) {
    const auto [virtualSize, virtualAddress, rawSize, rawPointer] = SectionHeaderAt(i);
    // Only bytes that are both in the file and mapped into memory hold the directory; past
    // VirtualSize the loader ignores the file's padding.
    const std::uint64_t backed = virtualSize != 0 && virtualSize < rawSize ? virtualSize : rawSize;
    if (rva >= virtualAddress && rva < std::uint64_t{virtualAddress} + backed) {
      const std::uint64_t inSection = rva - virtualAddress;
      const std::uint64_t offset = std::uint64_t{rawPointer} + inSection;
      // A crafted section may claim addresses past 4 GB, or file bytes of the headers: writing
      // there would damage the image instead of setting the field. (Bytes past the end of the
      // file are refused where they are read.)
      if (inSection + length > backed || std::uint64_t{rva} + length > kAddressSpaceEnd) break;
      if (offset < headersEnd_) throw EPeImageError(kLoadConfigInHeaders);
      return offset;
    }
  }
  throw EPeImageError(kLoadConfigOutside);
}

}  // namespace sanivo
