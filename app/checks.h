// What the check-only mode finds out instead of repairing: whether this machine needs the
// repair. A check changes nothing on disk or in the registry.
#pragma once

#include <array>
#include <string>
#include <string_view>

namespace sanivo {

enum class TCheckFinding { NotNeeded, Needed, Undecided };

struct TCheckResult {
  TCheckFinding Finding = TCheckFinding::Undecided;
  std::string_view Reason;  // for Undecided: the red status line
};

// Windows XP: needed when the live NTVDM.EXE (entry 0 of the expanded paths) is not pinned to
// the first processor, or a cached copy that exists differs from it. Missing or in use, it
// gives the repair's own failure.
TCheckResult CheckNtvdmAffinity(const std::array<std::string, 3>& ntvdmPaths);

// Windows 7: needed when the font in the Fonts folder is missing or is not a sound font of our
// face, or a registry value that the repair writes is missing or different.
TCheckResult CheckConsoleFont(const std::string& windowsDir);

}  // namespace sanivo
