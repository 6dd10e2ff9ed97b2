// The full path of the running executable, whatever its length.
#pragma once

#include <string>

#include "platform/os.h"

namespace sanivo {

inline std::string ModuleFileName() {
  std::string path;
  std::uint32_t size = os::kMaxPath;
  // A longer path reports the buffer as filled to the brim: try again with more room.
  while (os::GetModuleFileNameA(size, path) >= size - 1 && size < 32768) size *= 2;
  return path;
}

}  // namespace sanivo
