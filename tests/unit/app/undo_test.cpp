// Taking the repairs back: what a repair wrote goes, byte for byte and value for value, and a
// failure at any step leaves the machine as the step found it.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "app/program.h"
#include "app_test_support.h"
#include "font_samples.h"
#include "pe/pe_image.h"
#include "sysenv/file_access.h"
#include "tests/unit/pe/test_image.h"

namespace sanivo {
namespace {

using namespace sanivo::testing;

const std::string& kLive = kNtvdm[0];
const std::string& kDllCache = kNtvdm[1];
const std::string& kServicePack = kNtvdm[2];
const std::string kBackup = "C:\\zal\\20261208.bak";
const std::string kLog = "C:\\protokoly\\sanivo.csv";
const char kTakenBack[] = "Oprava byla vrácena";
const char kNothingToTakeBack[] = "Není co vracet";

// An original image as Windows ships it: its checksum right.
std::string OriginalImage() {
  TPeImage image(test::BuildTestImage({.affinityMask = 0}));
  image.UpdateChecksum();
  return image.Bytes();
}

// Runs the program and compares the machine, every file's bytes and the registry, with an
// earlier snapshot.
class TakeBackTest : public ::testing::Test {
 protected:
  void Run(const std::string& arguments, int exitCode = 0) {
    machine.SetCommandLine("sanivo.exe " + arguments);
    ASSERT_EQ(RunProgram(), exitCode) << arguments;
  }
  // Every file with its bytes, and the registry.
  std::vector<std::string> Snapshot() const {
    std::vector<std::string> lines = machine.RegistryDump();
    for (const std::string& path : machine.Listing())
      lines.push_back(path + machine.FileBytes(path));
    return lines;
  }
  void Remember() { remembered = Snapshot(); }
  void ExpectAsRemembered() const { EXPECT_EQ(Snapshot(), remembered); }

  sim::Machine machine;
  std::vector<std::string> remembered;
};

class NtvdmTakeBackTest : public TakeBackTest {
 protected:
  NtvdmTakeBackTest() {
    SetUpWindowsXP(machine, original);
    machine.AddDirectory(kWorkDir);
    machine.AddDirectory("C:\\zal");
    Remember();
    Run("-zaloha:C:\\zal\\");
    patched = machine.FileBytes(kLive);
  }
  void ExpectFiles(const std::string& image) const {
    for (const std::string& path : kNtvdm) {
      EXPECT_EQ(machine.FileBytes(path), image) << path;
    }
  }

  const std::string original = OriginalImage();
  std::string patched;
};

TEST_F(NtvdmTakeBackTest, GivesTheOriginalBackByteForByteOnceAndOnlyThen) {
  Run("-kontrola -vratit", 4);
  ExpectStatus(machine, "Opravu lze vrátit", 0x1E);
  ExpectFiles(patched);

  Run("-vratit");
  EXPECT_EQ(machine.Row(6, 10, 57), "- vrácení opravy problému s vícejádrovými procesory . . .");
  ExpectStatus(machine, kTakenBack, 0x1A);
  EXPECT_EQ(ProgressText(machine).rfind("přepsání originálu . . přepsání záloh systému . . ", 0),
            0u);
  ExpectFiles(original);
  os::DeleteFileA(kBackup);  // the repair's backup, kept by hand
  ExpectAsRemembered();

  Run("-vratit -tise -protokol:" + kLog);
  ExpectStatus(machine, kNothingToTakeBack, 0x1A);
  EXPECT_THAT(machine.FileBytes(kLog),
              ::testing::HasSubstr(";afinita;nic-k-vraceni;Není co vracet;;;0.0.0.0\r\n"));
}

// Only the pinned form of the live image is taken back: a cached copy of another version
// stays, and a cached copy left pinned by an earlier take-back cut short goes too.
TEST_F(NtvdmTakeBackTest, LeavesWhatTheRepairDidNotWrite) {
  std::string otherVersion = original;
  otherVersion[test::kTestLoadConfig + 0x80] = 'X';
  machine.AddFile(kServicePack, otherVersion);
  Run("-vratit");
  EXPECT_EQ(machine.FileBytes(kServicePack), otherVersion);
  machine.AddFile(kServicePack, original);
  ExpectFiles(original);

  machine.AddFile(kDllCache, patched);
  Run("-vratit");
  ExpectStatus(machine, kTakenBack, 0x1A);
  ExpectFiles(original);
}

// Every failure leaves the three files as they were, the ones already written put back.
TEST_F(NtvdmTakeBackTest, EveryFailureLeavesTheSystemFolderAsItWas) {
  std::string damaged = patched;
  damaged[damaged.size() - 1] ^= 0x55;
  const struct {
    const char* what;
    std::function<void()> fault;
    const char* status;
    std::string detail;
  } cases[] = {
      {"live file damaged", [&] { machine.AddFile(kLive, damaged); },
       "Nelze upravit afinitu souboru NTVDM.EXE", ""},
      {"live file not replaced",
       [&] { machine.Fail("WriteFile", TemporaryNameFor(kLive), os::kErrorWriteFault, 1); },
       "Nelze přepsat púvodní soubor NTVDM.EXE", ""},
      {"first cached copy not replaced",
       [&] { machine.Fail("WriteFile", TemporaryNameFor(kDllCache), os::kErrorWriteFault, 1); },
       "Nelze nahradit kopii NTVDM.EXE v mezipaměti systému", kDllCache},
      {"last cached copy not replaced",
       [&] { machine.Fail("MoveFileExA", kServicePack, os::kErrorAccessDenied, 1); },
       "Nelze nahradit kopii NTVDM.EXE v mezipaměti systému", kServicePack},
      {"live file in use", [&] { machine.HoldOpen(kLive, os::kGenericRead, os::kFileShareRead); },
       "Nejdříve vypněte všechny DOS aplikace", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    for (const std::string& path : kNtvdm) {
      machine.AddFile(path, patched);
    }
    c.fault();
    Remember();
    Run("-vratit");
    ExpectStatus(machine, c.status, 0x1C);
    EXPECT_EQ(machine.Row(8, 15, static_cast<int>(c.detail.size())), c.detail);
    ExpectAsRemembered();
  }
}

// The file named is restored only when it is the live image with another mask: never another
// program, a cut or damaged image, a folder or a device; nothing changes then.
TEST_F(NtvdmTakeBackTest, RestoresANamedFileOnlyWhenItIsTheBackup) {
  std::string foreign = original;
  foreign[test::kTestLoadConfig + 0x80] = 'X';
  TPeImage signedForeign(foreign);
  signedForeign.UpdateChecksum();
  machine.AddFile("C:\\zal\\foreign.exe", signedForeign.Bytes());
  machine.AddFile("C:\\zal\\cut.bak", original.substr(0, original.size() - 0x100));
  // The original with the patched file's checksum: it differs in the two fields only, but no
  // longer matches its checksum.
  std::string damaged = original;
  const std::uint64_t checksum = TPeImage(original).ChecksumOffset();
  machine.AddFile("C:\\zal\\damaged.bak", damaged.replace(checksum, 4, patched, checksum, 4));
  Remember();
  for (const std::string file : {"C:\\zal\\foreign.exe", "C:\\zal\\cut.bak", "C:\\zal\\damaged.bak",
                                 "C:\\zal", "C:\\zal\\missing.bak", "CON"}) {
    SCOPED_TRACE(file);
    Run("\"-vratit:" + file + "\"");
    ExpectStatus(machine, "Soubor není záloha NTVDM.EXE", 0x1C);
    EXPECT_EQ(machine.Row(8, 15, static_cast<int>(file.size())), file);
    ExpectAsRemembered();
  }
  Run("-vratit:" + kBackup);
  ExpectStatus(machine, kTakenBack, 0x1A);
  ExpectFiles(original);
}

const std::string kPendingMoves = "PendingFileRenameOperations";
const std::string kSessionManager = "SYSTEM\\CurrentControlSet\\Control\\Session Manager";

class FontTakeBackTest : public TakeBackTest {
 protected:
  FontTakeBackTest() {
    SetUpWindows7(machine);
    machine.SetString(os::kHkeyLocalMachine, kTrueTypeKey, "00", "Consolas");
    machine.AddKey(os::kHkeyCurrentUser, "Console");
    machine.AddDirectory(kWorkDir);
  }
  void RepairAfterRemembering() {
    Remember();
    Run("");
    ExpectStatus(machine, "Úspěšně dokončeno", 0x1A);
  }
};

// Our values were not there before: afterwards registry and Fonts folder are as they were. The
// user's own console settings stay, and so does a console value that no longer holds ours.
TEST_F(FontTakeBackTest, RemovesExactlyWhatTheRepairAdded) {
  RepairAfterRemembering();
  Run("-vratit");
  EXPECT_EQ(machine.Row(6, 10, 55), "- vrácení opravy problému s češtinou ve Windows 7 . . .");
  ExpectStatus(machine, kTakenBack, 0x1A);
  ExpectAsRemembered();
  EXPECT_EQ(machine.Broadcasts().size(), 2u);
  Run("-vratit");
  ExpectStatus(machine, kNothingToTakeBack, 0x1A);

  machine.SetDword(os::kHkeyCurrentUser, kConsoleKey, "ScreenColors", 0x1F);
  machine.SetDword(os::kHkeyCurrentUser, kConsoleKey, "FontFamily", 48);
  RepairAfterRemembering();
  machine.SetDword(os::kHkeyCurrentUser, kConsoleKey, "FontWeight", 700);  // the user's since
  Run("-vratit");
  EXPECT_THAT(machine.ValueNames(os::kHkeyCurrentUser, kConsoleKey),
              ::testing::UnorderedElementsAre("ScreenColors", "FontWeight"));
}

// Windows holds a registered font open from logon: it goes at the restart, unless a repair
// runs first, which takes the deletion back and leaves other programs' entries alone.
TEST_F(FontTakeBackTest, FontInUseGoesAtTheRestartUnlessARepairComesFirst) {
  const std::string others = std::string("\\??\\C:\\a.tmp\0\\??\\C:\\b.tmp\0", 26);
  machine.SetValue(os::kHkeyLocalMachine, kSessionManager, kPendingMoves, os::kRegMultiSz,
                   others + '\0');
  RepairAfterRemembering();
  const os::Handle windows = machine.HoldOpen(kInstalledFont, os::kGenericRead, os::kFileShareRead);
  Run("-vratit -tise -protokol:" + kLog, 3);
  ExpectStatus(machine, "Oprava byla vrácena, font zmizí po restartu", 0x1E);
  EXPECT_EQ(machine.Value(os::kHkeyLocalMachine, kSessionManager, kPendingMoves)->data,
            others + "\\??\\" + kInstalledFont + std::string(3, '\0'));
  EXPECT_THAT(machine.FileBytes(kLog), ::testing::HasSubstr(";font;varovani;"));
  Run("-kontrola -vratit");
  ExpectStatus(machine, kNothingToTakeBack, 0x1A);

  Run("");
  ExpectStatus(machine, "Úspěšně dokončeno", 0x1A);
  EXPECT_EQ(machine.Value(os::kHkeyLocalMachine, kSessionManager, kPendingMoves)->data,
            others + '\0');
  machine.Release(windows);
}

TEST_F(FontTakeBackTest, EveryFailureLeavesTheMachineAsItWas) {
  RepairAfterRemembering();
  const struct {
    const char* what;
    std::function<void()> fault;
    const char* status;
  } cases[] = {
      {"console value", [&] { machine.Fail("RegDeleteValueA", "FontSize", 5, 1); },
       "Nelze nastavit font jako výchozí"},
      {"console key",
       [&] {
         machine.Fail("RegDeleteKeyA", std::string("HKEY_CURRENT_USER\\") + kConsoleKey, 5, 1);
       },
       "Nelze nastavit font jako výchozí"},
      {"console's entry", [&] { machine.Fail("RegDeleteValueA", "000", 5, 1); },
       "Nelze zaregistrovat font do registrů"},
      {"system's entry", [&] { machine.Fail("RegDeleteValueA", kFontValue, 5, 1); },
       "Font nelze nainstalovat"},
      {"font neither deleted nor scheduled",
       [&] {
         machine.Fail("DeleteFileA", kInstalledFont, os::kErrorSharingViolation, 1);
         machine.Fail("MoveFileExA", kInstalledFont, os::kErrorAccessDenied, 1);
       },
       "Font nelze nainstalovat"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Remember();
    c.fault();
    Run("-vratit");
    ExpectStatus(machine, c.status, 0x1C);
    ExpectAsRemembered();
    EXPECT_EQ(machine.OpenKeyCount(), 0);
  }
}

}  // namespace
}  // namespace sanivo
