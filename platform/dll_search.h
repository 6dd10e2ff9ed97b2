// Which of kernel32's two ways to narrow the library search a program uses, by the entry points
// it has. SetDllDirectoryA (XP SP1 and later) takes the current directory out of the search;
// SetDefaultDllDirectories (Windows 8, or 7 with an update) also the program's own directory.
// XP has only the first: that path is the one Wine never takes, so the choice is kept here,
// apart from the lookup, where a test can hand it either set of entry points.
#pragma once

#include <cstdint>

namespace os {

inline constexpr std::uint32_t kLoadLibrarySearchSystem32 = 0x800;

// Each argument is an entry point or null when kernel32 lacks it.
template <class SetDllDirectoryA, class SetDefaultDllDirectories>
void NarrowDllSearch(SetDllDirectoryA setDllDirectory,
                     SetDefaultDllDirectories setDefaultDllDirectories) {
  // The empty name, never a null one: null puts the current directory back into the search.
  if (setDllDirectory != nullptr) setDllDirectory("");
  if (setDefaultDllDirectories != nullptr) setDefaultDllDirectories(kLoadLibrarySearchSystem32);
}

}  // namespace os
