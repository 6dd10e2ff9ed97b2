// Small PE images built byte by byte for the tests: the headers, one section, and in it a
// load-configuration directory whose size fields and affinity mask the test chooses.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "pe/pe_image.h"

namespace sanivo::test {

struct TestImageOptions {
  TPeFormat format = TPeFormat::pfPe32;
  bool loadConfigEntry = true;  // data directory 10 points at the directory
  // The directory's own Size field and the data directory's size; 0 chooses the whole
  // structure of the format (72 or 112 bytes).
  std::uint32_t loadConfigSize = 0;
  std::uint32_t directorySize = 0;
  std::uint32_t dataDirectoryCount = 16;
  std::uint64_t affinityMask = 0;
};

std::string BuildTestImage(const TestImageOptions& options = {});

// Where a crafted PE32 image says its one section and its load-configuration directory are.
struct CraftedLayout {
  std::uint32_t virtualAddress = 0x1000;
  std::uint32_t rawPointer = 0x200;
  std::uint32_t directoryRva = 0x1040;
  std::uint32_t sizeOfHeaders = 0x200;
};

// A PE32 test image laid out as `layout` says, with a plausible directory size (72) planted
// where that layout puts the directory in the file, so that only the layout itself can make a
// reader refuse it. {.rawPointer = 0x24} is the image of a bug report: the mask field then
// covers SizeOfOptionalHeader and the characteristics of the file header.
std::string BuildCraftedImage(const CraftedLayout& layout);

// Where the builder puts things.
inline constexpr std::size_t kTestNtHeaders = 0x80;
inline constexpr std::size_t kTestOptionalHeader = kTestNtHeaders + 24;
inline constexpr std::size_t kTestSectionData = 0x200;
inline constexpr std::size_t kTestLoadConfig = kTestSectionData + 0x40;  // file offset
inline constexpr std::size_t kTestImageSize = 0x400;

// winnt.h's offsets of ProcessAffinityMask in IMAGE_LOAD_CONFIG_DIRECTORY32 and ..64.
inline constexpr std::size_t kAffinityField32 = 48;
inline constexpr std::size_t kAffinityField64 = 64;

void PutU32(std::string& bytes, std::size_t offset, std::uint32_t value);

// A file of the machine the tests run on (fixtures, toolchain files), read whole.
std::string ReadHostFile(const std::filesystem::path& path);

// For tests on the images that the MinGW toolchain builds (SANIVO_NTVDM_FIXTURE_DIR): a build
// without the toolchain has none, and the test says so instead of failing.
#define SKIP_WITHOUT_MINGW_FIXTURES()                     \
  if (std::string_view(SANIVO_NTVDM_FIXTURE_DIR).empty()) \
  GTEST_SKIP() << "no MinGW-w64 toolchain for i686: its PE fixtures were not built"

}  // namespace sanivo::test
