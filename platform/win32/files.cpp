// Directories, files, handles and byte-range locks.
#include <algorithm>

#include "platform/win32/native.h"

namespace os {

using win32::FillBuffer;
using win32::ToNative;

std::uint32_t GetTempPathA(std::uint32_t bufferSize, std::string& path) {
  return FillBuffer(bufferSize, path,
                    [](DWORD size, char* buffer) { return ::GetTempPathA(size, buffer); });
}

std::uint32_t GetWindowsDirectoryA(std::uint32_t bufferSize, std::string& path) {
  return FillBuffer(bufferSize, path,
                    [](DWORD size, char* buffer) { return ::GetWindowsDirectoryA(buffer, size); });
}

std::uint32_t GetSystemDirectoryA(std::uint32_t bufferSize, std::string& path) {
  return FillBuffer(bufferSize, path,
                    [](DWORD size, char* buffer) { return ::GetSystemDirectoryA(buffer, size); });
}

std::uint32_t GetCurrentDirectoryA(std::uint32_t bufferSize, std::string& path) {
  return FillBuffer(bufferSize, path,
                    [](DWORD size, char* buffer) { return ::GetCurrentDirectoryA(size, buffer); });
}

std::uint32_t GetFullPathNameA(const std::string& name, std::uint32_t bufferSize,
                               std::string& path) {
  return FillBuffer(bufferSize, path, [&name](DWORD size, char* buffer) {
    char* filePart = nullptr;
    return ::GetFullPathNameA(name.c_str(), size, buffer, &filePart);
  });
}

std::uint32_t GetModuleFileNameA(std::uint32_t bufferSize, std::string& path) {
  std::vector<char> buffer(bufferSize > 0 ? bufferSize : 1);
  const DWORD result = ::GetModuleFileNameA(nullptr, buffer.data(), bufferSize);
  const win32::LastErrorKept keep;
  // A name that does not fit comes back cut to the buffer, with (since Vista) or without (XP)
  // its terminator; keep what the call stored either way.
  const char* begin = buffer.data();
  const char* end = begin + std::min<std::size_t>(result, buffer.size());
  path.assign(begin, std::find(begin, end, '\0'));
  return result;
}

std::uint32_t GetLongPathNameA(const std::string& path, std::uint32_t bufferSize,
                               std::string& longPath) {
  return FillBuffer(bufferSize, longPath, [&path](DWORD size, char* buffer) {
    return ::GetLongPathNameA(path.c_str(), buffer, size);
  });
}

std::uint32_t GetModuleShortFileNameA(std::uint32_t bufferSize, std::string& path) {
  path.clear();
  constexpr DWORD kLongestPath = 32768;
  std::vector<wchar_t> module(kLongestPath);
  const DWORD moduleLength = ::GetModuleFileNameW(nullptr, module.data(), kLongestPath);
  if (moduleLength == 0 || moduleLength >= kLongestPath) return 0;
  std::vector<wchar_t> shortName(kLongestPath);
  const DWORD shortLength = ::GetShortPathNameW(module.data(), shortName.data(), kLongestPath);
  if (shortLength == 0 || shortLength >= kLongestPath) return 0;
  BOOL lossy = FALSE;
  const int length = ::WideCharToMultiByte(
      CP_ACP, 0, shortName.data(), static_cast<int>(shortLength), nullptr, 0, nullptr, &lossy);
  if (length == 0) return 0;
  if (lossy) {
    ::SetLastError(ERROR_NO_UNICODE_TRANSLATION);
    return 0;
  }
  if (static_cast<std::uint32_t>(length) + 1 > bufferSize)
    return static_cast<std::uint32_t>(length) + 1;
  path.resize(static_cast<std::size_t>(length));
  ::WideCharToMultiByte(CP_ACP, 0, shortName.data(), static_cast<int>(shortLength), path.data(),
                        length, nullptr, nullptr);
  return static_cast<std::uint32_t>(length);
}

std::uintptr_t GetModuleBaseAddress() {
  return reinterpret_cast<std::uintptr_t>(::GetModuleHandleA(nullptr));
}

std::uint32_t GetFileAttributesA(const std::string& path) {
  return ::GetFileAttributesA(path.c_str());
}

bool SetFileAttributesA(const std::string& path, std::uint32_t attributes) {
  return ::SetFileAttributesA(path.c_str(), attributes) != FALSE;
}

bool CopyFileA(const std::string& source, const std::string& target, bool failIfExists) {
  return ::CopyFileA(source.c_str(), target.c_str(), failIfExists ? TRUE : FALSE) != FALSE;
}

bool DeleteFileA(const std::string& path) { return ::DeleteFileA(path.c_str()) != FALSE; }

bool MoveFileExA(const std::string& existing, const std::string& target, std::uint32_t flags) {
  return ::MoveFileExA(existing.c_str(), target.empty() ? nullptr : target.c_str(), flags) != FALSE;
}

bool CreateDirectoryA(const std::string& path) {
  return ::CreateDirectoryA(path.c_str(), nullptr) != FALSE;
}

bool RemoveDirectoryA(const std::string& path) { return ::RemoveDirectoryA(path.c_str()) != FALSE; }

Handle CreateFileA(const std::string& path, std::uint32_t access, std::uint32_t shareMode,
                   std::uint32_t creation, std::uint32_t flags) {
  return win32::FromNative(
      ::CreateFileA(path.c_str(), access, shareMode, nullptr, creation, flags, nullptr));
}

bool WriteFile(Handle file, std::string_view bytes, std::uint32_t* written) {
  DWORD count = 0;  // the real call needs somewhere to put it
  const BOOL ok =
      ::WriteFile(ToNative(file), bytes.data(), static_cast<DWORD>(bytes.size()), &count, nullptr);
  if (written != nullptr) *written = count;
  return ok != FALSE;
}

// Read into the caller's string, whose memory a loop of reads keeps from one to the next.
bool ReadFile(Handle file, std::uint32_t toRead, std::string& bytes) {
  bytes.resize(toRead > 0 ? toRead : 1);
  DWORD count = 0;
  const BOOL ok = ::ReadFile(ToNative(file), bytes.data(), toRead, &count, nullptr);
  const win32::LastErrorKept keep;
  bytes.resize(count);
  return ok != FALSE;
}

bool FlushFileBuffers(Handle file) { return ::FlushFileBuffers(ToNative(file)) != FALSE; }

bool CloseHandle(Handle handle) { return ::CloseHandle(ToNative(handle)) != FALSE; }

std::int32_t SHGetFolderPathA(std::int32_t csidl, std::string& path) {
  using GetFolderPath = HRESULT(WINAPI*)(HWND, int, HANDLE, DWORD, LPSTR);
  // Not imported, for the reason ShellExecuteExA gives.
  static const win32::SystemLibrary shell32("shell32.dll");
  const auto getFolderPath = shell32.Entry<GetFolderPath>("SHGetFolderPathA");
  path.clear();
  if (getFolderPath == nullptr) return HRESULT_FROM_WIN32(::GetLastError());
  constexpr DWORD kCurrentPath = 0;  // SHGFP_TYPE_CURRENT: where the folder is now
  char buffer[MAX_PATH] = {};
  const HRESULT result = getFolderPath(nullptr, csidl, nullptr, kCurrentPath, buffer);
  if (result == S_OK) path = buffer;
  return result;
}

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

}  // namespace os
