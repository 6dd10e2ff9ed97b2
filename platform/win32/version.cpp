// The Windows version record, whether it is a 64-bit one, and the version library.
#include <cstring>

#include "platform/win32/native.h"

namespace os {

static_assert(sizeof(OsVersionInfo) == sizeof(OSVERSIONINFOA));
static_assert(sizeof(FixedFileInfo) == sizeof(VS_FIXEDFILEINFO));

bool GetVersionExA(OsVersionInfo& info) {
  // The system also takes the larger extended record and fills it when its size says so; the
  // caller's record is the plain one, so the call works on a record that has room for either.
  OSVERSIONINFOEXA record{};
  record.dwOSVersionInfoSize = info.dwOSVersionInfoSize;
  const BOOL ok = ::GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(&record));
  if (ok == FALSE) return false;
  info.dwMajorVersion = record.dwMajorVersion;
  info.dwMinorVersion = record.dwMinorVersion;
  info.dwBuildNumber = record.dwBuildNumber;
  info.dwPlatformId = record.dwPlatformId;
  std::memcpy(info.szCSDVersion, record.szCSDVersion, sizeof info.szCSDVersion);
  return true;
}

namespace {

// The version library is not linked: the program runs elevated, and a "version.dll" beside
// it would be loaded in its place. It is loaded once, by full path from the system directory.
class VersionLibrary {
 public:
  static const VersionLibrary& Get() {
    static const VersionLibrary library;
    return library;
  }

  decltype(&::GetFileVersionInfoSizeA) sizeOfInfo = nullptr;
  decltype(&::GetFileVersionInfoA) readInfo = nullptr;
  decltype(&::VerQueryValueA) queryValue = nullptr;

  // Every call fails as the loading failed, while the library or one of its entries is missing.
  bool Missing() const {
    if (loadError_ == ERROR_SUCCESS) return false;
    ::SetLastError(loadError_);
    return true;
  }

 private:
  VersionLibrary() : library_("version.dll") {
    sizeOfInfo = library_.Entry<decltype(sizeOfInfo)>("GetFileVersionInfoSizeA");
    readInfo = sizeOfInfo ? library_.Entry<decltype(readInfo)>("GetFileVersionInfoA") : nullptr;
    queryValue = readInfo ? library_.Entry<decltype(queryValue)>("VerQueryValueA") : nullptr;
    if (queryValue == nullptr) loadError_ = ::GetLastError();
  }

  win32::SystemLibrary library_;
  DWORD loadError_ = ERROR_SUCCESS;
};

}  // namespace

std::uint32_t GetFileVersionInfoSizeA(const std::string& path, std::uint32_t* handle) {
  const VersionLibrary& library = VersionLibrary::Get();
  if (library.Missing()) return 0;
  DWORD zero = 0;
  const DWORD size = library.sizeOfInfo(path.c_str(), &zero);
  if (handle != nullptr) *handle = zero;
  return size;
}

bool GetFileVersionInfoA(const std::string& path, std::uint32_t handle, std::uint32_t size,
                         void* block) {
  const VersionLibrary& library = VersionLibrary::Get();
  if (library.Missing()) return false;
  return library.readInfo(path.c_str(), handle, size, block) != FALSE;
}

bool VerQueryValueA(const void* block, const std::string& subBlock, const void** value,
                    std::uint32_t* length) {
  const VersionLibrary& library = VersionLibrary::Get();
  if (library.Missing()) return false;
  void* found = nullptr;
  UINT foundLength = 0;
  const BOOL ok = library.queryValue(block, subBlock.c_str(), &found, &foundLength);
  if (value != nullptr) *value = found;
  if (length != nullptr) *length = foundLength;
  return ok != FALSE;
}

bool IsWow64Process(bool& isWow64) {
  using IsWow64 = BOOL(WINAPI*)(HANDLE, PBOOL);
  isWow64 = false;
  const auto isWow64Process = win32::Kernel32Entry<IsWow64>("IsWow64Process");
  if (isWow64Process == nullptr) return false;
  BOOL wow64 = FALSE;
  if (!isWow64Process(::GetCurrentProcess(), &wow64)) return false;
  isWow64 = wow64 != FALSE;
  return true;
}

}  // namespace os
