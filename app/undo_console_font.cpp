// Taking the console font repair back: the console settings of ntvdm.exe that name our face,
// the console's entry for the face, the system's entry for the font, the font itself. What no
// longer holds ours (a face the user chose since, another font of that name) stays.
#include <optional>
#include <string>
#include <vector>

#include "app/console_font_facts.h"
#include "app/font_file.h"
#include "app/pending_deletion.h"
#include "app/registry_lookup.h"
#include "app/screen.h"
#include "app/stage.h"
#include "app/texts.h"
#include "app/undo.h"
#include "base/exception.h"
#include "platform/os.h"
#include "sysenv/errors.h"
#include "sysenv/file_access.h"
#include "sysenv/files.h"
#include "sysenv/registry.h"

namespace sanivo {

namespace {

using namespace console_font;

// What of the repair's is still there, found before anything changes.
struct TFontTakeBack {
  std::vector<std::string> ConsoleValues;  // under kConsoleKey
  std::vector<std::string> Slots;          // under kTrueTypeFontKey
  bool FontsEntry = false;
  bool FontFile = false;  // ours, and its deletion not pending yet
  bool Empty() const { return ConsoleValues.empty() && Slots.empty() && !FontsEntry && !FontFile; }
};

bool HoldsNumber(const TRegistry& registry, const std::string& name, std::uint32_t number) {
  const std::optional<TRegistry::TRawValue> value = registry.ReadRaw(name);
  return value && value->Type == os::kRegDword && value->Data.size() == sizeof number &&
         registry.ReadInteger(name) == number;
}

// The four values count as ours while FaceName names our face; each only while it holds what
// the repair wrote.
std::vector<std::string> OurConsoleValues(TRegistry& registry) {
  if (!OpenedIfThere(registry, os::kHkeyCurrentUser, kConsoleKey, TKeyAccess::Read) ||
      !HoldsText(registry, kFaceNameValue, kConsoleFaceName)) {
    return {};
  }
  std::vector<std::string> names = {kFaceNameValue};
  if (HoldsNumber(registry, kFontFamilyValue, kTrueTypeModernFamily)) {
    names.push_back(kFontFamilyValue);
  }
  if (HoldsNumber(registry, kFontSizeValue, kFontSize)) names.push_back(kFontSizeValue);
  if (HoldsNumber(registry, kFontWeightValue, kNormalWeight)) names.push_back(kFontWeightValue);
  return names;
}

// The entries "0", "00", ... that name our face, as far as the repair's own walk goes.
std::vector<std::string> OurSlots(TRegistry& registry) {
  std::vector<std::string> slots;
  if (!OpenedIfThere(registry, os::kHkeyLocalMachine, kTrueTypeFontKey, TKeyAccess::Read)) {
    return slots;
  }
  for (std::string name = kFirstTrueTypeSlot; registry.ValueExists(name); name += '0') {
    if (HoldsText(registry, name, kConsoleFaceName)) slots.push_back(name);
  }
  return slots;
}

bool IsOurFontFile(const std::string& path) {
  return FileExists(path) && IsOurConsoleFont(ReadWholeFile(path)) && !IsDeletionPending(path);
}

// What of the per-user part is there: all that a user without administrator rights may change.
TFontTakeBack PlanUserTakeBack() {
  TFontTakeBack plan;
  TRegistry registry(os::kHkeyCurrentUser);
  plan.ConsoleValues = OurConsoleValues(registry);
  return plan;
}

TFontTakeBack PlanTakeBack(const std::string& fontFile) {
  TFontTakeBack plan = PlanUserTakeBack();
  TRegistry registry(os::kHkeyLocalMachine);
  plan.Slots = OurSlots(registry);
  plan.FontsEntry = OpenedIfThere(registry, os::kHkeyLocalMachine, kFontsKey, TKeyAccess::Read) &&
                    HoldsText(registry, std::string(texts::kFontValueName), kFileName);
  plan.FontFile = IsOurFontFile(fontFile);
  return plan;
}

// Every change made so far, so that a failure later on can put each back.
class TChanges {
 public:
  // Deletes the values of the open key, remembering each as it was.
  void DeleteValues(TRegistry& registry, os::HKey root, const std::string& key,
                    const std::vector<std::string>& names) {
    for (const std::string& name : names) {
      const std::optional<TRegistry::TRawValue> value = registry.ReadRaw(name);
      if (!value) continue;
      registry.DeleteValue(name);
      deleted_.push_back({root, key, name, *value});
    }
  }

  void FontRemoved(const std::string& fontFile) { removedFont_ = fontFile; }

  // Best effort: what cannot be put back is found by the next run of the repair.
  void PutBack() {
    if (!removedFont_.empty()) os::AddFontResourceA(removedFont_);
    TRegistry registry;
    for (auto value = deleted_.rbegin(); value != deleted_.rend(); ++value) {
      registry.SetRootKey(value->root);
      if (!registry.OpenKey(value->key, true)) continue;
      try {
        registry.WriteRaw(value->name, value->value);
      } catch (const ERegistryException&) {
      }
    }
  }

 private:
  struct TDeletedValue {
    os::HKey root;
    std::string key;
    std::string name;
    TRegistry::TRawValue value;
  };
  std::vector<TDeletedValue> deleted_;
  std::string removedFont_;
};

// A console key left empty goes too: a later repair would take it for the user's own settings
// without the family it needs, and fail.
void RemoveConsoleSettings(const TFontTakeBack& plan, TRegistry& registry, TChanges& changes) {
  WriteText(texts::kStepRemovingSettings);
  if (!OpenedIfThere(registry, os::kHkeyCurrentUser, kConsoleKey, TKeyAccess::Write))
    FailStep("RegOpenKeyExA");
  changes.DeleteValues(registry, os::kHkeyCurrentUser, kConsoleKey, plan.ConsoleValues);
  if (!registry.KeyIsEmpty()) return;
  registry.CloseKey();
  if (!registry.DeleteKey(kConsoleKey)) FailStep("RegDeleteKeyA");
}

void RemoveConsoleEntries(const TFontTakeBack& plan, TRegistry& registry, TChanges& changes) {
  WriteText(texts::kStepRemovingDosFonts);
  if (!OpenedIfThere(registry, os::kHkeyLocalMachine, kTrueTypeFontKey, TKeyAccess::Write))
    FailStep("RegOpenKeyExA");
  changes.DeleteValues(registry, os::kHkeyLocalMachine, kTrueTypeFontKey, plan.Slots);
}

// The font goes last, so that nothing after it can fail: a deleted file needs no putting back.
// Windows holds a registered font open from logon; such a file goes at the next restart.
// Returns whether it was left to the restart.
bool RemoveFont(const TFontTakeBack& plan, const std::string& fontFile, TRegistry& registry,
                TChanges& changes) {
  if (plan.FontsEntry) {
    WriteText(texts::kStepRemovingFonts);
    if (!OpenedIfThere(registry, os::kHkeyLocalMachine, kFontsKey, TKeyAccess::Write))
      FailStep("RegOpenKeyExA");
    changes.DeleteValues(registry, os::kHkeyLocalMachine, kFontsKey,
                         {std::string(texts::kFontValueName)});
  }
  if (!plan.FontFile) return false;
  WriteText(texts::kStepRemovingFont);
  // Loaded under another name (the repair adds its resource file), it stays till logoff.
  if (os::RemoveFontResourceA(fontFile)) changes.FontRemoved(fontFile);
  WriteText(texts::kStepDeletingFont);
  if (os::DeleteFileA(fontFile)) return false;
  if (!ScheduleDeletion(fontFile)) FailStep("MoveFileExA");
  return true;
}

// Runs the stages with one registry accessor and one record of what they changed; a stage that
// fails puts back what the stages before it changed.
template <typename Stages>
void AllOrNothing(Stages stages) {
  TRegistry registry;
  TChanges changes;
  try {
    stages(registry, changes);
  } catch (const EStageFailed&) {
    registry.CloseKey();
    changes.PutBack();
    throw;
  }
}

// Plans the way back, then removes what the plan found, all or nothing: the console settings,
// then what `machineWide` removes (the per-user program has none, and so carries none).
// False when there was nothing to take back.
template <typename Plan, typename MachineWide>
bool TookBack(Plan planned, MachineWide machineWide) {
  TFontTakeBack plan;
  RunStage(texts::kTakeBackUndecided, [&] { plan = planned(); });
  if (plan.Empty()) return false;
  AllOrNothing([&](TRegistry& registry, TChanges& changes) {
    if (!plan.ConsoleValues.empty()) {
      RunStage(texts::kFontDefaultFailed, [&] { RemoveConsoleSettings(plan, registry, changes); });
    }
    machineWide(plan, registry, changes);
  });
  return true;
}

TRepairOutcome NothingToTakeBack() {
  return OutcomeOf(TRepairResult::NothingToTakeBack, texts::kNothingToTakeBack);
}

TRepairOutcome TakeBack(const std::string& fontFile) {
  bool atRestart = false;
  const bool tookBack =
      TookBack([&] { return PlanTakeBack(fontFile); },
               [&](const TFontTakeBack& plan, TRegistry& registry, TChanges& changes) {
                 if (!plan.Slots.empty()) {
                   RunStage(texts::kFontRegisterFailed,
                            [&] { RemoveConsoleEntries(plan, registry, changes); });
                 }
                 RunStage(texts::kFontInstallFailed,
                          [&] { atRestart = RemoveFont(plan, fontFile, registry, changes); });
               });
  if (!tookBack) return NothingToTakeBack();
  return atRestart ? OutcomeOf(TRepairResult::TakenBackAtRestart, texts::kTakenBackAtRestart)
                   : OutcomeOf(TRepairResult::TakenBack, texts::kTakenBack);
}

std::string InstalledFont(const TRepairContext& context) {
  return context.WindowsDir + "\\Fonts\\" + kFileName;
}

// What a check finds: whether the plan holds anything; a plan that cannot be made decides
// nothing.
template <typename Plan>
TRepairOutcome OutcomeOfPlan(Plan plan) {
  try {
    return plan().Empty() ? NothingToTakeBack()
                          : OutcomeOf(TRepairResult::CanTakeBack, texts::kCanTakeBack);
  } catch (const Exception& cause) {
    return CheckFailure(texts::kTakeBackUndecided, cause);
  }
}

}  // namespace

TRepairOutcome TakeBackConsoleFont(const TRepairContext& context) {
  WriteTextAt(texts::kUndoFontHeading, kHeadingX, kHeadingY);
  StartProgressLine();
  const TRepairOutcome outcome = RunStages([&] { return TakeBack(InstalledFont(context)); });
  if (outcome.Result == TRepairResult::TakenBack ||
      outcome.Result == TRepairResult::TakenBackAtRestart) {
    os::SendMessageA(os::kBroadcast, os::kWmFontChange, 0, 0);
  }
  return outcome;
}

TRepairOutcome CheckTakeBackConsoleFont(const TRepairContext& context) {
  return OutcomeOfPlan([&] { return PlanTakeBack(InstalledFont(context)); });
}

// The per-user part alone, as the whole way back takes it: the user's console settings only,
// so the font stays registered and the font table unchanged.
TRepairOutcome TakeBackUserConsoleFont() {
  StartProgressLine();
  return RunStages([] {
    const auto nothingMachineWide = [](const TFontTakeBack&, TRegistry&, TChanges&) {};
    return TookBack(PlanUserTakeBack, nothingMachineWide)
               ? OutcomeOf(TRepairResult::TakenBack, texts::kTakenBack)
               : NothingToTakeBack();
  });
}

TRepairOutcome CheckTakeBackUserConsoleFont() { return OutcomeOfPlan(PlanUserTakeBack); }

}  // namespace sanivo
