// Steps of the affinity repair that taking it back makes the same way.
#pragma once

#include <string>

#include "app/repair_outcome.h"
#include "pe/pe_image.h"

namespace sanivo {

// The copy of NTVDM.EXE in the work directory that the image-configuration tool edits.
std::string NtvdmWorkCopy(const TRepairContext& context);

// Keeps the unpatched image where the backup parameter says. A failed backup does not stop the
// repair; the warning stays on screen, and so do its colour and the cursor behind it. Returns
// the backup written, or empty after the warning.
std::string BackUp(const std::string& backupParam, const std::string& original,
                   const TRepairContext::NtvdmPathList& ntvdmPaths, const std::string& workCopy);

// The live image, read once before anything changes. What is made of it replaces the cached
// copies, so it must be whole: a file cut into its sections is no image, and one damaged in
// place no longer matches its checksum (EPeImageError, or EFileAccessError when unreadable).
TPeImage SoundLiveImage(const std::string& live);

}  // namespace sanivo
