// cpconv.exe: standard input and output are used as raw bytes through the system's handles,
// and an iconv.dll beside the program takes the sides it knows. Like the other programs it
// keeps the DLL search to the system directory.
#include <string>

#include "charset/charset.h"
#include "cmdline/command_line.h"
#include "platform/os.h"
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

bool WriteAll(std::int32_t which, std::string_view bytes) {
  const os::Handle output = os::GetStdHandle(which);
  while (!bytes.empty()) {
    std::uint32_t written = 0;
    if (!os::WriteFile(output, bytes, &written) || written == 0) return false;
    bytes.remove_prefix(written);
  }
  return true;
}

}  // namespace

int main() {
  os::RestrictDllSearchToSystem();
  const auto options =
      sanivo::ParseCpconvArguments(sanivo::CommandLineArguments(os::GetCommandLineA()));
  if (!options) {
    WriteAll(os::kStdErrorHandle, sanivo::kCpconvUsage);
    return sanivo::kCpconvUsageExitCode;
  }
  sanivo::InitializeCharsetModules();
  const std::string output = sanivo::RunCpconv(*options, ReadStandardInput());
  sanivo::FinalizeCharsetModules();
  return WriteAll(os::kStdOutputHandle, output) ? 0 : 1;
}
