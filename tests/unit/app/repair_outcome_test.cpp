// What each repair reports back to the main body: the kind of result, the step that failed
// and its error code, the backup it wrote and the warning it showed.
#include <gtest/gtest.h>

#include <functional>
#include <new>
#include <string>

#include "app/repairs.h"
#include "app/stage.h"
#include "app/texts.h"
#include "app_test_support.h"
#include "console/console_app.h"
#include "font_samples.h"
#include "sysenv/errors.h"
#include "tests/unit/pe/test_image.h"

namespace sanivo {
namespace {

using namespace sanivo::testing;

const std::string kLive = "C:\\WINDOWS\\system32\\NTVDM.EXE";
const std::string kDllCache = "C:\\WINDOWS\\system32\\dllcache\\NTVDM.EXE";

struct OutcomeCase {
  const char* name;
  std::function<void(sim::Machine&, TRepairContext&)> stage;
  TRepairResult result;
  std::string_view statusText;
  std::string failedCall;  // its start
  std::uint32_t errorCode;
  std::string backupFile;
  std::string detailText;
};

void PrintTo(const OutcomeCase& c, std::ostream* out) { *out << c.name; }

class RepairOutcomeTest : public ::testing::TestWithParam<OutcomeCase> {
 protected:
  RepairOutcomeTest() {
    machine.AddDirectory(kWorkDir);
    context.AppDir = kAppDir;
    context.WorkDir = kWorkDir;
    context.WindowsDir = "C:\\WINDOWS";
    context.SystemDir = "C:\\WINDOWS\\system32";
    context.NtvdmPaths = {kLive, kDllCache, "C:\\WINDOWS\\ServicePackFiles\\i386\\NTVDM.EXE"};
    InitializeConsoleApp();
  }
  ~RepairOutcomeTest() override { FinalizeConsoleApp(); }

  void ExpectOutcome(const TRepairOutcome& outcome) const {
    const OutcomeCase& expected = GetParam();
    EXPECT_EQ(outcome.Result, expected.result);
    EXPECT_EQ(outcome.StatusText, expected.statusText);
    EXPECT_TRUE(outcome.FailedCall.starts_with(expected.failedCall)) << outcome.FailedCall;
    EXPECT_EQ(outcome.FailedCall.empty(), expected.failedCall.empty()) << outcome.FailedCall;
    EXPECT_EQ(outcome.ErrorCode, expected.errorCode);
    EXPECT_EQ(outcome.BackupFile, expected.backupFile);
    EXPECT_EQ(outcome.DetailText, expected.detailText);
    const bool warned = expected.result == TRepairResult::RepairedWithWarning;
    EXPECT_EQ(outcome.WarningText, warned ? texts::kBackupFailed : "");
  }

  sim::Machine machine;
  TRepairContext context;
};

std::string PrintName(const ::testing::TestParamInfo<OutcomeCase>& info) { return info.param.name; }

class AffinityOutcomeTest : public RepairOutcomeTest {
 protected:
  AffinityOutcomeTest() { SetUpWindowsXP(machine, test::BuildTestImage({.affinityMask = 0}), 2); }
};

TEST_P(AffinityOutcomeTest, SaysWhatHappened) {
  GetParam().stage(machine, context);
  ExpectOutcome(RepairNtvdmAffinity(context));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, AffinityOutcomeTest,
    ::testing::Values(
        OutcomeCase{"Repaired", [](sim::Machine&, TRepairContext&) {}, TRepairResult::Repaired,
                    texts::kSuccess, "", 0, "", ""},
        OutcomeCase{"RepairedWithTheBackup",
                    [](sim::Machine&, TRepairContext& c) { c.BackupParam = "C:\\zal\\a.bak"; },
                    TRepairResult::Repaired, texts::kSuccess, "", 0, "C:\\zal\\a.bak", ""},
        OutcomeCase{"BackupFailedButRepaired",
                    [](sim::Machine&, TRepairContext& c) { c.BackupParam = ""; },
                    TRepairResult::RepairedWithWarning, texts::kSuccess, "", 0, "", ""},
        OutcomeCase{"LiveFileMissing",
                    [](sim::Machine&, TRepairContext&) { os::DeleteFileA(kLive); },
                    TRepairResult::Failed, texts::kNtvdmMissing, "GetFileAttributesA", 2, "", ""},
        OutcomeCase{"LiveFileInUse",
                    [](sim::Machine& m, TRepairContext&) {
                      m.HoldOpen(kLive, os::kGenericRead, os::kFileShareRead);
                    },
                    TRepairResult::Failed, texts::kNtvdmInUse, "CreateFileA", 32, "", ""},
        // The backup made before a later failure is still named.
        OutcomeCase{"CachedCopyNotReplaced",
                    [](sim::Machine& m, TRepairContext& c) {
                      c.BackupParam = "C:\\zal\\a.bak";
                      m.Fail("MoveFileExA", kDllCache, 5);
                    },
                    TRepairResult::Failed, texts::kCachedCopyNotReplaced, "EFileAccessError", 0,
                    "C:\\zal\\a.bak", kDllCache}),
    PrintName);

class FontOutcomeTest : public RepairOutcomeTest {
 protected:
  FontOutcomeTest() {
    machine.SetVersion(2, 6, 1);
    machine.AddFile(kFontSource, OurConsoleFont());
    machine.AddKey(os::kHkeyLocalMachine, kFontsKey);
    machine.AddKey(os::kHkeyLocalMachine, kTrueTypeKey);
  }
};

TEST_P(FontOutcomeTest, SaysWhatHappened) {
  GetParam().stage(machine, context);
  ExpectOutcome(RepairConsoleFont(context));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FontOutcomeTest,
    ::testing::Values(
        OutcomeCase{"Repaired", [](sim::Machine&, TRepairContext&) {}, TRepairResult::Repaired,
                    texts::kSuccess, "", 0, "", ""},
        OutcomeCase{
            "FontResourceNotMade",
            [](sim::Machine& m, TRepairContext&) { m.Fail("CreateScalableFontResourceA", "", 87); },
            TRepairResult::Failed, texts::kFontInstallFailed, "CreateScalableFontResourceA", 87, "",
            ""},
        OutcomeCase{"ConsoleKeyNotCreated",
                    [](sim::Machine& m, TRepairContext&) { m.Fail("RegCreateKeyExA", "", 5); },
                    TRepairResult::Failed, texts::kFontDefaultFailed, "RegCreateKeyExA", 5, "", ""},
        OutcomeCase{
            "ValueNotWritten",
            [](sim::Machine& m, TRepairContext&) { m.Fail("RegSetValueExA", "FaceName", 5); },
            TRepairResult::Failed, texts::kFontDefaultFailed, "ERegistryException", 0, "", ""}),
    PrintName);

// Only our own errors end a stage with its message; running out of memory is no failed step
// and reaches the top-level handler.
TEST(Stage, LetsErrorsThatAreNotOursPass) {
  EXPECT_THROW(RunStage(texts::kFontInstallFailed, [] { throw std::bad_alloc(); }), std::bad_alloc);
  EXPECT_THROW(RunStage(texts::kFontInstallFailed, [] { throw ERegistryException("x"); }),
               EStageFailed);
}

}  // namespace
}  // namespace sanivo
