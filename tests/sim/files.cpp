// Files and directories: their content, attributes, open handles and share modes.
#include <algorithm>

#include "tests/sim/state.h"

namespace sim {
namespace {

constexpr std::uint32_t kTruncateExisting = 5;
constexpr std::uint32_t kFileAttributeHidden = 0x02;
constexpr std::uint32_t kFileAttributeSystem = 0x04;
constexpr std::uint32_t kFileAttributeArchive = 0x20;
// The attributes SetFileAttributesA and CreateFileA may set.
constexpr std::uint32_t kSettableAttributes = 0x01 | 0x02 | 0x04 | 0x20 | 0x100 | 0x1000 | 0x2000;

struct DataAccess {
  bool read = false;
  bool write = false;
  bool erase = false;
  bool Any() const { return read || write || erase; }
};

// The parts of an access mask that share modes are checked against.
DataAccess DataAccessOf(std::uint32_t access) {
  const bool all = (access & 0x10000000u) != 0;  // GENERIC_ALL
  return {
      all || (access & (os::kGenericRead | 0x20000000u | 0x1u | 0x20u)) != 0,
      all || (access & (os::kGenericWrite | 0x2u | 0x4u)) != 0,
      all || (access & os::kDelete) != 0,
  };
}

bool Conflicts(const OpenFile& open, std::uint32_t access, std::uint32_t share) {
  DataAccess existing = DataAccessOf(open.access);
  DataAccess wanted = DataAccessOf(access);
  if (!existing.Any() || !wanted.Any()) return false;
  return (wanted.read && !(open.share & os::kFileShareRead)) ||
         (wanted.write && !(open.share & os::kFileShareWrite)) ||
         (wanted.erase && !(open.share & os::kFileShareDelete)) ||
         (existing.read && !(share & os::kFileShareRead)) ||
         (existing.write && !(share & os::kFileShareWrite)) ||
         (existing.erase && !(share & os::kFileShareDelete));
}

bool IsReadOnly(const FileNode& node) {
  return (node.attributes & os::kFileAttributeReadOnly) != 0;
}

// A file looked up for an operation on an existing file, or the error to report.
struct Found {
  Location location;
  FileNode* node = nullptr;
  std::uint32_t error = os::kErrorSuccess;
};

Found FindExisting(Machine::State& s, std::string_view name) {
  Found found;
  std::optional<Location> location = s.Locate(name);
  if (!location) {
    found.error = kErrorInvalidName;
    return found;
  }
  found.location = *location;
  found.error = s.ParentError(found.location);
  if (found.error != os::kErrorSuccess) return found;
  found.node = s.Node(found.location.key);
  if (found.node == nullptr) {
    found.error = os::kErrorFileNotFound;
  } else if (!found.node->directory && found.location.trailingSeparator) {
    found.error = kErrorInvalidName;
  }
  return found;
}

std::string HandleText(os::Handle handle) { return std::to_string(handle); }

}  // namespace

bool Machine::State::SharingConflict(const std::string& key, std::uint32_t access,
                                     std::uint32_t share) const {
  // The process holds its current directory open for traversing, sharing reads and writes.
  const OpenFile currentDirectoryHandle{
      KeyOf(currentDirectory), 0x20, os::kFileShareRead | os::kFileShareWrite, 0, {}, false};
  if (key == currentDirectoryHandle.key && Conflicts(currentDirectoryHandle, access, share)) {
    return true;
  }
  for (const auto* table : {&openFiles, &heldFiles}) {
    for (const auto& [handle, open] : *table) {
      if (open.key == key && !open.elsewhere && Conflicts(open, access, share)) return true;
    }
  }
  return false;
}

bool Machine::State::LockConflict(const std::string& key, std::uint64_t offset,
                                  std::uint64_t length, os::Handle except) const {
  for (const auto* table : {&openFiles, &heldFiles}) {
    for (const auto& [handle, open] : *table) {
      if (handle == except || open.key != key) continue;
      for (const ByteRange& lock : open.locks) {
        if (lock.Overlaps(offset, length)) return true;
      }
    }
  }
  return false;
}

void Machine::AddFile(const std::string& path, const std::string& bytes) {
  std::optional<Location> location = state_->Locate(path);
  if (!location || location->parentKey.empty() || location->trailingSeparator) {
    Misuse("not a file path: " + path);
  }
  const std::size_t lastSeparator = location->full.rfind('\\');
  state_->MakeDirectories(location->full.substr(0, lastSeparator == 2 ? 3 : lastSeparator));
  FileNode& node = state_->files[location->key];
  if (node.directory) Misuse("a directory stands where a file should be: " + path);
  if (node.path.empty()) {
    node.path = location->full;
    node.attributes = kFileAttributeArchive;
  }
  node.bytes = bytes;
  node.version.reset();
}

void Machine::AddDirectory(const std::string& path) { state_->MakeDirectories(path); }

bool Machine::HasFile(const std::string& path) const {
  std::optional<Location> location = state_->Locate(path);
  const FileNode* node = location ? state_->Node(location->key) : nullptr;
  return node != nullptr && !node->directory;
}

bool Machine::HasDirectory(const std::string& path) const {
  std::optional<Location> location = state_->Locate(path);
  const FileNode* node = location ? state_->Node(location->key) : nullptr;
  return node != nullptr && node->directory;
}

std::string Machine::FileBytes(const std::string& path) const {
  std::optional<Location> location = state_->Locate(path);
  const FileNode* node = location ? state_->Node(location->key) : nullptr;
  return node != nullptr && !node->directory ? node->bytes : std::string();
}

void Machine::SetReadOnly(const std::string& path, bool readOnly) {
  std::optional<Location> location = state_->Locate(path);
  FileNode* node = location ? state_->Node(location->key) : nullptr;
  if (node == nullptr) Misuse("SetReadOnly on a missing path: " + path);
  node->attributes = readOnly ? node->attributes | os::kFileAttributeReadOnly
                              : node->attributes & ~os::kFileAttributeReadOnly;
}

std::vector<std::string> Machine::Listing() const {
  std::vector<std::string> listing;
  for (const auto& [key, node] : state_->files) {
    bool needsSeparator = node.directory && node.path.back() != '\\';
    listing.push_back(needsSeparator ? node.path + "\\" : node.path);
  }
  std::sort(listing.begin(), listing.end(), LessNoCase);
  return listing;
}

os::Handle Machine::HoldOpen(const std::string& path, std::uint32_t access,
                             std::uint32_t shareMode) {
  std::optional<Location> location = state_->Locate(path);
  if (!location || state_->Node(location->key) == nullptr)
    Misuse("HoldOpen on a missing path: " + path);
  os::Handle handle = state_->NewHandle();
  state_->heldFiles[handle] = {location->key, access, shareMode, 0, {}, false};
  return handle;
}

os::Handle Machine::HoldOpenElsewhere(const std::string& path) {
  const os::Handle handle = HoldOpen(path, os::kGenericRead | os::kGenericWrite, 0);
  state_->heldFiles[handle].elsewhere = true;
  return handle;
}

void Machine::Release(os::Handle handle) {
  if (state_->heldFiles.erase(handle) == 0) Misuse("Release of a handle HoldOpen did not give");
}

void Machine::CutNextWriteShort(const std::string& path, std::uint32_t bytes) {
  std::optional<Location> location = state_->Locate(path);
  if (!location) Misuse("CutNextWriteShort on no path: " + path);
  state_->shortWrites[location->key] = bytes;
}

int Machine::OpenHandleCount() const {
  return static_cast<int>(state_->openFiles.size() + state_->processes.size() +
                          state_->mutexHandles.size());
}

}  // namespace sim

namespace os {

std::uint32_t GetFileAttributesA(const std::string& path) {
  auto& s = sim::Current("GetFileAttributesA");
  s.Log("GetFileAttributesA", path);
  sim::Found found = sim::FindExisting(s, path);
  if (s.FailsByInjection("GetFileAttributesA", {path, found.location.full})) {
    return kInvalidFileAttributes;
  }
  if (found.error != kErrorSuccess) {
    s.lastError = found.error;
    return kInvalidFileAttributes;
  }
  if (found.node->directory) return kFileAttributeDirectory | found.node->attributes;
  return found.node->attributes == 0 ? kFileAttributeNormal : found.node->attributes;
}

bool SetFileAttributesA(const std::string& path, std::uint32_t attributes) {
  auto& s = sim::Current("SetFileAttributesA");
  s.Log("SetFileAttributesA", path + "|" + sim::HexByte(attributes));
  sim::Found found = sim::FindExisting(s, path);
  if (s.FailsByInjection("SetFileAttributesA", {path, found.location.full})) return false;
  if (found.error != kErrorSuccess) return s.Refuse(found.error);
  if (s.DeniedToUser(found.location.key)) return s.Refuse(kErrorAccessDenied);
  found.node->attributes = attributes & sim::kSettableAttributes;
  return true;
}

bool CopyFileA(const std::string& source, const std::string& target, bool failIfExists) {
  auto& s = sim::Current("CopyFileA");
  s.Log("CopyFileA", source + "|" + target + "|" + (failIfExists ? "1" : "0"));
  sim::Found from = sim::FindExisting(s, source);
  std::optional<sim::Location> to = s.Locate(target);
  if (s.FailsByInjection("CopyFileA", {target, to ? to->full : target})) return false;
  if (from.error != kErrorSuccess) return s.Refuse(from.error);
  if (from.node->directory) return s.Refuse(kErrorAccessDenied);
  // The source is read with FILE_SHARE_READ | FILE_SHARE_DELETE, the target written unshared.
  if (s.SharingConflict(from.location.key, kGenericRead, kFileShareRead | kFileShareDelete)) {
    return s.Refuse(kErrorSharingViolation);
  }
  if (!to || to->trailingSeparator) return s.Refuse(sim::kErrorInvalidName);
  if (std::uint32_t error = s.ParentError(*to); error != kErrorSuccess) {
    return s.Refuse(error);
  }
  if (s.DeniedToUser(to->key)) return s.Refuse(kErrorAccessDenied);
  if (const sim::FileNode* existing = s.Node(to->key)) {
    if (failIfExists) return s.Refuse(kErrorFileExists);
    if (existing->directory || sim::IsReadOnly(*existing)) {
      return s.Refuse(kErrorAccessDenied);
    }
    if (to->key == from.location.key || s.SharingConflict(to->key, kGenericWrite, 0)) {
      return s.Refuse(kErrorSharingViolation);
    }
  }
  sim::FileNode copy = *from.node;
  sim::FileNode& node = s.files[to->key];
  copy.path = node.path.empty() ? to->full : node.path;
  copy.attributes |= sim::kFileAttributeArchive;
  node = std::move(copy);
  return true;
}

bool DeleteFileA(const std::string& path) {
  auto& s = sim::Current("DeleteFileA");
  s.Log("DeleteFileA", path);
  sim::Found found = sim::FindExisting(s, path);
  if (s.FailsByInjection("DeleteFileA", {path, found.location.full})) return false;
  if (found.error != kErrorSuccess) return s.Refuse(found.error);
  if (found.node->directory || sim::IsReadOnly(*found.node) || s.DeniedToUser(found.location.key)) {
    return s.Refuse(kErrorAccessDenied);
  }
  if (s.SharingConflict(found.location.key, os::kDelete,
                        kFileShareRead | kFileShareWrite | kFileShareDelete)) {
    return s.Refuse(kErrorSharingViolation);
  }
  s.files.erase(found.location.key);
  return true;
}

bool MoveFileExA(const std::string& existing, const std::string& target, std::uint32_t flags) {
  auto& s = sim::Current("MoveFileExA");
  s.Log("MoveFileExA", existing + "|" + target + "|" + std::to_string(flags));
  if (flags & kMoveFileDelayUntilReboot) {
    const std::optional<sim::Location> from = s.Locate(existing);
    const std::optional<sim::Location> to = s.Locate(target);
    if (s.FailsByInjection("MoveFileExA", {target, existing, from ? from->full : existing})) {
      return false;
    }
    if (!from || (!target.empty() && !to)) return s.Refuse(sim::kErrorInvalidName);
    // The system's list of pending moves is in HKEY_LOCAL_MACHINE.
    if (s.standardUser) return s.Refuse(kErrorAccessDenied);
    s.RecordPendingRename(from->full, target.empty() ? "" : to->full);
    return true;
  }
  sim::Found from = sim::FindExisting(s, existing);
  std::optional<sim::Location> to = s.Locate(target);
  if (s.FailsByInjection("MoveFileExA", {target, to ? to->full : target})) return false;
  if (from.error != kErrorSuccess) return s.Refuse(from.error);
  if (!to) return s.Refuse(sim::kErrorInvalidName);
  if (std::uint32_t error = s.ParentError(*to); error != kErrorSuccess) {
    return s.Refuse(error);
  }
  if (from.location.key.substr(0, 2) != to->key.substr(0, 2)) {
    return s.Refuse(sim::kErrorNotSameDevice);
  }
  const std::string& fromKey = from.location.key;
  if (s.DeniedToUser(fromKey) || s.DeniedToUser(to->key)) return s.Refuse(kErrorAccessDenied);
  if (to->key.starts_with(fromKey + "\\")) return s.Refuse(kErrorSharingViolation);
  if (s.SharingConflict(fromKey, os::kDelete,
                        kFileShareRead | kFileShareWrite | kFileShareDelete)) {
    return s.Refuse(kErrorSharingViolation);
  }
  const sim::FileNode* replaced = to->key == fromKey ? nullptr : s.Node(to->key);
  if (replaced != nullptr) {
    if (!(flags & kMoveFileReplaceExisting)) return s.Refuse(kErrorAlreadyExists);
    if (replaced->directory || from.node->directory || sim::IsReadOnly(*replaced) ||
        s.SharingConflict(to->key, os::kDelete,
                          kFileShareRead | kFileShareWrite | kFileShareDelete)) {
      return s.Refuse(kErrorAccessDenied);
    }
  }
  // Everything at or below the source takes the new name.
  std::string newPath = to->full;
  if (newPath.size() > 3 && newPath.back() == '\\') newPath.pop_back();
  std::vector<std::pair<std::string, sim::FileNode>> moved;
  for (auto it = s.files.begin(); it != s.files.end();) {
    if (it->first == fromKey || it->first.starts_with(fromKey + "\\")) {
      sim::FileNode node = std::move(it->second);
      node.path = newPath + node.path.substr(fromKey.size());
      moved.emplace_back(to->key + it->first.substr(fromKey.size()), std::move(node));
      it = s.files.erase(it);
    } else {
      ++it;
    }
  }
  for (auto& [key, node] : moved) s.files[key] = std::move(node);
  for (auto* table : {&s.openFiles, &s.heldFiles}) {
    for (auto& [handle, open] : *table) {
      if (open.key == fromKey || open.key.starts_with(fromKey + "\\")) {
        open.key = to->key + open.key.substr(fromKey.size());
      }
    }
  }
  return true;
}

bool CreateDirectoryA(const std::string& path) {
  auto& s = sim::Current("CreateDirectoryA");
  s.Log("CreateDirectoryA", path);
  std::optional<sim::Location> location = s.Locate(path);
  if (s.FailsByInjection("CreateDirectoryA", {path, location ? location->full : path})) {
    return false;
  }
  if (!location) return s.Refuse(sim::kErrorInvalidName);
  if (s.Node(location->key) != nullptr) return s.Refuse(kErrorAlreadyExists);
  if (s.DeniedToUser(location->key)) return s.Refuse(kErrorAccessDenied);
  if (std::uint32_t error = s.ParentError(*location); error != kErrorSuccess) {
    return s.Refuse(error);
  }
  sim::FileNode& node = s.files[location->key];
  node.path = location->full;
  if (location->trailingSeparator) node.path.pop_back();
  node.directory = true;
  return true;
}

bool RemoveDirectoryA(const std::string& path) {
  auto& s = sim::Current("RemoveDirectoryA");
  s.Log("RemoveDirectoryA", path);
  sim::Found found = sim::FindExisting(s, path);
  if (s.FailsByInjection("RemoveDirectoryA", {path, found.location.full})) return false;
  if (found.error != kErrorSuccess) return s.Refuse(found.error);
  const std::string& key = found.location.key;
  if (!found.node->directory) return s.Refuse(sim::kErrorDirectory);
  if (found.location.parentKey.empty() || sim::IsReadOnly(*found.node) || s.DeniedToUser(key)) {
    return s.Refuse(kErrorAccessDenied);
  }
  auto next = s.files.upper_bound(key);
  if (next != s.files.end() && next->first.starts_with(key + "\\")) {
    return s.Refuse(sim::kErrorDirNotEmpty);
  }
  if (s.SharingConflict(key, os::kDelete, kFileShareRead | kFileShareWrite | kFileShareDelete)) {
    return s.Refuse(kErrorSharingViolation);
  }
  s.files.erase(key);
  return true;
}

Handle CreateFileA(const std::string& path, std::uint32_t access, std::uint32_t shareMode,
                   std::uint32_t creation, std::uint32_t flags) {
  auto& s = sim::Current("CreateFileA");
  s.Log("CreateFileA", path);
  std::optional<sim::Location> location = s.Locate(path);
  auto fail = [&s](std::uint32_t error) {
    s.lastError = error;
    return kInvalidHandle;
  };
  if (s.FailsByInjection("CreateFileA", {path, location ? location->full : path})) {
    return kInvalidHandle;
  }
  if (creation < kCreateNew || creation > sim::kTruncateExisting) {
    return fail(kErrorInvalidParameter);
  }
  if (!location) return fail(sim::kErrorInvalidName);
  if (std::uint32_t error = s.ParentError(*location); error != kErrorSuccess) return fail(error);
  sim::FileNode* node = s.Node(location->key);
  if (node != nullptr && node->directory) {
    // A folder opens only with backup semantics, and only as it is.
    if (!(flags & kFileFlagBackupSemantics)) return fail(kErrorAccessDenied);
    if (creation != kOpenExisting && creation != kOpenAlways) return fail(kErrorAccessDenied);
    if (s.SharingConflict(location->key, access, shareMode)) return fail(kErrorSharingViolation);
    Handle handle = s.NewHandle();
    s.openFiles[handle] = {location->key, access, shareMode, 0, {}, false};
    s.lastError = kErrorSuccess;
    return handle;
  }
  if (location->trailingSeparator) return fail(sim::kErrorInvalidName);

  const bool exists = node != nullptr;
  const bool writes = sim::DataAccessOf(access).write || sim::DataAccessOf(access).erase;
  const bool truncates =
      exists && (creation == kCreateAlways || creation == sim::kTruncateExisting);
  if (exists && creation == kCreateNew) return fail(kErrorFileExists);
  if (!exists && (creation == kOpenExisting || creation == sim::kTruncateExisting)) {
    return fail(kErrorFileNotFound);
  }
  if ((writes || truncates || !exists) && s.DeniedToUser(location->key)) {
    return fail(kErrorAccessDenied);
  }
  if (exists && (sim::IsReadOnly(*node) && (writes || truncates))) return fail(kErrorAccessDenied);
  if (exists && creation == kCreateAlways) {
    // Replacing a hidden or system file needs those attributes asked for again.
    std::uint32_t kept = node->attributes & (sim::kFileAttributeHidden | sim::kFileAttributeSystem);
    if ((flags & kept) != kept) return fail(kErrorAccessDenied);
  }
  if (exists && s.SharingConflict(location->key, access, shareMode)) {
    return fail(kErrorSharingViolation);
  }

  const std::uint32_t newAttributes =
      (flags & sim::kSettableAttributes) | sim::kFileAttributeArchive;
  if (!exists) {
    sim::FileNode& created = s.files[location->key];
    created.path = location->full;
    created.attributes = newAttributes;
  } else if (truncates) {
    node->bytes.clear();
    node->version.reset();
    if (creation == kCreateAlways) node->attributes = newAttributes;
  }
  Handle handle = s.NewHandle();
  s.openFiles[handle] = {location->key, access, shareMode, 0, {}, false};
  s.lastError = exists && (creation == kCreateAlways || creation == kOpenAlways)
                    ? kErrorAlreadyExists
                    : kErrorSuccess;
  return handle;
}

bool ReadFile(Handle file, std::uint32_t toRead, std::string& bytes) {
  auto& s = sim::Current("ReadFile");
  s.Log("ReadFile", sim::HandleText(file) + "," + std::to_string(toRead));
  bytes.clear();
  if (file == sim::kStdInput) return !s.FailsByInjection("ReadFile", {"stdin"});
  auto open = s.openFiles.find(file);
  sim::FileNode* node = open == s.openFiles.end() ? nullptr : s.Node(open->second.key);
  if (s.FailsByInjection("ReadFile", {node != nullptr ? std::string_view(node->path) : ""})) {
    return false;
  }
  if (open == s.openFiles.end()) return s.Refuse(kErrorInvalidHandle);
  if (node != nullptr && node->directory) return s.Refuse(kErrorInvalidFunction);
  if (!sim::DataAccessOf(open->second.access).read) return s.Refuse(kErrorAccessDenied);
  if (s.LockConflict(open->second.key, open->second.position, toRead, file)) {
    return s.Refuse(kErrorLockViolation);
  }
  // A file deleted while open (shared for deletion) reads as empty.
  const std::string content = node != nullptr ? node->bytes : std::string();
  std::size_t start = std::min(open->second.position, content.size());
  bytes = content.substr(start, toRead);
  open->second.position = start + bytes.size();
  return true;
}

bool WriteFile(Handle file, std::string_view bytes, std::uint32_t* written) {
  auto& s = sim::Current("WriteFile");
  s.Log("WriteFile", std::string(bytes));
  if (written != nullptr) *written = 0;
  if (file == sim::kStdOutput || file == sim::kStdError) {
    if (s.FailsByInjection("WriteFile", {file == sim::kStdOutput ? "stdout" : "stderr"})) {
      return false;
    }
    (file == sim::kStdOutput ? s.console.stdoutBytes : s.console.stderrBytes) += bytes;
    if (s.console.isConsole) s.WriteToConsole(bytes);
  } else {
    auto open = s.openFiles.find(file);
    sim::FileNode* node = open == s.openFiles.end() ? nullptr : s.Node(open->second.key);
    if (s.FailsByInjection("WriteFile", {node != nullptr ? std::string_view(node->path) : ""})) {
      return false;
    }
    if (open == s.openFiles.end()) return s.Refuse(kErrorInvalidHandle);
    if (node != nullptr && node->directory) return s.Refuse(kErrorInvalidFunction);
    if (!sim::DataAccessOf(open->second.access).write) return s.Refuse(kErrorAccessDenied);
    if (s.LockConflict(open->second.key, open->second.position, bytes.size(), file)) {
      return s.Refuse(kErrorLockViolation);
    }
    if (auto cut = s.shortWrites.find(open->second.key); cut != s.shortWrites.end()) {
      bytes = bytes.substr(0, std::min<std::size_t>(bytes.size(), cut->second));
      s.shortWrites.erase(cut);
    }
    std::size_t& position = open->second.position;
    if (node != nullptr) {  // else deleted while open: the bytes go nowhere
      std::string& content = node->bytes;
      if (content.size() < position + bytes.size()) content.resize(position + bytes.size(), '\0');
      std::copy(bytes.begin(), bytes.end(),
                content.begin() + static_cast<std::ptrdiff_t>(position));
    }
    position += bytes.size();
  }
  if (written != nullptr) *written = static_cast<std::uint32_t>(bytes.size());
  return true;
}

// Only open files are flushed here; the data is already where it will stay.
bool FlushFileBuffers(Handle file) {
  auto& s = sim::Current("FlushFileBuffers");
  s.Log("FlushFileBuffers", sim::HandleText(file));
  auto open = s.openFiles.find(file);
  sim::FileNode* node = open == s.openFiles.end() ? nullptr : s.Node(open->second.key);
  if (s.FailsByInjection("FlushFileBuffers",
                         {node != nullptr ? std::string_view(node->path) : ""})) {
    return false;
  }
  if (open == s.openFiles.end()) return s.Refuse(kErrorInvalidHandle);
  if (!sim::DataAccessOf(open->second.access).write) return s.Refuse(kErrorAccessDenied);
  return true;
}

bool CloseHandle(Handle handle) {
  auto& s = sim::Current("CloseHandle");
  s.Log("CloseHandle", sim::HandleText(handle));
  if (s.FailsByInjection("CloseHandle", {})) return false;
  if (handle == sim::kStdInput || handle == sim::kStdOutput || handle == sim::kStdError) {
    return true;
  }
  if (s.openFiles.erase(handle) == 0 && s.processes.erase(handle) == 0 &&
      s.mutexHandles.erase(handle) == 0) {
    return s.Refuse(kErrorInvalidHandle);
  }
  return true;
}

}  // namespace os
