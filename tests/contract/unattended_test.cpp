// What the shared log of runs on many machines relies on: byte-range locks that keep two
// writers apart, appending at the end, and the names and the time that go into a record.
#include "tests/contract/contract.h"

namespace contract {
namespace {

// The whole first 4 GiB, far past the end of any log.
constexpr std::uint64_t kWholeLog = 0xFFFFFFFFu;
constexpr std::uint32_t kTryOnce = os::kLockfileExclusiveLock | os::kLockfileFailImmediately;

os::Handle OpenShared(const std::string& path) {
  return os::CreateFileA(path, os::kGenericRead | os::kGenericWrite,
                         os::kFileShareRead | os::kFileShareWrite, os::kOpenAlways,
                         os::kFileAttributeNormal);
}

// The turn that runs on one machine take: one mutex per name, in the Global\ namespace; its
// owner may take it again and must release it as often; nobody else may release it.
TEST(RunMutexTest, OneMutexPerNameTakenAndReleasedByItsOwner) {
  const std::string name = "Global\\MOREK-Sanivo-contract";
  const os::Handle first = os::CreateMutexForAdministratorsA(name);
  ASSERT_NE(first, 0u) << os::GetLastError();
  const os::Handle second = os::CreateMutexForAdministratorsA(name);
  ASSERT_NE(second, 0u) << os::GetLastError();
  EXPECT_EQ(os::GetLastError(), os::kErrorAlreadyExists);

  EXPECT_FALSE(os::ReleaseMutex(first));
  EXPECT_EQ(os::GetLastError(), os::kErrorNotOwner);
  EXPECT_EQ(os::WaitForSingleObject(first, 0), os::kWaitObject0);
  EXPECT_EQ(os::WaitForSingleObject(second, 0), os::kWaitObject0);
  EXPECT_TRUE(os::ReleaseMutex(second));
  EXPECT_TRUE(os::ReleaseMutex(first));
  EXPECT_FALSE(os::ReleaseMutex(first));
  EXPECT_TRUE(os::CloseHandle(first));
  EXPECT_TRUE(os::CloseHandle(second));
}

using LocksTest = ScratchTest;

TEST_F(LocksTest, ARangeLockedThroughOneHandleCannotBeLockedThroughAnother) {
  const std::string path = Path("shared.csv");
  const os::Handle first = OpenShared(path);
  const os::Handle second = OpenShared(path);
  ASSERT_NE(first, os::kInvalidHandle);
  ASSERT_NE(second, os::kInvalidHandle);

  ASSERT_TRUE(os::LockFileEx(first, kTryOnce, 0, kWholeLog)) << os::GetLastError();
  EXPECT_FALSE(os::LockFileEx(second, kTryOnce, 0, kWholeLog));
  EXPECT_EQ(os::GetLastError(), os::kErrorLockViolation);
  EXPECT_FALSE(os::LockFileEx(second, kTryOnce, 100, 1));  // any overlap
  EXPECT_EQ(os::GetLastError(), os::kErrorLockViolation);

  EXPECT_TRUE(os::UnlockFileEx(first, 0, kWholeLog));
  EXPECT_FALSE(os::UnlockFileEx(first, 0, kWholeLog));
  EXPECT_EQ(os::GetLastError(), UnlockingAnUnlockedRangeError());
  EXPECT_TRUE(os::LockFileEx(second, kTryOnce, 0, kWholeLog));

  // Closing the handle gives its locks up.
  EXPECT_TRUE(os::CloseHandle(second));
  EXPECT_TRUE(os::LockFileEx(first, kTryOnce, 0, kWholeLog));
  EXPECT_TRUE(os::UnlockFileEx(first, 0, kWholeLog));
  EXPECT_TRUE(os::CloseHandle(first));
}

TEST_F(LocksTest, OpenAlwaysCreatesOrOpensAndTheEndIsWhereTheNextWriteGoes) {
  const std::string path = Path("appended.csv");
  os::Handle file = OpenShared(path);
  ASSERT_NE(file, os::kInvalidHandle);
  EXPECT_EQ(os::GetLastError(), os::kErrorSuccess);  // created
  EXPECT_EQ(os::SetFilePointer(file, 0, os::kFileEnd), 0u);
  std::uint32_t written = 0;
  ASSERT_TRUE(os::WriteFile(file, "first\r\n", &written));
  EXPECT_TRUE(os::CloseHandle(file));

  file = OpenShared(path);
  ASSERT_NE(file, os::kInvalidHandle);
  EXPECT_EQ(os::GetLastError(), os::kErrorAlreadyExists);
  EXPECT_EQ(os::SetFilePointer(file, 0, os::kFileEnd), 7u);
  ASSERT_TRUE(os::WriteFile(file, "second\r\n", &written));
  EXPECT_TRUE(os::FlushFileBuffers(file));
  EXPECT_EQ(os::SetFilePointer(file, -3, os::kFileEnd), 12u);
  EXPECT_EQ(os::SetFilePointer(file, -20, os::kFileBegin), os::kInvalidSetFilePointer);
  // A record that could not be finished is cut off again.
  EXPECT_EQ(os::SetFilePointer(file, 0, os::kFileEnd), 15u);
  ASSERT_TRUE(os::WriteFile(file, "thi", &written));
  EXPECT_EQ(os::SetFilePointer(file, 15, os::kFileBegin), 15u);
  EXPECT_TRUE(os::SetEndOfFile(file));
  EXPECT_TRUE(os::CloseHandle(file));
  EXPECT_EQ(ReadWholeFile(path), "first\r\nsecond\r\n");
}

TEST(WhoAndWhenTest, TheMachineAndTheUserHaveNames) {
  std::string computer;
  ASSERT_TRUE(os::GetComputerNameA(computer));
  EXPECT_FALSE(computer.empty());
  EXPECT_LE(computer.size(), 15u);
  EXPECT_EQ(computer.find('\0'), std::string::npos);
  std::string user;
  ASSERT_TRUE(os::GetUserNameA(user));
  EXPECT_FALSE(user.empty());
  EXPECT_EQ(user.find('\0'), std::string::npos);
}

TEST(WhoAndWhenTest, LocalTimeIsADateAndATimeOfDay) {
  const os::LocalTime now = os::GetLocalTime();
  EXPECT_GE(now.year, 2000);
  EXPECT_GE(now.month, 1);
  EXPECT_LE(now.month, 12);
  EXPECT_GE(now.day, 1);
  EXPECT_LE(now.day, 31);
  EXPECT_LE(now.hour, 23);
  EXPECT_LE(now.minute, 59);
  EXPECT_LE(now.second, 59);
  EXPECT_LE(now.milliseconds, 999);
  const std::uint64_t earlier = os::QueryPerformanceCounter();
  EXPECT_LT(earlier, os::QueryPerformanceCounter());
}

}  // namespace
}  // namespace contract
