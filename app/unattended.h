// Runs started by a script on many machines: the switches that ask for them, the exit code that
// tells the script what happened, and the record of the run in a shared log.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/repair_outcome.h"

namespace sanivo {

struct TRunOptions {
  bool CheckOnly = false;              // -kontrola: find out, change nothing
  bool Quiet = false;                  // -tise: no pause; the exit code says what happened
  std::optional<std::string> LogPath;  // -protokol:PATH, as written
  // -vratit: take the repair back; -vratit:FILE restores that file (Windows XP), as written.
  std::optional<std::string> TakeBack;
  std::vector<std::string> UnusedArguments;  // as written
};

// From ParamParser and the process's command line.
TRunOptions ReadRunOptions();

// The exit code of a run that reached its end: with -tise or -kontrola what happened, without
// them 0, as a program without the switches has always ended.
int ExitCodeOf(const TRunOptions& options, TRepairResult result);

// The yellow line at X 10, Y 18 that names the arguments the program does not use, cut with
// "..." at the row's end; the log keeps the whole text.
void ShowUnusedArguments(const std::vector<std::string>& arguments);

// Appends the record of this run when the options ask for one. A log that cannot be written
// changes nothing else: a yellow line at X 10, Y 16 says so and the path follows in silver at
// X 10, Y 17, when the console is there to show it. The record names `repair`, or when that is
// empty the repair that sanivo.exe chooses for this Windows.
void LogRun(const TRunOptions& options, TRepairResult result, std::string_view message,
            std::string_view backupFile, std::string_view repair = {});

}  // namespace sanivo
