#include "app/main_body.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>
#include <functional>

#include "app/program.h"
#include "app/texts.h"
#include "app_test_support.h"

namespace sanivo {
namespace {

using ::testing::ElementsAre;
using namespace sanivo::testing;

class NoRepairNeededTest : public ::testing::TestWithParam<std::pair<int, int>> {};

TEST_P(NoRepairNeededTest, PaintsThePageSaysSoAndOnlyCreatesTheWorkDirectory) {
  sim::Machine machine;
  machine.SetVersion(2, GetParam().first, GetParam().second);
  const auto filesBefore = machine.Listing();
  const auto registryBefore = machine.RegistryDump();

  EXPECT_EQ(RunProgram(), 0);

  EXPECT_EQ(machine.Row(6, 10, 38), "tento systém nepotřebuje nijak opravit");
  EXPECT_EQ(machine.AttributeAt(10, 6), 0x1F);
  EXPECT_EQ(machine.TotalSleep(), 4000u);
  auto filesAfter = filesBefore;
  filesAfter.push_back(std::string(kWorkDir) + "\\");
  std::sort(filesAfter.begin(), filesAfter.end(), [](std::string a, std::string b) {
    for (auto* s : {&a, &b})
      for (char& c : *s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return a < b;
  });
  EXPECT_EQ(machine.Listing(), filesAfter);
  EXPECT_EQ(machine.RegistryDump(), registryBefore);
}

// Windows 2000, Vista, 8 and 10 among the NT versions that need nothing.
INSTANTIATE_TEST_SUITE_P(Versions, NoRepairNeededTest,
                         ::testing::Values(std::pair{5, 0}, std::pair{6, 0}, std::pair{6, 2},
                                           std::pair{10, 0}, std::pair{3, 51}, std::pair{5, 2}));

TEST(MainScreen, PageLayoutColoursAndTitle) {
  sim::Machine machine;
  machine.SetVersion(2, 10, 0);
  machine.AddDirectory(kWorkDir);  // an existing work directory is fine
  ASSERT_EQ(RunProgram(), 0);

  EXPECT_EQ(machine.Row(2, 5, 70),
            "╔══" + std::string(" MOREK Sanivo - oprava chyb v operačních systémech ") +
                Repeat("═", 15) + "╗");
  EXPECT_EQ(machine.Row(4, 5, 70), "║  Program nyní provede následující úpravy operačního sytému:" +
                                       std::string(8, ' ') + "║");
  EXPECT_EQ(machine.Row(9, 5, 70), "╚" + Repeat("═", 68) + "╝");
  EXPECT_EQ(machine.AttributeAt(5, 2), 0x1E);  // frame in yellow
  EXPECT_EQ(machine.AttributeAt(8, 2), 0x17);  // caption in silver
  EXPECT_EQ(machine.AttributeAt(58, 2), 0x17);
  EXPECT_EQ(machine.AttributeAt(59, 2), 0x1E);  // frame again after the caption
  EXPECT_EQ(machine.AttributeAt(8, 4), 0x1E);   // introduction in yellow
  EXPECT_EQ(machine.AttributeAt(0, 24), 0x1F);  // cleared to white on navy
  EXPECT_EQ(machine.Title(),
            "MOREK Sanivo - oprava chyb v opera\x9F"
            "n\xA1"
            "ch syst\x82"
            "mech");
  EXPECT_THAT(machine.CallsTo("SetConsoleTextAttribute"),
              ElementsAre("0x1F", "0x1F", "0x1E", "0x17", "0x1F"));
}

TEST(MainScreen, DirectoriesAreFormedWithoutDoubledOrTrailingBackslashes) {
  sim::Machine machine;
  machine.SetVersion(2, 10, 0);
  machine.SetTempPath("D:\\Tmp");
  machine.SetWindowsDirectory("C:\\");
  machine.SetSystemDirectory("C:\\WINNT\\system32\\");
  ASSERT_EQ(RunProgram(), 0);
  EXPECT_TRUE(machine.HasDirectory("D:\\Tmp\\Morek-Sanivo"));
}

// What keeps the work directory from being made, and how many processes share the console:
// the message stays for the final pause only where the console closes with the program.
struct WorkDirBlock {
  const char* what;
  std::function<void(sim::Machine&)> block;
  std::uint32_t consoleProcesses;
  std::uint32_t pause;
  std::string workDir = kWorkDir;
};

void PrintTo(const WorkDirBlock& block, std::ostream* os) { *os << block.what; }

class WorkDirectoryFailureTest : public ::testing::TestWithParam<WorkDirBlock> {};

TEST_P(WorkDirectoryFailureTest, IsShownInRedWithThePathAndNoRepairRuns) {
  sim::Machine machine;
  machine.SetVersion(2, 6, 1);  // Windows 7: the font repair would copy the font first
  machine.AddFile(std::string(kAppDir) + "mrk_lccs.ttf", "font");
  machine.SetConsoleProcessCount(GetParam().consoleProcesses);
  GetParam().block(machine);
  EXPECT_EQ(RunProgram(), 0);
  EXPECT_EQ(machine.Row(13, 10, 30), "Nelze vytvořit dočasný adresář");
  EXPECT_EQ(machine.AttributeAt(10, 13), 0x1C);
  const std::string& workDir = GetParam().workDir;
  EXPECT_EQ(machine.Row(14, 10, static_cast<int>(workDir.size())), workDir);
  EXPECT_EQ(machine.AttributeAt(10, 14), 0x17);
  EXPECT_EQ(machine.Row(6, 6, 68), std::string(68, ' '));  // no repair ran
  EXPECT_FALSE(machine.HasFile("C:\\WINDOWS\\Fonts\\mrk_lccs.ttf"));
  EXPECT_EQ(machine.TotalSleep(), GetParam().pause);
}

const auto kRefused = [](sim::Machine& m) {
  m.Fail("CreateDirectoryA", kWorkDir, os::kErrorAccessDenied);
};
const auto kFileInTheWay = [](sim::Machine& m) { m.AddFile(kWorkDir, "not a directory"); };
const auto kFileAsParent = [](sim::Machine& m) {
  m.SetTempPath("C:\\Data\\Temp\\");
  os::RemoveDirectoryA("C:\\Data\\Temp");
  m.AddFile("C:\\Data\\Temp", "not a directory");
};

INSTANTIATE_TEST_SUITE_P(
    Causes, WorkDirectoryFailureTest,
    ::testing::Values(WorkDirBlock{"refused, console shared with cmd", kRefused, 2, 0},
                      WorkDirBlock{"refused, console of its own", kRefused, 1, kFinalPauseMs},
                      WorkDirBlock{"refused, no console", kRefused, 0, 0},
                      WorkDirBlock{"file of that name", kFileInTheWay, 1, kFinalPauseMs},
                      WorkDirBlock{"file as a parent", kFileAsParent, 2, 0,
                                   "C:\\Data\\Temp\\Morek-Sanivo"}));

TEST(Texts, AreHeldAsWindows1250Bytes) {
  EXPECT_EQ(texts::kNothingToRepair,
            "tento syst\xE9m nepot\xF8"
            "ebuje nijak opravit");
  EXPECT_EQ(texts::kSuccess,
            "\xDAsp\xEC\x9An\xEC dokon\xE8"
            "eno");
  EXPECT_EQ(texts::kFontValueName,
            "Lucida Console CS Oby\xE8"
            "ejn\xE9 (TrueType)");
}

}  // namespace
}  // namespace sanivo
