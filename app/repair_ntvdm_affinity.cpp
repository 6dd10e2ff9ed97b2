// The DOS subsystem of Windows XP misbehaves on several processors: pin NTVDM.EXE to the
// first one with the image-configuration tool and put the patched file in place of the live
// file and of the system's cached copies, keeping a backup on request.
#include <algorithm>
#include <optional>
#include <string>
#include <string_view>

#include "app/main_body.h"
#include "app/repairs.h"
#include "app/screen.h"
#include "app/texts.h"
#include "base/exception.h"
#include "base/number_text.h"
#include "cmdline/param_parser.h"
#include "pe/pe_image.h"
#include "platform/os.h"
#include "sysenv/file_access.h"
#include "sysenv/files.h"
#include "sysenv/process.h"
#include "sysenv/strings.h"
#include "sysenv/windows_version.h"

namespace sanivo {

namespace {

using NtvdmPathList = decltype(NtvdmPaths);

constexpr char kBackupParam[] = "zaloha";
// One file under two spellings: its presence is tested in lower case and it is started in upper
// case, as the repair has always done (file names do not differ by case on Windows).
constexpr char kToolNameTested[] = "imagecfg.exe";
constexpr char kToolNameStarted[] = "IMAGECFG.EXE";
constexpr char kToolOptions[] = "-a 0X1 ";
constexpr std::uint64_t kFirstProcessor = 1;
constexpr unsigned kBackupWarningPauseMs = 1000;

NtvdmPathList ExpandedNtvdmPaths(NtvdmPathList paths, const std::string& windowsDir,
                                 const std::string& systemDir) {
  for (std::string& path : paths) {
    path = ReplaceTextAll(ReplaceTextAll(path, "%windir%", windowsDir), "%system%", systemDir);
  }
  return paths;
}

std::string TodayAsFileName() {
  const os::LocalDate today = os::GetLocalDate();
  return PaddedNumber(static_cast<std::uint32_t>(today.year), 4) +
         PaddedNumber(static_cast<std::uint32_t>(today.month), 2) +
         PaddedNumber(static_cast<std::uint32_t>(today.day), 2) + ".bak";
}

// A value ending in "\" names a directory that gets a backup named by today's date. The value
// is expanded with its backslash: without it, "D:\" would shrink to "D:", which names D:'s
// current directory rather than its root. Empty when the value cannot be expanded.
std::string BackupPathFromParam(const std::string& value) {
  const std::string expanded = ExpandFileName(value);
  if (expanded.empty() || !EndsWithStr("\\", value)) return expanded;
  return IncludeTrailingBackslash(expanded) + TodayAsFileName();
}

// A backup must not land on a file that the repair itself overwrites or deletes, nor on a
// device, where the copy would vanish or show up on the screen.
bool IsUsableBackupPath(const std::string& backupPath, const NtvdmPathList& ntvdmPaths,
                        const std::string& workCopy) {
  if (backupPath.empty() || IsDevicePath(backupPath)) return false;
  const auto isBackupPath = [&backupPath](const std::string& path) {
    return EqualsIgnoringCase(backupPath, ExpandFileName(path));
  };
  return !isBackupPath(workCopy) &&
         std::none_of(ntvdmPaths.begin(), ntvdmPaths.end(), isBackupPath);
}

// A failed backup does not stop the repair; the warning stays on screen, and so do its colour
// and the cursor behind it.
void BackUp(const std::string& live, const std::string& backupPath, const NtvdmPathList& ntvdmPaths,
            const std::string& workCopy) {
  if (IsUsableBackupPath(backupPath, ntvdmPaths, workCopy)) {
    ForceDirectories(ExtractFilePath(backupPath));
    if (os::CopyFileA(live, backupPath, false)) return;
  }
  ShowStatus(clYellow, texts::kBackupFailed);
  os::Sleep(kBackupWarningPauseMs);
}

// The image as the tool left it, when it is pinned to the first processor; the tool's exit
// status says nothing reliable, so the result itself is looked at.
std::optional<std::string> PatchedImage(const std::string& path) {
  try {
    std::string bytes = ReadWholeFile(path);
    if (TPeImage(bytes).AffinityMask() == kFirstProcessor) return bytes;
  } catch (const Exception&) {
    // Unreadable, or not an image the tool could have pinned: either way not patched.
  }
  return std::nullopt;
}

bool Replaced(const std::string& path, const std::string& bytes) {
  try {
    ReplaceFileContents(path, bytes);
    return true;
  } catch (const EFileAccessError&) {
    return false;
  }
}

// Every present copy is tried even after one has failed, so that as few as possible keep the
// old image (the system's file protection would put it back); the first failure is reported.
std::optional<std::string> FirstCachedCopyNotReplaced(const NtvdmPathList& ntvdmPaths,
                                                      const std::string& patched) {
  std::optional<std::string> notReplaced;
  for (std::size_t i = 1; i < ntvdmPaths.size(); ++i) {
    if (FileExists(ntvdmPaths[i]) && !Replaced(ntvdmPaths[i], patched) && !notReplaced) {
      notReplaced = ntvdmPaths[i];
    }
  }
  return notReplaced;
}

void ShowFailureWithPath(std::string_view text, const std::string& path) {
  ShowStatus(clRed, text);
  ConsoleApplication->SetTextColor(clSilver);
  WriteTextAt(path, kStatusX, kStatusDetailY);
}

}  // namespace

// The program's globals are read here; the steps below get what they need passed in.
void RepairNtvdmAffinity() {
  WriteTextAt(texts::kNtvdmHeading, kHeadingX, kHeadingY);
  const std::string workCopy = WorkDir + "\\ntvdm.exe";
  StartProgressLine();
  NtvdmPaths = ExpandedNtvdmPaths(NtvdmPaths, WindowsDir, SystemDir);
  const NtvdmPathList& ntvdmPaths = NtvdmPaths;
  const std::string& live = ntvdmPaths[0];

  if (!FileExists(live)) return ShowStatus(clRed, texts::kNtvdmMissing);
  if (IsFileLocked(live)) return ShowStatus(clRed, texts::kNtvdmInUse);
  if (ParamParser->HasParam(kBackupParam)) {
    BackUp(live, BackupPathFromParam(ParamParser->GetParamValue(kBackupParam)), ntvdmPaths,
           workCopy);
  }

  WriteText(texts::kStepWorkCopy);
  if (!os::CopyFileA(live, workCopy, false)) {
    return ShowFailureWithPath(texts::kWorkCopyFailed, workCopy);
  }
  if (!FileExists(AppDir + kToolNameTested)) return ShowStatus(clRed, texts::kToolMissing);

  WriteText(texts::kStepAffinity);
  ExecuteAndWait(AppDir + kToolNameStarted, kToolOptions + ("\"" + workCopy + "\""), WorkDir,
                 os::kSwShow, 0);
  const std::optional<std::string> patched = PatchedImage(workCopy);
  if (!patched) return ShowStatus(clRed, texts::kAffinityFailed);

  WriteText(texts::kStepReplaceOriginal);
  if (!Replaced(live, *patched)) return ShowStatus(clRed, texts::kReplaceFailed);
  WriteText(texts::kStepReplaceCaches);
  const std::optional<std::string> notReplaced = FirstCachedCopyNotReplaced(ntvdmPaths, *patched);
  WriteText(texts::kStepPreserve);
  os::WinExec(live, os::kSwShow);
  os::DeleteFileA(workCopy);
  if (notReplaced) return ShowFailureWithPath(texts::kCachedCopyNotReplaced, *notReplaced);
  ShowStatus(clLime, texts::kSuccess);
}

}  // namespace sanivo
