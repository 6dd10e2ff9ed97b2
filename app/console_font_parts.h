// The console-font repair has a part for the whole machine (the font in the Fonts folder, the
// Fonts entry, a TrueTypeFont slot: HKEY_LOCAL_MACHINE and the Windows folder, administrators
// only) and a part for each user (the console settings of ntvdm.exe in HKEY_CURRENT_USER). The
// repair does both; the per-user program, for users without administrator rights, only the
// second, once the first is in place.
#pragma once

#include <string>

#include "sysenv/registry.h"

namespace sanivo::console_font {

// Whether the machine-wide part is in place: our font file in the Fonts folder of `windowsDir`
// is a sound font of our face, the Fonts entry names it and a TrueTypeFont slot offers the face.
// Reads only. Raises when something that is there cannot be read, or a value the repair writes
// has another type (ERegistryException).
bool MachineWidePartInPlace(const std::string& windowsDir);

// Whether the console settings of ntvdm.exe of the user who runs the program name our face as a
// TrueType font. Reads only; raises as above.
bool UserPartInPlace();

// The per-user stage of the repair: makes our face the console font of ntvdm.exe for the user
// who runs the program, through `registry`, writing to HKEY_CURRENT_USER only. Shows its steps on
// the progress line; a step that fails raises.
void MakeFontDefaultForNtvdm(TRegistry& registry);

}  // namespace sanivo::console_font
