// The DOS subsystem of Windows XP misbehaves on several processors: pin NTVDM.EXE to the
// first one with the image-configuration tool and put the patched file in place of the live
// file and of the system's cached copies, keeping a backup on request.
#include <algorithm>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/ntvdm_affinity_steps.h"
#include "app/ntvdm_facts.h"
#include "app/ntvdm_image.h"
#include "app/repairs.h"
#include "app/screen.h"
#include "app/stage.h"
#include "app/texts.h"
#include "base/number_text.h"
#include "pe/pe_image.h"
#include "platform/os.h"
#include "sysenv/file_access.h"
#include "sysenv/file_identity.h"
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
constexpr unsigned kBackupWarningPauseMs = 1000;

// A second run on one day must not replace the first run's backup of the unpatched file.
constexpr int kMostBackupsADay = 99;

// The backup names a directory value gives: today's date, then the same with "-2", "-3", ...
std::string DatedBackupName(const std::string& directory, int number) {
  const os::LocalTime today = os::GetLocalTime();
  return IncludeTrailingBackslash(directory) +
         PaddedNumber(static_cast<std::uint32_t>(today.year), 4) +
         PaddedNumber(static_cast<std::uint32_t>(today.month), 2) +
         PaddedNumber(static_cast<std::uint32_t>(today.day), 2) +
         (number > 1 ? "-" + std::to_string(number) : "") + ".bak";
}

// Every file the repair reads, writes or deletes; beside each, it (or the tool) writes
// temporary files of ours.
std::vector<std::string> FilesTheRepairWrites(const NtvdmPathList& ntvdmPaths,
                                              const std::string& workCopy) {
  return {ntvdmPaths[0], ntvdmPaths[1], ntvdmPaths[2], workCopy};
}

// Whether a file made at `backup` would be one that the repair writes: its name, or a temporary
// name of ours beside it, in its folder, whatever the folder is called there.
bool TakesANameOf(const std::string& backup, const std::string& own) {
  const std::string name = ExtractFileName(LongFullPath(backup));
  const std::string ownName = ExtractFileName(own);
  if (!EqualsIgnoringCase(name, ownName) && !IsTemporaryNameOf(name, ownName)) return false;
  return SameFileOrFolder(ExtractFilePath(backup), ExtractFilePath(own));
}

// A backup must not land on a file that the repair itself writes or deletes, however the value
// names it, nor on a device, where the copy would vanish or show up on the screen.
bool IsUsableBackupPath(const std::string& backupPath, const std::vector<std::string>& ownFiles) {
  if (backupPath.empty() || IsDevicePath(backupPath)) return false;
  return std::none_of(ownFiles.begin(), ownFiles.end(), [&backupPath](const std::string& own) {
    return SameFileOrFolder(backupPath, own) || TakesANameOf(backupPath, own);
  });
}

// Whether `path` holds the backup: written there when nothing was, or a file there already
// with the same bytes. Anything else is left as it is.
bool BackedUpAt(const std::string& path, const std::string& original) {
  const std::uint32_t attributes = os::GetFileAttributesA(path);
  if (attributes == os::kInvalidFileAttributes) {
    CreateFileWithContents(path, original);
    return true;
  }
  return (attributes & os::kFileAttributeDirectory) == 0 && FileHolds(path, original);
}

// The backup of the unpatched image, or empty. A value ending in "\" or "/" names a directory
// that gets a backup named by today's date; it is expanded with its separator, so that "D:\"
// stays D:'s root rather than its current directory. A named file that exists with other
// content is no backup; a dated name that does goes on to the next number.
std::string WrittenBackup(const std::string& value, const std::string& original,
                          const std::vector<std::string>& ownFiles) {
  const std::string expanded = ExpandFileName(value);
  if (expanded.empty()) return {};
  const bool directory = EndsWithStr("\\", value) || EndsWithStr("/", value);
  const int names = directory ? kMostBackupsADay : 1;
  for (int number = 1; number <= names; ++number) {
    const std::string path = directory ? DatedBackupName(expanded, number) : expanded;
    if (!IsUsableBackupPath(path, ownFiles)) return {};
    ForceDirectories(ExtractFilePath(path));
    try {
      if (BackedUpAt(path, original)) return path;
    } catch (const EFileAccessError&) {
      return {};
    }
  }
  return {};
}

}  // namespace

std::string NtvdmWorkCopy(const TRepairContext& context) { return context.WorkDir + "\\ntvdm.exe"; }

void RunNotInUseStage(const std::string& live) {
  RunStage(texts::kNtvdmInUse, [&] {
    if (IsFileLocked(live)) FailStep("CreateFileA");
  });
}

TPeImage CheckedLiveImage(const std::string& live, TInUse inUse) {
  RunStage(texts::kNtvdmMissing, [&] {
    if (!FileExists(live)) FailStep("GetFileAttributesA");
  });
  if (inUse == TInUse::AskNow) RunNotInUseStage(live);
  std::optional<TPeImage> image;
  RunStage(texts::kAffinityFailed, [&] { image.emplace(SoundNtvdmImage(live)); });
  return std::move(*image);
}

// A failed backup does not stop the repair; the warning stays on screen, and so do its colour
// and the cursor behind it.
void BackUpWhenAsked(const TRepairContext& context, const std::string& image,
                     TRepairOutcome& backup) {
  if (!context.BackupParam) return;
  backup.BackupFile =
      WrittenBackup(*context.BackupParam, image,
                    FilesTheRepairWrites(context.NtvdmPaths, NtvdmWorkCopy(context)));
  if (!backup.BackupFile.empty()) return;
  backup.WarningText = texts::kBackupFailed;
  ShowStatus(clYellow, texts::kBackupFailed);
  os::Sleep(kBackupWarningPauseMs);
}

TRepairOutcome WithBackup(TRepairOutcome outcome, const TRepairOutcome& backup,
                          TRepairResult done) {
  outcome.BackupFile = backup.BackupFile;
  outcome.WarningText = backup.WarningText;
  if (outcome.Result == done && !outcome.WarningText.empty()) {
    outcome.Result = TRepairResult::RepairedWithWarning;
  }
  return outcome;
}

namespace {

// The image as the tool left it, read once: it must be the original pinned to the first
// processor and nothing else, since the work copy lies where any program of the user can
// replace it. What goes into the system folder are these checked bytes, never the file.
std::string PatchedImage(const std::string& path, const TPeImage& original) {
  const TPeImage patched(ReadWholeFile(path));
  if (patched.AffinityMask() != ntvdm::kFirstProcessor || !IsAffinityEditOf(original, patched)) {
    throw EStepFailed(kToolNameStarted, os::kErrorSuccess);
  }
  return patched.Bytes();
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
  const TPeImage original = CheckedLiveImage(live);
  BackUpWhenAsked(context, original.Bytes(), backup);

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
  RunStage(texts::kAffinityFailed, [&] { patched = PatchedImage(workCopy, original); });

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
  const std::string workCopy = NtvdmWorkCopy(context);
  StartProgressLine();
  TRepairOutcome backup;
  return WithBackup(RunStages([&] { return PinNtvdmToFirstProcessor(context, workCopy, backup); }),
                    backup, TRepairResult::Repaired);
}

}  // namespace sanivo
