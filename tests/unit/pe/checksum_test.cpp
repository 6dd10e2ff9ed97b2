#include "pe/checksum.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "pe/pe_image.h"
#include "tests/unit/pe/test_image.h"

namespace sanivo {
namespace {

void ExpectStoredChecksumReproduced(const std::filesystem::path& path) {
  TPeImage image(test::ReadHostFile(path));
  ASSERT_NE(image.Checksum(), 0u) << path;
  EXPECT_EQ(image.ComputeChecksum(), image.Checksum()) << path;
}

// Checksums written by tools nobody here wrote: the MinGW runtime DLLs as Debian links them.
// (Wine's own DLLs would not do: Wine marks them after linking, and their checksums are stale.)
TEST(PeChecksumTest, ReproducesTheChecksumsOfTheMinGwRuntimeDlls) {
  SKIP_WITHOUT_MINGW_FIXTURES();
  for (const char* name : {"libgcc_s_dw2-1.dll", "libstdc++-6.dll", "libssp-0.dll"}) {
    ExpectStoredChecksumReproduced(std::filesystem::path(SANIVO_MINGW_RUNTIME_DIR) / name);
  }
}

TEST(PeChecksumTest, ReproducesTheChecksumOfAPe32PlusDll) {
  const std::filesystem::path zlib = "/usr/x86_64-w64-mingw32/lib/zlib1.dll";
  if (!std::filesystem::exists(zlib)) GTEST_SKIP() << zlib << " missing (package libz-mingw-w64)";
  ASSERT_EQ(TPeImage(test::ReadHostFile(zlib)).Format(), TPeFormat::pfPe32Plus);
  ExpectStoredChecksumReproduced(zlib);
}

// The stand-in NTVDM.EXE: linked by GNU ld, its checksum last written by strip.
TEST(PeChecksumTest, ReproducesTheChecksumOfTheToolchainBuiltFixture) {
  SKIP_WITHOUT_MINGW_FIXTURES();
  for (const char* name : {"ntvdm_fixture.exe", "ntvdm_fixture_mask5.exe"}) {
    ExpectStoredChecksumReproduced(std::filesystem::path(SANIVO_NTVDM_FIXTURE_DIR) / name);
  }
}

TEST(PeChecksumTest, OddLastByteIsTheLowHalfOfAWordAndTheLengthCounts) {
  const std::string even = test::BuildTestImage();
  const std::size_t field = test::kTestOptionalHeader + 64;
  const std::uint32_t base = ComputePeChecksum(even, field);
  // The built image sums to far below 0xFFFF, so nothing folds here.
  ASSERT_LT(base - even.size(), 0xFF00u);
  EXPECT_EQ(ComputePeChecksum(even + '\0', field), base + 1);
  EXPECT_EQ(ComputePeChecksum(even + '\x05', field), base + 1 + 5);
  EXPECT_EQ(ComputePeChecksum(even + std::string("\x05\x01", 2), field), base + 2 + 0x105);
}

TEST(PeImageChecksumTest, UpdateChecksumAfterAnEditMatchesAFreshComputation) {
  SKIP_WITHOUT_MINGW_FIXTURES();
  TPeImage image(test::ReadHostFile(std::filesystem::path(SANIVO_NTVDM_FIXTURE_DIR) /
                                    "ntvdm_fixture_mask5.exe"));
  const std::uint32_t linkerChecksum = image.Checksum();
  // The compiler laid the structure out from winnt.h, so reading 5 shows the field's offset.
  EXPECT_EQ(image.AffinityMask(), 5u);
  image.SetAffinityMask(1);
  // One word of the file went down by 4, and the checksum with it.
  EXPECT_EQ(image.ComputeChecksum(), linkerChecksum - 4);
  image.UpdateChecksum();
  EXPECT_EQ(image.Checksum(), linkerChecksum - 4);
  EXPECT_EQ(TPeImage(image.Bytes()).AffinityMask(), 1u);
}

}  // namespace
}  // namespace sanivo
