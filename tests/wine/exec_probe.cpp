// Runs ExecuteAndWait on the real shell and reports what happened:
//   returned=<0|1> elapsed_ms=<time spent in the call> child_ended=<yes|no>
// or, when it raised:
//   raised=<class name> message=[<message>]
// Usage: exec_probe.exe <program> <its parameters> <time limit ms> <marker file>
// The marker file is the one the program creates when it ends (see sleeper.cpp).
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/os.h"
#include "sysenv/errors.h"
#include "sysenv/process.h"

int main(int argc, char** argv) {
  if (argc != 5) {
    std::fprintf(stderr, "usage: exec_probe.exe <program> <parameters> <limit ms> <marker>\n");
    return 2;
  }
  const std::uint32_t limit = std::strtoul(argv[3], nullptr, 10);
  const DWORD start = GetTickCount();
  try {
    const bool returned = sanivo::ExecuteAndWait(argv[1], argv[2], "", os::kSwShow, limit);
    const DWORD elapsed = GetTickCount() - start;
    const bool ended = GetFileAttributesA(argv[4]) != INVALID_FILE_ATTRIBUTES;
    std::printf("returned=%d elapsed_ms=%lu child_ended=%s\n", returned ? 1 : 0, elapsed,
                ended ? "yes" : "no");
  } catch (const sanivo::Exception& error) {
    std::printf("raised=%s message=[%s]\n", error.ClassName(), error.Message().c_str());
  }
  std::fflush(stdout);
  return 0;
}
