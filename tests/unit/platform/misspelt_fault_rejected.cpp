// Faults that must not compile; the build's tests compile each case alone and expect the
// diagnostic that names the fault.
#include "tests/sim/machine.h"

void SetUpFault(sim::Machine& machine) {
#if defined(MISSPELT)
  machine.Fail("CopyFlieA", "", 5);
#elif defined(CANNOT_FAIL)
  machine.Fail("Sleep", "", 5);
#else
  machine.Fail("CopyFileA", "", 5);  // the control case: a known name compiles
#endif
}
