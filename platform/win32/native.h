// Helpers shared by the real backend's units: conversions between the seam's plain integer
// handles and the API's own types, and the last-error keeping that makes each wrapper as
// transparent as the call it wraps. Only platform/win32 includes this header.
#pragma once

#include <windows.h>
// after windows.h, which it needs
#include <shellapi.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/os.h"

namespace os::win32 {

inline HANDLE ToNative(Handle handle) { return reinterpret_cast<HANDLE>(handle); }
inline Handle FromNative(HANDLE handle) { return reinterpret_cast<Handle>(handle); }
inline HKEY ToNativeKey(HKey key) { return reinterpret_cast<HKEY>(key); }
inline HWND ToNativeWindow(Hwnd window) { return reinterpret_cast<HWND>(window); }
inline HMODULE ToNativeModule(Module module) { return reinterpret_cast<HMODULE>(module); }

// Restores, when it goes out of scope, the last-error value that was current when it was made.
// A wrapper makes one right after its system call, so that its own bookkeeping (allocating
// and copying strings) cannot disturb what the caller reads with GetLastError.
class LastErrorKept {
 public:
  LastErrorKept() : code_(::GetLastError()) {}
  ~LastErrorKept() { ::SetLastError(code_); }
  LastErrorKept(const LastErrorKept&) = delete;
  LastErrorKept& operator=(const LastErrorKept&) = delete;

 private:
  DWORD code_;
};

// A DLL of the system directory, loaded by its full path and kept loaded. The program runs
// elevated: a library found through the search path could be one planted beside the program
// or in the current directory, so libraries that load further ones on demand are loaded this
// way instead of being imported.
class SystemLibrary {
 public:
  explicit SystemLibrary(const char* fileName);
  SystemLibrary(const SystemLibrary&) = delete;
  SystemLibrary& operator=(const SystemLibrary&) = delete;

  // Null when the library could not be loaded or lacks the entry, the last error then set as
  // the failed step set it.
  template <class Function>
  Function Entry(const char* name) const {
    return reinterpret_cast<Function>(reinterpret_cast<void*>(Address(name)));
  }

 private:
  FARPROC Address(const char* name) const;

  HMODULE module_ = nullptr;
  DWORD loadError_ = ERROR_SUCCESS;
};

// Runs one of the "fill this buffer of N characters" calls (GetTempPathA and its kind) with a
// buffer of exactly `bufferSize` characters. On success `text` gets the stored characters; when
// the call reports the size it needs, or fails, `text` is empty. Returns the call's result.
template <class Call>
std::uint32_t FillBuffer(std::uint32_t bufferSize, std::string& text, Call call) {
  // Never empty, so that the call always gets a real buffer, even for a size of 0.
  std::vector<char> buffer(bufferSize > 0 ? bufferSize : 1);
  const DWORD result = call(bufferSize, buffer.data());
  const LastErrorKept keep;
  if (result != 0 && result < bufferSize) {
    text.assign(buffer.data(), result);
  } else {
    text.clear();
  }
  return result;
}

// An entry point of kernel32 that older Windows versions lack, or null. kernel32 is in every
// process already: a lookup by name loads nothing.
template <class Function>
Function Kernel32Entry(const char* name) {
  return reinterpret_cast<Function>(
      reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleA("kernel32.dll"), name)));
}

}  // namespace os::win32
