#include "app/unattended.h"

#include <gtest/gtest.h>

#include <functional>

#include "app/program.h"
#include "app/run_log.h"
#include "app_test_support.h"
#include "charset/charset.h"
#include "font_samples.h"
#include "sysenv/errors.h"
#include "tests/unit/pe/test_image.h"

namespace sanivo {
namespace {

using namespace sanivo::testing;

const std::string kLive = kNtvdm[0];
const std::string kLog = "C:\\protokoly\\sanivo.csv";
const std::string kLocalLog =
    "C:\\Documents and Settings\\All Users\\Application Data\\MOREK Sanivo\\protokol.csv";

// Windows XP before the repair, with a console of its own (as when started from Explorer, or by
// a script), where a failure would keep the page for 4 s.
void SetUpWindowsXP(sim::Machine& machine) {
  testing::SetUpWindowsXP(machine, test::BuildTestImage({.affinityMask = 0}), 2);
  machine.SetConsoleProcessCount(1);
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
      {"help", Nothing, " /?", 0, 4000},
      {"help, quiet", Nothing, " -tise --HELP", 0, 0},
      {"typo, quiet", Nothing, " -tise -zalha:C:\\zal\\", 2, 0},
      {"typo, logged", Nothing, " -protokol:C:\\s.csv /zaloha", 2, 4000},
      {"typo, as before", Nothing, " -zalha:C:\\zal\\", 0, 4000},
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
  EXPECT_EQ(machine.Listing(), files);  // not even the work directory

  machine.SetCommandLine("sanivo.exe");
  ASSERT_EQ(RunProgram(), 0);
  machine.SetCommandLine("sanivo.exe -kontrola");
  EXPECT_EQ(RunProgram(), 0);
  ExpectStatus(machine, "Oprava není potřeba", 0x1A);
}

// The record's fields come from the run; the unknown argument is named on the page and in it.
TEST(UnattendedRunTest, EachRunAppendsItsRecord) {
  sim::Machine machine;
  SetUpWindowsXP(machine);
  machine.SetComputerName("UCEBNA-03");
  machine.SetFileVersion("C:\\Program Files\\Morek\\sanivo.exe", 1, 2, 3, 4);
  machine.SetCommandLine("sanivo.exe -tise -zaloha:C:\\zal\\ -protokol:protokoly\\sanivo.csv");
  ASSERT_EQ(RunProgram(), 0);
  machine.SetCommandLine("sanivo.exe -kontrola -protokol:" + kLog + " /x /y");
  ASSERT_EQ(RunProgram(), 2);
  EXPECT_EQ(machine.Row(18, 10, 23), "Neznámý parametr: /x /y");
  EXPECT_EQ(machine.AttributeAt(10, 18), 0x1E);
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

  const std::string prefix =
      "2026-12-08 09:30:00;UCEBNA-03;user;Windows XP 5.1.2600 Service Pack 3;afinita;";
  EXPECT_EQ(machine.FileBytes(kLog),
            "\xEF\xBB\xBF" + std::string(kRunLogHeader) + "\r\n" + prefix +
                "opraveno;Úspěšně dokončeno;C:\\zal\\20261208.bak;;1.2.3.4\r\n" + prefix +
                "chyba;\"Neplatné parametry; Neznámý parametr: /x /y\";;;1.2.3.4\r\n" + prefix +
                "varovani;Úspěšně dokončeno;;;1.2.3.4\r\n" + prefix +
                "chyba;Nelze vytvořit dočasný adresář;;CreateDirectoryA: 5 " +
                SystemErrorText(os::kErrorAccessDenied) + ";1.2.3.4\r\n" + prefix + "chyba;\"" +
                report.substr(0, report.size() - 4) + "\";;;1.2.3.4\r\n");
}

// What each kind of run changes, shows at 15,7, logs and exits with. A machine that needs
// nothing keeps its system files (on XP read-only here, so a write open would fail and show)
// and its registry untouched under -tise, and gets no backup.
TEST(UnattendedRunTest, EachRunChangesOnlyWhatItMustAndSaysWhy) {
  struct Case {
    const char* what;
    std::function<void(sim::Machine&)> before;
    const char* arguments;
    int exitCode;
    bool systemChanged;
    const char* status;  // at 15,7
    std::uint16_t statusAttribute;
    const char* record;  // its repair, result, message, backup and cause
  };
  const auto readOnly = [](sim::Machine& m) {
    for (const std::string& path : kNtvdm) {
      if (m.HasFile(path)) m.SetReadOnly(path, true);
    }
  };
  const auto repaired = [&](sim::Machine& m) {
    ASSERT_EQ(RunProgram(), 0);
    readOnly(m);
  };
  const auto repairedWindows7 = [](sim::Machine& m) {
    SetUpWindows7(m);
    ASSERT_EQ(RunProgram(), 0);
  };
  const auto inUse = [](sim::Machine& m) {
    m.HoldOpen(kLive, os::kGenericRead, os::kFileShareRead);
  };
  const Case cases[] = {
      {"needed", Nothing, " -tise", 0, true, "Úspěšně dokončeno", 0x1A,
       "afinita;opraveno;Úspěšně dokončeno;C:\\zal\\20261208.bak;"},
      {"not needed", repaired, " -tise", 0, false, "Oprava není potřeba", 0x1A,
       "afinita;neni-potreba;Oprava není potřeba;;"},
      {"not needed, 7", repairedWindows7, " -tise", 0, false, "Oprava není potřeba", 0x1A,
       "font;neni-potreba;Oprava není potřeba;;"},
      {"in use", inUse, " -tise", 2, false, "Nejdříve vypněte všechny DOS aplikace", 0x1C,
       "afinita;chyba;Nejdříve vypněte všechny DOS aplikace;;CreateFileA: 32 The process cannot "
       "access "
       "the file because it is being used by another process"},
      {"check cannot decide", NtvdmMissing, " -kontrola", 2, false,
       "Soubor NTVDM.EXE nebyl nalezen", 0x1C,
       "afinita;chyba;Soubor NTVDM.EXE nebyl nalezen;;GetFileAttributesA: 2 The system cannot find "
       "the "
       "file specified"},
      {"nothing to take back", readOnly, " -kontrola -vratit", 0, false, "Není co vracet", 0x1A,
       "afinita;nic-k-vraceni;Není co vracet;;"},
      {"take-back check cannot decide, 7",
       [&](sim::Machine& m) {
         repairedWindows7(m);
         m.Fail("RegOpenKeyExA", std::string("HKEY_LOCAL_MACHINE\\") + kTrueTypeKey, 5);
       },
       " -kontrola -vratit", 2, false, "Nelze zjistit, co vrátit", 0x1C,
       "font;chyba;Nelze zjistit, co vrátit;;RegOpenKeyExA: 5 Access is denied"},
      {"typo", Nothing, " -tise -zalha:C:\\zal\\", 2, false, "Neplatné parametry", 0x1C,
       "afinita;chyba;\"Neplatné parametry; Neznámý parametr: -zalha:C:\\zal\\\";;"},
  };
  // The repairs write system files by copying or moving them into place.
  const auto writes = [](const sim::Machine& m) {
    return m.CallCount("RegSetValueExA") + m.CallCount("CopyFileA") + m.CallCount("MoveFileExA");
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    sim::Machine machine;
    SetUpWindowsXP(machine);
    c.before(machine);
    const int writesBefore = writes(machine);
    machine.SetCommandLine(std::string("sanivo.exe -zaloha:C:\\zal\\ -protokol:") + kLog +
                           c.arguments);
    EXPECT_EQ(RunProgram(), c.exitCode);
    EXPECT_EQ(writes(machine) != writesBefore, c.systemChanged);
    EXPECT_EQ(machine.HasFile("C:\\zal\\20261208.bak"), c.systemChanged);
    ExpectStatus(machine, c.status, c.statusAttribute);
    const std::string log = machine.FileBytes(kLog);
    const std::string expected = std::string(";") + c.record + ";0.0.0.0\r\n";
    EXPECT_TRUE(log.ends_with(expected)) << log;
  }
}

// Each switch's line and example stand on the page whole, none wrapped into the next row; the
// per-user program shows only its own.
TEST(UnattendedRunTest, HelpShowsEverySwitchWithAnExampleAndChangesNothing) {
  const struct {
    int (*program)();
    const char* commandLine;
    const TSwitchTable& switches;
  } programs[] = {{RunProgram, "sanivo.exe /?", ProgramSwitches()},
                  {RunUserProgram, "sanivo-uzivatel.exe -?", UserProgramSwitches()}};
  for (const auto& program : programs) {
    sim::Machine machine;
    SetUpWindowsXP(machine);
    machine.SetCommandLine(program.commandLine);
    const auto files = machine.Listing();
    ASSERT_EQ(program.program(), 0);
    EXPECT_EQ(machine.Listing(), files);  // not even the work directory
    const std::string page = machine.ScreenText();
    const auto shown = [](std::string_view text) {
      return ConvertCharset(std::string(text), ciWindows1250, ciUTF8);
    };
    EXPECT_NE(page.find(shown(program.switches.HelpHeading)), std::string::npos);
    for (const TSwitch& entry : program.switches.Rows) {
      for (std::string_view text : {entry.Usage, entry.Meaning, entry.Example}) {
        EXPECT_NE(page.find(shown(text)), std::string::npos) << shown(text);
      }
    }
    EXPECT_EQ(page.find("-zaloha") == std::string::npos, program.program == RunUserProgram);
  }
}

// The shared log is held past the patience, then unreachable: the records wait on this
// machine, and the next run that reaches the log moves them first, in order. A run stopped
// after the move but before the local log was gone moves nothing twice, and a record that is
// the same as one already there (one machine, one second) is moved all the same.
TEST(UnattendedRunTest, RecordsThatCannotReachTheSharedLogWaitOnThisMachine) {
  sim::Machine machine;
  SetUpWindowsXP(machine);
  machine.SetVersion(2, 10, 0);
  // A log of the previous release keeps its header; new records carry the two fields more.
  const std::string oldLog =
      "\xEF\xBB\xBF"
      "cas;pocitac;uzivatel;windows;oprava;vysledek;zprava;zaloha\r\n";
  machine.AddFile(kLog, oldLog);
  const auto runAt = [&](int hour) {
    machine.SetLocalTimeOfDay(hour, 0, 0);
    machine.SetCommandLine("sanivo.exe -tise -protokol:" + kLog);
    EXPECT_EQ(RunProgram(), 0);
  };
  runAt(7);
  const os::Handle holder = machine.HoldOpenElsewhere(kLog);
  machine.HoldLock(holder, 0, 0xFFFFFFFFu);
  runAt(7);
  EXPECT_EQ(machine.TotalSleep(), kRunLogPatienceMs);
  EXPECT_EQ(machine.Row(16, 10, 53), "Protokol nelze zapsat, záznam čeká na tomto počítači:");
  EXPECT_EQ(machine.AttributeAt(10, 16), 0x1E);
  EXPECT_EQ(machine.Row(17, 80 - static_cast<int>(kLocalLog.size())), kLocalLog);  // to fit
  machine.Release(holder);
  machine.Fail("CreateFileA", kLog, 53 /* ERROR_BAD_NETPATH */, 1);
  runAt(8);
  const std::string shared = machine.FileBytes(kLog);
  machine.Fail("DeleteFileA", kLocalLog + ".presun", os::kErrorAccessDenied, 1);  // stopped
  runAt(9);
  runAt(10);
  EXPECT_FALSE(machine.HasFile(kLocalLog) || machine.HasFile(kLocalLog + ".presun"));
  const std::string log = machine.FileBytes(kLog);
  EXPECT_TRUE(log.starts_with(shared));
  std::vector<std::string> times;
  for (std::size_t at = log.find("\r\n2026"); at != std::string::npos;
       at = log.find("\r\n2026", at + 1)) {
    times.push_back(log.substr(at + 13, 8));
  }
  EXPECT_EQ(times,
            (std::vector<std::string>{"07:00:00", "07:00:00", "08:00:00", "09:00:00", "10:00:00"}));
}

// Four hundred unknown arguments, or one very long, stay on their row; the log has them all.
TEST(UnattendedRunTest, UnknownArgumentsLineIsCutAtTheRowsEnd) {
  sim::Machine machine;
  SetUpWindowsXP(machine);
  const std::string argument = "/" + Repeat("a", 100);
  machine.SetCommandLine("sanivo.exe -tise -protokol:" + kLog + " " + argument);
  ASSERT_EQ(RunProgram(), 2);
  EXPECT_EQ(machine.Row(18), "          Neznámý parametr: /" + Repeat("a", 48) + "...");
  EXPECT_EQ(machine.Row(19), Repeat(" ", 80));
  EXPECT_NE(machine.FileBytes(kLog).find(argument + "\""), std::string::npos);
}

// A log that cannot be written anywhere, or a file that is no log of ours (the live file, the
// backup), is shown and left byte for byte; the repair and its exit code are as without the
// log, and the check writes nothing at all.
TEST(UnattendedRunTest, LogThatCannotBeWrittenAnywhereIsShownAndChangesNothingElse) {
  const std::string backup = "C:\\zal\\20261208.bak";
  for (const std::string& path :
       {kLog, std::string("C:\\NUL"), std::string("C:\\protokoly\\"), kLive, backup}) {
    SCOPED_TRACE(path);
    sim::Machine machine;
    SetUpWindowsXP(machine);
    const std::string original = machine.FileBytes(kLive);
    machine.Fail("CreateFileA", kLog, os::kErrorAccessDenied);
    machine.Fail("CreateFileA", kLocalLog, os::kErrorAccessDenied);
    machine.SetCommandLine("sanivo.exe -tise -zaloha:C:\\zal\\ -protokol:" + path);
    EXPECT_EQ(RunProgram(), 0);
    ExpectStatus(machine, "Úspěšně dokončeno", 0x1A);
    EXPECT_EQ(machine.Row(16, 10, 21), "Nelze zapsat protokol");
    EXPECT_EQ(machine.AttributeAt(10, 16), 0x1E);
    EXPECT_EQ(machine.Row(17, 10, static_cast<int>(path.size())), path);
    EXPECT_EQ(machine.AttributeAt(10, 17), 0x17);
    EXPECT_EQ(machine.FileBytes(kLive), machine.FileBytes(kNtvdm[1]));
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

// One reading of the command line gives the options and, as written, the arguments that none
// of the switches takes.
TEST(SwitchesTest, ArgumentsNoSwitchTakesAreUnusedAsWritten) {
  const sim::Machine machine;  // the locale's case-insensitive comparison
  using Arguments = std::vector<std::string>;
  const std::pair<std::string, Arguments> cases[] = {
      {"", {}},
      {" -zaloha:C:\\zal\\ -TISE -Kontrola -protokol:Z:\\s.csv -zaloha:D:\\ /? -H", {}},
      {" \"-zaloha:C:\\Program Files\\zal\\\"", {}},
      {" /zaloha:C:\\zal\\ ?", {"/zaloha:C:\\zal\\", "?"}},
      {" -zaloha=C:\\zal\\ --zaloha:C:\\zal\\", {"-zaloha=C:\\zal\\", "--zaloha:C:\\zal\\"}},
      {" -tise -zalha:C:\\zal\\ zaloha", {"-zalha:C:\\zal\\", "zaloha"}},
      {" \"with blank\" - -:x", {"with blank", "-", "-:x"}},
  };
  for (const auto& [tail, unused] : cases) {
    EXPECT_EQ(ReadRunOptions(TParamParser("sanivo.exe" + tail), ProgramSwitches()).UnusedArguments,
              unused)
        << tail;
  }
  const TRunOptions options = ReadRunOptions(
      TParamParser("sanivo.exe -ZALOHA:C:\\a\\ -zaloha:D:\\ -protokol: --help"), ProgramSwitches());
  EXPECT_EQ(options.BackupParam, "C:\\a\\");
  EXPECT_EQ(options.LogPath, "");
  EXPECT_TRUE(options.Help);
  EXPECT_FALSE(options.Quiet || options.CheckOnly);
  // A user has no NTVDM.EXE to back up or to restore.
  const TRunOptions user = ReadRunOptions(
      TParamParser("sanivo-uzivatel.exe -zaloha:C:\\zal\\ -vratit:C:\\n.bak -Vratit -kontrola"),
      UserProgramSwitches());
  EXPECT_EQ(user.UnusedArguments, Arguments({"-zaloha:C:\\zal\\", "-vratit:C:\\n.bak"}));
  EXPECT_EQ(user.TakeBack, "");
  EXPECT_TRUE(user.CheckOnly);
}

}  // namespace
}  // namespace sanivo
