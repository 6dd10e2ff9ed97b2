#include "app/main_body.h"

#include <string>

#include "app/checks.h"
#include "app/repairs.h"
#include "app/run_turn.h"
#include "app/screen.h"
#include "app/texts.h"
#include "app/unattended.h"
#include "app/undo.h"
#include "cmdline/param_parser.h"
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

void PaintMainScreen() {
  TConsoleApplication& console = *ConsoleApplication;
  console.SetTitle(std::string(texts::kProgramTitle));
  console.SetBackgroundColor(clNavy);
  console.ClearScreen();
  console.SetTextColor(clYellow);
  console.DrawFrame(kFrame, fsDouble);
  WriteTextAt(texts::kIntroduction, 8, 4);
  console.SetTextColor(clSilver);
  // The caption sits on the frame's top edge, so the frame goes first.
  WriteTextAt(texts::kCaption, 8, 2);
  console.SetTextColor(clWhite);
}

namespace {

constexpr char kBackupParam[] = "zaloha";

std::array<std::string, 3> ExpandedNtvdmPaths(std::array<std::string, 3> paths) {
  for (std::string& path : paths) {
    path = ReplaceTextAll(ReplaceTextAll(path, "%windir%", WindowsDir), "%system%", SystemDir);
  }
  return paths;
}

// The globals are read here, once; the repairs get what they need passed in.
TRepairContext RepairContext() {
  TRepairContext context;
  context.AppDir = AppDir;
  context.WorkDir = WorkDir;
  context.WindowsDir = WindowsDir;
  context.SystemDir = SystemDir;
  if (ParamParser->HasParam(kBackupParam)) {
    context.BackupParam = ParamParser->GetParamValue(kBackupParam);
  }
  return context;
}

TRepairOutcome RunRepairForThisWindows() {
  switch (WindowsKind) {
    case wkWindowsXP: {
      NtvdmPaths = ExpandedNtvdmPaths(NtvdmPaths);
      TRepairContext context = RepairContext();
      context.NtvdmPaths = NtvdmPaths;
      return RepairNtvdmAffinity(context);
    }
    case wkWindows7:
      return RepairConsoleFont(RepairContext());
    default:
      return OutcomeOf(TRepairResult::NothingToRepair, texts::kNothingToRepair);
  }
}

// The same choice, to find out only; the heading names what is checked.
TRepairOutcome RunCheckForThisWindows() {
  switch (WindowsKind) {
    case wkWindowsXP: {
      WriteTextAt(texts::kNtvdmHeading, kHeadingX, kHeadingY);
      TRepairContext context = RepairContext();
      context.NtvdmPaths = ExpandedNtvdmPaths(NtvdmPaths);
      return CheckNtvdmAffinity(context);
    }
    case wkWindows7:
      WriteTextAt(texts::kFontHeading, kHeadingX, kHeadingY);
      return CheckConsoleFont(RepairContext());
    default:
      return OutcomeOf(TRepairResult::NothingToRepair, texts::kNothingToRepair);
  }
}

// -vratit: the way back from the repair of this Windows, or what taking it back would do.
TRepairOutcome RunTakeBackForThisWindows(const std::string& restoreFile, bool checkOnly) {
  TRepairContext context = RepairContext();
  switch (WindowsKind) {
    case wkWindowsXP:
      context.NtvdmPaths = ExpandedNtvdmPaths(NtvdmPaths);
      if (!restoreFile.empty()) context.RestoreFile = restoreFile;
      if (!checkOnly) return TakeBackNtvdmAffinity(context);
      WriteTextAt(texts::kUndoNtvdmHeading, kHeadingX, kHeadingY);
      return CheckTakeBackNtvdmAffinity(context);
    case wkWindows7:
      if (!checkOnly) return TakeBackConsoleFont(context);
      WriteTextAt(texts::kUndoFontHeading, kHeadingX, kHeadingY);
      return CheckTakeBackConsoleFont(context);
    default:
      return OutcomeOf(TRepairResult::NothingToRepair, texts::kNothingToRepair);
  }
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

namespace {

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

void KeepFailureReadable() {
  if (ConsoleIsOwn()) os::Sleep(kFinalPauseMs);
}

int RunMainBody() {
  WorkDir = IncludeTrailingBackslash(GetSpecialDir("TEMP")) + std::string(texts::kWorkDirName);
  WindowsDir = ExcludeTrailingBackslash(GetSpecialDir("WINDOWS"));
  SystemDir = ExcludeTrailingBackslash(GetSpecialDir("SYSTEM"));
  PaintMainScreen();
  const TRunOptions options = ReadRunOptions();
  ShowUnusedArguments(options.UnusedArguments);
  const TRunTurn turn;
  if (!turn.Taken()) {
    ShowStatus(clRed, texts::kOtherRunGoesOn);
    LogRun(options, TRepairResult::Failed, texts::kOtherRunGoesOn, {});
    if (!options.Quiet) KeepFailureReadable();
    return ExitCodeOf(options, TRepairResult::Failed);
  }
  // The check finds out only: it writes nothing but the log, not even the work directory.
  if (!options.CheckOnly && !ForceDirectories(WorkDir)) {
    ReportWorkDirFailure();
    LogRun(options, TRepairResult::Failed, texts::kWorkDirFailed, {});
    if (!options.Quiet) KeepFailureReadable();
    return ExitCodeOf(options, TRepairResult::Failed);
  }
  const TRepairOutcome outcome =
      options.TakeBack    ? RunTakeBackForThisWindows(*options.TakeBack, options.CheckOnly)
      : options.CheckOnly ? RunCheckForThisWindows()
                          : RunRepairForThisWindows();
  ShowOutcome(outcome);
  LogRun(options, outcome.Result, outcome.StatusText, outcome.BackupFile);
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
