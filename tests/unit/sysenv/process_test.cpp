#include "sysenv/process.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/os.h"
#include "platform/sim/machine.h"
#include "sysenv/errors.h"

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

TEST(FileNameWithoutExtTest, CutsDirectoryAndLastExtension) {
  EXPECT_EQ(FileNameWithoutExt("C:\\Fonts\\font.ttf"), "font");
  EXPECT_EQ(FileNameWithoutExt("archive.tar.gz"), "archive.tar");
  EXPECT_EQ(FileNameWithoutExt("README"), "README");
  EXPECT_EQ(FileNameWithoutExt(".profile"), "");
  EXPECT_EQ(FileNameWithoutExt("C:\\dir.d\\file"), "file");
  EXPECT_EQ(FileNameWithoutExt("D:name.ext"), "name");
  EXPECT_EQ(FileNameWithoutExt("C:\\dir\\"), "");
  EXPECT_EQ(FileNameWithoutExt(""), "");
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
class RecordingFileType : public TFileType {
 public:
  RecordingFileType(std::string name, std::vector<std::string>& freed)
      : name_(std::move(name)), freed_(freed) {}
  ~RecordingFileType() override { freed_.push_back(name_); }

 private:
  std::string name_;
  std::vector<std::string>& freed_;
};

class FileTypeManagerTest : public ::testing::Test {
 protected:
  std::unique_ptr<TFileType> Object(const std::string& name) {
    return std::make_unique<RecordingFileType>(name, freed);
  }

  sim::Machine machine;
  std::vector<std::string> freed;
};

TEST_F(FileTypeManagerTest, FindsNamesWithoutRegardToCase) {
  TFileTypeManager manager;
  manager.Add("ttf");
  manager.Add(
      "\xC8"
      "e\x9Atina");  // Čeština
  EXPECT_EQ(manager.IndexOf("TTF"), 0);
  EXPECT_EQ(manager.IndexOf("\xE8"
                            "E\x8ATINA"),
            1);
  EXPECT_EQ(manager.IndexOf("fon"), -1);
}

TEST_F(FileTypeManagerTest, ClearFreesTheAttachedObjectsInOrder) {
  TFileTypeManager manager;
  manager.Add("a", Object("a"));
  manager.Add("none");
  manager.Add("b", Object("b"));
  manager.Clear();
  EXPECT_THAT(freed, ElementsAre("a", "b"));
  EXPECT_THAT(manager.FileTypes(), IsEmpty());
}

TEST_F(FileTypeManagerTest, GlobalCatalogueLivesFromStartUpToShutDown) {
  InitializeFileTypeManager();
  ASSERT_NE(FileTypeManager, nullptr);
  EXPECT_THAT(FileTypeManager->FileTypes(), IsEmpty());
  FileTypeManager->Add("x", Object("x"));
  FinalizeFileTypeManager();
  EXPECT_EQ(FileTypeManager, nullptr);
  EXPECT_THAT(freed, ElementsAre("x"));
}

}  // namespace
}  // namespace sanivo
