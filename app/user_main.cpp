#include "app/program.h"
#include "platform/os.h"

int main() {
  // Before anything can make the system load a library on demand.
  os::RestrictDllSearchToSystem();
  return sanivo::RunUserProgram();
}
