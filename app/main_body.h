// The main body of the program: the directories the repairs work with, the screen page and
// the choice of repair.
#pragma once

#include <array>
#include <string>

#include "app/repair_outcome.h"
#include "app/switches.h"

namespace sanivo {

extern std::string WorkDir;     // the temporary work directory, without a trailing backslash
extern std::string WindowsDir;  // without a trailing backslash
extern std::string SystemDir;   // without a trailing backslash
// The live NTVDM.EXE and the system's two cached copies: templates until the affinity repair
// expands them.
extern std::array<std::string, 3> NtvdmPaths;

inline constexpr unsigned kFinalPauseMs = 4000;

// Returns the exit code of a run that reached its end.
int RunMainBody(const TRunOptions& options);
// The repair this Windows gets, or none.
TRepairKind RepairKindForThisWindows();
// A failure ends the program at once; when the console is the program's own (started from
// Explorer, as elevation makes likely) it closes with it, so the message is kept on screen for
// kFinalPauseMs first. A console shared with a command prompt stays open anyway.
void KeepFailureReadable();
void ReleaseMainBodyGlobals();

}  // namespace sanivo
