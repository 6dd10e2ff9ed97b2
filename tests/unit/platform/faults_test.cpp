// Injected faults reach the caller as the real calls report failure.
#include <gtest/gtest.h>

#include "platform/os.h"
#include "tests/sim/machine.h"

namespace {

class FaultsTest : public ::testing::Test {
 protected:
  sim::Machine machine;
};

TEST_F(FaultsTest, ABoolCallReturnsFalseAndSetsTheLastError) {
  machine.AddFile("C:\\a.exe", "new");
  machine.AddFile("C:\\b.exe", "old");
  machine.Fail("CopyFileA", "c:\\B.EXE", os::kErrorWriteFault, 1);
  os::SetLastError(0);
  EXPECT_FALSE(os::CopyFileA("C:\\a.exe", "C:\\b.exe", false));
  EXPECT_EQ(os::GetLastError(), os::kErrorWriteFault);
  EXPECT_EQ(machine.FileBytes("C:\\b.exe"), "old");
  // Used up after one call; another target never matched.
  EXPECT_TRUE(os::CopyFileA("C:\\a.exe", "C:\\b.exe", false));
  EXPECT_EQ(machine.FileBytes("C:\\b.exe"), "new");
  EXPECT_EQ(machine.CallsTo("CopyFileA"),
            (std::vector<std::string>{"C:\\a.exe|C:\\b.exe|0", "C:\\a.exe|C:\\b.exe|0"}));
}

TEST_F(FaultsTest, AFaultMatchesTheFullPathOfARelativeName) {
  machine.AddFile("C:\\WINDOWS\\x.txt");
  machine.SetCurrentDirectory("C:\\WINDOWS");
  machine.Fail("DeleteFileA", "C:\\WINDOWS\\x.txt", os::kErrorAccessDenied);
  EXPECT_FALSE(os::DeleteFileA("x.txt"));
  EXPECT_EQ(os::GetLastError(), os::kErrorAccessDenied);
  EXPECT_TRUE(machine.HasFile("C:\\WINDOWS\\x.txt"));
}

TEST_F(FaultsTest, AnOpenReturnsTheInvalidHandle) {
  machine.AddFile("C:\\a.exe");
  machine.Fail("CreateFileA", "", os::kErrorSharingViolation);
  EXPECT_EQ(os::CreateFileA("C:\\a.exe", os::kGenericRead, 0, os::kOpenExisting, 0),
            os::kInvalidHandle);
  EXPECT_EQ(os::GetLastError(), os::kErrorSharingViolation);
  EXPECT_EQ(machine.OpenHandleCount(), 0);
}

TEST_F(FaultsTest, RegistryCallsReturnTheErrorCode) {
  machine.SetString(os::kHkeyCurrentUser, "Console", "FaceName", "Terminal");
  machine.Fail("RegOpenKeyExA", "HKEY_CURRENT_USER\\console", os::kErrorAccessDenied);
  os::HKey key = 0;
  EXPECT_EQ(os::RegOpenKeyExA(os::kHkeyCurrentUser, "Console", os::kKeyAllAccess, key),
            static_cast<std::int32_t>(os::kErrorAccessDenied));
  EXPECT_EQ(machine.OpenKeyCount(), 0);

  machine.Fail("RegSetValueExA", "facename", os::kErrorInvalidParameter);
  ASSERT_EQ(os::RegCreateKeyExA(os::kHkeyCurrentUser, "Console", os::kKeyAllAccess, key, nullptr),
            0);
  EXPECT_EQ(os::RegSetValueExA(key, "FaceName", os::kRegSz, std::string_view("X\0", 2)),
            static_cast<std::int32_t>(os::kErrorInvalidParameter));
  EXPECT_EQ(machine.Value(os::kHkeyCurrentUser, "Console", "FaceName")->data,
            std::string("Terminal\0", 9));
  EXPECT_EQ(os::RegCloseKey(key), 0);
}

TEST_F(FaultsTest, WriteToStandardOutputFailsWithNothingWritten) {
  machine.Fail("WriteFile", "stdout", os::kErrorWriteFault);
  std::uint32_t written = 99;
  EXPECT_FALSE(os::WriteFile(os::GetStdHandle(os::kStdOutputHandle), "text", &written));
  EXPECT_EQ(written, 0u);
  EXPECT_EQ(os::GetLastError(), os::kErrorWriteFault);
  EXPECT_EQ(machine.Stdout(), "");
  EXPECT_EQ(machine.Row(0, 0, 4), "    ");
  // Standard error is another target.
  EXPECT_TRUE(os::WriteFile(os::GetStdHandle(os::kStdErrorHandle), "err", &written));
  EXPECT_EQ(machine.Row(0, 0, 3), "err");
}

TEST_F(FaultsTest, OtherFailureValuesReachTheCaller) {
  machine.Fail("GetTempPathA", "", os::kErrorInvalidFunction);
  std::string path;
  EXPECT_EQ(os::GetTempPathA(260, path), 0u);
  EXPECT_EQ(os::GetLastError(), os::kErrorInvalidFunction);

  machine.Fail("GetFileAttributesA", "C:\\WINDOWS", os::kErrorAccessDenied);
  EXPECT_EQ(os::GetFileAttributesA("C:\\WINDOWS"), os::kInvalidFileAttributes);

  machine.AddFile("C:\\t.exe");
  machine.Fail("WinExec", "C:\\t.exe", os::kErrorPathNotFound);
  EXPECT_EQ(os::WinExec("C:\\t.exe", os::kSwShow), os::kErrorPathNotFound);
  EXPECT_TRUE(machine.Launches().empty());

  os::OsVersionInfo version;
  version.dwOSVersionInfoSize = os::kOsVersionInfoSize;
  machine.Fail("GetVersionExA", "", os::kErrorInvalidParameter);
  EXPECT_FALSE(os::GetVersionExA(version));
  EXPECT_EQ(os::GetLastError(), os::kErrorInvalidParameter);
}

}  // namespace
