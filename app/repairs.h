// The two repairs. Each shows its heading and progress as it goes and returns what happened;
// the main body shows the outcome.
#pragma once

#include "app/repair_outcome.h"

namespace sanivo {

// Windows 7: installs and registers the Czech console font for the DOS consoles.
TRepairOutcome RepairConsoleFont(const TRepairContext& context);

// Windows XP: pins NTVDM.EXE to the first processor and puts the patched file in place.
TRepairOutcome RepairNtvdmAffinity(const TRepairContext& context);

}  // namespace sanivo
