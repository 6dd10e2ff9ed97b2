#include "tests/unit/pe/test_image.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

namespace sanivo::test {

namespace {

void PutU16(std::string& bytes, std::size_t offset, std::uint16_t value) {
  bytes[offset] = static_cast<char>(value & 0xFF);
  bytes[offset + 1] = static_cast<char>(value >> 8);
}

void PutU64(std::string& bytes, std::size_t offset, std::uint64_t value) {
  PutU32(bytes, offset, static_cast<std::uint32_t>(value));
  PutU32(bytes, offset + 4, static_cast<std::uint32_t>(value >> 32));
}

constexpr std::uint32_t kSectionRva = 0x1000;

}  // namespace

void PutU32(std::string& bytes, std::size_t offset, std::uint32_t value) {
  PutU16(bytes, offset, static_cast<std::uint16_t>(value & 0xFFFF));
  PutU16(bytes, offset + 2, static_cast<std::uint16_t>(value >> 16));
}

std::string ReadHostFile(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  EXPECT_TRUE(file) << path;
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

std::string BuildTestImage(const TestImageOptions& options) {
  const bool pe32 = options.format == TPeFormat::pfPe32;
  std::string bytes(kTestImageSize, '\0');
  PutU16(bytes, 0, 0x5A4D);  // "MZ"
  PutU32(bytes, 0x3C, kTestNtHeaders);
  PutU32(bytes, kTestNtHeaders, 0x00004550);  // "PE\0\0"

  const std::size_t fileHeader = kTestNtHeaders + 4;
  const std::uint16_t optionalSize = pe32 ? 96 + 16 * 8 : 112 + 16 * 8;
  PutU16(bytes, fileHeader, pe32 ? 0x014C : 0x8664);  // i386, AMD64
  PutU16(bytes, fileHeader + 2, 1);                   // one section
  PutU16(bytes, fileHeader + 16, optionalSize);
  PutU16(bytes, fileHeader + 18, 0x0102);  // executable image, 32-bit machine

  const std::size_t opt = kTestOptionalHeader;
  PutU16(bytes, opt, pe32 ? 0x10B : 0x20B);
  PutU32(bytes, opt + 32, 0x1000);  // SectionAlignment
  PutU32(bytes, opt + 36, 0x200);   // FileAlignment
  PutU32(bytes, opt + 56, 0x2000);  // SizeOfImage
  PutU32(bytes, opt + 60, 0x200);   // SizeOfHeaders
  PutU16(bytes, opt + 68, 3);       // console subsystem
  PutU32(bytes, opt + (pe32 ? 92 : 108), options.dataDirectoryCount);
  const std::uint32_t structure = pe32 ? 72 : 112;
  if (options.loadConfigEntry) {
    const std::size_t entry = opt + (pe32 ? 96 : 112) + 10 * 8;
    PutU32(bytes, entry, kSectionRva + (kTestLoadConfig - kTestSectionData));
    PutU32(bytes, entry + 4, options.directorySize ? options.directorySize : structure);
  }

  const std::size_t section = opt + optionalSize;
  bytes.replace(section, 6, ".rdata");
  PutU32(bytes, section + 8, 0x180);  // VirtualSize
  PutU32(bytes, section + 12, kSectionRva);
  PutU32(bytes, section + 16, 0x200);  // SizeOfRawData
  PutU32(bytes, section + 20, kTestSectionData);
  PutU32(bytes, section + 36, 0x40000040);  // initialised data, readable

  PutU32(bytes, kTestLoadConfig, options.loadConfigSize ? options.loadConfigSize : structure);
  if (pe32) {
    PutU32(bytes, kTestLoadConfig + kAffinityField32,
           static_cast<std::uint32_t>(options.affinityMask));
  } else {
    PutU64(bytes, kTestLoadConfig + kAffinityField64, options.affinityMask);
  }
  return bytes;
}

std::string BuildCraftedImage(const CraftedLayout& layout) {
  std::string bytes = BuildTestImage();
  const std::size_t section = kTestOptionalHeader + 96 + 16 * 8;
  PutU32(bytes, section + 12, layout.virtualAddress);
  PutU32(bytes, section + 20, layout.rawPointer);
  PutU32(bytes, kTestOptionalHeader + 96 + 10 * 8, layout.directoryRva);
  PutU32(bytes, kTestOptionalHeader + 60, layout.sizeOfHeaders);
  const std::uint64_t directory =
      std::uint64_t{layout.rawPointer} + (layout.directoryRva - layout.virtualAddress);
  if (directory + 4 <= bytes.size()) PutU32(bytes, directory, 72);
  return bytes;
}

}  // namespace sanivo::test
