// What runs on many machines at once need: a log file they share, and who and when wrote it.
#include "platform/win32/native.h"
// after windows.h, which it needs
#include <lmcons.h>

namespace os {

using win32::ToNative;

namespace {

OVERLAPPED At(std::uint64_t offset) {
  OVERLAPPED overlapped{};
  overlapped.Offset = static_cast<DWORD>(offset);
  overlapped.OffsetHigh = static_cast<DWORD>(offset >> 32);
  return overlapped;
}

}  // namespace

std::uint32_t SetFilePointer(Handle file, std::int32_t distance, std::uint32_t method) {
  return ::SetFilePointer(ToNative(file), distance, nullptr, method);
}

bool SetEndOfFile(Handle file) { return ::SetEndOfFile(ToNative(file)) != FALSE; }

bool LockFileEx(Handle file, std::uint32_t flags, std::uint64_t offset, std::uint64_t length) {
  OVERLAPPED overlapped = At(offset);
  return ::LockFileEx(ToNative(file), flags, 0, static_cast<DWORD>(length),
                      static_cast<DWORD>(length >> 32), &overlapped) != FALSE;
}

bool UnlockFileEx(Handle file, std::uint64_t offset, std::uint64_t length) {
  OVERLAPPED overlapped = At(offset);
  return ::UnlockFileEx(ToNative(file), 0, static_cast<DWORD>(length),
                        static_cast<DWORD>(length >> 32), &overlapped) != FALSE;
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
