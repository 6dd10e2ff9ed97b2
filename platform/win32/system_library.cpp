// Loading the system's own DLLs by full path, and the process-wide limit on the DLL search.
#include "platform/dll_search.h"
#include "platform/win32/native.h"

namespace os {

namespace win32 {

SystemLibrary::SystemLibrary(const char* fileName) {
  char directory[MAX_PATH];
  const UINT length = ::GetSystemDirectoryA(directory, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) {
    loadError_ = length == 0 ? ::GetLastError() : ERROR_FILENAME_EXCED_RANGE;
    return;
  }
  const std::string path = std::string(directory, length) + "\\" + fileName;
  // The library's own dependencies are looked for beside it, in the system directory.
  module_ = ::LoadLibraryExA(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
  if (module_ == nullptr) loadError_ = ::GetLastError();
}

FARPROC SystemLibrary::Address(const char* name) const {
  if (module_ == nullptr) {
    ::SetLastError(loadError_);
    return nullptr;
  }
  return ::GetProcAddress(module_, name);
}

}  // namespace win32

void RestrictDllSearchToSystem() {
  // Both are looked up: SetDllDirectoryA (XP SP1) is declared only for newer targets, and
  // SetDefaultDllDirectories is missing before Windows 8 unless an update added it.
  using SetDllDirectory = BOOL(WINAPI*)(LPCSTR);
  using SetDefaultDllDirectories = BOOL(WINAPI*)(DWORD);
  NarrowDllSearch(win32::Kernel32Entry<SetDllDirectory>("SetDllDirectoryA"),
                  win32::Kernel32Entry<SetDefaultDllDirectories>("SetDefaultDllDirectories"));
}

}  // namespace os
