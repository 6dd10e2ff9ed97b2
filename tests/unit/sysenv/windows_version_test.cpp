#include "sysenv/windows_version.h"

#include <gtest/gtest.h>

#include "tests/sim/machine.h"

namespace sanivo {
namespace {

struct VersionCase {
  std::uint32_t platform;
  std::uint32_t major;
  std::uint32_t minor;
  const char* servicePack;
  TWindowsKind expected;
};

class WindowsKindTest : public ::testing::TestWithParam<VersionCase> {};

TEST_P(WindowsKindTest, ClassifiesTheReportedVersion) {
  sim::Machine machine;
  const VersionCase& c = GetParam();
  machine.SetVersion(c.platform, c.major, c.minor, c.servicePack);
  EXPECT_EQ(GetWindowsKind(), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    EveryRowOfTheTable, WindowsKindTest,
    ::testing::Values(
        VersionCase{1, 4, 0, " A ", wkWindows95},  // text only read for 4.10
        VersionCase{1, 4, 10, " A ", wkWindows98SE}, VersionCase{1, 4, 10, "xA", wkWindows98SE},
        VersionCase{1, 4, 10, "", wkWindows98}, VersionCase{1, 4, 10, "A", wkWindows98},
        VersionCase{1, 4, 10, " B ", wkWindows98}, VersionCase{1, 4, 10, " a ", wkWindows98},
        VersionCase{1, 4, 90, "", wkWindowsMe}, VersionCase{1, 4, 3, "", wkUnknown},
        VersionCase{1, 5, 0, "", wkUnknown}, VersionCase{2, 3, 51, "", wkWindowsNT},
        VersionCase{2, 4, 0, "", wkWindowsNT}, VersionCase{2, 5, 0, "", wkWindows2000},
        VersionCase{2, 5, 1, "Service Pack 3", wkWindowsXP},
        VersionCase{2, 5, 2, "", wkWindowsOtherNT}, VersionCase{2, 6, 0, "", wkWindowsVista},
        VersionCase{2, 6, 1, "", wkWindows7}, VersionCase{2, 6, 2, "", wkWindowsOtherNT},
        VersionCase{2, 10, 0, "", wkWindowsOtherNT}, VersionCase{0, 5, 1, "", wkUnknown},
        VersionCase{3, 6, 1, "", wkUnknown}));

TEST(WindowsKind, AFailedVersionQueryIsUnknown) {
  sim::Machine machine;
  machine.SetVersion(2, 6, 1);
  machine.Fail("GetVersionExA", "", os::kErrorInvalidParameter);
  EXPECT_EQ(GetWindowsKind(), wkUnknown);
}

TEST(FileVersion, ReadsTheFourNumbersOrLeavesTheRecordAlone) {
  sim::Machine machine;
  machine.SetFileVersion("C:\\Tools\\v.exe", 1, 2, 3, 4);
  machine.AddFile("C:\\Tools\\plain.exe", "MZ");
  TFileVersion version;
  ReadFileVersion("C:\\Tools\\v.exe", version);
  EXPECT_EQ(version.Major, 1);
  EXPECT_EQ(version.Minor, 2);
  EXPECT_EQ(version.Release, 3);
  EXPECT_EQ(version.Build, 4);

  TFileVersion untouched{9, 8, 7, 6};
  ReadFileVersion("C:\\Tools\\plain.exe", untouched);
  ReadFileVersion("C:\\Tools\\missing.exe", untouched);
  EXPECT_EQ(untouched.Major, 9);
  EXPECT_EQ(untouched.Build, 6);
}

TEST(ProgramEnvironment, StartUpRecordsKindDirectoryVersionAndStartDirectory) {
  sim::Machine machine;
  machine.SetVersion(2, 6, 1);
  machine.SetModulePath("C:\\Tools\\prog.exe");
  machine.SetFileVersion("C:\\Tools\\prog.exe", 1, 2, 3, 4);
  machine.SetCurrentDirectory("C:\\Work");
  InitializeWindowsVersion();
  EXPECT_EQ(WindowsKind, wkWindows7);
  EXPECT_EQ(AppDir, "C:\\Tools\\");
  // The record's words in order, the first of each pair in the low half.
  EXPECT_EQ(AppVersionMS, 0x00020001u);
  EXPECT_EQ(AppVersionLS, 0x00040003u);
  EXPECT_EQ(StartDir, "C:\\Work");
  FinalizeWindowsVersion();
  EXPECT_TRUE(AppDir.empty());
}

// Unpacked into a folder named in another script, the program finds its files by the folder's
// short name: the ANSI form of its path holds "?" where the code page lacks a letter.
TEST(ProgramEnvironment, FolderNameOutsideTheAnsiCodePageIsTakenInItsShortForm) {
  sim::Machine machine;
  machine.SetModulePath("C:\\?????????\\prog.exe");
  machine.SetModuleShortPath("C:\\0B7C~1\\prog.exe");
  InitializeWindowsVersion();
  EXPECT_EQ(AppDir, "C:\\0B7C~1\\");
  FinalizeWindowsVersion();
}

TEST(ProgramEnvironment, ProgramInADriveRootWithoutVersionInformation) {
  sim::Machine machine;
  machine.SetModulePath("C:\\prog.exe");
  machine.SetCurrentDirectory("C:\\");
  InitializeWindowsVersion();
  EXPECT_EQ(AppDir, "C:\\");
  EXPECT_EQ(AppVersionMS, 0u);
  EXPECT_EQ(AppVersionLS, 0u);
  EXPECT_EQ(StartDir, "C:\\");
  FinalizeWindowsVersion();
}

}  // namespace
}  // namespace sanivo
