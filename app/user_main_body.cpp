#include "app/user_main_body.h"

#include <optional>
#include <string>

#include "app/checks.h"
#include "app/main_body.h"
#include "app/screen.h"
#include "app/texts.h"
#include "app/unattended.h"
#include "app/undo.h"
#include "platform/os.h"
#include "sysenv/files.h"
#include "sysenv/system_dirs.h"
#include "sysenv/windows_version.h"

namespace sanivo {

// Other versions keep no console font per user that the program would set.
TRepairKind UserRepairKind() {
  return WindowsKind == wkWindows7 ? TRepairKind::UserConsoleFont : TRepairKind::None;
}

namespace {

TRepairOutcome RunForThisUser(const TRunOptions& options) {
  if (UserRepairKind() == TRepairKind::None) {
    return OutcomeOf(TRepairResult::NotNeeded, texts::kCheckNotNeeded);
  }
  if (options.TakeBack) {
    return options.CheckOnly ? CheckTakeBackUserConsoleFont() : TakeBackUserConsoleFont();
  }
  return options.CheckOnly ? CheckUserConsoleFont() : RepairUserConsoleFont(WindowsDir);
}

}  // namespace

// As sanivo.exe's main body, without a work directory: nothing is written but the registry.
int RunUserMainBody(const TRunOptions& options) {
  WindowsDir = ExcludeTrailingBackslash(GetSpecialDir("WINDOWS"));
  if (const std::optional<int> exitCode =
          RunEndedBeforeWork(options, UserRepairKind(), UserProgramSwitches())) {
    return *exitCode;
  }
  WriteTextAt(options.TakeBack ? texts::kUndoUserFontHeading : texts::kUserFontHeading, kHeadingX,
              kHeadingY);
  TRepairOutcome outcome = RunForThisUser(options);
  outcome.Kind = UserRepairKind();
  ShowOutcome(outcome);
  LogRun(options, outcome);
  if (!options.Quiet) os::Sleep(kFinalPauseMs);
  return ExitCodeOf(options, outcome.Result);
}

}  // namespace sanivo
