// Starting programs: the shell with a process handle to wait for, WinExec, and the system's
// message text for a failure.
#include "sysenv/errors.h"
#include "sysenv/process.h"
#include "tests/contract/contract.h"

namespace contract {
namespace {

constexpr std::uint32_t kSeeMaskFlagNoUi = 0x400;
constexpr std::uint32_t kWaitLimit = 30000;  // ms; a started helper ends long before

bool IsTrimmed(const std::string& text) {
  const unsigned char last = static_cast<unsigned char>(text.back());
  return last > ' ' && last != '.';
}

using ProcessesTest = ScratchTest;

TEST_F(ProcessesTest, ShellStartsAProgramThatCanBeWaitedFor) {
  const std::string directory = Scratch().substr(0, Scratch().size() - 1);
  const std::string marker = Path("marker.txt");
  os::ShellExecuteInfo info =
      sanivo::ShellOpenRecord(HelperProgram(), "marker.txt", directory, os::kSwShow);
  ASSERT_TRUE(os::ShellExecuteExA(info)) << "error " << os::GetLastError();
  EXPECT_GT(info.hInstApp, 32u);
  ASSERT_NE(info.hProcess, 0u);
  EXPECT_EQ(os::WaitForSingleObject(info.hProcess, kWaitLimit), os::kWaitObject0);
  EXPECT_TRUE(os::CloseHandle(info.hProcess));
  EXPECT_EQ(ReadWholeFile(marker), kHelperMark);  // it ran in the directory, with the parameter
}

TEST_F(ProcessesTest, ShellFailsOnAMissingFileWithTheSystemText) {
  os::ShellExecuteInfo info =
      sanivo::ShellOpenRecord(Scratch() + "missing.exe", "", "", os::kSwShow);
  // Without this flag the shell shows its own error box first. Wine without a display cannot,
  // and reports that failure (ERROR_INVALID_WINDOW_HANDLE) instead of the missing file.
  info.fMask |= kSeeMaskFlagNoUi;
  os::SetLastError(0);
  EXPECT_FALSE(os::ShellExecuteExA(info));
  const std::uint32_t error = os::GetLastError();
  EXPECT_EQ(error, os::kErrorFileNotFound);
  EXPECT_EQ(info.hProcess, 0u);

  const std::string text = sanivo::SystemErrorText(error);
  ASSERT_FALSE(text.empty());
  EXPECT_TRUE(IsTrimmed(text)) << "[" << text << "]";
}

TEST_F(ProcessesTest, WinExecStartsAProgramOrReportsWhyNot) {
  const std::string marker = Path("winexec marker.txt");
  EXPECT_GT(os::WinExec("\"" + HelperProgram() + "\" \"" + marker + "\"", os::kSwShow), 31u);
  for (int waited = 0; !Exists(marker) && waited < 300; ++waited) os::Sleep(100);
  ASSERT_TRUE(Exists(marker));
  // The helper may still hold the file for a moment after it appeared.
  for (int waited = 0; ReadWholeFile(marker) != kHelperMark && waited < 50; ++waited) {
    os::Sleep(100);
  }
  EXPECT_EQ(ReadWholeFile(marker), kHelperMark);

  EXPECT_EQ(os::WinExec("\"" + Scratch() + "missing.exe\"", os::kSwShow), os::kErrorFileNotFound);
  EXPECT_EQ(os::GetLastError(), os::kErrorFileNotFound);
}

TEST(WaitTest, WaitingOnNoProcessFails) {
  for (const os::Handle handle : {os::Handle{0}, os::Handle{0x1234}}) {
    os::SetLastError(0);
    EXPECT_EQ(os::WaitForSingleObject(handle, 50), os::kWaitFailed);
    EXPECT_EQ(os::GetLastError(), os::kErrorInvalidHandle);
  }
}

TEST(MessagesTest, SystemTextComesWithItsLineBreak) {
  std::string text;
  const std::uint32_t length = os::FormatMessageA(os::kErrorAccessDenied, 256, text);
  EXPECT_EQ(length, text.size());
  ASSERT_GT(length, 2u);
  EXPECT_TRUE(text.ends_with("\r\n")) << "[" << text << "]";
  EXPECT_TRUE(IsTrimmed(sanivo::SystemErrorText(os::kErrorAccessDenied)));

  EXPECT_EQ(os::FormatMessageA(os::kErrorAccessDenied, length, text), 0u);  // no terminator
  EXPECT_EQ(text, "");
}

// The text of a bad executable has an insert ("%1 is not a valid Win32 application"); the call
// must leave it as it stands instead of failing for want of arguments.
TEST(MessagesTest, TextWithAnInsertIsGivenAsItStands) {
  std::string text;
  EXPECT_GT(os::FormatMessageA(193, 256, text), 0u);
  EXPECT_NE(sanivo::SystemErrorText(193), "");
}

TEST(MessagesTest, UnknownCodeHasNoText) {
  std::string text = "unchanged";
  EXPECT_EQ(os::FormatMessageA(0x2FFFFFFF, 256, text), 0u);
  EXPECT_EQ(os::GetLastError(), 317u);  // ERROR_MR_MID_NOT_FOUND
  EXPECT_EQ(text, "");
  EXPECT_EQ(sanivo::SystemErrorText(0x2FFFFFFF), "");
}

TEST(MessagesTest, LastErrorIsWhatWasSet) {
  os::SetLastError(os::kErrorWriteFault);
  EXPECT_EQ(os::GetLastError(), os::kErrorWriteFault);
  os::SetLastError(os::kErrorSuccess);
  EXPECT_EQ(os::GetLastError(), os::kErrorSuccess);
}

}  // namespace
}  // namespace contract
