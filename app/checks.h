// The check-only mode (-kontrola): whether this machine needs the repair, found out without
// changing anything on disk or in the registry. The outcome's result is NotNeeded, Needed or
// Undecided, with the status line to show.
#pragma once

#include "app/repair_outcome.h"

namespace sanivo {

// Windows XP: needed when the live NTVDM.EXE is not pinned to the first processor, or a cached
// copy that exists differs from it. Missing or in use, it gives the repair's own failure text.
TRepairOutcome CheckNtvdmAffinity(const TRepairContext& context);

// Windows 7: needed when the font in the Fonts folder is missing or is not a sound font of our
// face, or a registry value that the repair writes is missing or different. Without the font
// beside the program, it gives the repair's own failure text.
TRepairOutcome CheckConsoleFont(const TRepairContext& context);

// Windows 7, for the per-user program: needed when a console value of ntvdm.exe that the repair
// writes for the user who runs the program is missing or different. Only the user's values count.
TRepairOutcome CheckUserConsoleFont();

}  // namespace sanivo
