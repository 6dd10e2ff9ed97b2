// The DOS subsystem of Windows XP misbehaves on several processors: pin NTVDM.EXE to the
// first one with the image-configuration tool and put the patched file in place of the live
// file and of the system's cached copies, keeping a backup on request.
#include <algorithm>
#include <optional>
#include <string>
#include <string_view>

#include "app/repairs.h"
#include "app/screen.h"
#include "app/stage.h"
#include "app/texts.h"
#include "base/number_text.h"
#include "pe/pe_image.h"
#include "platform/os.h"
#include "sysenv/file_access.h"
#include "sysenv/files.h"
#include "sysenv/process.h"
#include "sysenv/strings.h"

namespace sanivo {

namespace {

using NtvdmPathList = decltype(TRepairContext::NtvdmPaths);

// One file under two spellings: its presence is tested in lower case and it is started in upper
// case, as the repair has always done (file names do not differ by case on Windows).
constexpr char kToolNameTested[] = "imagecfg.exe";
constexpr char kToolNameStarted[] = "IMAGECFG.EXE";
constexpr char kToolOptions[] = "-a 0X1 ";
constexpr std::uint64_t kFirstProcessor = 1;
constexpr unsigned kBackupWarningPauseMs = 1000;

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

bool BackedUp(const std::string& live, const std::string& backupPath,
              const NtvdmPathList& ntvdmPaths, const std::string& workCopy) {
  if (!IsUsableBackupPath(backupPath, ntvdmPaths, workCopy)) return false;
  ForceDirectories(ExtractFilePath(backupPath));
  return os::CopyFileA(live, backupPath, false);
}

// A failed backup does not stop the repair; the warning stays on screen, and so do its colour
// and the cursor behind it. Returns the backup written, or empty after the warning.
std::string BackUp(const std::string& live, const std::string& backupParam,
                   const NtvdmPathList& ntvdmPaths, const std::string& workCopy) {
  const std::string backupPath = BackupPathFromParam(backupParam);
  if (BackedUp(live, backupPath, ntvdmPaths, workCopy)) return backupPath;
  ShowStatus(clYellow, texts::kBackupFailed);
  os::Sleep(kBackupWarningPauseMs);
  return {};
}

// The image as the tool left it, when it is pinned to the first processor; the tool's exit
// status says nothing reliable, so the result itself is looked at.
std::string PatchedImage(const std::string& path) {
  std::string bytes = ReadWholeFile(path);
  if (TPeImage(bytes).AffinityMask() != kFirstProcessor) {
    throw EStepFailed(kToolNameStarted, os::kErrorSuccess);
  }
  return bytes;
}

// Every present copy is tried even after one has failed, so that as few as possible keep the
// old image (the system's file protection would put it back); the first failure is kept.
std::optional<TRepairOutcome> ReplaceCachedCopies(const NtvdmPathList& ntvdmPaths,
                                                  const std::string& patched) {
  std::optional<TRepairOutcome> firstFailure;
  for (std::size_t i = 1; i < ntvdmPaths.size(); ++i) {
    const std::string& copy = ntvdmPaths[i];
    if (!FileExists(copy)) continue;
    try {
      RunStage(
          texts::kCachedCopyNotReplaced, [&] { ReplaceFileContents(copy, patched); }, copy);
    } catch (const EStageFailed& failure) {
      if (!firstFailure) firstFailure = failure.Outcome();
    }
  }
  return firstFailure;
}

// The backup, when one was asked for, is recorded in `backup` as soon as it is made, so that a
// later failure still names it.
TRepairOutcome PinNtvdmToFirstProcessor(const TRepairContext& context, const std::string& workCopy,
                                        TRepairOutcome& backup) {
  const NtvdmPathList& ntvdmPaths = context.NtvdmPaths;
  const std::string& live = ntvdmPaths[0];
  RunStage(texts::kNtvdmMissing, [&] {
    if (!FileExists(live)) FailStep("GetFileAttributesA");
  });
  RunStage(texts::kNtvdmInUse, [&] {
    if (IsFileLocked(live)) FailStep("CreateFileA");
  });
  if (context.BackupParam) {
    backup.BackupFile = BackUp(live, *context.BackupParam, ntvdmPaths, workCopy);
    if (backup.BackupFile.empty()) backup.WarningText = texts::kBackupFailed;
  }

  WriteText(texts::kStepWorkCopy);
  RunStage(
      texts::kWorkCopyFailed,
      [&] {
        if (!os::CopyFileA(live, workCopy, false)) FailStep("CopyFileA");
      },
      workCopy);
  RunStage(texts::kToolMissing, [&] {
    if (!FileExists(context.AppDir + kToolNameTested)) FailStep("GetFileAttributesA");
  });

  WriteText(texts::kStepAffinity);
  // A tool that the shell cannot start is no failed step: it ends the program with the report.
  ExecuteAndWait(context.AppDir + kToolNameStarted, kToolOptions + ("\"" + workCopy + "\""),
                 context.WorkDir, os::kSwShow, 0);
  std::string patched;
  RunStage(texts::kAffinityFailed, [&] { patched = PatchedImage(workCopy); });

  WriteText(texts::kStepReplaceOriginal);
  RunStage(texts::kReplaceFailed, [&] { ReplaceFileContents(live, patched); });
  WriteText(texts::kStepReplaceCaches);
  const std::optional<TRepairOutcome> cachedCopyFailure = ReplaceCachedCopies(ntvdmPaths, patched);
  WriteText(texts::kStepPreserve);
  os::WinExec(live, os::kSwShow);
  os::DeleteFileA(workCopy);
  if (cachedCopyFailure) return *cachedCopyFailure;
  return OutcomeOf(TRepairResult::Repaired, texts::kSuccess);
}

}  // namespace

TRepairOutcome RepairNtvdmAffinity(const TRepairContext& context) {
  WriteTextAt(texts::kNtvdmHeading, kHeadingX, kHeadingY);
  const std::string workCopy = context.WorkDir + "\\ntvdm.exe";
  StartProgressLine();
  TRepairOutcome backup;
  TRepairOutcome outcome =
      RunStages([&] { return PinNtvdmToFirstProcessor(context, workCopy, backup); });
  outcome.BackupFile = backup.BackupFile;
  outcome.WarningText = backup.WarningText;
  if (outcome.Result == TRepairResult::Repaired && !outcome.WarningText.empty()) {
    outcome.Result = TRepairResult::RepairedWithWarning;
  }
  return outcome;
}

}  // namespace sanivo
