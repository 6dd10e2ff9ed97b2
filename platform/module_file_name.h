// The full path of the running executable, whatever its length and its characters.
#pragma once

#include <string>

#include "platform/os.h"

namespace sanivo {

inline std::string ModuleFileName() {
  std::string path;
  std::uint32_t size = os::kMaxPath;
  // A longer path reports the buffer as filled to the brim: try again with more room.
  while (os::GetModuleFileNameA(size, path) >= size - 1 && size < 32768) size *= 2;
  // A folder name that the ANSI code page cannot hold comes back with "?" for what it lacks, a
  // character no file name has: the short form of the path reaches the same file.
  if (path.find('?') != std::string::npos) {
    std::string shortPath;
    const std::uint32_t needed = os::GetModuleShortFileNameA(os::kMaxPath, shortPath);
    if (needed > os::kMaxPath) os::GetModuleShortFileNameA(needed, shortPath);
    if (!shortPath.empty()) return shortPath;
  }
  return path;
}

}  // namespace sanivo
