// Small PE images built byte by byte for the tests: the headers, one section, and in it a
// load-configuration directory whose size fields and affinity mask the test chooses.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>

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

}  // namespace sanivo::test
