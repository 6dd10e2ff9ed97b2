// Steps of the affinity repair that taking it back makes the same way.
#pragma once

#include <string>

#include "app/repair_outcome.h"
#include "pe/pe_image.h"

namespace sanivo {

// The copy of NTVDM.EXE in the work directory that the image-configuration tool edits.
std::string NtvdmWorkCopy(const TRepairContext& context);

// The live image, after the checks the repair makes before it changes anything, in its order
// and with its texts: the file is there, not in use and a sound image.
TPeImage CheckedLiveImage(const std::string& live);

// Keeps the image as it is now where the backup parameter says; warns in yellow when it
// cannot. Returns the backup written, or empty after the warning.
std::string BackUp(const std::string& backupParam, const std::string& original,
                   const TRepairContext::NtvdmPathList& ntvdmPaths, const std::string& workCopy);

}  // namespace sanivo
