#include <string>

#include "app/checks.h"
#include "app/texts.h"
#include "base/exception.h"
#include "pe/pe_image.h"
#include "sysenv/file_access.h"
#include "sysenv/files.h"

namespace sanivo {

namespace {

constexpr std::uint64_t kFirstProcessor = 1;

}  // namespace

TCheckResult CheckNtvdmAffinity(const std::array<std::string, 3>& ntvdmPaths) {
  const std::string& live = ntvdmPaths[0];
  if (!FileExists(live)) return {TCheckFinding::Undecided, texts::kNtvdmMissing};
  if (IsFileLocked(live)) return {TCheckFinding::Undecided, texts::kNtvdmInUse};
  try {
    const std::string image = ReadWholeFile(live);
    if (TPeImage(image).AffinityMask() != kFirstProcessor) return {TCheckFinding::Needed, {}};
    // The system's file protection would put a cached copy that differs back in place.
    for (std::size_t i = 1; i < ntvdmPaths.size(); ++i) {
      if (FileExists(ntvdmPaths[i]) && ReadWholeFile(ntvdmPaths[i]) != image) {
        return {TCheckFinding::Needed, {}};
      }
    }
  } catch (const Exception&) {
    // Unreadable, or an image without the field the repair sets.
    return {TCheckFinding::Undecided, texts::kCheckUndecided};
  }
  return {TCheckFinding::NotNeeded, {}};
}

}  // namespace sanivo
