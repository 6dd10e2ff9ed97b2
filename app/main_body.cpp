#include "app/main_body.h"

#include <string>

#include "app/repairs.h"
#include "app/screen.h"
#include "app/texts.h"
#include "platform/os.h"
#include "sysenv/files.h"
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

namespace {

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

void RunRepairForThisWindows() {
  switch (WindowsKind) {
    case wkWindowsXP:
      RepairNtvdmAffinity();
      break;
    case wkWindows7:
      RepairConsoleFont();
      break;
    default:
      WriteTextAt(texts::kNothingToRepair, kHeadingX, kHeadingY);
      break;
  }
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

void KeepFailureReadable() {
  if (ConsoleIsOwn()) os::Sleep(kFinalPauseMs);
}

void RunMainBody() {
  WorkDir = IncludeTrailingBackslash(GetSpecialDir("TEMP")) + std::string(texts::kWorkDirName);
  WindowsDir = ExcludeTrailingBackslash(GetSpecialDir("WINDOWS"));
  SystemDir = ExcludeTrailingBackslash(GetSpecialDir("SYSTEM"));
  PaintMainScreen();
  if (!ForceDirectories(WorkDir)) {
    ReportWorkDirFailure();
    KeepFailureReadable();
    return;
  }
  RunRepairForThisWindows();
  os::Sleep(kFinalPauseMs);
}

void ReleaseMainBodyGlobals() {
  WorkDir.clear();
  WindowsDir.clear();
  SystemDir.clear();
  NtvdmPaths = kNtvdmPathTemplates;
}

}  // namespace sanivo
