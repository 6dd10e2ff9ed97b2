// Writing to a standard handle (output or error) directly, without the C runtime's streams.
#pragma once

#include <cstdint>
#include <string_view>

#include "platform/os.h"

namespace sanivo {

// Writes every byte, in as many calls as the handle takes; false when a write fails or makes
// no progress (a closed pipe, a full disk).
inline bool WriteStandardHandle(std::int32_t which, std::string_view bytes) {
  const os::Handle handle = os::GetStdHandle(which);
  while (!bytes.empty()) {
    std::uint32_t written = 0;
    if (!os::WriteFile(handle, bytes, &written) || written == 0) return false;
    bytes.remove_prefix(written);
  }
  return true;
}

}  // namespace sanivo
