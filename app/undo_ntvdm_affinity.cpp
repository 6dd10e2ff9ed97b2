// Taking the affinity repair back: the live NTVDM.EXE and the system's cached copies get the
// image without the pin to the first processor. Only that image, or a file that is it, ever
// goes into the system folder: a way back must not become a way to put a program there.
#include <string>
#include <vector>

#include "app/ntvdm_affinity_steps.h"
#include "app/ntvdm_facts.h"
#include "app/screen.h"
#include "app/stage.h"
#include "app/texts.h"
#include "app/undo.h"
#include "pe/pe_image.h"
#include "sysenv/file_access.h"
#include "sysenv/files.h"

namespace sanivo {

namespace {

using NtvdmPathList = TRepairContext::NtvdmPathList;

struct TFileBefore {
  std::string Path;
  std::string Bytes;
};

// What taking back writes: the image, and the files that do not hold it yet with what they
// hold now, the live file first. No files: nothing to take back.
struct TNtvdmTakeBack {
  std::string Image;
  std::vector<TFileBefore> Files;
};

// The live image without the pin: mask 0 and the checksum recomputed, which gives the original
// back byte for byte. A live file that is not pinned is the image as it is.
std::string UnpinnedImage(const TPeImage& live) {
  if (live.AffinityMask() != ntvdm::kFirstProcessor) return live.Bytes();
  TPeImage unpinned = live;
  unpinned.SetAffinityMask(0);
  unpinned.UpdateChecksum();
  if (!IsAffinityEditOf(live, unpinned)) throw EPeImageError("the edit went beyond the fields");
  return unpinned.Bytes();
}

// A file the user names instead, typically the repair's backup: a sound image that differs from
// the live one in the affinity mask and the checksum only. Never a device, which would be read
// from the keyboard or the port.
std::string RestoredImage(const std::string& path, const TPeImage& live) {
  if (IsDevicePath(path)) throw EStepFailed("IsDevicePath", 0);
  const TPeImage restored(ReadWholeFile(path));
  if (!restored.ChecksumHolds() || !IsAffinityEditOf(live, restored)) {
    throw EStepFailed("IsAffinityEditOf", 0);
  }
  return restored.Bytes();
}

// A cached copy is taken back when it is the image with another mask, as the repair left it;
// any other file there (another version, a damaged one) is not the repair's and stays.
bool IsPinnedFormOf(const std::string& copy, const TPeImage& image) {
  try {
    return IsAffinityEditOf(image, TPeImage(copy));
  } catch (const EPeImageError&) {
    return false;
  }
}

// Reads everything before anything changes; every failure ends the stage it belongs to.
TNtvdmTakeBack PlanTakeBack(const TRepairContext& context, const TPeImage& live) {
  TNtvdmTakeBack plan;
  if (context.RestoreFile) {
    RunStage(
        texts::kRestoreFileRefused, [&] { plan.Image = RestoredImage(*context.RestoreFile, live); },
        *context.RestoreFile);
  } else {
    RunStage(texts::kAffinityFailed, [&] { plan.Image = UnpinnedImage(live); });
  }
  if (live.Bytes() != plan.Image) plan.Files.push_back({context.NtvdmPaths[0], live.Bytes()});
  const TPeImage image(plan.Image);
  for (std::size_t i = 1; i < context.NtvdmPaths.size(); ++i) {
    const std::string& path = context.NtvdmPaths[i];
    if (!FileExists(path)) continue;
    std::string copy;
    RunStage(
        texts::kCachedCopyNotReplaced, [&] { copy = ReadWholeFile(path); }, path);
    if (copy != plan.Image && IsPinnedFormOf(copy, image)) plan.Files.push_back({path, copy});
  }
  return plan;
}

// The live file before the cached copies, with the repair's texts; a failure puts back what
// was already written, so that the system folder is left as it was.
void PutImageInPlace(const TNtvdmTakeBack& plan, const std::string& live) {
  std::size_t written = 0;
  bool cachedCopiesShown = false;
  try {
    for (const TFileBefore& file : plan.Files) {
      const bool isLive = file.Path == live;
      if (isLive) {
        WriteText(texts::kStepReplaceOriginal);
      } else if (!cachedCopiesShown) {
        WriteText(texts::kStepReplaceCaches);
        cachedCopiesShown = true;
      }
      RunStage(
          isLive ? texts::kReplaceFailed : texts::kCachedCopyNotReplaced,
          [&] { ReplaceFileContents(file.Path, plan.Image); }, isLive ? "" : file.Path);
      ++written;
    }
  } catch (const EStageFailed&) {
    while (written > 0) {
      const TFileBefore& file = plan.Files[--written];
      try {
        ReplaceFileContents(file.Path, file.Bytes);
      } catch (const EFileAccessError&) {
        // The failure is reported already; the next run finds what is left to take back.
      }
    }
    throw;
  }
}

TRepairOutcome TakeBack(const TRepairContext& context, TRepairOutcome& backup) {
  const std::string& live = context.NtvdmPaths[0];
  const TPeImage liveImage = CheckedLiveImage(live);
  const TNtvdmTakeBack plan = PlanTakeBack(context, liveImage);
  if (plan.Files.empty())
    return OutcomeOf(TRepairResult::NothingToTakeBack, texts::kNothingToTakeBack);
  BackUpWhenAsked(context, liveImage.Bytes(), backup);
  PutImageInPlace(plan, live);
  return OutcomeOf(TRepairResult::TakenBack, texts::kTakenBack);
}

}  // namespace

TRepairOutcome TakeBackNtvdmAffinity(const TRepairContext& context) {
  WriteTextAt(texts::kUndoNtvdmHeading, kHeadingX, kHeadingY);
  StartProgressLine();
  TRepairOutcome backup;
  return WithBackup(RunStages([&] { return TakeBack(context, backup); }), backup,
                    TRepairResult::TakenBack);
}

// As the repair's check: whether the file is in use is asked only when there is something to
// take back.
TRepairOutcome CheckTakeBackNtvdmAffinity(const TRepairContext& context) {
  const std::string& live = context.NtvdmPaths[0];
  TRepairOutcome outcome = RunStages([&] {
    const TNtvdmTakeBack plan = PlanTakeBack(context, CheckedLiveImage(live, TInUse::AskLater));
    if (plan.Files.empty()) {
      return OutcomeOf(TRepairResult::NothingToTakeBack, texts::kNothingToTakeBack);
    }
    RunNotInUseStage(live);
    return OutcomeOf(TRepairResult::CanTakeBack, texts::kCanTakeBack);
  });
  if (outcome.Result == TRepairResult::Failed) outcome.Result = TRepairResult::Undecided;
  return outcome;
}

}  // namespace sanivo
