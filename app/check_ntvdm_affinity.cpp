#include <string>

#include "app/checks.h"
#include "app/ntvdm_facts.h"
#include "app/ntvdm_image.h"
#include "app/stage.h"
#include "app/texts.h"
#include "base/exception.h"
#include "pe/pe_image.h"
#include "sysenv/file_access.h"
#include "sysenv/files.h"

namespace sanivo {

namespace {

// A live image that the repair would refuse raises: that decides nothing.
bool PinnedEverywhere(const TRepairContext::NtvdmPathList& ntvdmPaths) {
  const TPeImage live = SoundNtvdmImage(ntvdmPaths[0]);
  if (live.AffinityMask() != ntvdm::kFirstProcessor) return false;
  const std::string& image = live.Bytes();
  // The system's file protection would put a cached copy that differs back in place.
  for (std::size_t i = 1; i < ntvdmPaths.size(); ++i) {
    if (FileExists(ntvdmPaths[i]) && ReadWholeFile(ntvdmPaths[i]) != image) return false;
  }
  return true;
}

}  // namespace

// Whether the file is in use is asked only when the repair is needed: the test opens it for
// writing, and a machine that needs nothing gets no write open of its system files.
TRepairOutcome CheckNtvdmAffinity(const TRepairContext& context) {
  const std::string& live = context.NtvdmPaths[0];
  if (!FileExists(live)) {
    return OutcomeOfFailedCall(TRepairResult::Undecided, texts::kNtvdmMissing,
                               "GetFileAttributesA");
  }
  try {
    if (PinnedEverywhere(context.NtvdmPaths)) {
      return OutcomeOf(TRepairResult::NotNeeded, texts::kCheckNotNeeded);
    }
  } catch (const Exception& cause) {
    // Unreadable, damaged, or an image without the field the repair sets.
    return CheckFailure(texts::kCheckUndecided, cause);
  }
  if (IsFileLocked(live)) {
    return OutcomeOfFailedCall(TRepairResult::Undecided, texts::kNtvdmInUse, "CreateFileA");
  }
  return OutcomeOf(TRepairResult::Needed, texts::kCheckNeeded);
}

}  // namespace sanivo
