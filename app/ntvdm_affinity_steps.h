// Steps of the affinity repair that taking it back makes the same way.
#pragma once

#include <string>

#include "app/repair_outcome.h"

namespace sanivo {

// The copy of NTVDM.EXE in the work directory that the image-configuration tool edits.
std::string NtvdmWorkCopy(const TRepairContext& context);

// Keeps the image as it is now where the backup parameter says; warns in yellow when it
// cannot. Returns the backup written, or empty after the warning.
std::string BackUp(const std::string& backupParam, const std::string& original,
                   const TRepairContext::NtvdmPathList& ntvdmPaths, const std::string& workCopy);

}  // namespace sanivo
