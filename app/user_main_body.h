// The main body of sanivo-uzivatel.exe: the per-user part of the Windows 7 repair, for a logon
// script that runs as a user without administrator rights. It writes the user's own console
// settings only, or with -vratit takes them back; the machine-wide part is sanivo.exe's, run
// once with administrator rights.
#pragma once

#include <string>

#include "app/repair_outcome.h"
#include "app/switches.h"

namespace sanivo {

// Returns the exit code of a run that reached its end.
int RunUserMainBody(const TRunOptions& options);
// What the program does on this Windows, as the log names it.
TRepairKind UserRepairKind();

// Windows 7: makes our face the console font of ntvdm.exe for this user, once the machine-wide
// part is in place below `windowsDir`; without it, changes nothing and fails.
TRepairOutcome RepairUserConsoleFont(const std::string& windowsDir);

}  // namespace sanivo
