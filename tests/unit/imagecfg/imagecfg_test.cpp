#include "tools/imagecfg/imagecfg.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "pe/pe_image.h"
#include "platform/os.h"
#include "sysenv/file_access.h"
#include "tests/sim/machine.h"
#include "tests/unit/pe/edit_invariant.h"
#include "tests/unit/pe/test_image.h"

namespace sanivo {
namespace {

using test::BuildTestImage;
using ::testing::IsEmpty;

const std::string kImage = "C:\\DOCUME~1\\user\\LOCALS~1\\Temp\\Morek-Sanivo\\ntvdm.exe";
const std::string kTemporary = TemporaryNameFor(kImage);
const std::string kUsage =
    "usage: IMAGECFG [-a mask] file  (mask in hexadecimal with 0x, or decimal)";

// One line on standard error, nothing on standard output, and the files as they were.
void ExpectFailureLeavesEverythingAsItWas(const sim::Machine& machine,
                                          const std::vector<std::string>& args, int exitCode,
                                          const std::string& message) {
  const std::string bytes = machine.FileBytes(kImage);
  const std::vector<std::string> listing = machine.Listing();
  const std::size_t errorsBefore = machine.Stderr().size();
  EXPECT_EQ(RunImagecfg(args), exitCode);
  EXPECT_EQ(machine.Stderr().substr(errorsBefore), "IMAGECFG: " + message + "\r\n");
  EXPECT_THAT(machine.Stdout(), IsEmpty());
  EXPECT_EQ(machine.FileBytes(kImage), bytes);
  EXPECT_EQ(machine.Listing(), listing);  // no temporary file left behind
  EXPECT_EQ(machine.OpenHandleCount(), 0);
}

TEST(ImagecfgTest, SetsTheMaskAsTheRepairAsksAndLeavesAValidChecksum) {
  SKIP_WITHOUT_MINGW_FIXTURES();
  sim::Machine machine;
  // The stand-in NTVDM.EXE as the MinGW toolchain built it.
  const std::string original =
      test::ReadHostFile(std::filesystem::path(SANIVO_NTVDM_FIXTURE_DIR) / "ntvdm_fixture.exe");
  machine.AddFile(kImage, original);

  EXPECT_EQ(RunImagecfg({"-a", "0X1", kImage}), 0);

  const TPeImage patched(machine.FileBytes(kImage));
  EXPECT_EQ(patched.AffinityMask(), 1u);
  EXPECT_EQ(patched.Checksum(), patched.ComputeChecksum());
  EXPECT_NE(patched.Checksum(), TPeImage(original).Checksum());
  EXPECT_THAT(test::ChangesOutsideEdit(original, machine.FileBytes(kImage)), IsEmpty());
  // Nothing on the console the tool shares with the repair's screen.
  EXPECT_THAT(machine.Stdout(), IsEmpty());
  EXPECT_THAT(machine.Stderr(), IsEmpty());
  EXPECT_FALSE(machine.HasFile(kTemporary));
  EXPECT_EQ(machine.OpenHandleCount(), 0);
  // Written beside the image, then moved over it in one step.
  EXPECT_THAT(machine.CallsTo("MoveFileExA"),
              ::testing::ElementsAre(kTemporary + "|" + kImage + "|9"));
}

TEST(ImagecfgTest, MaskInHexadecimalOrDecimalUpToTheFieldWidth) {
  sim::Machine machine;
  const struct {
    TPeFormat format;
    const char* text;
    std::uint64_t mask;
  } cases[] = {{TPeFormat::pfPe32, "0x3", 3},
               {TPeFormat::pfPe32, "0XfF", 0xFF},
               {TPeFormat::pfPe32, "12", 12},
               {TPeFormat::pfPe32, "0", 0},
               {TPeFormat::pfPe32, "0xFFFFFFFF", 0xFFFFFFFF},
               {TPeFormat::pfPe32Plus, "0x100000001", 0x100000001}};
  for (const auto& c : cases) {
    machine.AddFile(kImage, BuildTestImage({.format = c.format, .affinityMask = 0x55}));
    EXPECT_EQ(RunImagecfg({"-a", c.text, kImage}), 0) << c.text;
    EXPECT_EQ(TPeImage(machine.FileBytes(kImage)).AffinityMask(), c.mask) << c.text;
  }
}

TEST(ImagecfgTest, WithoutAMaskPrintsTheCurrentOneAndWritesNothing) {
  sim::Machine machine;
  machine.AddFile(kImage, BuildTestImage({.format = TPeFormat::pfPe32Plus, .affinityMask = 0x1A5}));
  EXPECT_EQ(RunImagecfg({kImage}), 0);
  machine.AddFile(kImage, BuildTestImage({.affinityMask = 0xA5}));
  const std::string bytes = machine.FileBytes(kImage);
  EXPECT_EQ(RunImagecfg({kImage}), 0);
  // As wide as the image's field.
  EXPECT_EQ(machine.Stdout(),
            "Process affinity mask: 0x00000000000001A5\r\n"
            "Process affinity mask: 0x000000A5\r\n");
  EXPECT_EQ(machine.FileBytes(kImage), bytes);
  EXPECT_EQ(machine.CallCount("WriteFile"), 2);  // the lines on standard output
  EXPECT_EQ(machine.OpenHandleCount(), 0);
}

TEST(ImagecfgTest, FilesItCannotPatch) {
  sim::Machine machine;
  ExpectFailureLeavesEverythingAsItWas(machine, {"-a", "1", "C:\\missing.exe"}, 1,
                                       "cannot open C:\\missing.exe: file not found");
  const struct {
    std::string bytes;
    const char* mask;
    std::string message;
  } cases[] = {
      {"plain text, no program", "1", "not a PE image: no MZ signature"},
      {BuildTestImage({.loadConfigEntry = false}), "1",
       "the image has no load-configuration directory"},
      {BuildTestImage({.loadConfigSize = 48}), "1",
       "the load-configuration directory is too small to hold the affinity mask"},
      {BuildTestImage(), "0x100000000",
       "the affinity mask 0x100000000 does not fit the image's 32-bit field"},
      // A section whose raw data lies over the file header: the mask would overwrite
      // SizeOfOptionalHeader.
      {test::BuildCraftedImage({.rawPointer = 0x24}), "0X1",
       "the load-configuration directory lies in the file's headers"},
      // A live file that lost its last byte: patched, it would replace the good cached copies.
      {BuildTestImage().substr(0, test::kTestImageSize - 1), "0X1",
       "not a PE image: a section's data runs past the end of the file"},
  };
  for (const auto& c : cases) {
    machine.AddFile(kImage, c.bytes);
    ExpectFailureLeavesEverythingAsItWas(machine, {"-a", c.mask, kImage}, 1,
                                         kImage + ": " + c.message);
  }
}

TEST(ImagecfgTest, BadArgumentsGiveTheUsageLine) {
  sim::Machine machine;
  machine.AddFile(kImage, BuildTestImage());
  const std::vector<std::vector<std::string>> calls = {
      {}, {"-a", "1"}, {"-x", "1", kImage}, {"-a", kImage}, {kImage, "extra"}};
  for (const auto& args : calls) ExpectFailureLeavesEverythingAsItWas(machine, args, 2, kUsage);
  for (const char* mask : {"zz", "0x", "-1", "+1", " 1", "1 ", "0x1g", "0x10000000000000000",
                           "18446744073709551616"}) {
    ExpectFailureLeavesEverythingAsItWas(machine, {"-a", mask, kImage}, 2,
                                         std::string("invalid mask \"") + mask + "\"; " + kUsage);
  }
}

// A failure anywhere on the way to the disk leaves the original image untouched and no
// temporary file behind.
TEST(ImagecfgTest, FailedReadOrWriteLeavesTheOriginalUntouched) {
  const struct {
    sim::FailableCall operation;
    std::string target;
    std::uint32_t error;
    std::string message;
  } cases[] = {
      {"CreateFileA", kTemporary, os::kErrorAccessDenied,
       "cannot write " + kTemporary + ": access denied"},
      {"WriteFile", kTemporary, os::kErrorWriteFault,
       "cannot write " + kTemporary + ": system error 29"},
      {"MoveFileExA", kImage, os::kErrorAccessDenied,
       "cannot replace " + kImage + ": access denied"},
      {"ReadFile", kImage, os::kErrorSharingViolation,
       "cannot read " + kImage + ": the file is in use by another process"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.operation.Name());
    sim::Machine machine;  // a fresh machine per case: a fault stays armed
    machine.AddFile(kImage, BuildTestImage());
    machine.Fail(c.operation, c.target, c.error);
    ExpectFailureLeavesEverythingAsItWas(machine, {"-a", "0X1", kImage}, 1, c.message);
  }
}

}  // namespace
}  // namespace sanivo
