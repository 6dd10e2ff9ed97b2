// Whether two names reach one file or folder, told by what they reach rather than by how they
// are spelt: drive letters made with subst, junctions, symbolic and hard links, short names,
// "..", case.
#pragma once

#include <string>

namespace sanivo {

// Whether `first` and `second` are names of one existing file or folder. False when either
// is missing. When the system cannot tell (both are held by other programs in a way that
// hides the answer), true: callers use it to refuse, never to allow.
bool SameFileOrFolder(const std::string& first, const std::string& second);

}  // namespace sanivo
