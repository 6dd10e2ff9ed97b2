// The Windows version record and the version library.
#include <vector>

#include "tests/contract/contract.h"

namespace contract {
namespace {

constexpr std::uint32_t kFixedFileInfoSignature = 0xFEEF04BD;

TEST(VersionTest, PlainVersionRecordIsFilled) {
  os::OsVersionInfo info;
  info.dwOSVersionInfoSize = os::kOsVersionInfoSize;
  ASSERT_TRUE(os::GetVersionExA(info));
  EXPECT_EQ(info.dwPlatformId, 2u);  // Windows NT
  EXPECT_GE(info.dwMajorVersion, 5u);

  // The extended record is the other size accepted, and keeps its size.
  constexpr std::uint32_t kOsVersionInfoExSize = 156;
  info.dwOSVersionInfoSize = kOsVersionInfoExSize;
  EXPECT_TRUE(os::GetVersionExA(info));
  EXPECT_EQ(info.dwOSVersionInfoSize, kOsVersionInfoExSize);
}

TEST(VersionTest, RecordWithAWrongSizeIsRefused) {
  for (const std::uint32_t size : {0u, 100u, os::kOsVersionInfoSize - 1}) {
    SCOPED_TRACE(size);
    os::OsVersionInfo info;
    info.dwOSVersionInfoSize = size;
    os::SetLastError(0);
    EXPECT_FALSE(os::GetVersionExA(info));
    EXPECT_EQ(os::GetLastError(), 122u);  // ERROR_INSUFFICIENT_BUFFER
    EXPECT_EQ(info.dwMajorVersion, 0u);
  }
}

TEST(VersionTest, FileVersionIsReadFromTheVersionResource) {
  std::string self;
  os::GetModuleFileNameA(os::kMaxPath, self);
  std::uint32_t handle = 99;
  const std::uint32_t size = os::GetFileVersionInfoSizeA(self, &handle);
  ASSERT_GT(size, 0u) << "error " << os::GetLastError();
  EXPECT_EQ(handle, 0u);

  std::vector<unsigned char> block(size);
  ASSERT_TRUE(os::GetFileVersionInfoA(self, 0, size, block.data()));
  const void* value = nullptr;
  std::uint32_t length = 0;
  ASSERT_TRUE(os::VerQueryValueA(block.data(), "\\", &value, &length));
  ASSERT_NE(value, nullptr);
  EXPECT_EQ(length, sizeof(os::FixedFileInfo));
  const auto* fixed = static_cast<const os::FixedFileInfo*>(value);
  EXPECT_EQ(fixed->dwSignature, kFixedFileInfoSignature);
  EXPECT_EQ(fixed->dwFileVersionMS, kOwnVersionMS);
  EXPECT_EQ(fixed->dwFileVersionLS, kOwnVersionLS);
}

TEST(VersionTest, FileWithoutVersionResourceHasNoVersionInformation) {
  std::uint32_t handle = 99;
  EXPECT_EQ(os::GetFileVersionInfoSizeA(HelperProgram(), &handle), 0u);
  EXPECT_NE(os::GetLastError(), os::kErrorSuccess);
  unsigned char block[64] = {};
  EXPECT_FALSE(os::GetFileVersionInfoA(HelperProgram(), 0, sizeof block, block));
}

TEST(VersionTest, MissingFileHasNoVersionInformation) {
  std::string temp;
  os::GetTempPathA(os::kMaxPath, temp);
  EXPECT_EQ(os::GetFileVersionInfoSizeA(temp + "no such file.exe", nullptr), 0u);
  EXPECT_EQ(os::GetLastError(), os::kErrorFileNotFound);
}

// The test program is 32-bit; where it runs on a 32-bit Windows (our Wine prefixes, the
// simulated machine as it starts) the call is there and finds no WOW64.
TEST(VersionTest, ThirtyTwoBitWindowsRunsNoProgramUnderWow64) {
  bool wow64 = true;
  ASSERT_TRUE(os::IsWow64Process(wow64));
  EXPECT_FALSE(wow64);
}

}  // namespace
}  // namespace contract
