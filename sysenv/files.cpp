#include "sysenv/files.h"

#include "platform/os.h"

namespace sanivo {

namespace {

// The part of a name that Windows matches against its device names: up to the first dot or
// colon, without trailing blanks, in upper case.
std::string DeviceStem(std::string name) {
  name = name.substr(0, name.find_first_of(".:"));
  name.erase(name.find_last_not_of(' ') + 1);
  for (char& c : name) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return name;
}

bool IsDeviceName(const std::string& stem) {
  if (stem == "NUL" || stem == "CON" || stem == "PRN" || stem == "AUX") return true;
  return stem.size() == 4 && (stem.starts_with("COM") || stem.starts_with("LPT")) &&
         stem[3] >= '1' && stem[3] <= '9';
}

}  // namespace

bool FileExists(const std::string& path) {
  const std::uint32_t attributes = os::GetFileAttributesA(path);
  return attributes != os::kInvalidFileAttributes &&
         (attributes & os::kFileAttributeDirectory) == 0;
}

bool DirectoryExists(const std::string& path) {
  const std::uint32_t attributes = os::GetFileAttributesA(path);
  return attributes != os::kInvalidFileAttributes &&
         (attributes & os::kFileAttributeDirectory) != 0;
}

bool ForceDirectories(const std::string& path) {
  const std::string dir = ExcludeTrailingBackslash(path);
  if (dir.empty()) return false;
  if (DirectoryExists(dir)) return true;
  const std::string parent = ExtractFilePath(dir);
  // A drive root or a bare name has no parent left to create.
  if (!parent.empty() && parent != dir && parent.back() != ':' && !ForceDirectories(parent)) {
    return false;
  }
  if (os::CreateDirectoryA(dir)) return true;
  // Another program may have made it meanwhile; a file of that name is no directory. A failure
  // keeps the creation's error for the caller's report.
  const std::uint32_t error = os::GetLastError();
  if (DirectoryExists(dir)) return true;
  os::SetLastError(error);
  return false;
}

std::string ExpandFileName(const std::string& name) {
  return QueryPath([&](std::uint32_t size, std::string& path) {
    return os::GetFullPathNameA(name, size, path);
  });
}

std::string LongFullPath(const std::string& name) {
  std::string head = ExpandFileName(name);
  std::string tail;  // the names below `head`, each after a backslash
  while (!head.empty()) {
    const std::string longHead = QueryPath([&head](std::uint32_t size, std::string& path) {
      return os::GetLongPathNameA(head, size, path);
    });
    if (!longHead.empty()) return ExcludeTrailingBackslash(longHead) + tail;
    const std::size_t separator = head.find_last_of('\\');
    if (separator == std::string::npos || separator + 1 == head.size()) break;
    tail = head.substr(separator) + tail;
    head.erase(separator);
    if (head.size() == 2 && head[1] == ':')
      head += '\\';  // the drive's root, not its current directory
  }
  return ExpandFileName(name);
}

std::string GetCurrentDir() {
  return QueryPath(
      [](std::uint32_t size, std::string& path) { return os::GetCurrentDirectoryA(size, path); });
}

bool IsFileLocked(const std::string& path) {
  const os::Handle file = os::CreateFileA(path, os::kGenericRead | os::kGenericWrite, 0,
                                          os::kOpenExisting, os::kFileAttributeNormal);
  if (file == os::kInvalidHandle) return true;
  os::CloseHandle(file);
  return false;
}

bool IsDevicePath(const std::string& path) {
  std::string normal = path;
  for (char& c : normal) {
    if (c == '/') c = '\\';
  }
  if (normal.starts_with("\\\\.\\") || normal.starts_with("\\\\?\\")) return true;
  // A drive's colon is no part of the name; a colon after the name is ("CON:").
  const std::size_t separator = normal.find_last_of('\\');
  std::string name = separator == std::string::npos ? normal : normal.substr(separator + 1);
  if (separator == std::string::npos && name.size() >= 2 && name[1] == ':') name.erase(0, 2);
  return IsDeviceName(DeviceStem(name));
}

}  // namespace sanivo
