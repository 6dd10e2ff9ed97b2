// Each program's switches, in one table: reading the command line, naming the arguments the
// program does not use and the help page all go by it, so a new switch is one more row.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "cmdline/param_parser.h"

namespace sanivo {

// What the command line asks of this run, read once at start-up.
struct TRunOptions {
  std::optional<std::string> BackupParam;  // -zaloha[:PATH]: the value as written
  bool CheckOnly = false;                  // -kontrola: find out, change nothing
  bool Quiet = false;                      // -tise: no pause; the exit code says what happened
  std::optional<std::string> LogPath;      // -protokol:PATH, as written
  // -vratit: take the repair back; -vratit:FILE restores that file (Windows XP), as written.
  std::optional<std::string> TakeBack;
  bool Help = false;                         // /?, -?, -h, -help, --help
  std::vector<std::string> UnusedArguments;  // as written

  // A script that reads the exit code or the log started the run: it gets no repair that an
  // argument it mistyped may have meant otherwise.
  bool Unattended() const { return CheckOnly || Quiet || LogPath.has_value(); }
};

struct TSwitch {
  // The parameter's name as the parser gives it; one that starts with "/" is a positional
  // argument written exactly so (without regard to case).
  std::string_view Name;
  // Sets the switch's field; the first occurrence counts, as the parser's lookup finds it.
  void (*Read)(TRunOptions& options, const TParamParserParam& param);
  // Windows-1250, for the help page: how the switch is written, what it does in one line and
  // an example for a script.
  std::string_view Usage;
  std::string_view Meaning;
  std::string_view Example;
  // Further names of the same switch, matched as Name is.
  std::span<const std::string_view> OtherNames = {};
};

// A program's switches and the line above them on its help page.
struct TSwitchTable {
  std::string_view HelpHeading;  // Windows-1250
  std::span<const TSwitch> Rows;
};

// sanivo.exe's switches.
const TSwitchTable& ProgramSwitches();
// sanivo-uzivatel.exe's: those that mean something for one user. A user has no NTVDM.EXE to
// back up or to restore, so -zaloha and a file after -vratit are arguments it does not use.
const TSwitchTable& UserProgramSwitches();

TRunOptions ReadRunOptions(const TParamParser& parser, const TSwitchTable& switches);

}  // namespace sanivo
