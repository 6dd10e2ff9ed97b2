#include "sysenv/process.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/os.h"
#include "sysenv/errors.h"
#include "tests/sim/machine.h"

namespace sanivo {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

const std::string kTool = "C:\\Program Files\\Morek\\IMAGECFG.EXE";
const std::string kWorkDir = "C:\\DOCUME~1\\user\\LOCALS~1\\Temp\\Morek-Sanivo";

class ExecuteAndWaitTest : public ::testing::Test {
 protected:
  void AddTool(int waitsBeforeExit, bool noProcessHandle = false) {
    sim::Program program;
    program.waitsBeforeExit = waitsBeforeExit;
    program.noProcessHandle = noProcessHandle;
    program.onStart = [this](const std::string& parameters, const std::string& directory) {
      startedWith.push_back(parameters + "|" + directory);
    };
    machine.AddProgram(kTool, program);
  }

  int Waits() const { return machine.CallCount("WaitForSingleObject"); }

  sim::Machine machine;
  std::vector<std::string> startedWith;
};

TEST_F(ExecuteAndWaitTest, AsksTheShellToOpenTheFileWithTheGivenArguments) {
  AddTool(0);
  EXPECT_TRUE(ExecuteAndWait(kTool, "-a 0x1 ntvdm.exe", kWorkDir, os::kSwShow, 0));
  ASSERT_EQ(machine.Launches().size(), 1u);
  const sim::Launch launch = machine.Launches()[0];
  EXPECT_EQ(launch.via, "ShellExecuteExA");
  EXPECT_EQ(launch.size, 60u);
  EXPECT_EQ(launch.mask, 0x140u);
  EXPECT_EQ(launch.verb, "open");
  EXPECT_EQ(launch.file, kTool);
  EXPECT_EQ(launch.parameters, "-a 0x1 ntvdm.exe");
  EXPECT_EQ(launch.directory, kWorkDir);
  EXPECT_EQ(launch.show, os::kSwShow);
  EXPECT_THAT(startedWith, ElementsAre("-a 0x1 ntvdm.exe|" + kWorkDir));
  EXPECT_EQ(machine.CallCount("GetActiveWindow"), 1);
}

TEST_F(ExecuteAndWaitTest, WithoutLimitWaitsUntilTheProgramHasEnded) {
  AddTool(7);
  EXPECT_TRUE(ExecuteAndWait(kTool, "", kWorkDir, os::kSwShow, 0));
  EXPECT_EQ(Waits(), 8);
  EXPECT_EQ(machine.TotalSleep(), 7u * 50u);
  EXPECT_THAT(machine.CallsTo("WaitForSingleObject"), ::testing::Each(::testing::EndsWith(",50")));
  EXPECT_EQ(machine.OpenHandleCount(), 0);
}

TEST(ExecuteAndWaitLimitTest, GivesUpAfterTheLimitCountedInSleeps) {
  struct Case {
    std::uint32_t limit;
    int waits;
    std::uint32_t slept;
  };
  // floor(limit / 50) + 1 sleeps, one wait more than sleeps.
  for (const Case c : {Case{1, 2, 50}, Case{100, 4, 150}, Case{149, 4, 150}, Case{150, 5, 200}}) {
    sim::Machine machine;
    sim::Program endless;
    endless.waitsBeforeExit = -1;
    machine.AddProgram(kTool, endless);
    EXPECT_TRUE(ExecuteAndWait(kTool, "", kWorkDir, os::kSwShow, c.limit)) << c.limit;
    EXPECT_EQ(machine.CallCount("WaitForSingleObject"), c.waits) << c.limit;
    EXPECT_EQ(machine.TotalSleep(), c.slept) << c.limit;
    EXPECT_EQ(machine.OpenHandleCount(), 0) << c.limit;
  }
}

TEST_F(ExecuteAndWaitTest, ProgramEndingBeforeTheLimitEndsTheWait) {
  AddTool(2);
  EXPECT_TRUE(ExecuteAndWait(kTool, "", kWorkDir, os::kSwShow, 100));
  EXPECT_EQ(Waits(), 3);
  EXPECT_EQ(machine.TotalSleep(), 100u);
}

TEST_F(ExecuteAndWaitTest, ShellWithoutProcessHandleReturnsAtOnce) {
  AddTool(-1, /*noProcessHandle=*/true);
  EXPECT_TRUE(ExecuteAndWait(kTool, "", kWorkDir, os::kSwShow, 0));
  EXPECT_EQ(Waits(), 0);
  EXPECT_EQ(machine.TotalSleep(), 0u);
  EXPECT_THAT(machine.CallsTo("CloseHandle"), IsEmpty());
  EXPECT_EQ(startedWith.size(), 1u);
}

TEST_F(ExecuteAndWaitTest, MissingFileRaisesTheSystemErrorText) {
  try {
    ExecuteAndWait("C:\\nowhere\\IMAGECFG.EXE", "", kWorkDir, os::kSwShow, 0);
    FAIL() << "no exception";
  } catch (const Exception& error) {
    EXPECT_STREQ(error.ClassName(), "Exception");
    EXPECT_EQ(error.Message(), "The system cannot find the file specified");
  }
  EXPECT_EQ(Waits(), 0);
}

TEST_F(ExecuteAndWaitTest, ShellFailureRaisesItsErrorText) {
  AddTool(0);
  machine.Fail("ShellExecuteExA", kTool, os::kErrorAccessDenied);
  try {
    ExecuteAndWait(kTool, "", kWorkDir, os::kSwShow, 0);
    FAIL() << "no exception";
  } catch (const Exception& error) {
    EXPECT_EQ(error.Message(), "Access is denied");
  }
  EXPECT_THAT(startedWith, IsEmpty());
}

}  // namespace
}  // namespace sanivo
