// The program's file pointer, the end of a file and byte-range locks, and a holder's lock on a
// file that another machine shares.
#include "tests/sim/state.h"

namespace sim {
namespace {

OpenFile& Held(Machine::State& s, os::Handle handle, const char* what) {
  auto held = s.heldFiles.find(handle);
  if (held == s.heldFiles.end()) Misuse(std::string(what) + " on a handle HoldOpen did not give");
  return held->second;
}

// The program's open file behind a handle and its node, with the fault for the call applied.
struct Target {
  OpenFile* open = nullptr;
  FileNode* node = nullptr;
};

Target Find(Machine::State& s, os::Handle file) {
  auto open = s.openFiles.find(file);
  if (open == s.openFiles.end()) return {};
  return {&open->second, s.Node(open->second.key)};
}

std::string_view PathOf(const Target& target) {
  return target.node != nullptr ? std::string_view(target.node->path) : std::string_view();
}

}  // namespace

void Machine::HoldLock(os::Handle handle, std::uint64_t offset, std::uint64_t length) {
  OpenFile& held = Held(*state_, handle, "HoldLock");
  if (state_->LockConflict(held.key, offset, length, 0)) Misuse("HoldLock on a locked range");
  held.locks.push_back({offset, length});
}

void Machine::UnlockHeld(os::Handle handle) { Held(*state_, handle, "UnlockHeld").locks.clear(); }

void Machine::AppendHeld(os::Handle handle, const std::string& bytes) {
  OpenFile& held = Held(*state_, handle, "AppendHeld");
  FileNode* node = state_->Node(held.key);
  if (node == nullptr) Misuse("AppendHeld on a deleted file");
  node->bytes += bytes;
}

}  // namespace sim

namespace os {

std::uint32_t SetFilePointer(Handle file, std::int32_t distance, std::uint32_t method) {
  auto& s = sim::Current("SetFilePointer");
  s.Log("SetFilePointer",
        std::to_string(file) + "," + std::to_string(distance) + "," + std::to_string(method));
  const sim::Target target = sim::Find(s, file);
  if (s.FailsByInjection("SetFilePointer", {sim::PathOf(target)})) return kInvalidSetFilePointer;
  if (target.open == nullptr) {
    s.lastError = kErrorInvalidHandle;
    return kInvalidSetFilePointer;
  }
  std::int64_t base = 0;
  if (method == kFileCurrent) {
    base = static_cast<std::int64_t>(target.open->position);
  } else if (method == kFileEnd) {
    base = target.node != nullptr ? static_cast<std::int64_t>(target.node->bytes.size()) : 0;
  } else if (method != kFileBegin) {
    s.lastError = kErrorInvalidParameter;
    return kInvalidSetFilePointer;
  }
  const std::int64_t position = base + distance;
  if (position < 0) {
    s.lastError = sim::kErrorNegativeSeek;
    return kInvalidSetFilePointer;
  }
  target.open->position = static_cast<std::size_t>(position);
  s.lastError = kErrorSuccess;
  return static_cast<std::uint32_t>(position);
}

bool SetEndOfFile(Handle file) {
  auto& s = sim::Current("SetEndOfFile");
  s.Log("SetEndOfFile", std::to_string(file));
  const sim::Target target = sim::Find(s, file);
  if (s.FailsByInjection("SetEndOfFile", {sim::PathOf(target)})) return false;
  if (target.open == nullptr || target.node == nullptr) return s.Refuse(kErrorInvalidHandle);
  if ((target.open->access & kGenericWrite) == 0) return s.Refuse(kErrorAccessDenied);
  target.node->bytes.resize(target.open->position);
  s.lastError = kErrorSuccess;
  return true;
}

bool LockFileEx(Handle file, std::uint32_t flags, std::uint64_t offset, std::uint64_t length) {
  auto& s = sim::Current("LockFileEx");
  s.Log("LockFileEx", std::to_string(file) + "," + sim::HexByte(flags) + "," +
                          std::to_string(offset) + "," + std::to_string(length));
  const sim::Target target = sim::Find(s, file);
  if (s.FailsByInjection("LockFileEx", {sim::PathOf(target)})) return false;
  if (target.open == nullptr) return s.Refuse(kErrorInvalidHandle);
  if (!(flags & kLockfileExclusiveLock)) sim::Misuse("shared locks are not modelled");
  // Locks do not overlap, not even two of one handle.
  if (s.LockConflict(target.open->key, offset, length, 0)) {
    if (!(flags & kLockfileFailImmediately)) sim::Misuse("LockFileEx would wait for ever");
    return s.Refuse(kErrorLockViolation);
  }
  target.open->locks.push_back({offset, length});
  return true;
}

bool UnlockFileEx(Handle file, std::uint64_t offset, std::uint64_t length) {
  auto& s = sim::Current("UnlockFileEx");
  s.Log("UnlockFileEx",
        std::to_string(file) + "," + std::to_string(offset) + "," + std::to_string(length));
  const sim::Target target = sim::Find(s, file);
  if (s.FailsByInjection("UnlockFileEx", {sim::PathOf(target)})) return false;
  if (target.open == nullptr) return s.Refuse(kErrorInvalidHandle);
  std::vector<sim::ByteRange>& locks = target.open->locks;
  for (auto lock = locks.begin(); lock != locks.end(); ++lock) {
    if (lock->offset == offset && lock->length == length) {
      locks.erase(lock);
      return true;
    }
  }
  return s.Refuse(kErrorNotLocked);
}

}  // namespace os
