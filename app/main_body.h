// The main body of the program: the directories the repairs work with, the screen page and
// the choice of repair.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

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
// The page every run starts with: title, colours, frame, caption and the introduction (or the
// help page's own line).
void PaintMainScreen(std::string_view introduction);
// The page, and what ends a run before any work: the help page of the program's `switches`
// (exit code 0), or with the switches of a script arguments the program does not use (red,
// logged as `kind`, exit code 2). Empty when the run goes on.
std::optional<int> RunEndedBeforeWork(const TRunOptions& options, TRepairKind kind,
                                      const TSwitchTable& switches);
// The outcome of a repair or a check on the page: the status line in its colour, or the line
// saying that this system needs no repair.
void ShowOutcome(const TRepairOutcome& outcome);
// A failure ends the program at once; when the console is the program's own (started from
// Explorer, as elevation makes likely) it closes with it, so the message is kept on screen for
// kFinalPauseMs first. A console shared with a command prompt stays open anyway.
void KeepFailureReadable();
void ReleaseMainBodyGlobals();

}  // namespace sanivo
