// Writing into the end of a string: make room for the most a step can write, write there, then
// cut the string back to what was written.
#pragma once

#include <cstddef>
#include <string>

namespace sanivo {

// Room at the end of text for `bytes` more; the caller writes there and then calls Trim.
inline char* Extend(std::string& text, std::size_t bytes) {
  const std::size_t start = text.size();
  text.resize(start + bytes);
  return text.data() + start;
}

inline void Trim(std::string& text, const char* end) {
  text.resize(static_cast<std::size_t>(end - text.data()));
}

}  // namespace sanivo
