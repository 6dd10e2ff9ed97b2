// Programs started through the shell or WinExec, waits for them, and sleeping.
#include <utility>

#include "tests/sim/state.h"

namespace sim {
namespace {

constexpr std::uint32_t kShellExecuteInfoSize = 60;
constexpr std::uint32_t kInfinite = 0xFFFFFFFFu;
constexpr std::uintptr_t kShellSuccess = 42;  // any hInstApp above 32 means success
constexpr std::uint32_t kWinExecSuccess = 33;

// Starts the program at `key` (a file that exists). A file that was not registered as a
// program starts and ends at once. Returns the new process.
Process Start(Machine::State& s, const std::string& key, const std::string& parameters,
              const std::string& directory) {
  auto found = s.programs.find(key);
  if (found == s.programs.end()) return {};
  Program program = found->second;  // the start may register further programs
  if (program.onStart) program.onStart(parameters, directory);
  return {program.waitsBeforeExit, program.onExit};
}

// The file to run, or the error that starting it gives.
struct Executable {
  std::string key;
  bool directory = false;
  std::uint32_t error = os::kErrorSuccess;
};

Executable FindExecutable(Machine::State& s, std::string_view file) {
  std::optional<Location> location = s.Locate(file);
  if (!location) return {{}, false, kErrorInvalidName};
  const FileNode* node = s.Node(location->key);
  if (node == nullptr) return {{}, false, os::kErrorFileNotFound};
  return {location->key, node->directory};
}

bool HasExtension(std::string_view path) {
  std::size_t dot = path.rfind('.');
  return dot != std::string_view::npos && path.find('\\', dot) == std::string_view::npos;
}

// Splits a command line into the program and its parameters as CreateProcess does: a quoted
// name, or the shortest run of blank-separated words that names a file (".exe" may be left off).
std::pair<std::string, std::string> SplitCommandLine(const Machine::State& s,
                                                     const std::string& commandLine) {
  if (commandLine.starts_with('"')) {
    std::size_t close = commandLine.find('"', 1);
    std::string program = commandLine.substr(1, close == std::string::npos ? close : close - 1);
    std::size_t rest = close == std::string::npos ? commandLine.size() : close + 1;
    std::size_t start = commandLine.find_first_not_of(' ', rest);
    return {program, start == std::string::npos ? "" : commandLine.substr(start)};
  }
  std::size_t end = 0;
  do {
    end = commandLine.find(' ', end + 1);
    std::string candidate = commandLine.substr(0, end);
    if (!HasExtension(candidate)) candidate += ".exe";
    std::optional<Location> location = s.Locate(candidate);
    const FileNode* node = location ? s.Node(location->key) : nullptr;
    if (node != nullptr && !node->directory) {
      std::size_t start =
          end == std::string::npos ? std::string::npos : commandLine.find_first_not_of(' ', end);
      return {candidate, start == std::string::npos ? "" : commandLine.substr(start)};
    }
  } while (end != std::string::npos);
  std::size_t blank = commandLine.find(' ');
  return {commandLine.substr(0, blank), ""};
}

}  // namespace

void Machine::AddProgram(const std::string& path, Program program) {
  if (!HasFile(path)) AddFile(path);
  state_->programs[state_->Locate(path)->key] = std::move(program);
}

std::vector<Launch> Machine::Launches() const { return state_->launches; }

std::uint32_t Machine::TotalSleep() const { return state_->totalSleep; }

void Machine::OnSleep(std::function<void(std::uint32_t)> action) {
  state_->onSleep = std::move(action);
}

}  // namespace sim

namespace os {

bool ShellExecuteExA(ShellExecuteInfo& info) {
  auto& s = sim::Current("ShellExecuteExA");
  s.Log("ShellExecuteExA", info.file + "|" + info.parameters);
  info.hInstApp = 0;
  info.hProcess = 0;
  auto fail = [&s, &info](std::uint32_t error) {
    s.lastError = error;
    info.hInstApp = error <= 32 ? error : 0;
    return false;
  };
  if (std::optional<std::uint32_t> error = s.Injected("ShellExecuteExA", {info.file})) {
    return fail(*error);
  }
  if (info.cbSize != sim::kShellExecuteInfoSize) return fail(kErrorAccessDenied);
  sim::Executable executable = sim::FindExecutable(s, info.file);
  if (executable.error != kErrorSuccess) return fail(executable.error);
  s.launches.push_back({"ShellExecuteExA", info.file, info.parameters, info.directory, info.verb,
                        info.nShow, info.fMask, info.cbSize});
  // A folder opens in a window of the shell's own: no process of ours to wait for.
  sim::Process process = executable.directory
                             ? sim::Process{}
                             : sim::Start(s, executable.key, info.parameters, info.directory);
  info.hInstApp = sim::kShellSuccess;
  const bool handsBackHandle =
      (info.fMask & kSeeMaskNoCloseProcess) && !executable.directory &&
      !(s.programs.contains(executable.key) && s.programs.at(executable.key).noProcessHandle);
  if (handsBackHandle) {
    info.hProcess = s.NewHandle();
    s.processes[info.hProcess] = process;
  }
  return true;
}

std::uint32_t WaitForSingleObject(Handle handle, std::uint32_t milliseconds) {
  auto& s = sim::Current("WaitForSingleObject");
  s.Log("WaitForSingleObject", std::to_string(handle) + "," + std::to_string(milliseconds));
  if (s.FailsByInjection("WaitForSingleObject", {})) return kWaitFailed;
  if (s.openFiles.contains(handle) || handle == sim::kStdInput || handle == sim::kStdOutput ||
      handle == sim::kStdError) {
    return kWaitObject0;
  }
  if (auto mutex = s.mutexHandles.find(handle); mutex != s.mutexHandles.end()) {
    return sim::WaitForMutex(s, s.mutexes[mutex->second], milliseconds);
  }
  auto found = s.processes.find(handle);
  if (found == s.processes.end()) {
    s.lastError = kErrorInvalidHandle;
    return kWaitFailed;
  }
  int& waitsLeft = found->second.waitsLeft;
  if (milliseconds == sim::kInfinite) {
    if (waitsLeft < 0) sim::Misuse("an endless wait for a process that never ends");
    waitsLeft = 0;
  }
  if (waitsLeft != 0) {
    if (waitsLeft > 0) --waitsLeft;
    return kWaitTimeout;
  }
  // Taken out first: the hook may start or end processes of its own.
  if (std::function<void()> onExit = std::exchange(found->second.onExit, nullptr)) onExit();
  return kWaitObject0;
}

std::uint32_t WinExec(const std::string& commandLine, std::uint32_t show) {
  auto& s = sim::Current("WinExec");
  s.Log("WinExec", commandLine);
  auto [program, parameters] = sim::SplitCommandLine(s, commandLine);
  if (s.FailsByInjection("WinExec", {program, commandLine})) {
    return s.lastError < 32 ? s.lastError : 0;
  }
  sim::Executable executable = sim::FindExecutable(s, program);
  if (executable.error == kErrorSuccess && executable.directory) {
    executable.error = kErrorAccessDenied;
  }
  if (executable.error != kErrorSuccess) {
    s.lastError = executable.error;
    return executable.error < 32 ? executable.error : 0;
  }
  s.launches.push_back(
      {"WinExec", program, parameters, "", "", static_cast<std::int32_t>(show), 0, 0});
  sim::Start(s, executable.key, parameters, s.currentDirectory);
  return sim::kWinExecSuccess;
}

void Sleep(std::uint32_t milliseconds) {
  auto& s = sim::Current("Sleep");
  s.Log("Sleep", std::to_string(milliseconds));
  s.totalSleep += milliseconds;
  if (s.onSleep) s.onSleep(milliseconds);
}

// A console program owns no window of its own thread.
Hwnd GetActiveWindow() {
  auto& s = sim::Current("GetActiveWindow");
  s.Log("GetActiveWindow", "");
  return 0;
}

}  // namespace os
