// Error state and messages, dynamic libraries, the lock, the clock, the computer and its user.
#include <new>

#include "platform/win32/native.h"
// after windows.h, which it needs
#include <lmcons.h>

namespace os {

std::uint32_t GetLastError() { return ::GetLastError(); }

void SetLastError(std::uint32_t code) { ::SetLastError(code); }

std::uint32_t FormatMessageA(std::uint32_t code, std::uint32_t bufferSize, std::string& text) {
  std::vector<char> buffer(bufferSize > 0 ? bufferSize : 1);
  const DWORD length = ::FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                        nullptr, code, 0, buffer.data(), bufferSize, nullptr);
  const win32::LastErrorKept keep;
  text.assign(buffer.data(), length);
  return length;
}

namespace {

// "C:\..." or "\\server\...": a name that the loader takes as it is, without a search.
bool IsFullPath(const std::string& path) {
  const auto separator = [](char c) { return c == '\\' || c == '/'; };
  const bool drive = path.size() >= 3 && path[1] == ':' && separator(path[2]) &&
                     ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'));
  const bool unc = path.size() >= 2 && separator(path[0]) && separator(path[1]);
  return drive || unc;
}

}  // namespace

Module LoadLibraryA(const std::string& path) {
  // The program runs elevated: a bare or relative name would let the search path pick the
  // library, so such a name is refused as if the library did not exist.
  if (!IsFullPath(path)) {
    ::SetLastError(ERROR_MOD_NOT_FOUND);
    return 0;
  }
  // The library's own dependencies are looked for beside it first, not beside the program.
  return reinterpret_cast<Module>(
      ::LoadLibraryExA(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
}

void* GetProcAddress(Module module, const std::string& name) {
  return reinterpret_cast<void*>(::GetProcAddress(win32::ToNativeModule(module), name.c_str()));
}

bool FreeLibrary(Module module) { return ::FreeLibrary(win32::ToNativeModule(module)) != FALSE; }

namespace {

CRITICAL_SECTION* Native(unsigned char* storage) {
  return std::launder(reinterpret_cast<CRITICAL_SECTION*>(storage));
}

}  // namespace

CriticalSection::CriticalSection() {
  static_assert(sizeof(CRITICAL_SECTION) <= sizeof(storage_));
  static_assert(alignof(CRITICAL_SECTION) <= 8);  // the storage is aligned to 8
  ::InitializeCriticalSection(new (storage_) CRITICAL_SECTION);
}

CriticalSection::~CriticalSection() { ::DeleteCriticalSection(Native(storage_)); }

void CriticalSection::Enter() { ::EnterCriticalSection(Native(storage_)); }

void CriticalSection::Leave() { ::LeaveCriticalSection(Native(storage_)); }

LocalTime GetLocalTime() {
  SYSTEMTIME now{};
  ::GetLocalTime(&now);
  return LocalTime{now.wYear,   now.wMonth,  now.wDay,         now.wHour,
                   now.wMinute, now.wSecond, now.wMilliseconds};
}

bool GetComputerNameA(std::string& name) {
  char buffer[MAX_COMPUTERNAME_LENGTH + 1] = {};
  DWORD size = sizeof buffer;
  const BOOL ok = ::GetComputerNameA(buffer, &size);
  const win32::LastErrorKept keep;
  name.assign(ok ? buffer : "", ok ? size : 0);
  return ok != FALSE;
}

bool GetUserNameA(std::string& name) {
  char buffer[UNLEN + 1] = {};
  DWORD size = sizeof buffer;
  const BOOL ok = ::GetUserNameA(buffer, &size);
  const win32::LastErrorKept keep;
  // The size counts the terminator here, unlike GetComputerNameA's.
  name.assign(ok && size > 0 ? buffer : "", ok && size > 0 ? size - 1 : 0);
  return ok != FALSE;
}

std::uint64_t QueryPerformanceCounter() {
  LARGE_INTEGER count{};
  ::QueryPerformanceCounter(&count);
  return static_cast<std::uint64_t>(count.QuadPart);
}

}  // namespace os
