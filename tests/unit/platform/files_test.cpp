// The simulated file system: share modes against another process's open, the read-only
// attribute, the error codes of copies and directories, contents and full path names.
#include <gtest/gtest.h>

#include <algorithm>

#include "platform/os.h"
#include "tests/sim/machine.h"

namespace {

constexpr std::uint32_t kReadWrite = os::kGenericRead | os::kGenericWrite;
constexpr std::uint32_t kShareAll = os::kFileShareRead | os::kFileShareWrite | os::kFileShareDelete;

class FilesTest : public ::testing::Test {
 protected:
  sim::Machine machine;
  const std::string ntvdm = "C:\\WINDOWS\\system32\\NTVDM.EXE";

  void SetUp() override { machine.AddFile(ntvdm, "MZ live"); }

  // The last error of a failed call, or 0 when it succeeded.
  static std::uint32_t ErrorOf(bool succeeded) { return succeeded ? 0 : os::GetLastError(); }
};

TEST_F(FilesTest, ExclusiveOpenFailsWhileAnotherProcessHoldsTheFile) {
  os::Handle held = machine.HoldOpen(ntvdm, os::kGenericRead, os::kFileShareRead);
  EXPECT_EQ(os::CreateFileA(ntvdm, kReadWrite, 0, os::kOpenExisting, 0), os::kInvalidHandle);
  EXPECT_EQ(os::GetLastError(), os::kErrorSharingViolation);
  EXPECT_EQ(ErrorOf(os::DeleteFileA(ntvdm)), os::kErrorSharingViolation);
  machine.AddFile("C:\\new.exe", "MZ new");
  EXPECT_EQ(ErrorOf(os::CopyFileA("C:\\new.exe", ntvdm, false)), os::kErrorSharingViolation);
  EXPECT_EQ(machine.FileBytes(ntvdm), "MZ live");

  // Reading alongside is what the holder's share mode allows.
  os::Handle reader = os::CreateFileA(ntvdm, os::kGenericRead, os::kFileShareRead,
                                      os::kOpenExisting, os::kFileAttributeNormal);
  ASSERT_NE(reader, os::kInvalidHandle);
  EXPECT_TRUE(os::CloseHandle(reader));

  machine.Release(held);
  os::Handle exclusive = os::CreateFileA(ntvdm, kReadWrite, 0, os::kOpenExisting, 0);
  ASSERT_NE(exclusive, os::kInvalidHandle);
  // Now the program's own exclusive open keeps a second opener out.
  EXPECT_EQ(os::CreateFileA(ntvdm, os::kGenericRead, kShareAll, os::kOpenExisting, 0),
            os::kInvalidHandle);
  EXPECT_EQ(machine.OpenHandleCount(), 1);
  EXPECT_TRUE(os::CloseHandle(exclusive));
  EXPECT_EQ(machine.OpenHandleCount(), 0);
}

TEST_F(FilesTest, OpensThatShareEverythingDoNotConflict) {
  os::Handle held = machine.HoldOpen(ntvdm, kReadWrite, kShareAll);
  os::Handle writer = os::CreateFileA(ntvdm, os::kGenericWrite, kShareAll, os::kOpenExisting, 0);
  EXPECT_NE(writer, os::kInvalidHandle);
  os::CloseHandle(writer);
  EXPECT_TRUE(os::DeleteFileA(ntvdm));
  machine.Release(held);
}

TEST_F(FilesTest, ReadOnlyFilesAndDirectoriesRefuseWritesWithAccessDenied) {
  machine.SetReadOnly(ntvdm, true);
  machine.AddFile("C:\\patched.exe", "MZ patched");
  EXPECT_EQ(os::CreateFileA(ntvdm, kReadWrite, 0, os::kOpenExisting, 0), os::kInvalidHandle);
  EXPECT_EQ(os::GetLastError(), os::kErrorAccessDenied);
  EXPECT_EQ(os::CreateFileA(ntvdm, os::kGenericWrite, 0, os::kCreateAlways, 0), os::kInvalidHandle);
  EXPECT_EQ(ErrorOf(os::DeleteFileA(ntvdm)), os::kErrorAccessDenied);
  EXPECT_EQ(ErrorOf(os::CopyFileA("C:\\patched.exe", ntvdm, false)), os::kErrorAccessDenied);
  EXPECT_EQ(os::GetFileAttributesA(ntvdm) & os::kFileAttributeReadOnly, os::kFileAttributeReadOnly);

  EXPECT_EQ(ErrorOf(os::CopyFileA("C:\\patched.exe", "C:\\WINDOWS", false)),
            os::kErrorAccessDenied);
  EXPECT_EQ(ErrorOf(os::DeleteFileA("C:\\WINDOWS")), os::kErrorAccessDenied);
  EXPECT_EQ(machine.FileBytes(ntvdm), "MZ live");
}

TEST_F(FilesTest, CopyAndDirectoryErrorsAreThoseOfWindows) {
  EXPECT_EQ(ErrorOf(os::CopyFileA("C:\\missing.exe", "C:\\x.exe", false)), os::kErrorFileNotFound);
  EXPECT_EQ(ErrorOf(os::CopyFileA(ntvdm, "C:\\no\\such\\x.exe", false)), os::kErrorPathNotFound);
  EXPECT_EQ(ErrorOf(os::CopyFileA("C:\\no\\x.exe", "C:\\x.exe", false)), os::kErrorPathNotFound);
  machine.AddFile("C:\\x.exe", "old");
  EXPECT_EQ(ErrorOf(os::CopyFileA(ntvdm, "C:\\x.exe", true)), os::kErrorFileExists);
  EXPECT_EQ(machine.FileBytes("C:\\x.exe"), "old");
  EXPECT_TRUE(os::CopyFileA(ntvdm, "c:\\X.EXE", false));
  EXPECT_EQ(machine.FileBytes("C:\\x.exe"), "MZ live");

  EXPECT_EQ(ErrorOf(os::CreateDirectoryA("C:\\WINDOWS\\Fonts")), os::kErrorAlreadyExists);
  EXPECT_EQ(ErrorOf(os::CreateDirectoryA("C:\\zal\\deep")), os::kErrorPathNotFound);
  EXPECT_TRUE(os::CreateDirectoryA("C:\\zal\\"));
  EXPECT_TRUE(machine.HasDirectory("c:\\ZAL"));
  EXPECT_EQ(os::GetFileAttributesA("C:\\zal"), os::kFileAttributeDirectory);
  EXPECT_EQ(os::GetFileAttributesA("C:\\zal\\x"), os::kInvalidFileAttributes);
  EXPECT_EQ(os::GetLastError(), os::kErrorFileNotFound);
  EXPECT_EQ(os::GetFileAttributesA("C:\\nix\\x"), os::kInvalidFileAttributes);
  EXPECT_EQ(os::GetLastError(), os::kErrorPathNotFound);
}

TEST_F(FilesTest, ReadAndWriteMoveTheFilePosition) {
  os::Handle file = os::CreateFileA("C:\\zal.bak", os::kGenericWrite, 0, os::kCreateAlways, 0);
  ASSERT_NE(file, os::kInvalidHandle);
  EXPECT_EQ(os::GetLastError(), os::kErrorSuccess);
  std::uint32_t written = 0;
  ASSERT_TRUE(os::WriteFile(file, "hello", &written));
  ASSERT_TRUE(os::WriteFile(file, " world", &written));
  std::string bytes;
  EXPECT_FALSE(os::ReadFile(file, 1, bytes));  // opened for writing only
  EXPECT_EQ(os::GetLastError(), os::kErrorAccessDenied);
  os::CloseHandle(file);

  file = os::CreateFileA("C:\\zal.bak", os::kGenericRead, 0, os::kOpenExisting, 0);
  ASSERT_TRUE(os::ReadFile(file, 3, bytes));
  EXPECT_EQ(bytes, "hel");
  ASSERT_TRUE(os::ReadFile(file, 100, bytes));
  EXPECT_EQ(bytes, "lo world");
  ASSERT_TRUE(os::ReadFile(file, 100, bytes));
  EXPECT_EQ(bytes, "");
  os::CloseHandle(file);

  // CREATE_ALWAYS on an existing file truncates it and says so.
  file = os::CreateFileA("C:\\zal.bak", os::kGenericWrite, 0, os::kCreateAlways, 0);
  EXPECT_EQ(os::GetLastError(), os::kErrorAlreadyExists);
  os::CloseHandle(file);
  EXPECT_EQ(machine.FileBytes("C:\\zal.bak"), "");
  EXPECT_FALSE(os::CloseHandle(file));
  EXPECT_EQ(os::GetLastError(), os::kErrorInvalidHandle);
}

TEST_F(FilesTest, MoveReplacesOnlyWhenAskedTo) {
  machine.AddFile("C:\\tmp\\ntvdm.exe", "MZ patched");
  EXPECT_EQ(ErrorOf(os::MoveFileExA("C:\\tmp\\ntvdm.exe", ntvdm, 0)), os::kErrorAlreadyExists);
  EXPECT_TRUE(os::MoveFileExA("C:\\tmp\\ntvdm.exe", ntvdm, os::kMoveFileReplaceExisting));
  EXPECT_EQ(machine.FileBytes(ntvdm), "MZ patched");
  EXPECT_FALSE(machine.HasFile("C:\\tmp\\ntvdm.exe"));
  EXPECT_TRUE(os::MoveFileExA("C:\\tmp", "C:\\tmp2", 0));
  EXPECT_TRUE(machine.HasDirectory("C:\\tmp2"));
}

TEST_F(FilesTest, FullPathNamesFollowTheCurrentDirectory) {
  machine.SetCurrentDirectory("C:\\WINDOWS");
  auto full = [](const std::string& name) {
    std::string path;
    os::GetFullPathNameA(name, 260, path);
    return path;
  };
  EXPECT_EQ(full("system32\\..\\Fonts\\"), "C:\\WINDOWS\\Fonts\\");
  EXPECT_EQ(full("."), "C:\\WINDOWS");
  EXPECT_EQ(full(".\\"), "C:\\WINDOWS\\");
  EXPECT_EQ(full("..\\..\\.."), "C:\\");
  EXPECT_EQ(full("\\zal"), "C:\\zal");
  EXPECT_EQ(full("D:\\a\\\\b\\c.bak"), "D:\\a\\b\\c.bak");
  EXPECT_EQ(full("D:x"), "D:\\x");
  EXPECT_EQ(full("C:x"), "C:\\WINDOWS\\x");
  EXPECT_EQ(full("a/b"), "C:\\WINDOWS\\a\\b");

  std::string path = "stale";
  EXPECT_EQ(os::GetFullPathNameA("", 260, path), 0u);
  EXPECT_EQ(os::GetLastError(), 123u);                 // ERROR_INVALID_NAME
  EXPECT_EQ(os::GetFullPathNameA("x", 5, path), 13u);  // "C:\WINDOWS\x" and its terminator
  EXPECT_EQ(path, "");
  EXPECT_EQ(os::GetFullPathNameA("x", 13, path), 12u);
  EXPECT_EQ(path, "C:\\WINDOWS\\x");
}

TEST_F(FilesTest, DirectoryQueriesReportTheSizeNeededForAShortBuffer) {
  std::string path;
  EXPECT_EQ(os::GetTempPathA(260, path), 31u);
  EXPECT_EQ(path, "C:\\DOCUME~1\\user\\LOCALS~1\\Temp\\");
  EXPECT_EQ(os::GetTempPathA(31, path), 32u);
  EXPECT_EQ(path, "");
  EXPECT_EQ(os::GetSystemDirectoryA(0, path), 20u);
  EXPECT_EQ(os::GetModuleFileNameA(8, path), 8u);  // cut, as Windows does
  EXPECT_EQ(path, "C:\\Prog");
  machine.SetSystemDirectory("D:\\WIN\\sys");
  EXPECT_EQ(os::GetSystemDirectoryA(260, path), 10u);
  EXPECT_TRUE(machine.HasDirectory("D:\\WIN\\sys"));
}

TEST_F(FilesTest, ListingShowsEveryPathWithItsCase) {
  machine.AddFile("C:\\Zal\\b.TXT");
  std::vector<std::string> listing = machine.Listing();
  auto at = [&listing](const std::string& entry) {
    return std::find(listing.begin(), listing.end(), entry) - listing.begin();
  };
  EXPECT_LT(at("C:\\WINDOWS\\"), at("C:\\WINDOWS\\system32\\NTVDM.EXE"));
  EXPECT_LT(at("C:\\Zal\\"), at("C:\\Zal\\b.TXT"));
  EXPECT_LT(at("C:\\WINDOWS\\system32\\NTVDM.EXE"), at("C:\\Zal\\"));
  EXPECT_LT(at("C:\\Zal\\b.TXT"), static_cast<long>(listing.size()));
  EXPECT_EQ(listing.front(), "C:\\");
}

}  // namespace
