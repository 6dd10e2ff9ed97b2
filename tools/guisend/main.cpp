// GUISEND.EXE. The text is one argument as the program's own splitter gives it, in the ANSI code
// page; whether a GUI console listens or not, the exit code is 0.
#include "cmdline/command_line.h"
#include "platform/os.h"
#include "tools/guisend/guisend.h"

int main() {
  os::RestrictDllSearchToSystem();
  const auto request =
      sanivo::ParseGuisendArguments(sanivo::CommandLineArguments(os::GetCommandLineA()));
  if (!request) {
    std::uint32_t written = 0;
    os::WriteFile(os::GetStdHandle(os::kStdErrorHandle), sanivo::kGuisendUsage, &written);
    return sanivo::kGuisendUsageExitCode;
  }
  sanivo::SendGuisendRequest(*request);
  return 0;
}
