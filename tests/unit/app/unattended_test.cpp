#include "app/unattended.h"

#include <gtest/gtest.h>

#include <functional>

#include "app/program.h"
#include "app/run_log.h"
#include "app_test_support.h"
#include "cmdline/command_line.h"
#include "tests/unit/pe/test_image.h"
#include "tools/imagecfg/imagecfg.h"

namespace sanivo {
namespace {

using namespace sanivo::testing;

const std::string kLive = "C:\\WINDOWS\\system32\\NTVDM.EXE";
const std::string kCachedCopy = "C:\\WINDOWS\\system32\\dllcache\\NTVDM.EXE";
const std::string kLog = "C:\\protokoly\\sanivo.csv";

// Windows XP before the repair, with our tool beside the program and a console of its own (as
// when started from Explorer, or by a script), where a failure would keep the page for 4 s.
void SetUpWindowsXP(sim::Machine& machine) {
  machine.SetVersion(2, 5, 1, "Service Pack 3");
  machine.SetConsoleProcessCount(1);
  const std::string image = test::BuildTestImage({.affinityMask = 0});
  for (const std::string& path : {kLive, kCachedCopy}) machine.AddFile(path, image);
  sim::Program tool;
  tool.onStart = [](const std::string& parameters, const std::string&) {
    RunImagecfg(CommandLineArguments("IMAGECFG.EXE " + parameters));
  };
  machine.AddProgram(std::string(kAppDir) + "IMAGECFG.EXE", tool);
}

struct TRun {
  const char* what;
  std::function<void(sim::Machine&)> before;
  const char* arguments;
  int exitCode;
  std::uint32_t pause;
};

void Nothing(sim::Machine&) {}
void Repaired(sim::Machine&) { ASSERT_EQ(RunProgram(), 0); }
void NtvdmMissing(sim::Machine&) { os::DeleteFileA(kLive); }
void ToolCannotStart(sim::Machine& m) { m.Fail("ShellExecuteExA", "", os::kErrorAccessDenied); }
void OtherWindows(sim::Machine& m) { m.SetVersion(2, 10, 0); }
void NoWorkDir(sim::Machine& m) { m.Fail("CreateDirectoryA", kWorkDir, os::kErrorAccessDenied); }

TEST(UnattendedRunTest, ExitCodeAndPauseTellWhatHappened) {
  const TRun runs[] = {
      {"repaired", Nothing, "", 0, 4000},
      {"repaired, quiet", Nothing, " -tise", 0, 0},
      {"backup warning", Nothing, " -zaloha: -TISE", 3, 1000},
      {"backup warning, as before", Nothing, " -zaloha:", 0, 5000},
      {"repair failed", NtvdmMissing, " -tise", 2, 0},
      {"repair failed, as before", NtvdmMissing, "", 0, 4000},
      {"work directory failed", NoWorkDir, " -tise", 2, 0},
      {"nothing to repair", OtherWindows, " -tise", 0, 0},
      {"check: needed", Nothing, " -kontrola", 4, 4000},
      {"check: not needed", Repaired, " -kontrola -tise", 0, 0},
      {"check: cannot decide", NtvdmMissing, " -kontrola -tise", 2, 0},
      {"check on another Windows", OtherWindows, " -kontrola -tise", 0, 0},
      {"taken back", Repaired, " -vratit -tise", 0, 0},
      {"nothing to take back", Nothing, " -vratit -tise", 0, 0},
      {"take back failed", NtvdmMissing, " -vratit -tise", 2, 0},
      {"take back failed, as before", NtvdmMissing, " -vratit", 0, 4000},
      {"check: can take back", Repaired, " -kontrola -vratit", 4, 4000},
      {"check: nothing to take back", Nothing, " -vratit -kontrola -tise", 0, 0},
      {"top-level error, quiet", ToolCannotStart, " -tise", 1, 0},
      {"top-level error", ToolCannotStart, "", 1, 4000},
  };
  for (const TRun& run : runs) {
    SCOPED_TRACE(run.what);
    sim::Machine machine;
    SetUpWindowsXP(machine);
    run.before(machine);
    machine.SetCommandLine(std::string("sanivo.exe") + run.arguments);
    const std::uint32_t slept = machine.TotalSleep();
    EXPECT_EQ(RunProgram(), run.exitCode);
    EXPECT_EQ(machine.TotalSleep() - slept, run.pause);
  }
}

TEST(UnattendedRunTest, CheckShowsItsFindingAndChangesNothingWhateverTheBackupSays) {
  sim::Machine machine;
  SetUpWindowsXP(machine);
  machine.SetCommandLine("sanivo.exe -kontrola -zaloha:C:\\zal\\");
  const auto files = machine.Listing();
  EXPECT_EQ(RunProgram(), 4);
  EXPECT_EQ(machine.Row(6, 10, 49), "- oprava problému s vícejádrovými procesory . . .");
  ExpectStatus(machine, "Oprava je potřeba", 0x1E);
  EXPECT_EQ(machine.Listing(), files);

  machine.SetCommandLine("sanivo.exe");
  ASSERT_EQ(RunProgram(), 0);
  machine.SetCommandLine("sanivo.exe -kontrola");
  EXPECT_EQ(RunProgram(), 0);
  ExpectStatus(machine, "Oprava není potřeba", 0x1A);
}

// The record's fields come from the run; the unknown arguments are named on the page and in it.
TEST(UnattendedRunTest, EachRunAppendsItsRecord) {
  sim::Machine machine;
  SetUpWindowsXP(machine);
  machine.SetComputerName("UCEBNA-03");
  machine.SetCommandLine(
      "sanivo.exe -tise -zaloha:C:\\zal\\ -protokol:protokoly\\sanivo.csv /x /y");
  ASSERT_EQ(RunProgram(), 0);
  EXPECT_EQ(machine.Row(18, 10, 23), "Neznámý parametr: /x /y");
  EXPECT_EQ(machine.AttributeAt(10, 18), 0x1E);

  machine.SetCommandLine("sanivo.exe -kontrola -protokol:" + kLog);
  ASSERT_EQ(RunProgram(), 0);
  machine.SetCommandLine("sanivo.exe -zaloha: -protokol:" + kLog);
  ASSERT_EQ(RunProgram(), 0);
  machine.Fail("CreateDirectoryA", kWorkDir, os::kErrorAccessDenied, 1);
  os::RemoveDirectoryA(kWorkDir);
  ASSERT_EQ(RunProgram(), 0);
  machine.Fail("ShellExecuteExA", "", os::kErrorAccessDenied);
  os::DeleteFileA(kLive);
  machine.AddFile(kLive, test::BuildTestImage({.affinityMask = 0}));
  machine.SetCommandLine("sanivo.exe -protokol:" + kLog);
  ASSERT_EQ(RunProgram(), 1);
  const std::string report = machine.Stderr();

  const std::string prefix = "2026-12-08 09:30:00;UCEBNA-03;user;5.1.2600 Service Pack 3;afinita;";
  EXPECT_EQ(
      machine.FileBytes(kLog),
      "\xEF\xBB\xBF" + std::string(kRunLogHeader) + "\r\n" + prefix +
          "opraveno;\"Úspěšně dokončeno; Neznámý parametr: /x /y\";C:\\zal\\20261208.bak\r\n" +
          prefix + "neni-potreba;Oprava není potřeba;\r\n" + prefix +
          "varovani;Úspěšně dokončeno;\r\n" + prefix + "chyba;Nelze vytvořit dočasný adresář;\r\n" +
          prefix + "chyba;\"" + report.substr(0, report.size() - 4) + "\";\r\n");
}

// Four hundred unknown arguments, or one very long, stay on their row; the log has them all.
TEST(UnattendedRunTest, UnknownArgumentsLineIsCutAtTheRowsEnd) {
  sim::Machine machine;
  SetUpWindowsXP(machine);
  const std::string argument = "/" + Repeat("a", 100);
  machine.SetCommandLine("sanivo.exe -tise -protokol:" + kLog + " " + argument);
  ASSERT_EQ(RunProgram(), 0);
  EXPECT_EQ(machine.Row(18), "          Neznámý parametr: /" + Repeat("a", 48) + "...");
  EXPECT_EQ(machine.Row(19), Repeat(" ", 80));
  EXPECT_NE(machine.FileBytes(kLog).find(argument + "\""), std::string::npos);
}

// A log that cannot be written, or a file that is no log of ours (the live file, the backup),
// is shown and left byte for byte; the repair and its exit code are as without the log, and
// the check writes nothing at all.
TEST(UnattendedRunTest, LogThatCannotBeWrittenIsShownAndChangesNothingElse) {
  const std::string backup = "C:\\zal\\20261208.bak";
  for (const std::string& path :
       {kLog, std::string("C:\\NUL"), std::string("C:\\protokoly\\"), kLive, backup}) {
    SCOPED_TRACE(path);
    sim::Machine machine;
    SetUpWindowsXP(machine);
    const std::string original = machine.FileBytes(kLive);
    machine.Fail("CreateFileA", kLog, os::kErrorAccessDenied);
    machine.SetCommandLine("sanivo.exe -tise -zaloha:C:\\zal\\ -protokol:" + path);
    EXPECT_EQ(RunProgram(), 0);
    ExpectStatus(machine, "Úspěšně dokončeno", 0x1A);
    EXPECT_EQ(machine.Row(16, 10, 21), "Nelze zapsat protokol");
    EXPECT_EQ(machine.AttributeAt(10, 16), 0x1E);
    EXPECT_EQ(machine.Row(17, 10, static_cast<int>(path.size())), path);
    EXPECT_EQ(machine.AttributeAt(10, 17), 0x17);
    EXPECT_EQ(machine.FileBytes(kLive), machine.FileBytes(kCachedCopy));
    EXPECT_EQ(machine.FileBytes(backup), original);
    EXPECT_EQ(machine.HasDirectory("C:\\protokoly"), path == kLog);

    machine.AddFile(kLive, original);
    const auto files = machine.Listing();
    machine.SetCommandLine("sanivo.exe -kontrola -protokol:" + path);
    EXPECT_EQ(RunProgram(), 4);
    EXPECT_EQ(machine.FileBytes(kLive), original);
    EXPECT_EQ(machine.Listing(), files);
  }
}

// One run at a time: a run waits up to two minutes for another, a killed one leaves its turn
// free, and a run that cannot take its turn fails with its own text, the check too.
TEST(UnattendedRunTest, RunsOnOneMachineTakeTurns) {
  const char* const kMutex = "Global\\MOREK-Sanivo";
  const struct {
    const char* what;
    std::function<void(sim::Machine&)> otherRun;
    const char* arguments;
    int exitCode;
    std::uint32_t slept;
  } cases[] = {
      {"ends while we wait", [=](sim::Machine& m) { m.HoldMutex(kMutex, 1); }, "", 0, 0},
      {"was killed", [=](sim::Machine& m) { m.HoldMutex(kMutex, 0, true); }, "", 0, 0},
      {"goes on", [=](sim::Machine& m) { m.HoldMutex(kMutex, -1); }, "", 2, 0},
      {"goes on, check", [=](sim::Machine& m) { m.HoldMutex(kMutex, -1); }, " -kontrola", 2, 0},
      {"refuses us, then ends",
       [=](sim::Machine& m) {
         m.DenyMutex(kMutex);
         m.OnSleep([&m, kMutex](std::uint32_t) {
           EXPECT_EQ(m.Row(20, 10, 42), "Čeká se, až skončí jiný běh programu . . .");
           m.AllowMutex(kMutex);
         });
       },
       "", 0, 1000},
      {"refuses us", [=](sim::Machine& m) { m.DenyMutex(kMutex); }, "", 2, 120000},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    sim::Machine machine;
    SetUpWindowsXP(machine);
    const std::string before = machine.FileBytes(kLive);
    c.otherRun(machine);
    machine.SetCommandLine(std::string("sanivo.exe -tise") + c.arguments);
    EXPECT_EQ(RunProgram(), c.exitCode);
    EXPECT_EQ(machine.TotalSleep(), c.slept);
    EXPECT_EQ(machine.Row(20), Repeat(" ", 80));
    EXPECT_FALSE(machine.OwnsMutex(kMutex));
    if (c.exitCode == 0) continue;
    ExpectStatus(machine, "Jiný běh programu neskončil do dvou minut", 0x1C);
    EXPECT_EQ(machine.FileBytes(kLive), before);
  }
}

}  // namespace
}  // namespace sanivo
