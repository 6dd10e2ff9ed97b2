// Programs started through the shell and WinExec, and the waits for them.
#include <gtest/gtest.h>

#include "platform/os.h"
#include "tests/sim/machine.h"

namespace {

const std::string kTool = "C:\\Program Files\\Morek\\IMAGECFG.EXE";

os::ShellExecuteInfo Info(const std::string& file, std::uint32_t mask) {
  os::ShellExecuteInfo info;
  info.cbSize = 60;
  info.fMask = mask;
  info.file = file;
  info.parameters = "-a 0X1 \"C:\\t\\ntvdm.exe\"";
  info.directory = "C:\\t";
  info.nShow = os::kSwShow;
  return info;
}

class ProcessesTest : public ::testing::Test {
 protected:
  sim::Machine machine;
};

TEST_F(ProcessesTest, AStartedProgramRunsAndEndsAfterItsWaits) {
  std::string seenParameters;
  std::string seenDirectory;
  sim::Program tool;
  tool.onStart = [&](const std::string& parameters, const std::string& directory) {
    seenParameters = parameters;
    seenDirectory = directory;
  };
  tool.waitsBeforeExit = 2;
  int exits = 0;
  tool.onExit = [&] { ++exits; };
  machine.AddProgram(kTool, tool);

  os::ShellExecuteInfo info = Info(kTool, os::kSeeMaskNoCloseProcess);
  ASSERT_TRUE(os::ShellExecuteExA(info));
  EXPECT_GT(info.hInstApp, 32u);
  ASSERT_NE(info.hProcess, 0u);
  EXPECT_EQ(seenParameters, "-a 0X1 \"C:\\t\\ntvdm.exe\"");
  EXPECT_EQ(seenDirectory, "C:\\t");
  EXPECT_EQ(os::WaitForSingleObject(info.hProcess, 50), os::kWaitTimeout);
  EXPECT_EQ(os::WaitForSingleObject(info.hProcess, 50), os::kWaitTimeout);
  EXPECT_EQ(exits, 0);
  EXPECT_EQ(os::WaitForSingleObject(info.hProcess, 50), os::kWaitObject0);
  EXPECT_EQ(exits, 1);
  EXPECT_EQ(os::WaitForSingleObject(info.hProcess, 50), os::kWaitObject0);
  EXPECT_EQ(exits, 1);
  EXPECT_EQ(machine.OpenHandleCount(), 1);
  EXPECT_TRUE(os::CloseHandle(info.hProcess));
  EXPECT_EQ(machine.OpenHandleCount(), 0);

  ASSERT_EQ(machine.Launches().size(), 1u);
  EXPECT_EQ(machine.Launches()[0].via, "ShellExecuteExA");
  EXPECT_EQ(machine.Launches()[0].file, kTool);
  EXPECT_EQ(machine.Launches()[0].show, os::kSwShow);
  EXPECT_EQ(machine.CallsTo("WaitForSingleObject").front(), std::to_string(info.hProcess) + ",50");
}

TEST_F(ProcessesTest, TheProcessHandleComesOnlyWhenAskedForAndGiven) {
  machine.AddProgram(kTool, {});
  os::ShellExecuteInfo info = Info(kTool, 0);
  ASSERT_TRUE(os::ShellExecuteExA(info));
  EXPECT_EQ(info.hProcess, 0u);

  sim::Program handedOver;
  handedOver.noProcessHandle = true;
  machine.AddProgram("C:\\viewer.exe", handedOver);
  info = Info("C:\\viewer.exe", os::kSeeMaskNoCloseProcess);
  ASSERT_TRUE(os::ShellExecuteExA(info));
  EXPECT_EQ(info.hProcess, 0u);
  EXPECT_EQ(machine.OpenHandleCount(), 0);
}

TEST_F(ProcessesTest, AnUnregisteredFileEndsAtOnce) {
  machine.AddFile("C:\\plain.exe");
  os::ShellExecuteInfo info = Info("c:\\PLAIN.exe", os::kSeeMaskNoCloseProcess);
  ASSERT_TRUE(os::ShellExecuteExA(info));
  EXPECT_EQ(os::WaitForSingleObject(info.hProcess, 0), os::kWaitObject0);
  os::CloseHandle(info.hProcess);
}

TEST_F(ProcessesTest, AProgramThatNeverEndsTimesOutEveryTime) {
  sim::Program endless;
  endless.waitsBeforeExit = -1;
  machine.AddProgram(kTool, endless);
  os::ShellExecuteInfo info = Info(kTool, os::kSeeMaskNoCloseProcess);
  ASSERT_TRUE(os::ShellExecuteExA(info));
  for (int i = 0; i < 5; ++i)
    EXPECT_EQ(os::WaitForSingleObject(info.hProcess, 50), os::kWaitTimeout);
  os::CloseHandle(info.hProcess);
}

// The shell wants the record's exact size; Wine takes another one too, so the contract suite
// cannot hold this.
TEST_F(ProcessesTest, ARecordOfAnotherSizeStartsNothing) {
  machine.AddProgram(kTool, {});
  os::ShellExecuteInfo info = Info(kTool, os::kSeeMaskNoCloseProcess);
  info.cbSize = 64;
  EXPECT_FALSE(os::ShellExecuteExA(info));
  EXPECT_TRUE(machine.Launches().empty());
}

TEST_F(ProcessesTest, WinExecFindsTheProgramInAnUnquotedCommandLine) {
  int starts = 0;
  sim::Program ntvdm;
  ntvdm.onStart = [&starts](const std::string&, const std::string&) { ++starts; };
  machine.AddProgram("C:\\Program Files\\Dos Box\\ntvdm.exe", ntvdm);
  EXPECT_GT(os::WinExec("C:\\Program Files\\Dos Box\\ntvdm -x", os::kSwShow), 31u);
  EXPECT_EQ(starts, 1);
  ASSERT_EQ(machine.Launches().size(), 1u);
  EXPECT_EQ(machine.Launches()[0].via, "WinExec");
  EXPECT_EQ(machine.Launches()[0].file, "C:\\Program Files\\Dos Box\\ntvdm.exe");
  EXPECT_EQ(machine.Launches()[0].parameters, "-x");
  EXPECT_EQ(machine.OpenHandleCount(), 0);  // WinExec keeps no handle
}

TEST_F(ProcessesTest, SleepOnlyCountsTheTime) {
  os::Sleep(50);
  os::Sleep(1000);
  EXPECT_EQ(machine.TotalSleep(), 1050u);
  EXPECT_EQ(machine.CallsTo("Sleep"), (std::vector<std::string>{"50", "1000"}));
}

}  // namespace
