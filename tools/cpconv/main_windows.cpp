// cpconv.exe: standard input and output are used as raw bytes through the system's handles,
// and an iconv.dll beside the program takes the sides it knows. Like the other programs it
// keeps the DLL search to the system directory.
#include <string>

#include "charset/charset.h"
#include "cmdline/command_line.h"
#include "platform/os.h"
#include "platform/standard_handle.h"
#include "tools/cpconv/cpconv.h"

namespace {

constexpr std::uint32_t kReadChunk = 64 * 1024;

// A pipe reports its end as a failed read; either way the input is over.
std::string ReadStandardInput() {
  const os::Handle input = os::GetStdHandle(os::kStdInputHandle);
  std::string content, chunk;
  while (os::ReadFile(input, kReadChunk, chunk) && !chunk.empty()) content += chunk;
  return content;
}

}  // namespace

int main() {
  os::RestrictDllSearchToSystem();
  const auto options =
      sanivo::ParseCpconvArguments(sanivo::CommandLineArguments(os::GetCommandLineA()));
  if (!options) {
    sanivo::WriteStandardHandle(os::kStdErrorHandle, sanivo::kCpconvUsage);
    return sanivo::kCpconvUsageExitCode;
  }
  sanivo::InitializeCharsetModules();
  const std::string output = sanivo::RunCpconv(*options, ReadStandardInput());
  sanivo::FinalizeCharsetModules();
  return sanivo::WriteStandardHandle(os::kStdOutputHandle, output) ? 0 : 1;
}
