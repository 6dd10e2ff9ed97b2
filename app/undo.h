// Taking a repair back (-vratit): each removes what its repair put in place, all or nothing,
// shows its heading and progress as it goes and returns what happened. Their checks find out
// only, changing nothing: NothingToTakeBack, CanTakeBack or, when they cannot tell, Undecided.
#pragma once

#include "app/repair_outcome.h"

namespace sanivo {

// Windows XP: puts NTVDM.EXE without the pin to the first processor in place of the live file
// and of the cached copies, or the file context.RestoreFile names when it is that image.
TRepairOutcome TakeBackNtvdmAffinity(const TRepairContext& context);
TRepairOutcome CheckTakeBackNtvdmAffinity(const TRepairContext& context);

// Windows 7: removes the console font, its registration and the console settings that name it.
TRepairOutcome TakeBackConsoleFont(const TRepairContext& context);
TRepairOutcome CheckTakeBackConsoleFont(const TRepairContext& context);

// Windows 7, for the per-user program: only the console settings of ntvdm.exe of the user who
// runs it, as TakeBackConsoleFont removes them. Shows its progress, not its heading.
TRepairOutcome TakeBackUserConsoleFont();
TRepairOutcome CheckTakeBackUserConsoleFont();

}  // namespace sanivo
