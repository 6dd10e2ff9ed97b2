// Runs started by a script on many machines: the exit code that tells the script what
// happened, the help page, and the record of the run in a shared log.
#pragma once

#include <span>
#include <string>
#include <vector>

#include "app/repair_outcome.h"
#include "app/switches.h"

namespace sanivo {

// The exit code of a run that failed, whatever the switches.
inline constexpr int kExitCodeFailed = 2;

// The exit code of a run that reached its end: with -tise or -kontrola what happened, without
// them 0, as a program without the switches has always ended.
int ExitCodeOf(const TRunOptions& options, TRepairResult result);

// The yellow line at X 10, Y 18 that names the arguments the program does not use, cut with
// "..." at the row's end; the log keeps the whole text.
void ShowUnusedArguments(const std::vector<std::string>& arguments);

// The switches, each with its line and an example, from the progress row on.
void ShowHelp(std::span<const TSwitch> switches);

// Appends the record of this run when the options ask for one. Records that an earlier run
// could not write to the shared log wait in a log on this machine and go first; when the
// shared log cannot be written now, this record waits there too and a yellow line at X 10,
// Y 16 says so, the local log's path following in silver at X 10, Y 17. When even that fails,
// the yellow line says that the log cannot be written and the path given follows.
void LogRun(const TRunOptions& options, const TRepairOutcome& outcome);

}  // namespace sanivo
