#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "app/program.h"
#include "app_test_support.h"
#include "font_samples.h"
#include "sysenv/file_access.h"

namespace sanivo {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using namespace sanivo::testing;

const std::string kResourceFile = std::string(kWorkDir) + "\\mrk_lccs.fot";

std::string Sz(const std::string& text) { return text + '\0'; }
std::string Dword(std::uint32_t value) {
  return std::string(reinterpret_cast<const char*>(&value), 4);
}

const char kInstallFailed[] = "Font nelze nainstalovat";
const char kRegisterFailed[] = "Nelze zaregistrovat font do registrů";
const char kDefaultFailed[] = "Nelze nastavit font jako výchozí";

// Our font as an earlier release shipped it: the same face, another revision in its head table.
std::string EarlierRevision() {
  std::string font = OurConsoleFont();
  const std::size_t count =
      static_cast<unsigned char>(font[4]) << 8 | static_cast<unsigned char>(font[5]);
  for (std::size_t record = 12; record < 12 + 16 * count; record += 16) {
    if (font.compare(record, 4, "head") != 0) continue;
    std::size_t offset = 0;
    for (int i = 8; i < 12; ++i)
      offset = offset << 8 | static_cast<unsigned char>(font[record + i]);
    font[offset + 4] ^= 0x01;  // fontRevision
    return font;
  }
  ADD_FAILURE() << "no head table";
  return font;
}

// A Windows 7 as it comes: the console offers its two TrueType faces.
class ConsoleFontRepairTest : public ::testing::Test {
 protected:
  ConsoleFontRepairTest() {
    SetUpWindows7(machine);
    machine.SetString(os::kHkeyLocalMachine, kTrueTypeKey, "00", "Consolas");
  }

  std::optional<sim::RegistryValue> ConsoleValue(const std::string& name) const {
    return machine.Value(os::kHkeyCurrentUser, kConsoleKey, name);
  }
  void ExpectStatus(const std::string& text, std::uint16_t attribute) const {
    testing::ExpectStatus(machine, text, attribute);
  }

  sim::Machine machine;
};

TEST_F(ConsoleFontRepairTest, FreshSystemGetsTheFontRegisteredAndMadeTheNtvdmDefault) {
  ASSERT_EQ(RunProgram(), 0);

  EXPECT_EQ(machine.Row(6, 10, 47), "- oprava problému s češtinou ve Windows 7 . . .");
  ExpectStatus("Úspěšně dokončeno", 0x1A);
  EXPECT_EQ(machine.FileBytes(kInstalledFont), OurConsoleFont());
  EXPECT_FALSE(machine.HasFile(kResourceFile));
  // The font by its bare name, found in the Fonts folder given with its trailing backslash.
  EXPECT_THAT(machine.CallsTo("CreateScalableFontResourceA"),
              ElementsAre("0|" + kResourceFile + "|mrk_lccs.ttf|C:\\WINDOWS\\Fonts\\"));
  EXPECT_THAT(machine.CallsTo("AddFontResourceA"), ElementsAre(kResourceFile));
  EXPECT_THAT(machine.AddedFonts(), ElementsAre(kResourceFile));
  EXPECT_EQ(machine.Value(os::kHkeyLocalMachine, kFontsKey, kFontValue)->data, Sz("mrk_lccs.ttf"));
  EXPECT_EQ(machine.Value(os::kHkeyLocalMachine, kTrueTypeKey, "000")->data,
            Sz("Lucida Console CS"));
  EXPECT_EQ(ConsoleValue("FaceName")->type, os::kRegSz);
  EXPECT_EQ(ConsoleValue("FaceName")->data, Sz("Lucida Console CS"));
  EXPECT_EQ(ConsoleValue("FontFamily")->type, os::kRegDword);
  EXPECT_EQ(ConsoleValue("FontFamily")->data, Dword(55));
  EXPECT_EQ(ConsoleValue("FontSize")->data, Dword(0x140000));
  EXPECT_EQ(ConsoleValue("FontWeight")->data, Dword(400));
  ASSERT_EQ(machine.Broadcasts().size(), 1u);
  EXPECT_EQ(machine.Broadcasts()[0].message, os::kWmFontChange);
  EXPECT_EQ(machine.OpenKeyCount(), 0);
  // The progress texts run on from row 11 and wrap as the console wraps.
  EXPECT_EQ(machine.Row(11, 0, 15), "kopírování . . ");
  EXPECT_EQ(machine.AttributeAt(0, 11), 0x17);
  EXPECT_EQ(ProgressText(machine).rfind(
                "kopírování . . čištění dočasného adresáře . . tvorba FOT souboru . . přidání "
                "fontu . . otevírání seznamu fontů. . zápis do seznamu fontů . . otevírání "
                "seznamu fontů pro DOS . . zápis do seznamu fontů pro DOS . . otevírání "
                "aktálního nastavení . . tvorba nového nastavení . . zápis do nastavení . . ",
                0),
            0u);
}

TEST_F(ConsoleFontRepairTest, SecondRunReusesTheInstalledFontAndItsTrueTypeEntry) {
  ASSERT_EQ(RunProgram(), 0);
  const auto registryAfterFirst = machine.RegistryDump();
  machine.SetDword(os::kHkeyCurrentUser, kConsoleKey, "FontSize", 0x100008);
  const int movesBefore = machine.CallCount("MoveFileExA");

  ASSERT_EQ(RunProgram(), 0);

  ExpectStatus("Úspěšně dokončeno", 0x1A);
  EXPECT_EQ(machine.CallCount("MoveFileExA"), movesBefore);  // the identical font stays
  EXPECT_EQ(machine.AddedFonts().size(), 2u);
  EXPECT_FALSE(machine.Value(os::kHkeyLocalMachine, kTrueTypeKey, "0000"));
  EXPECT_EQ(ConsoleValue("FontSize")->data, Dword(0x100008));  // left alone: family was 55
  EXPECT_EQ(machine.Row(11).find("tvorba nového nastavení"), std::string::npos);
}

TEST_F(ConsoleFontRepairTest, FaceNameMatchIsCaseSensitiveAndAStaleResourceFileIsRemoved) {
  machine.SetString(os::kHkeyLocalMachine, kTrueTypeKey, "00", "lucida console cs");
  machine.AddFile(kResourceFile, "left from last time");
  ASSERT_EQ(RunProgram(), 0);
  EXPECT_EQ(machine.Value(os::kHkeyLocalMachine, kTrueTypeKey, "000")->data,
            Sz("Lucida Console CS"));
  EXPECT_EQ(machine.Value(os::kHkeyLocalMachine, kTrueTypeKey, "00")->data,
            Sz("lucida console cs"));
  EXPECT_FALSE(machine.HasFile(kResourceFile));
}

TEST_F(ConsoleFontRepairTest, ExistingConsoleSettingsKeepSizeUnlessTheyWereForARasterFont) {
  machine.SetDword(os::kHkeyCurrentUser, kConsoleKey, "FontFamily", 54);
  machine.SetDword(os::kHkeyCurrentUser, kConsoleKey, "FontSize", 0x0C0008);
  ASSERT_EQ(RunProgram(), 0);
  EXPECT_EQ(ConsoleValue("FontSize")->data, Dword(0x0C0008));
  EXPECT_FALSE(ConsoleValue("FontWeight"));
  EXPECT_EQ(ConsoleValue("FontFamily")->data, Dword(55));
  EXPECT_EQ(ConsoleValue("FaceName")->data, Sz("Lucida Console CS"));

  machine.SetDword(os::kHkeyCurrentUser, kConsoleKey, "FontFamily", 48);
  ASSERT_EQ(RunProgram(), 0);
  EXPECT_EQ(ConsoleValue("FontSize")->data, Dword(0x140000));
  EXPECT_EQ(ConsoleValue("FontWeight")->data, Dword(400));
}

TEST_F(ConsoleFontRepairTest, MissingFontChangesNothing) {
  os::DeleteFileA(kFontSource);
  const auto registryBefore = machine.RegistryDump();
  ASSERT_EQ(RunProgram(), 0);
  ExpectStatus("Nelze najít font k instalaci", 0x1C);
  EXPECT_FALSE(machine.HasFile(kInstalledFont));
  EXPECT_EQ(machine.RegistryDump(), registryBefore);
  EXPECT_THAT(machine.AddedFonts(), IsEmpty());
  EXPECT_EQ(machine.TotalSleep(), 4000u);
}

TEST(ConsoleFontSourceTest, DamagedOrForeignFontIsNeitherCopiedNorHandedToGdi) {
  const struct {
    const char* what;
    std::string font;
  } sources[] = {{"cut in half", OurConsoleFont().substr(0, OurConsoleFont().size() / 2)},
                 {"another face", ItsSourceFont()},
                 {"empty", ""}};
  for (const auto& [what, font] : sources) {
    SCOPED_TRACE(what);
    sim::Machine damaged;
    damaged.SetVersion(2, 6, 1);
    damaged.AddFile(kFontSource, font);
    const auto registryBefore = damaged.RegistryDump();
    ASSERT_EQ(RunProgram(), 0);
    testing::ExpectStatus(damaged, kInstallFailed, 0x1C);
    EXPECT_FALSE(damaged.HasFile(kInstalledFont));
    EXPECT_THAT(damaged.CallsTo("CreateScalableFontResourceA"), IsEmpty());
    EXPECT_EQ(damaged.RegistryDump(), registryBefore);
  }
}

// A font of our name already in the Fonts folder: ours is put in its place unless it is
// there already or another program holds the file. One of our face that is held (Windows holds
// every registered font, sharing reading) is kept; one that is damaged or cannot be read is not.
TEST_F(ConsoleFontRepairTest, DifferentFontOfOurNameIsReplacedWhenNotInUse) {
  constexpr int kFree = -1;
  const struct {
    const char* what;
    std::string installed;
    int held;  // the holder's share mode
    bool replaced;
  } cases[] = {
      {"zero bytes", "", kFree, true},
      {"an older font", ItsSourceFont(), kFree, true},
      {"ours, in use", OurConsoleFont(), os::kFileShareRead, false},
      {"an earlier revision of ours, in use", EarlierRevision(), os::kFileShareRead, false},
      {"an earlier revision of ours", EarlierRevision(), kFree, true},
      {"zero bytes, in use", "", os::kFileShareRead, false},
      {"an earlier revision of ours, in use and unreadable", EarlierRevision(), 0, false},
  };
  for (const auto& [what, installed, held, replaced] : cases) {
    SCOPED_TRACE(what);
    machine.AddFile(kInstalledFont, installed);
    const os::Handle holder =
        held != kFree ? machine.HoldOpen(kInstalledFont, os::kGenericRead, held) : 0;
    const int movesBefore = machine.CallCount("MoveFileExA");
    ASSERT_EQ(RunProgram(), 0);
    // Put in place in one move; a file in use is not even tried.
    EXPECT_EQ(machine.CallCount("MoveFileExA") - movesBefore, replaced ? 1 : 0);
    if (installed == OurConsoleFont() || replaced ||
        (installed == EarlierRevision() && held == os::kFileShareRead)) {
      ExpectStatus("Úspěšně dokončeno", 0x1A);
    } else {
      ExpectStatus(kInstallFailed, 0x1C);
    }
    EXPECT_EQ(machine.FileBytes(kInstalledFont), replaced ? OurConsoleFont() : installed);
    if (held != kFree) machine.Release(holder);
  }
}

// A font that cannot be read could be anything: it is replaced, not taken for ours.
TEST_F(ConsoleFontRepairTest, UnreadableInstalledFontIsReplaced) {
  machine.AddFile(kInstalledFont, OurConsoleFont());
  machine.Fail("ReadFile", kInstalledFont, os::kErrorWriteFault, 1);
  ASSERT_EQ(RunProgram(), 0);
  ExpectStatus("Úspěšně dokončeno", 0x1A);
  EXPECT_EQ(machine.CallCount("MoveFileExA"), 1);
}

// A first copy cut short leaves nothing under the font's name, which Windows would then hold.
TEST_F(ConsoleFontRepairTest, FirstInstallCutShortLeavesNoFont) {
  machine.Fail("WriteFile", TemporaryNameFor(kInstalledFont), os::kErrorWriteFault);
  const auto listing = machine.Listing();
  ASSERT_EQ(RunProgram(), 0);
  ExpectStatus(kInstallFailed, 0x1C);
  EXPECT_FALSE(machine.HasFile(kInstalledFont));
  EXPECT_FALSE(machine.HasFile(TemporaryNameFor(kInstalledFont)));
}

// One failing step of each stage, the message it shows and what it leaves behind.
struct StageFault {
  sim::FailableCall operation;
  std::string target;
  const char* message;
  int stagesDone;
  bool consoleKeyExists = true;
};

void PrintTo(const StageFault& fault, std::ostream* os) {
  *os << fault.operation.Name() << "(" << fault.target << ")";
}

class ConsoleFontFaultTest : public ConsoleFontRepairTest,
                             public ::testing::WithParamInterface<StageFault> {};

TEST_P(ConsoleFontFaultTest, ShowsTheStageMessageAndKeepsEarlierStages) {
  const StageFault& fault = GetParam();
  if (fault.consoleKeyExists) {
    machine.SetDword(os::kHkeyCurrentUser, kConsoleKey, "FontFamily", 54);
  }
  machine.Fail(fault.operation, fault.target, os::kErrorAccessDenied);

  ASSERT_EQ(RunProgram(), 0);

  ExpectStatus(fault.message, 0x1C);
  EXPECT_EQ(machine.OpenKeyCount(), 0);
  EXPECT_THAT(machine.Broadcasts(), IsEmpty());
  const bool installed = machine.Value(os::kHkeyLocalMachine, kFontsKey, kFontValue).has_value();
  const bool offered = machine.Value(os::kHkeyLocalMachine, kTrueTypeKey, "000").has_value();
  EXPECT_EQ(installed, fault.stagesDone >= 1);
  EXPECT_EQ(offered, fault.stagesDone >= 2);
  EXPECT_FALSE(ConsoleValue("FaceName"));
}

INSTANTIATE_TEST_SUITE_P(
    EveryStep, ConsoleFontFaultTest,
    ::testing::Values(StageFault{"MoveFileExA", kInstalledFont, kInstallFailed, 0},
                      StageFault{"CreateScalableFontResourceA", "", kInstallFailed, 0},
                      StageFault{"AddFontResourceA", "", kInstallFailed, 0},
                      StageFault{"RegOpenKeyExA", std::string("HKEY_LOCAL_MACHINE\\") + kFontsKey,
                                 kInstallFailed, 0},
                      StageFault{"RegSetValueExA", kFontValue, kInstallFailed, 0},
                      StageFault{"RegOpenKeyExA",
                                 std::string("HKEY_LOCAL_MACHINE\\") + kTrueTypeKey,
                                 kRegisterFailed, 1},
                      StageFault{"RegSetValueExA", "000", kRegisterFailed, 1},
                      StageFault{"RegCreateKeyExA",
                                 std::string("HKEY_CURRENT_USER\\") + kConsoleKey, kDefaultFailed,
                                 2, false},
                      StageFault{"RegQueryValueExA", "FontFamily", kDefaultFailed, 2},
                      StageFault{"RegSetValueExA", "FaceName", kDefaultFailed, 2}));

TEST_F(ConsoleFontRepairTest, FailedFontAddingLeavesTheResourceFileAndTheCopiedFont) {
  machine.Fail("AddFontResourceA", "", 0);
  ASSERT_EQ(RunProgram(), 0);
  ExpectStatus(kInstallFailed, 0x1C);
  EXPECT_TRUE(machine.HasFile(kResourceFile));
  EXPECT_TRUE(machine.HasFile(kInstalledFont));
}

TEST_F(ConsoleFontRepairTest, StaleResourceFileThatCannotBeDeletedStopsTheInstall) {
  machine.AddFile(kResourceFile, "old");
  machine.Fail("DeleteFileA", kResourceFile, os::kErrorAccessDenied);
  ASSERT_EQ(RunProgram(), 0);
  ExpectStatus(kInstallFailed, 0x1C);
  EXPECT_THAT(machine.CallsTo("CreateScalableFontResourceA"), IsEmpty());
}

// Values of another type must not block the repair for good: a TrueType slot that holds no
// string holds no face, and the console values the repair owns get their own type back.
TEST_F(ConsoleFontRepairTest, ValuesOfAnotherTypeAreSkippedOrRewritten) {
  machine.SetDword(os::kHkeyLocalMachine, kTrueTypeKey, "00", 1);
  const struct {
    std::uint32_t type;
    std::string family;
  } families[] = {{os::kRegSz, Sz("48")},
                  {os::kRegBinary, Dword(48)},
                  {os::kRegDword, std::string("\x30\0", 2)}};  // two bytes are no number
  for (const auto& c : families) {
    SCOPED_TRACE(c.type);
    machine.SetValue(os::kHkeyCurrentUser, kConsoleKey, "FontFamily", c.type, c.family);
    machine.SetDword(os::kHkeyCurrentUser, kConsoleKey, "FontSize", 0x100008);
    machine.SetDword(os::kHkeyCurrentUser, kConsoleKey, "FaceName", 7);
    ASSERT_EQ(RunProgram(), 0);
    ExpectStatus("Úspěšně dokončeno", 0x1A);
    EXPECT_EQ(machine.Value(os::kHkeyLocalMachine, kTrueTypeKey, "000")
                  .value_or(sim::RegistryValue{})
                  .data,
              Sz("Lucida Console CS"));
    EXPECT_EQ(machine.Value(os::kHkeyLocalMachine, kTrueTypeKey, "00")->data, Dword(1));
    EXPECT_EQ(ConsoleValue("FontFamily").value_or(sim::RegistryValue{}).type, os::kRegDword);
    EXPECT_EQ(ConsoleValue("FontFamily").value_or(sim::RegistryValue{}).data, Dword(55));
    EXPECT_EQ(ConsoleValue("FaceName").value_or(sim::RegistryValue{}).type, os::kRegSz);
    EXPECT_EQ(ConsoleValue("FontSize")->data, Dword(0x100008));  // no raster family was there
  }
}

TEST_F(ConsoleFontRepairTest, ConsoleKeyWithoutAFontFamilyIsLeftUnwritten) {
  machine.SetString(os::kHkeyCurrentUser, kConsoleKey, "QuickEdit", "x");
  ASSERT_EQ(RunProgram(), 0);
  ExpectStatus(kDefaultFailed, 0x1C);
  EXPECT_FALSE(ConsoleValue("FaceName"));
  EXPECT_FALSE(ConsoleValue("FontSize"));
}

// FaceName goes first: when it cannot be written, the family stays as it was.
TEST_F(ConsoleFontRepairTest, FailedFaceNameLeavesTheFamilyAsItWas) {
  machine.SetDword(os::kHkeyCurrentUser, kConsoleKey, "FontFamily", 54);
  machine.Fail("RegSetValueExA", "FaceName", os::kErrorAccessDenied);
  ASSERT_EQ(RunProgram(), 0);
  ExpectStatus(kDefaultFailed, 0x1C);
  EXPECT_EQ(ConsoleValue("FontFamily")->data, Dword(54));
}

TEST_F(ConsoleFontRepairTest, FailureWritingANewConsoleKeyLeavesItPartlyWritten) {
  machine.Fail("RegSetValueExA", "FontWeight", os::kErrorAccessDenied);
  ASSERT_EQ(RunProgram(), 0);
  ExpectStatus(kDefaultFailed, 0x1C);
  EXPECT_THAT(machine.ValueNames(os::kHkeyCurrentUser, kConsoleKey),
              ElementsAre("FontFamily", "FontSize"));
}

}  // namespace
}  // namespace sanivo
