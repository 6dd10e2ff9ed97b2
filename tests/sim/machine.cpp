// The machine's life, its fault injection and call log, the last error, the lock and the clock.
#include "tests/sim/machine.h"

#include <cstdio>
#include <cstdlib>
#include <new>

#include "tests/sim/state.h"

namespace sim {
namespace {

Machine::State* living = nullptr;

[[noreturn]] void Die(const char* message, const char* operation) {
  std::fprintf(stderr, "sim: %s%s\n", message, operation);
  std::abort();
}

}  // namespace

void Misuse(const std::string& what) { Die("misused: ", what.c_str()); }

Machine::State& Current(const char* operation) {
  if (living == nullptr) Die("os:: call without a sim::Machine: ", operation);
  return *living;
}

Machine::State::State() {
  version.dwOSVersionInfoSize = os::kOsVersionInfoSize;
  version.dwMajorVersion = 5;
  version.dwMinorVersion = 1;
  version.dwBuildNumber = 2600;
  version.dwPlatformId = 2;
  for (os::HKey root = os::kHkeyClassesRoot; root <= os::kHkeyDynData; ++root) {
    registryRoots[root];
  }
}

os::Handle Machine::State::NewHandle() {
  os::Handle handle = nextHandle;
  nextHandle += 4;
  return handle;
}

void Machine::State::Log(std::string_view operation, std::string arguments) {
  calls.emplace_back(std::string(operation), std::move(arguments));
}

std::optional<std::uint32_t> Machine::State::Injected(
    FailableCall operation, std::initializer_list<std::string_view> targets) {
  for (Fault& fault : faults) {
    if (fault.remaining == 0 || fault.operation != operation.Name()) continue;
    bool matches = fault.target.empty();
    for (std::string_view target : targets) matches = matches || EqualNoCase(fault.target, target);
    if (!matches) continue;
    if (fault.remaining > 0) --fault.remaining;
    return fault.error;
  }
  return std::nullopt;
}

bool Machine::State::FailsByInjection(FailableCall operation,
                                      std::initializer_list<std::string_view> targets) {
  std::optional<std::uint32_t> error = Injected(operation, targets);
  if (error) lastError = *error;
  return error.has_value();
}

bool Machine::State::Refuse(std::uint32_t error) {
  lastError = error;
  return false;
}

Machine::Machine() {
  if (living != nullptr) Die("a second sim::Machine while one lives", "");
  state_ = new State;
  living = state_;
  for (const char* directory : {"C:\\WINDOWS\\system32\\dllcache", "C:\\WINDOWS\\Fonts",
                                "C:\\DOCUME~1\\user\\LOCALS~1\\Temp"}) {
    AddDirectory(directory);
  }
  SetWindowsDirectory("C:\\WINDOWS");
  SetSystemDirectory("C:\\WINDOWS\\system32");
  SetTempPath("C:\\DOCUME~1\\user\\LOCALS~1\\Temp\\");
  SetCurrentDirectory("C:\\");
  SetCommonAppDataFolder("C:\\Documents and Settings\\All Users\\Application Data");
  SetModulePath("C:\\Program Files\\Morek\\sanivo.exe");
  AddFile(state_->modulePath);
  AddShortName("C:\\Program Files", "PROGRA~1");
  AddKey(os::kHkeyLocalMachine, "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Fonts");
  AddKey(os::kHkeyLocalMachine, os::kSessionManagerKey);
}

Machine::~Machine() {
  living = nullptr;
  delete state_;
}

void Machine::Fail(FailableCall operation, const std::string& target, std::uint32_t error,
                   int times) {
  state_->faults.push_back({operation.Name(), target, error, times});
}

std::vector<std::string> Machine::CallsTo(const std::string& operation) const {
  std::vector<std::string> arguments;
  for (const auto& [name, text] : state_->calls) {
    if (name == operation) arguments.push_back(text);
  }
  return arguments;
}

int Machine::CallCount(const std::string& operation) const {
  return static_cast<int>(CallsTo(operation).size());
}

void Machine::SetCommandLine(const std::string& commandLine) { state_->commandLine = commandLine; }

void Machine::SetLocalDate(int year, int month, int day) {
  state_->time.year = year;
  state_->time.month = month;
  state_->time.day = day;
}

void Machine::SetLocalTimeOfDay(int hour, int minute, int second, int milliseconds) {
  state_->time.hour = hour;
  state_->time.minute = minute;
  state_->time.second = second;
  state_->time.milliseconds = milliseconds;
}

void Machine::SetComputerName(const std::string& name) { state_->computerName = name; }

void Machine::SetUserName(const std::string& name) { state_->userName = name; }

void Machine::SetPerformanceCounter(std::uint64_t value) { state_->performanceCounter = value; }

}  // namespace sim

namespace os {

std::uint32_t GetLastError() { return sim::Current("GetLastError").lastError; }

void SetLastError(std::uint32_t code) { sim::Current("SetLastError").lastError = code; }

std::string GetCommandLineA() {
  auto& s = sim::Current("GetCommandLineA");
  s.Log("GetCommandLineA", "");
  return s.commandLine;
}

LocalTime GetLocalTime() {
  auto& s = sim::Current("GetLocalTime");
  s.Log("GetLocalTime", "");
  return s.time;
}

bool GetComputerNameA(std::string& name) {
  auto& s = sim::Current("GetComputerNameA");
  s.Log("GetComputerNameA", "");
  name.clear();
  if (s.FailsByInjection("GetComputerNameA", {})) return false;
  name = s.computerName;
  return true;
}

bool GetUserNameA(std::string& name) {
  auto& s = sim::Current("GetUserNameA");
  s.Log("GetUserNameA", "");
  name.clear();
  if (s.FailsByInjection("GetUserNameA", {})) return false;
  name = s.userName;
  return true;
}

std::uint64_t QueryPerformanceCounter() {
  auto& s = sim::Current("QueryPerformanceCounter");
  s.Log("QueryPerformanceCounter", "");
  return s.performanceCounter++;
}

// The program has one thread, so the section only keeps its recursion count, which still
// catches a Leave without an Enter.
namespace {
struct SectionState {
  int depth = 0;
};
static_assert(sizeof(SectionState) <= 64);

SectionState& Section(unsigned char* storage) {
  return *std::launder(reinterpret_cast<SectionState*>(storage));
}
}  // namespace

CriticalSection::CriticalSection() { new (storage_) SectionState; }

CriticalSection::~CriticalSection() {
  if (Section(storage_).depth != 0) sim::Die("critical section destroyed while entered", "");
  Section(storage_).~SectionState();
}

void CriticalSection::Enter() { ++Section(storage_).depth; }

void CriticalSection::Leave() {
  if (Section(storage_).depth == 0) sim::Die("LeaveCriticalSection without Enter", "");
  --Section(storage_).depth;
}

}  // namespace os
