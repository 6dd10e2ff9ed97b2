// The live NTVDM.EXE as the affinity repair accepts it; the check judges by the same rule.
#pragma once

#include <string>

#include "pe/pe_image.h"

namespace sanivo {

// The image at `path`, read once. Its patched form replaces the cached copies, so it must be
// whole: a file cut into its sections is no image (EPeImageError), and one damaged in place no
// longer matches its checksum (EPeImageError too). EFileAccessError when it cannot be read.
TPeImage SoundNtvdmImage(const std::string& path);

}  // namespace sanivo
