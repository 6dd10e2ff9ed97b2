#include "sysenv/process.h"

#include "platform/os.h"
#include "sysenv/errors.h"

namespace sanivo {

namespace {

constexpr std::uint32_t kShellExecuteInfoSize = 60;
constexpr std::uint32_t kWaitSliceMs = 50;

// Waits in slices of kWaitSliceMs, sleeping the same between them. Only the sleeps count
// against the limit, so the loop gives up after limit / 50 + 1 sleeps.
void WaitForProcess(os::Handle process, std::uint32_t timeLimitMs) {
  // Wider than the limit, so that a limit near the top of its range cannot wrap it.
  std::uint64_t elapsedMs = 0;
  while (os::WaitForSingleObject(process, kWaitSliceMs) != os::kWaitObject0) {
    if (timeLimitMs != 0 && elapsedMs > timeLimitMs) break;
    os::Sleep(kWaitSliceMs);
    if (timeLimitMs != 0) elapsedMs += kWaitSliceMs;
  }
}

}  // namespace

os::ShellExecuteInfo ShellOpenRecord(const std::string& file, const std::string& parameters,
                                     const std::string& directory, std::int32_t showCommand) {
  os::ShellExecuteInfo info;
  info.cbSize = kShellExecuteInfoSize;
  info.fMask = os::kSeeMaskNoCloseProcess | os::kSeeMaskFlagDdeWait;
  info.hwnd = os::GetActiveWindow();
  info.verb = "open";
  info.file = file;
  info.parameters = parameters;
  info.directory = directory;
  info.nShow = showCommand;
  return info;
}

bool ExecuteAndWait(const std::string& file, const std::string& parameters,
                    const std::string& directory, std::int32_t showCommand,
                    std::uint32_t timeLimitMs) {
  os::ShellExecuteInfo info = ShellOpenRecord(file, parameters, directory, showCommand);
  if (!os::ShellExecuteExA(info)) RaiseLastOSError();
  // The shell may hand the file to a program that is already running and give back no
  // process: there is nothing to wait for, and waiting on nothing would never end.
  if (info.hProcess == 0) return true;
  WaitForProcess(info.hProcess, timeLimitMs);
  os::CloseHandle(info.hProcess);
  return true;
}

}  // namespace sanivo
