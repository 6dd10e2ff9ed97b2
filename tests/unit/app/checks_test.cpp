#include "app/checks.h"

#include <gtest/gtest.h>

#include <functional>

#include "app/program.h"
#include "app/texts.h"
#include "app_test_support.h"
#include "font_samples.h"
#include "pe/pe_image.h"
#include "tests/unit/pe/test_image.h"

namespace sanivo {
namespace {

using namespace sanivo::testing;

// A check looks and changes nothing: the same files and registry before and after.
TRepairOutcome CheckedWithoutChange(const sim::Machine& machine,
                                    const std::function<TRepairOutcome()>& check) {
  const auto files = machine.Listing();
  const auto registry = machine.RegistryDump();
  const TRepairOutcome result = check();
  EXPECT_EQ(machine.Listing(), files);
  EXPECT_EQ(machine.RegistryDump(), registry);
  return result;
}

// Windows 7 as it comes, then repaired by the program itself.
void SetUpRepairedWindows7(sim::Machine& machine) {
  SetUpWindows7(machine);
  ASSERT_EQ(RunProgram(), 0);
}

TRepairOutcome CheckFont(const sim::Machine& machine) {
  TRepairContext context;
  context.AppDir = kAppDir;
  context.WindowsDir = "C:\\WINDOWS";
  return CheckedWithoutChange(machine, [&] { return CheckConsoleFont(context); });
}

TEST(ConsoleFontCheckTest, NeededBeforeTheRepairAndNotAfterIt) {
  sim::Machine machine;
  machine.AddFile(kFontSource, OurConsoleFont());
  machine.SetString(os::kHkeyLocalMachine, kTrueTypeKey, "0", "Lucida Console");
  EXPECT_EQ(CheckFont(machine).Result, TRepairResult::Needed);
  SetUpRepairedWindows7(machine);
  EXPECT_EQ(CheckFont(machine).Result, TRepairResult::NotNeeded);
  // Without the font beside the program the repair would fail before it changed anything.
  os::DeleteFileA(kFontSource);
  const TRepairOutcome result = CheckFont(machine);
  EXPECT_EQ(result.Result, TRepairResult::Undecided);
  EXPECT_EQ(result.StatusText, texts::kFontMissing);
}

TEST(ConsoleFontCheckTest, EachThingTheRepairPutsInPlaceIsLookedAt) {
  const std::pair<const char*, std::function<void(sim::Machine&)>> undone[] = {
      {"font file gone", [](sim::Machine&) { os::DeleteFileA(kInstalledFont); }},
      {"font file damaged",
       [](sim::Machine& m) { m.AddFile(kInstalledFont, OurConsoleFont().substr(0, 4000)); }},
      {"another face", [](sim::Machine& m) { m.AddFile(kInstalledFont, ItsSourceFont()); }},
      {"Fonts entry names another file",
       [](sim::Machine& m) { m.SetString(os::kHkeyLocalMachine, kFontsKey, kFontValue, "x.ttf"); }},
      {"no TrueTypeFont entry for the face",
       [](sim::Machine& m) { m.SetString(os::kHkeyLocalMachine, kTrueTypeKey, "00", "Consolas"); }},
      {"FaceName differs",
       [](sim::Machine& m) { m.SetString(os::kHkeyCurrentUser, kConsoleKey, "FaceName", "x"); }},
      {"FontFamily differs",
       [](sim::Machine& m) { m.SetDword(os::kHkeyCurrentUser, kConsoleKey, "FontFamily", 54); }},
      {"FontFamily of another type",
       [](sim::Machine& m) { m.SetString(os::kHkeyCurrentUser, kConsoleKey, "FontFamily", "55"); }},
      {"no console settings",
       [](sim::Machine&) { os::RegDeleteKeyA(os::kHkeyCurrentUser, kConsoleKey); }},
  };
  for (const auto& [what, undo] : undone) {
    SCOPED_TRACE(what);
    sim::Machine machine;
    SetUpRepairedWindows7(machine);
    undo(machine);
    EXPECT_EQ(CheckFont(machine).Result, TRepairResult::Needed);
  }
}

// The check walks "0", "00", ... as the repair does: from "0" on, past a value of another type.
TEST(ConsoleFontCheckTest, NotNeededWhereverTheRepairPutTheFace) {
  const std::pair<const char*, std::function<void(sim::Machine&)>> firstSlots[] = {
      {"free", [](sim::Machine&) {}},
      {"another face",
       [](sim::Machine& m) { m.SetString(os::kHkeyLocalMachine, kTrueTypeKey, "0", "Consolas"); }},
      {"a number",
       [](sim::Machine& m) { m.SetDword(os::kHkeyLocalMachine, kTrueTypeKey, "0", 0); }},
  };
  for (const auto& [what, seed] : firstSlots) {
    SCOPED_TRACE(what);
    sim::Machine machine;
    machine.SetVersion(2, 6, 1);
    machine.AddFile(kFontSource, OurConsoleFont());
    machine.AddKey(os::kHkeyLocalMachine, kTrueTypeKey);
    seed(machine);
    ASSERT_EQ(RunProgram(), 0);
    EXPECT_EQ(CheckFont(machine).Result, TRepairResult::NotNeeded);
  }
}

TEST(ConsoleFontCheckTest, WhatCannotBeReadDecidesNothing) {
  const std::pair<const char*, std::function<void(sim::Machine&)>> faults[] = {
      {"font unreadable", [](sim::Machine& m) { m.Fail("ReadFile", kInstalledFont, 5); }},
      {"key refused",
       [](sim::Machine& m) {
         m.Fail("RegOpenKeyExA", std::string("HKEY_LOCAL_MACHINE\\") + kFontsKey, 5);
       }},
  };
  for (const auto& [what, fault] : faults) {
    SCOPED_TRACE(what);
    sim::Machine machine;
    SetUpRepairedWindows7(machine);
    fault(machine);
    const TRepairOutcome result = CheckFont(machine);
    EXPECT_EQ(result.Result, TRepairResult::Undecided);
    EXPECT_EQ(result.StatusText, texts::kCheckUndecided);
  }
}

class NtvdmAffinityCheckTest : public ::testing::Test {
 protected:
  NtvdmAffinityCheckTest() : original(test::BuildTestImage({.affinityMask = 0})) {
    SetUpWindowsXP(machine, original);
  }

  TRepairOutcome Check() const {
    TRepairContext context;
    context.NtvdmPaths = kNtvdm;
    return CheckedWithoutChange(machine, [&] { return CheckNtvdmAffinity(context); });
  }

  sim::Machine machine;
  const std::string original;
};

TEST_F(NtvdmAffinityCheckTest, NeededUntilTheLiveFileAndEveryCachedCopyArePinned) {
  EXPECT_EQ(Check().Result, TRepairResult::Needed);
  ASSERT_EQ(RunProgram(), 0);
  EXPECT_EQ(Check().Result, TRepairResult::NotNeeded);
  const std::string patched = machine.FileBytes(kNtvdm[0]);

  for (const std::string& cached : {kNtvdm[1], kNtvdm[2]}) {
    SCOPED_TRACE(cached);
    machine.AddFile(cached, original);
    EXPECT_EQ(Check().Result, TRepairResult::Needed);
    os::DeleteFileA(cached);  // only copies that exist count
    EXPECT_EQ(Check().Result, TRepairResult::NotNeeded);
    machine.AddFile(cached, patched);
  }
  for (const std::string& path : kNtvdm) {
    machine.AddFile(path, test::BuildTestImage({.affinityMask = 3}));
  }
  EXPECT_EQ(Check().Result, TRepairResult::Needed);
}

TEST_F(NtvdmAffinityCheckTest, WhatTheRepairWouldRefuseIsReportedTheSameWay) {
  const os::Handle holder = machine.HoldOpen(kNtvdm[0], os::kGenericRead, os::kFileShareRead);
  TRepairOutcome result = Check();
  EXPECT_EQ(result.Result, TRepairResult::Undecided);
  EXPECT_EQ(result.StatusText, texts::kNtvdmInUse);
  machine.Release(holder);

  // No image, and a pinned one damaged in place, which the repair refuses too.
  TPeImage pinned(test::BuildTestImage({.affinityMask = 1}));
  pinned.UpdateChecksum();
  std::string damaged = pinned.Bytes();
  damaged[damaged.size() - 0x10] ^= 0x55;
  for (const std::string& live : {std::string("MZ but no image"), damaged}) {
    for (const std::string& path : kNtvdm) machine.AddFile(path, live);
    result = Check();
    EXPECT_EQ(result.Result, TRepairResult::Undecided);
    EXPECT_EQ(result.StatusText, texts::kCheckUndecided);
  }

  os::DeleteFileA(kNtvdm[0]);
  result = Check();
  EXPECT_EQ(result.Result, TRepairResult::Undecided);
  EXPECT_EQ(result.StatusText, texts::kNtvdmMissing);
}

}  // namespace
}  // namespace sanivo
