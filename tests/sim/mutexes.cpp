// Named mutexes: the turn that runs of the program take, and other runs holding it.
#include <utility>

#include "tests/sim/state.h"

namespace sim {

namespace {

Mutex& Named(Machine::State& s, const std::string& name) { return s.mutexes[UpperAnsi(name)]; }

}  // namespace

std::uint32_t WaitForMutex(Machine::State& s, Mutex& mutex, std::uint32_t milliseconds) {
  if (mutex.otherRunsWaits != 0) {
    if (milliseconds == 0xFFFFFFFFu) Misuse("an endless wait for a mutex held by another run");
    if (mutex.otherRunsWaits > 0) --mutex.otherRunsWaits;
    return os::kWaitTimeout;
  }
  ++mutex.ownedByProgram;
  s.lastError = os::kErrorSuccess;
  return std::exchange(mutex.abandoned, false) ? os::kWaitAbandoned : os::kWaitObject0;
}

void Machine::HoldMutex(const std::string& name, int waits, bool abandoned) {
  Mutex& mutex = Named(*state_, name);
  mutex.otherRunsWaits = waits;
  mutex.abandoned = abandoned;
}

void Machine::DenyMutex(const std::string& name) { Named(*state_, name).denied = true; }

void Machine::AllowMutex(const std::string& name) { Named(*state_, name).denied = false; }

bool Machine::OwnsMutex(const std::string& name) const {
  const auto found = state_->mutexes.find(UpperAnsi(name));
  return found != state_->mutexes.end() && found->second.ownedByProgram > 0;
}

}  // namespace sim

namespace os {

Handle CreateMutexForAdministratorsA(const std::string& name) {
  auto& s = sim::Current("CreateMutexForAdministratorsA");
  s.Log("CreateMutexForAdministratorsA", name);
  if (s.FailsByInjection("CreateMutexForAdministratorsA", {name})) return 0;
  const std::string key = sim::UpperAnsi(name);
  const bool existed = s.mutexes.contains(key);
  if (existed && s.mutexes[key].denied) {
    s.lastError = kErrorAccessDenied;
    return 0;
  }
  s.mutexes[key];
  const Handle handle = s.NewHandle();
  s.mutexHandles[handle] = key;
  s.lastError = existed ? kErrorAlreadyExists : kErrorSuccess;
  return handle;
}

bool ReleaseMutex(Handle mutex) {
  auto& s = sim::Current("ReleaseMutex");
  s.Log("ReleaseMutex", std::to_string(mutex));
  if (s.FailsByInjection("ReleaseMutex", {})) return false;
  const auto found = s.mutexHandles.find(mutex);
  if (found == s.mutexHandles.end()) return s.Refuse(kErrorInvalidHandle);
  int& owned = s.mutexes[found->second].ownedByProgram;
  if (owned == 0) return s.Refuse(kErrorNotOwner);
  --owned;
  return true;
}

}  // namespace os
