#include <string>

#include "app/console_font_parts.h"
#include "app/screen.h"
#include "app/stage.h"
#include "app/texts.h"
#include "app/user_main_body.h"
#include "platform/os.h"
#include "sysenv/registry.h"

namespace sanivo {

namespace {

// The user may read what the machine-wide part put in place, but could not put it there.
void RequireMachineWidePart(const std::string& windowsDir) {
  WriteText(texts::kStepCheckingMachineFont);
  if (!console_font::MachineWidePartInPlace(windowsDir)) {
    throw EStepFailed("MachineWidePartInPlace", 0);
  }
}

}  // namespace

TRepairOutcome RepairUserConsoleFont(const std::string& windowsDir) {
  StartProgressLine();
  return RunStages([&] {
    RunStage(texts::kMachineFontMissing, [&] { RequireMachineWidePart(windowsDir); });
    TRegistry registry(os::kHkeyCurrentUser);
    RunStage(texts::kFontDefaultFailed, [&] { console_font::MakeFontDefaultForNtvdm(registry); });
    return OutcomeOf(TRepairResult::Repaired, texts::kSuccess);
  });
}

}  // namespace sanivo
