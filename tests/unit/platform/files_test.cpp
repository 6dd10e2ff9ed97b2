// The simulated file system where the contract suite cannot stage it: another process's open,
// the read-only attribute, the system directory moved, the listing of every path.
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

// The simulation names the empty name invalid; Wine fails the call without setting a reason,
// so the contract suite holds only the failure.
TEST_F(FilesTest, AnEmptyNameIsInvalid) {
  std::string path;
  EXPECT_EQ(os::GetFullPathNameA("", 260, path), 0u);
  EXPECT_EQ(os::GetLastError(), 123u);  // ERROR_INVALID_NAME
}

TEST_F(FilesTest, AMovedSystemDirectoryExists) {
  machine.SetSystemDirectory("D:\\WIN\\sys");
  std::string path;
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
