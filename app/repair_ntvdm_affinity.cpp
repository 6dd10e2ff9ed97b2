// The DOS subsystem of Windows XP misbehaves on several processors: pin NTVDM.EXE to the
// first one with the image-configuration tool and put the patched file in place of the live
// file and of the system's cached copies, keeping a backup on request.
#include <cstdio>
#include <string>

#include "app/main_body.h"
#include "app/repairs.h"
#include "app/screen.h"
#include "app/texts.h"
#include "cmdline/param_parser.h"
#include "pe/pe_image.h"
#include "platform/os.h"
#include "sysenv/errors.h"
#include "sysenv/file_access.h"
#include "sysenv/files.h"
#include "sysenv/process.h"
#include "sysenv/strings.h"
#include "sysenv/windows_version.h"

namespace sanivo {

namespace {

constexpr char kBackupParam[] = "zaloha";
constexpr char kToolProbeName[] = "imagecfg.exe";
constexpr char kToolName[] = "IMAGECFG.EXE";
constexpr char kToolOptions[] = "-a 0X1 ";
constexpr std::uint64_t kFirstProcessor = 1;
constexpr unsigned kBackupWarningPauseMs = 1000;

void ExpandNtvdmPaths() {
  for (std::string& path : NtvdmPaths) {
    path = ReplaceTextAll(ReplaceTextAll(path, "%windir%", WindowsDir), "%system%", SystemDir);
  }
}

std::string TodayAsFileName() {
  const os::LocalDate today = os::GetLocalDate();
  char name[16];
  std::snprintf(name, sizeof name, "%04d%02d%02d.bak", today.year, today.month, today.day);
  return name;
}

// A value ending in "\" names a directory that gets a backup named by today's date.
std::string BackupPathFromParam(std::string value) {
  if (!EndsWithStr("\\", value)) return ExpandFileName(value);
  value.pop_back();
  return IncludeTrailingBackslash(ExpandFileName(value)) + TodayAsFileName();
}

// A failed backup does not stop the repair; the warning stays on screen, and so do its colour
// and the cursor behind it.
void BackUp(const std::string& live) {
  try {
    const std::string backupPath = BackupPathFromParam(ParamParser->GetParamValue(kBackupParam));
    ForceDirectories(ExtractFilePath(backupPath));
    if (!os::CopyFileA(live, backupPath, false)) {
      throw Exception(std::string(texts::kBackupCopyFailed));
    }
  } catch (const Exception&) {
    ShowStatus(clYellow, texts::kBackupFailed);
    os::Sleep(kBackupWarningPauseMs);
  }
}

// The tool's exit status says nothing reliable: look at the result itself.
bool HasFirstProcessorAffinity(const std::string& path) {
  try {
    return TPeImage(ReadWholeFile(path)).AffinityMask() == kFirstProcessor;
  } catch (const EFileAccessError&) {
    return false;
  } catch (const EPeImageError&) {
    return false;
  }
}

void ReplaceCachedCopies(const std::string& patched) {
  for (std::size_t i = 1; i < NtvdmPaths.size(); ++i) {
    if (FileExists(NtvdmPaths[i])) os::CopyFileA(patched, NtvdmPaths[i], false);
  }
}

}  // namespace

void RepairNtvdmAffinity() {
  WriteTextAt(texts::kNtvdmHeading, kHeadingX, kHeadingY);
  const std::string workCopy = WorkDir + "\\ntvdm.exe";
  StartProgressLine();
  ExpandNtvdmPaths();
  const std::string& live = NtvdmPaths[0];

  if (!FileExists(live)) return ShowStatus(clRed, texts::kNtvdmMissing);
  if (IsFileLocked(live)) return ShowStatus(clRed, texts::kNtvdmInUse);
  if (ParamParser->HasParam(kBackupParam)) BackUp(live);

  WriteText(texts::kStepWorkCopy);
  if (!os::CopyFileA(live, workCopy, false)) {
    ShowStatus(clRed, texts::kWorkCopyFailed);
    ConsoleApplication->SetTextColor(clSilver);
    return WriteTextAt(workCopy, kStatusX, kStatusDetailY);
  }
  if (!FileExists(AppDir + kToolProbeName)) return ShowStatus(clRed, texts::kToolMissing);

  WriteText(texts::kStepAffinity);
  ExecuteAndWait(AppDir + kToolName, kToolOptions + ("\"" + workCopy + "\""), WorkDir, os::kSwShow,
                 0);
  if (!HasFirstProcessorAffinity(workCopy)) return ShowStatus(clRed, texts::kAffinityFailed);

  WriteText(texts::kStepReplaceOriginal);
  if (!os::CopyFileA(workCopy, live, false)) return ShowStatus(clRed, texts::kReplaceFailed);
  WriteText(texts::kStepReplaceCaches);
  ReplaceCachedCopies(workCopy);
  WriteText(texts::kStepPreserve);
  os::WinExec(live, os::kSwShow);
  os::DeleteFileA(workCopy);
  ShowStatus(clLime, texts::kSuccess);
}

}  // namespace sanivo
