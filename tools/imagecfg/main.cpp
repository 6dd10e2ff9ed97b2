// IMAGECFG.EXE. The arguments come from the C runtime's parse of the command line, which
// removes the quotes around a path with blanks.
#include <string>
#include <vector>

#include "platform/os.h"
#include "tools/imagecfg/imagecfg.h"

int main(int argc, char** argv) {
  // Started by an elevated program: before anything can make the system load a library.
  os::RestrictDllSearchToSystem();
  return sanivo::RunImagecfg(std::vector<std::string>(argv + 1, argv + argc));
}
