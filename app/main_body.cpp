#include "app/main_body.h"

#include <optional>
#include <string>

#include "app/checks.h"
#include "app/repairs.h"
#include "app/run_turn.h"
#include "app/screen.h"
#include "app/texts.h"
#include "app/unattended.h"
#include "app/undo.h"
#include "platform/os.h"
#include "sysenv/files.h"
#include "sysenv/strings.h"
#include "sysenv/system_dirs.h"
#include "sysenv/windows_version.h"

namespace sanivo {

std::string WorkDir;
std::string WindowsDir;
std::string SystemDir;

namespace {

const std::array<std::string, 3> kNtvdmPathTemplates = {
    "%system%\\NTVDM.EXE",
    "%system%\\dllcache\\NTVDM.EXE",
    "%windir%\\ServicePackFiles\\i386\\NTVDM.EXE",
};

}  // namespace

std::array<std::string, 3> NtvdmPaths = kNtvdmPathTemplates;

// The help page is the same page with its own line in the frame.
void PaintMainScreen(std::string_view introduction) {
  TConsoleApplication& console = *ConsoleApplication;
  console.SetTitle(std::string(texts::kProgramTitle));
  console.SetBackgroundColor(clNavy);
  console.ClearScreen();
  console.SetTextColor(clYellow);
  console.DrawFrame(kFrame, fsDouble);
  WriteTextAt(introduction, 8, 4);
  console.SetTextColor(clSilver);
  // The caption sits on the frame's top edge, so the frame goes first.
  WriteTextAt(texts::kCaption, 8, 2);
  console.SetTextColor(clWhite);
}

namespace {

std::array<std::string, 3> ExpandedNtvdmPaths(std::array<std::string, 3> paths) {
  for (std::string& path : paths) {
    path = ReplaceTextAll(ReplaceTextAll(path, "%windir%", WindowsDir), "%system%", SystemDir);
  }
  return paths;
}

// The globals are read here, once; the repairs get what they need passed in.
TRepairContext RepairContext(const TRunOptions& options) {
  TRepairContext context;
  context.AppDir = AppDir;
  context.WorkDir = WorkDir;
  context.WindowsDir = WindowsDir;
  context.SystemDir = SystemDir;
  context.BackupParam = options.BackupParam;
  return context;
}

TRepairOutcome OfKind(TRepairKind kind, TRepairOutcome outcome) {
  outcome.Kind = kind;
  return outcome;
}

TRepairOutcome RunRepairForThisWindows(const TRunOptions& options) {
  switch (RepairKindForThisWindows()) {
    case TRepairKind::NtvdmAffinity: {
      NtvdmPaths = ExpandedNtvdmPaths(NtvdmPaths);
      TRepairContext context = RepairContext(options);
      context.NtvdmPaths = NtvdmPaths;
      return RepairNtvdmAffinity(context);
    }
    case TRepairKind::ConsoleFont:
      return RepairConsoleFont(RepairContext(options));
    case TRepairKind::None:
    case TRepairKind::UserConsoleFont:
      break;
  }
  return OutcomeOf(TRepairResult::NothingToRepair, texts::kNothingToRepair);
}

// The same choice, to find out only; the heading names what is checked.
TRepairOutcome RunCheckForThisWindows(const TRunOptions& options) {
  switch (RepairKindForThisWindows()) {
    case TRepairKind::NtvdmAffinity: {
      WriteTextAt(texts::kNtvdmHeading, kHeadingX, kHeadingY);
      TRepairContext context = RepairContext(options);
      context.NtvdmPaths = ExpandedNtvdmPaths(NtvdmPaths);
      return CheckNtvdmAffinity(context);
    }
    case TRepairKind::ConsoleFont:
      WriteTextAt(texts::kFontHeading, kHeadingX, kHeadingY);
      return CheckConsoleFont(RepairContext(options));
    case TRepairKind::None:
    case TRepairKind::UserConsoleFont:
      break;
  }
  return OutcomeOf(TRepairResult::NothingToRepair, texts::kNothingToRepair);
}

// A script run at every start repairs only a machine that needs it: one that is right gets no
// backup and no write to its system files or registry. A check that cannot decide leaves it to
// the repair, which reports its own result.
TRepairOutcome RunRepairWhereNeeded(const TRunOptions& options) {
  TRepairOutcome check = RunCheckForThisWindows(options);
  if (check.Result == TRepairResult::NotNeeded) return check;
  return RunRepairForThisWindows(options);
}

// -vratit: the way back from the repair of this Windows, or what taking it back would do.
TRepairOutcome RunTakeBackForThisWindows(const TRunOptions& options) {
  TRepairContext context = RepairContext(options);
  switch (RepairKindForThisWindows()) {
    case TRepairKind::NtvdmAffinity:
      context.NtvdmPaths = ExpandedNtvdmPaths(NtvdmPaths);
      if (!options.TakeBack->empty()) context.RestoreFile = *options.TakeBack;
      if (!options.CheckOnly) return TakeBackNtvdmAffinity(context);
      WriteTextAt(texts::kUndoNtvdmHeading, kHeadingX, kHeadingY);
      return CheckTakeBackNtvdmAffinity(context);
    case TRepairKind::ConsoleFont:
      if (!options.CheckOnly) return TakeBackConsoleFont(context);
      WriteTextAt(texts::kUndoFontHeading, kHeadingX, kHeadingY);
      return CheckTakeBackConsoleFont(context);
    case TRepairKind::None:
    case TRepairKind::UserConsoleFont:
      break;
  }
  return OutcomeOf(TRepairResult::NothingToRepair, texts::kNothingToRepair);
}

// Taking back has its own check: under -tise it takes back whatever is there to take back.
TRepairOutcome RunChosenWork(const TRunOptions& options) {
  if (options.TakeBack) return RunTakeBackForThisWindows(options);
  if (options.CheckOnly) return RunCheckForThisWindows(options);
  if (options.Quiet) return RunRepairWhereNeeded(options);
  return RunRepairForThisWindows(options);
}

void ReportWorkDirFailure() {
  ConsoleApplication->SetTextColor(clRed);
  WriteTextAt(texts::kWorkDirFailed, 10, 13);
  ConsoleApplication->SetTextColor(clSilver);
  WriteTextAt(WorkDir, 10, 14);
}

// The count comes back even when the ids do not fit; 0 means no console at all.
bool ConsoleIsOwn() {
  std::uint32_t processId = 0;
  return os::GetConsoleProcessList(&processId, 1) == 1;
}

}  // namespace

void ShowOutcome(const TRepairOutcome& outcome) {
  switch (outcome.Result) {
    case TRepairResult::NothingToRepair:
      WriteTextAt(outcome.StatusText, kHeadingX, kHeadingY);
      return;
    case TRepairResult::Repaired:
    case TRepairResult::RepairedWithWarning:
    case TRepairResult::NotNeeded:
    case TRepairResult::TakenBack:
    case TRepairResult::NothingToTakeBack:
      ShowStatus(clLime, outcome.StatusText);
      return;
    case TRepairResult::Needed:
    case TRepairResult::TakenBackAtRestart:
    case TRepairResult::CanTakeBack:
      ShowStatus(clYellow, outcome.StatusText);
      return;
    case TRepairResult::Undecided:
    case TRepairResult::Failed:
      ShowStatus(clRed, outcome.StatusText);
      if (outcome.DetailText.empty()) return;
      ConsoleApplication->SetTextColor(clSilver);
      WriteTextAt(outcome.DetailText, kStatusX, kStatusDetailY);
      return;
  }
}

void KeepFailureReadable() {
  if (ConsoleIsOwn()) os::Sleep(kFinalPauseMs);
}

TRepairKind RepairKindForThisWindows() {
  switch (WindowsKind) {
    case wkWindowsXP:
      return TRepairKind::NtvdmAffinity;
    case wkWindows7:
      return TRepairKind::ConsoleFont;
    default:
      return TRepairKind::None;
  }
}

std::optional<int> RunEndedBeforeWork(const TRunOptions& options, TRepairKind kind,
                                      const TSwitchTable& switches) {
  if (options.Help) {
    PaintMainScreen(switches.HelpHeading);
    ShowHelp(switches.Rows);
    // Asked for at a command prompt, it ends at once; a console of its own closes with it.
    if (!options.Quiet) KeepFailureReadable();
    return 0;
  }
  PaintMainScreen(texts::kIntroduction);
  ShowUnusedArguments(options.UnusedArguments);
  // A script that mistyped a switch may have meant a backup, or only a check.
  if (!options.Unattended() || options.UnusedArguments.empty()) return std::nullopt;
  const TRepairOutcome refused =
      OfKind(kind, OutcomeOf(TRepairResult::Failed, texts::kInvalidArguments));
  ShowOutcome(refused);
  LogRun(options, refused);
  if (!options.Quiet) os::Sleep(kFinalPauseMs);
  return kExitCodeFailed;
}

int RunMainBody(const TRunOptions& options) {
  WorkDir = IncludeTrailingBackslash(GetSpecialDir("TEMP")) + std::string(texts::kWorkDirName);
  WindowsDir = ExcludeTrailingBackslash(GetSpecialDir("WINDOWS"));
  SystemDir = ExcludeTrailingBackslash(GetSpecialDir("SYSTEM"));
  const TRepairKind kind = RepairKindForThisWindows();
  if (const std::optional<int> exitCode = RunEndedBeforeWork(options, kind, ProgramSwitches()))
    return *exitCode;
  const TRunTurn turn;
  if (!turn.Taken()) {
    const TRepairOutcome failed =
        OfKind(kind, OutcomeOf(TRepairResult::Failed, texts::kOtherRunGoesOn));
    ShowOutcome(failed);
    LogRun(options, failed);
    if (!options.Quiet) KeepFailureReadable();
    return ExitCodeOf(options, failed.Result);
  }
  // The check finds out only: it writes nothing but the log, not even the work directory.
  if (!options.CheckOnly && !ForceDirectories(WorkDir)) {
    const TRepairOutcome failed = OfKind(
        kind,
        OutcomeOfFailedCall(TRepairResult::Failed, texts::kWorkDirFailed, "CreateDirectoryA"));
    ReportWorkDirFailure();
    LogRun(options, failed);
    if (!options.Quiet) KeepFailureReadable();
    return ExitCodeOf(options, failed.Result);
  }
  const TRepairOutcome outcome = OfKind(kind, RunChosenWork(options));
  ShowOutcome(outcome);
  LogRun(options, outcome);
  if (!options.Quiet) os::Sleep(kFinalPauseMs);
  return ExitCodeOf(options, outcome.Result);
}

void ReleaseMainBodyGlobals() {
  WorkDir.clear();
  WindowsDir.clear();
  SystemDir.clear();
  NtvdmPaths = kNtvdmPathTemplates;
}

}  // namespace sanivo
