// File and path helpers over the OS seam.
#pragma once

#include <cstdint>
#include <string>

#include "base/file_names.h"
#include "platform/os.h"

namespace sanivo {

// An existing file, not a directory.
bool FileExists(const std::string& path);
bool DirectoryExists(const std::string& path);
// Creates the directory and every missing parent; an existing directory counts as success, a
// file at the path or at a parent as failure.
bool ForceDirectories(const std::string& path);
// The full path of a name relative to the current directory; empty when it cannot be formed.
std::string ExpandFileName(const std::string& name);
std::string GetCurrentDir();
// The file a name stands for, however it is spelt (relative, "..", trailing dots, "/", short
// 8.3 names): its full path with the long names of every part that exists; the names below the
// deepest existing directory are kept as given. Empty when the name has no full path.
std::string LongFullPath(const std::string& name);

// Runs one of the system's path queries (GetTempPathA and its kind) with a buffer of MAX_PATH,
// once more with the size it asks for when the path is longer; empty when it fails. `query` is
// called as query(bufferSize, path) and returns what the system call returns. A template rather
// than a std::function: the programs then carry no type information of each caller's lambda.
template <typename PathQuery>
std::string QueryPath(const PathQuery& query) {
  std::string path;
  const std::uint32_t needed = query(os::kMaxPath, path);
  if (needed > os::kMaxPath && query(needed, path) >= needed) path.clear();
  return path;
}

// Whether `path` cannot be opened for exclusive reading and writing. Every reason counts:
// another process holds it, it is missing, read-only or a directory.
bool IsFileLocked(const std::string& path);

// Whether Windows takes the path for a device rather than a file: anything under "\\.\" or
// "\\?\", or a last name that is NUL, CON, PRN, AUX, COM1 to COM9 or LPT1 to LPT9 in any case,
// whatever extension, trailing blanks or colon follow it ("C:\zal\nul.bak" is NUL).
bool IsDevicePath(const std::string& path);

}  // namespace sanivo
