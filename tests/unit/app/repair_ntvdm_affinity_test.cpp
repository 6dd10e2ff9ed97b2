#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "app/program.h"
#include "app_test_support.h"
#include "cmdline/command_line.h"
#include "pe/pe_image.h"
#include "sysenv/file_access.h"
#include "tests/unit/pe/test_image.h"
#include "tools/imagecfg/imagecfg.h"

namespace sanivo {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using namespace sanivo::testing;

const std::string& kLive = kNtvdm[0];
const std::string& kDllCache = kNtvdm[1];
const std::string& kServicePack = kNtvdm[2];
const std::string kWorkCopy = std::string(kWorkDir) + "\\ntvdm.exe";
const std::string kTool = std::string(kAppDir) + "IMAGECFG.EXE";
// What the system reports for a name that does not fit the ANSI calls' MAX_PATH.
constexpr std::uint32_t kErrorFilenameExcedRange = 206;

std::uint64_t MaskOf(const std::string& bytes) { return TPeImage(bytes).AffinityMask(); }

// The file named in the tool's quoted last parameter.
std::string ToolTarget(const std::string& parameters) {
  const std::size_t open = parameters.find('"');
  return parameters.substr(open + 1, parameters.rfind('"') - open - 1);
}

class NtvdmAffinityRepairTest : public ::testing::Test {
 protected:
  NtvdmAffinityRepairTest() : original(test::BuildTestImage({.affinityMask = 0})) {
    SetUpWindowsXP(machine, original);
    // A tool that takes a moment, as a real one does.
    InstallTool([](const std::string& parameters) {
      RunImagecfg(CommandLineArguments("IMAGECFG.EXE " + parameters));
    });
  }

  void InstallTool(std::function<void(const std::string&)> effect) {
    sim::Program tool;
    tool.onStart = [effect](const std::string& parameters, const std::string&) {
      effect(parameters);
    };
    tool.waitsBeforeExit = 2;
    machine.AddProgram(kTool, tool);
  }

  void ExpectStatus(const std::string& text, std::uint16_t attribute) const {
    testing::ExpectStatus(machine, text, attribute);
  }
  void ExpectSystemUnchanged() const {
    EXPECT_EQ(machine.FileBytes(kLive), original);
    EXPECT_EQ(machine.FileBytes(kDllCache), original);
    EXPECT_EQ(machine.FileBytes(kServicePack), original);
  }

  sim::Machine machine;
  const std::string original;
};

TEST_F(NtvdmAffinityRepairTest, PatchesTheLiveFileAndBothCachedCopies) {
  ASSERT_EQ(RunProgram(), 0);

  EXPECT_EQ(machine.Row(6, 10, 49), "- oprava problému s vícejádrovými procesory . . .");
  ExpectStatus("Úspěšně dokončeno", 0x1A);
  for (const std::string& path : kNtvdm) {
    EXPECT_EQ(MaskOf(machine.FileBytes(path)), 1u) << path;
  }
  const TPeImage live(machine.FileBytes(kLive));
  EXPECT_EQ(live.Checksum(), live.ComputeChecksum());
  EXPECT_FALSE(machine.HasFile(kWorkCopy));

  const auto launches = machine.Launches();
  ASSERT_EQ(launches.size(), 2u);
  EXPECT_EQ(launches[0].via, "ShellExecuteExA");
  EXPECT_EQ(launches[0].file, kTool);
  EXPECT_EQ(launches[0].parameters, "-a 0X1 \"" + kWorkCopy + "\"");
  EXPECT_EQ(launches[0].directory, kWorkDir);
  EXPECT_EQ(launches[0].verb, "open");
  EXPECT_EQ(launches[0].show, 5);
  EXPECT_EQ(launches[0].mask, 0x140u);
  EXPECT_EQ(launches[0].size, 60u);
  EXPECT_EQ(launches[1].via, "WinExec");
  EXPECT_EQ(launches[1].file, kLive);
  EXPECT_EQ(machine.Row(11, 0, 37), "kopírování do dočasného adresáře . . ");
  EXPECT_EQ(ProgressText(machine).rfind(
                "kopírování do dočasného adresáře . . úprava afinity . . přepsání originálu . . "
                "přepsání záloh systému . . konzervace spuštěním . . ",
                0),
            0u);
  // Two wait slices while the tool runs, then the result stays on screen; no backup pause.
  EXPECT_THAT(machine.CallsTo("Sleep"), ElementsAre("50", "50", "4000"));
}

// The system may report its directories with a trailing backslash; the paths formed from them
// must not get a doubled one.
TEST_F(NtvdmAffinityRepairTest, DirectoriesWithATrailingBackslashGiveTheSamePaths) {
  machine.SetWindowsDirectory("C:\\WINDOWS\\");
  machine.SetSystemDirectory("C:\\WINDOWS\\system32\\");
  ASSERT_EQ(RunProgram(), 0);
  ExpectStatus("Úspěšně dokončeno", 0x1A);
  const auto launches = machine.Launches();
  ASSERT_EQ(launches.size(), 2u);
  EXPECT_EQ(launches[1].file, kLive);
  const auto probed = machine.CallsTo("GetFileAttributesA");
  EXPECT_NE(std::find(probed.begin(), probed.end(), kServicePack), probed.end());
  EXPECT_NE(std::find(probed.begin(), probed.end(), kDllCache), probed.end());
}

TEST_F(NtvdmAffinityRepairTest, AbsentCachedCopiesAreNotCreated) {
  os::DeleteFileA(kDllCache);
  os::DeleteFileA(kServicePack);
  ASSERT_EQ(RunProgram(), 0);
  ExpectStatus("Úspěšně dokončeno", 0x1A);
  EXPECT_FALSE(machine.HasFile(kDllCache));
  EXPECT_FALSE(machine.HasFile(kServicePack));
}

TEST_F(NtvdmAffinityRepairTest, MissingOrBusyLiveFileStopsBeforeAnyChange) {
  os::DeleteFileA(kLive);
  ASSERT_EQ(RunProgram(), 0);
  ExpectStatus("Soubor NTVDM.EXE nebyl nalezen", 0x1C);

  machine.AddFile(kLive, original);
  const os::Handle dosProgram = machine.HoldOpen(kLive, os::kGenericRead, os::kFileShareRead);
  machine.SetCommandLine("sanivo.exe -zaloha:C:\\zal\\");
  ASSERT_EQ(RunProgram(), 0);
  ExpectStatus("Nejdříve vypněte všechny DOS aplikace", 0x1C);
  machine.Release(dosProgram);
  ExpectSystemUnchanged();
  EXPECT_THAT(machine.Launches(), IsEmpty());
  EXPECT_FALSE(machine.HasDirectory("C:\\zal"));
}

// A drive root stays the root: it does not become the drive's current directory.
TEST_F(NtvdmAffinityRepairTest, BackupIntoADirectoryIsNamedByTodaysDate) {
  machine.SetCurrentDirectory("D:\\prace");
  machine.SetLocalDate(2027, 3, 9);
  for (const std::string directory : {"C:\\zal\\", "C:\\zal\\a\\b\\", "D:\\", "C:\\zal\\fw/"}) {
    SCOPED_TRACE(directory);
    machine.SetCommandLine("sanivo.exe -ZALOHA:" + directory);
    ASSERT_EQ(RunProgram(), 0);
    ExpectStatus("Úspěšně dokončeno", 0x1A);
    EXPECT_EQ(machine.FileBytes(directory + "20270309.bak"), original);
    machine.AddFile(kLive, original);
  }
  EXPECT_FALSE(machine.HasFile("D:\\prace\\20270309.bak"));
}

// Other names in the folders the repair writes to are as good as any; so is the name of the live
// file in the current directory, which the process itself holds open.
TEST_F(NtvdmAffinityRepairTest, BackupToAnotherNameInAnyFolder) {
  machine.AddLink("Y:\\", "C:\\WINDOWS\\system32");
  machine.SetCurrentDirectory("C:\\Zalohy");
  for (const std::string value : {"stare\\ntvdm.old", "ntvdm.exe", "Y:\\ntvdm.old",
                                  "C:\\WINDOWS\\system32\\dllcache\\NTVDM.EXE.tmp"}) {
    SCOPED_TRACE(value);
    machine.SetCommandLine("sanivo.exe \"-zaloha:" + value + "\"");
    ASSERT_EQ(RunProgram(), 0);
    ExpectStatus("Úspěšně dokončeno", 0x1A);
    EXPECT_EQ(machine.FileBytes(value), original);
    machine.AddFile(kLive, original);
  }
}

// Nothing is written for a target that cannot be expanded, that the repair itself overwrites
// or deletes, or that is a device; a copy that fails warns the same way.
TEST_F(NtvdmAffinityRepairTest, FailedBackupWarnsInYellowAndTheRepairGoesOn) {
  machine.AddDirectory("C:\\zal");
  machine.AddDirectory(kWorkDir);  // so that the listing shows what the backup adds
  machine.AddShortName("C:\\WINDOWS\\ServicePackFiles", "SERVIC~1");
  // Other names of the system folder, the live file and the work directory.
  machine.AddLink("Y:\\", "C:\\WINDOWS\\system32");
  machine.AddLink("C:\\sys", "C:\\WINDOWS\\system32");
  machine.AddLink("C:\\zal\\live.lnk", kLive);
  machine.AddLink("T:\\", kWorkDir);
  const std::string tooLong = "C:\\" + Repeat("a", 305) + "\\";
  machine.Fail("GetFullPathNameA", tooLong, kErrorFilenameExcedRange);
  // Targets that cannot be expanded, that the repair itself writes or deletes however they are
  // spelt, devices, a directory, and the temporary file of a backup that cannot be written.
  const std::string cases[] = {
      "",
      "C:\\zal",
      tooLong,
      "c:\\windows\\SYSTEM32\\dllcache\\ntvdm.exe",
      "C:\\WINDOWS\\system32\\.\\NTVDM.EXE",
      "C:/WINDOWS/system32/NTVDM.EXE.",
      "C:\\WINDOWS\\SERVIC~1\\i386\\NTVDM.EXE",
      TemporaryNameFor("C:\\WINDOWS\\SERVIC~1\\i386\\ntvdm.exe"),
      TemporaryNameFor(kLive),
      kDllCache + ".~SANIVO2.TMP",
      kWorkCopy,
      TemporaryNameFor(kWorkCopy),
      "Y:\\NTVDM.EXE",
      TemporaryNameFor("Y:\\ntvdm.exe"),
      "C:\\sys\\dllcache\\NTVDM.EXE",
      "C:\\zal\\live.lnk",
      "T:\\ntvdm.exe",
      TemporaryNameFor("T:\\NTVDM.EXE"),
      "CON",
      "C:\\zal\\nul.bak",
      "\\\\.\\C:",
      "C:\\zal\\cut.bak",
  };
  machine.Fail("WriteFile", TemporaryNameFor("C:\\zal\\cut.bak"), os::kErrorWriteFault);
  for (const std::string& value : cases) {
    SCOPED_TRACE(value);
    machine.SetCommandLine("sanivo.exe \"-zaloha:" + value + "\"");
    const auto listing = machine.Listing();
    const std::uint32_t sleptBefore = machine.TotalSleep();
    ASSERT_EQ(RunProgram(), 0);
    // The success line overwrites the start of the warning; the step texts that followed the
    // warning on its row stay, in yellow.
    EXPECT_EQ(machine.Row(7, 15, 21), "Úspěšně dokončenolohu");
    EXPECT_EQ(machine.Row(7, 36, 10), "kopírování");
    EXPECT_EQ(machine.AttributeAt(36, 7), 0x1E);
    EXPECT_EQ(machine.AttributeAt(15, 7), 0x1A);
    EXPECT_GE(machine.TotalSleep() - sleptBefore, 5000u);
    EXPECT_EQ(machine.Listing(), listing);
    for (const std::string& path : kNtvdm) {
      EXPECT_EQ(MaskOf(machine.FileBytes(path)), 1u) << path;
    }
    for (const std::string& path : kNtvdm) {
      machine.AddFile(path, original);
    }
  }
}

// The backup of the unpatched file is never replaced: a second run on the same day backs up
// under the next free name, a run that finds its image backed up already counts as done, and a
// named file that holds something else is left as it is.
TEST_F(NtvdmAffinityRepairTest, BackupNeverReplacesAnExistingFileThatDiffers) {
  machine.SetLocalDate(2027, 3, 9);
  machine.SetCommandLine("sanivo.exe -zaloha:C:\\zal\\");
  for (int run = 0; run < 3; ++run) {
    ASSERT_EQ(RunProgram(), 0);
    ExpectStatus("Úspěšně dokončeno", 0x1A);
  }
  const std::string patched = machine.FileBytes(kLive);
  EXPECT_EQ(MaskOf(patched), 1u);
  EXPECT_EQ(machine.FileBytes("C:\\zal\\20270309.bak"), original);
  EXPECT_EQ(machine.FileBytes("C:\\zal\\20270309-2.bak"), patched);
  EXPECT_FALSE(machine.HasFile("C:\\zal\\20270309-3.bak"));

  machine.AddFile(kLive, original);
  machine.AddFile("C:\\zal\\notes.txt", "my notes");
  machine.AddFile("C:\\zal\\same.bak", original);
  const struct {
    const char* value;
    bool warned;
  } named[] = {{"C:\\zal\\notes.txt", true}, {"C:\\zal\\same.bak", false}};
  for (const auto& c : named) {
    SCOPED_TRACE(c.value);
    const auto listing = machine.Listing();
    const std::uint32_t sleptBefore = machine.TotalSleep();
    machine.SetCommandLine(std::string("sanivo.exe -zaloha:") + c.value);
    ASSERT_EQ(RunProgram(), 0);
    EXPECT_EQ(machine.TotalSleep() - sleptBefore, c.warned ? 5100u : 4100u);  // the warning's pause
    EXPECT_EQ(machine.Listing(), listing);
    machine.AddFile(kLive, original);
  }
  EXPECT_EQ(machine.FileBytes("C:\\zal\\notes.txt"), "my notes");
}

TEST_F(NtvdmAffinityRepairTest, WorkCopyFailureShowsItsPath) {
  machine.Fail("CopyFileA", kWorkCopy, os::kErrorAccessDenied);
  ASSERT_EQ(RunProgram(), 0);
  ExpectStatus("Nelze vytvořit dočasný soubor", 0x1C);
  EXPECT_EQ(machine.Row(8, 15, static_cast<int>(kWorkCopy.size())), kWorkCopy);
  EXPECT_EQ(machine.AttributeAt(15, 8), 0x17);
  ExpectSystemUnchanged();
}

TEST_F(NtvdmAffinityRepairTest, MissingToolLeavesTheWorkCopy) {
  os::DeleteFileA(kTool);
  ASSERT_EQ(RunProgram(), 0);
  ExpectStatus("Nelze najít nástroj IMAGECFG.EXE", 0x1C);
  EXPECT_EQ(machine.FileBytes(kWorkCopy), original);
  ExpectSystemUnchanged();
}

TEST_F(NtvdmAffinityRepairTest, ToolThatCannotBeStartedEndsTheProgramWithTheReport) {
  machine.Fail("ShellExecuteExA", "", os::kErrorAccessDenied);
  EXPECT_EQ(RunProgram(), 1);
  EXPECT_EQ(machine.Stderr().rfind("Exception Exception in module sanivo.exe at ", 0), 0u);
  EXPECT_TRUE(machine.HasFile(kWorkCopy));
  ExpectSystemUnchanged();
}

// Only the original image pinned to the first processor goes into the system folder: not an
// untouched or broken work copy, not another mask, and not another program that replaced the
// work copy (which lies where any program of the user can write) when the tool ended.
TEST_F(NtvdmAffinityRepairTest, OnlyTheOriginalPinnedToTheFirstProcessorIsInstalled) {
  std::string foreign = test::BuildTestImage({.affinityMask = 1});
  foreign[test::kTestLoadConfig + 0x80] = 'X';
  const struct {
    const char* what;
    std::function<void(const std::string& workCopy)> atStart;
    std::function<void()> atExit;
  } cases[] = {
      {"mask unchanged", [](const std::string&) {}, nullptr},
      {"mask 3",
       [](const std::string& w) {
         RunImagecfg({"-a", "3", w});
       },
       nullptr},
      {"image broken", [this](const std::string& w) { machine.AddFile(w, "MZ garbage"); }, nullptr},
      {"another program swapped in as the tool ends",
       [](const std::string& w) {
         RunImagecfg({"-a", "0X1", w});
       },
       [&] { machine.AddFile(kWorkCopy, foreign); }},
      {"the patched image with a tail added as the tool ends",
       [](const std::string& w) {
         RunImagecfg({"-a", "0X1", w});
       },
       [&] { machine.AddFile(kWorkCopy, machine.FileBytes(kWorkCopy) + "tail"); }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    sim::Program tool;
    tool.onStart = [&c](const std::string& parameters, const std::string&) {
      c.atStart(ToolTarget(parameters));
    };
    tool.onExit = c.atExit;
    tool.waitsBeforeExit = 2;
    machine.AddProgram(kTool, tool);
    const std::size_t launchesBefore = machine.Launches().size();
    ASSERT_EQ(RunProgram(), 0);
    ExpectStatus("Nelze upravit afinitu souboru NTVDM.EXE", 0x1C);
    ExpectSystemUnchanged();
    EXPECT_EQ(machine.Launches().size() - launchesBefore, 1u);  // no WinExec
  }
}

// A live file damaged in the field is refused before anything changes: patched, it would replace
// the good cached copies and then be started.
TEST_F(NtvdmAffinityRepairTest, DamagedLiveFileIsRefusedBeforeAnythingChanges) {
  std::string filled = original;
  std::fill(filled.end() - 0x100, filled.end(), 'x');
  TPeImage withChecksum(filled);
  withChecksum.UpdateChecksum();
  std::string zeroedTail = withChecksum.Bytes();
  std::fill(zeroedTail.end() - 0x100, zeroedTail.end(), '\0');
  const std::string damaged[] = {original.substr(0, original.size() - 1),
                                 original.substr(0, original.size() - 0x100), zeroedTail};
  machine.SetCommandLine("sanivo.exe -zaloha:C:\\zal\\");
  machine.AddDirectory(kWorkDir);
  for (const std::string& live : damaged) {
    machine.AddFile(kLive, live);
    const auto listing = machine.Listing();
    ASSERT_EQ(RunProgram(), 0);
    ExpectStatus("Nelze upravit afinitu souboru NTVDM.EXE", 0x1C);
    EXPECT_EQ(machine.Listing(), listing);
    EXPECT_EQ(machine.FileBytes(kLive), live);
    EXPECT_EQ(machine.FileBytes(kDllCache), original);
    EXPECT_EQ(machine.FileBytes(kServicePack), original);
  }
  EXPECT_THAT(machine.Launches(), IsEmpty());
}

// The live file is replaced all or nothing: a write cut short leaves it as it was.
TEST_F(NtvdmAffinityRepairTest, LiveFileThatCannotBeReplacedStaysAsItWas) {
  machine.Fail("WriteFile", TemporaryNameFor(kLive), os::kErrorWriteFault);
  ASSERT_EQ(RunProgram(), 0);
  ExpectStatus("Nelze přepsat púvodní soubor NTVDM.EXE", 0x1C);
  ExpectSystemUnchanged();
  EXPECT_FALSE(machine.HasFile(TemporaryNameFor(kLive)));
  EXPECT_EQ(MaskOf(machine.FileBytes(kWorkCopy)), 1u);
}

// A cached copy left unpatched would let the system's file protection undo the repair: every
// present copy is still tried, the work copy still deleted, and the first failure shown.
TEST_F(NtvdmAffinityRepairTest, CachedCopyThatCannotBeReplacedIsReportedWithItsPath) {
  const struct {
    bool dllCacheHeld;
    bool servicePackReadOnly;
    std::string shown;
  } cases[] = {
      {true, false, kDllCache},
      {false, true, kServicePack},
      {true, true, kDllCache},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.shown);
    for (const std::string& path : kNtvdm) {
      machine.AddFile(path, original);
    }
    machine.SetReadOnly(kServicePack, c.servicePackReadOnly);
    const os::Handle holder =
        machine.HoldOpen(kDllCache, os::kGenericRead, c.dllCacheHeld ? os::kFileShareRead : 7);
    const std::size_t launchesBefore = machine.Launches().size();
    ASSERT_EQ(RunProgram(), 0);
    machine.Release(holder);
    machine.SetReadOnly(kServicePack, false);

    ExpectStatus("Nelze nahradit kopii NTVDM.EXE v mezipaměti systému", 0x1C);
    EXPECT_EQ(machine.Row(8, 15, static_cast<int>(c.shown.size())), c.shown);
    EXPECT_EQ(machine.AttributeAt(15, 8), 0x17);
    EXPECT_EQ(MaskOf(machine.FileBytes(kLive)), 1u);
    EXPECT_EQ(MaskOf(machine.FileBytes(kDllCache)), c.dllCacheHeld ? 0u : 1u);
    EXPECT_EQ(MaskOf(machine.FileBytes(kServicePack)), c.servicePackReadOnly ? 0u : 1u);
    EXPECT_FALSE(machine.HasFile(kWorkCopy));
    EXPECT_EQ(machine.Launches().size() - launchesBefore, 2u);  // the tool, then WinExec
  }
}

}  // namespace
}  // namespace sanivo
