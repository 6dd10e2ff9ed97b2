#include "sysenv/files.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/os.h"
#include "tests/sim/machine.h"

namespace sanivo {
namespace {

TEST(IsDevicePathTest, KnowsTheNamesWindowsGivesToDevices) {
  const struct {
    const char* path;
    bool device;
  } cases[] = {
      {"NUL", true},
      {"con", true},
      {"C:\\zal\\nul.bak", true},
      {"C:\\zal\\Aux .log", true},
      {"PRN:", true},
      {"C:COM1", true},
      {"d:\\x\\lpt9.txt", true},
      {"\\\\.\\PhysicalDrive0", true},
      {"\\\\?\\C:\\zal\\ntvdm.bak", true},
      {"//./CON", true},
      {"C:\\zal\\20261208.bak", false},
      {"C:\\NUL\\ntvdm.bak", false},
      {"C:\\zal\\console.bak", false},
      {"C:\\zal\\nulla", false},
      {"COM10", false},
      {"COM0", false},
      {"LPT", false},
      {"\\\\server\\share\\ntvdm.bak", false},
      {"C:\\zal\\", false},
  };
  for (const auto& c : cases) EXPECT_EQ(IsDevicePath(c.path), c.device) << c.path;
}

// The repairs take an existing target for a file they may read or keep: a directory is none.
TEST(FileExistsTest, AFileIsAFileAndADirectoryADirectory) {
  sim::Machine machine;
  machine.AddFile("C:\\zal\\a.bak", "x");
  EXPECT_TRUE(FileExists("C:\\zal\\a.bak"));
  EXPECT_FALSE(DirectoryExists("C:\\zal\\a.bak"));
  EXPECT_FALSE(FileExists("C:\\zal"));
  EXPECT_TRUE(DirectoryExists("C:\\zal"));
  EXPECT_FALSE(FileExists("C:\\zal\\b.bak"));
  EXPECT_FALSE(DirectoryExists("C:\\zal\\b.bak"));
}

class IsFileLockedTest : public ::testing::Test {
 protected:
  const std::string file = "C:\\WINDOWS\\system32\\ntvdm.exe";
  sim::Machine machine;
};

TEST_F(IsFileLockedTest, OrdinaryClosedFileIsFreeAndStaysSo) {
  machine.AddFile(file, "MZ");
  EXPECT_FALSE(IsFileLocked(file));
  EXPECT_EQ(machine.OpenHandleCount(), 0);
  EXPECT_FALSE(IsFileLocked(file));
  EXPECT_EQ(machine.FileBytes(file), "MZ");
}

TEST_F(IsFileLockedTest, FileHeldByAnotherProcessIsLockedUntilReleased) {
  machine.AddFile(file, "MZ");
  // However generously the holder shares the file, the test's exclusive open conflicts.
  for (const std::uint32_t sharing :
       {0u, os::kFileShareRead, os::kFileShareRead | os::kFileShareWrite,
        os::kFileShareRead | os::kFileShareWrite | os::kFileShareDelete}) {
    const os::Handle held = machine.HoldOpen(file, os::kGenericRead, sharing);
    EXPECT_TRUE(IsFileLocked(file)) << "holder shares " << sharing;
    machine.Release(held);
    EXPECT_FALSE(IsFileLocked(file));
  }
}

TEST_F(IsFileLockedTest, EveryFailureToOpenCountsAsLocked) {
  EXPECT_TRUE(IsFileLocked(file));  // missing
  machine.AddFile(file, "MZ");
  machine.SetReadOnly(file, true);
  EXPECT_TRUE(IsFileLocked(file));
  EXPECT_TRUE(IsFileLocked("C:\\WINDOWS"));
  EXPECT_EQ(machine.OpenHandleCount(), 0);
}

// Records when it is freed, so that the catalogue's ownership can be seen.
}  // namespace
}  // namespace sanivo
