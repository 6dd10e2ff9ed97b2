// GUISEND.EXE. The text is one argument as the program's own splitter gives it, in the ANSI code
// page; whether a GUI console listens or not, the exit code is 0.
#include "cmdline/command_line.h"
#include "platform/os.h"
#include "platform/standard_handle.h"
#include "tools/guisend/guisend.h"

int main() {
  os::RestrictDllSearchToSystem();
  const auto request =
      sanivo::ParseGuisendArguments(sanivo::CommandLineArguments(os::GetCommandLineA()));
  if (!request) {
    sanivo::WriteStandardHandle(os::kStdErrorHandle, sanivo::kGuisendUsage);
    return sanivo::kGuisendUsageExitCode;
  }
  sanivo::SendGuisendRequest(*request);
  return 0;
}
