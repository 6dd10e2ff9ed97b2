// The two repairs; each shows its own outcome on the screen and returns.
#pragma once

namespace sanivo {

// Windows 7: installs and registers the Czech console font for the DOS consoles.
void RepairConsoleFont();

// Windows XP: pins NTVDM.EXE to the first processor and puts the patched file in place.
void RepairNtvdmAffinity();

}  // namespace sanivo
