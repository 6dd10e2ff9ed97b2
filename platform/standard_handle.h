// Writing to a standard handle (output or error), or a file, directly, without the C runtime's
// streams.
#pragma once

#include <cstdint>
#include <string_view>

#include "platform/os.h"

namespace sanivo {

// Writes every byte, in as many calls as the handle takes; false when a write fails or makes
// no progress (a closed pipe, a full disk).
inline bool WriteAllBytes(os::Handle handle, std::string_view bytes) {
  while (!bytes.empty()) {
    std::uint32_t written = 0;
    if (!os::WriteFile(handle, bytes, &written) || written == 0) return false;
    bytes.remove_prefix(written);
  }
  return true;
}

inline bool WriteStandardHandle(std::int32_t which, std::string_view bytes) {
  return WriteAllBytes(os::GetStdHandle(which), bytes);
}

}  // namespace sanivo
