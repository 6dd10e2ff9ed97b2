// cpconv.exe: standard input and output are used as raw bytes through the system's handles,
// and an iconv.dll beside the program takes the sides it knows. Like the other programs it
// keeps the DLL search to the system directory.
#include "charset/charset.h"
#include "cmdline/command_line.h"
#include "platform/os.h"
#include "tools/cpconv/cpconv.h"

int main() {
  os::RestrictDllSearchToSystem();
  sanivo::InitializeCharsetModules();
  const int code = sanivo::RunCpconv(sanivo::CommandLineArguments(os::GetCommandLineA()));
  sanivo::FinalizeCharsetModules();
  return code;
}
