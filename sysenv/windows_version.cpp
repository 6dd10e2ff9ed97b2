#include "sysenv/windows_version.h"

#include <cstring>
#include <vector>

#include "platform/module_file_name.h"
#include "platform/os.h"
#include "sysenv/files.h"

namespace sanivo {

TWindowsKind WindowsKind = wkUnknown;
std::string AppDir;
std::uint32_t AppVersionMS = 0;
std::uint32_t AppVersionLS = 0;
std::string StartDir;

namespace {

constexpr std::uint32_t kPlatformWin32Windows = 1;
constexpr std::uint32_t kPlatformWin32NT = 2;

TWindowsKind ClassifyWindows9x(const os::OsVersionInfo& info) {
  if (info.dwMajorVersion != 4) return wkUnknown;
  switch (info.dwMinorVersion) {
    case 0:
      return wkWindows95;
    case 10:
      // The second edition reports " A " as its service-pack text.
      return info.szCSDVersion[0] != '\0' && info.szCSDVersion[1] == 'A' ? wkWindows98SE
                                                                         : wkWindows98;
    case 90:
      return wkWindowsMe;
    default:
      return wkUnknown;
  }
}

TWindowsKind ClassifyWindowsNT(const os::OsVersionInfo& info) {
  if (info.dwMajorVersion <= 4) return wkWindowsNT;
  const auto version = std::make_pair(info.dwMajorVersion, info.dwMinorVersion);
  if (version == std::make_pair(5u, 0u)) return wkWindows2000;
  if (version == std::make_pair(5u, 1u)) return wkWindowsXP;
  if (version == std::make_pair(6u, 0u)) return wkWindowsVista;
  if (version == std::make_pair(6u, 1u)) return wkWindows7;
  return wkWindowsOtherNT;
}

}  // namespace

TWindowsKind GetWindowsKind() {
  os::OsVersionInfo info;
  info.dwOSVersionInfoSize = os::kOsVersionInfoSize;
  if (!os::GetVersionExA(info)) return wkUnknown;
  return ClassifyWindows(info);
}

TWindowsKind ClassifyWindows(const os::OsVersionInfo& info) {
  switch (info.dwPlatformId) {
    case kPlatformWin32Windows:
      return ClassifyWindows9x(info);
    case kPlatformWin32NT:
      return ClassifyWindowsNT(info);
    default:
      return wkUnknown;
  }
}

std::string_view WindowsProductName(TWindowsKind kind) {
  switch (kind) {
    case wkWindows95:
      return "Windows 95";
    case wkWindows98:
      return "Windows 98";
    case wkWindows98SE:
      return "Windows 98 SE";
    case wkWindowsNT:
      return "Windows NT";
    case wkWindowsMe:
      return "Windows Me";
    case wkWindows2000:
      return "Windows 2000";
    case wkWindowsXP:
      return "Windows XP";
    case wkWindowsVista:
      return "Windows Vista";
    case wkWindows7:
      return "Windows 7";
    case wkUnknown:
    case wkWindowsOtherNT:
      break;
  }
  // Windows 8 and later report 6.2 to a program that does not declare them in its manifest.
  return "Windows";
}

void ReadFileVersion(const std::string& fileName, TFileVersion& version) {
  std::uint32_t unused = 0;
  const std::uint32_t size = os::GetFileVersionInfoSizeA(fileName, &unused);
  if (size == 0) return;
  std::vector<unsigned char> block(size);
  os::GetFileVersionInfoA(fileName, 0, size, block.data());
  const void* value = nullptr;
  std::uint32_t length = 0;
  // Without the fixed part there is nothing trustworthy to read.
  if (!os::VerQueryValueA(block.data(), "\\", &value, &length) || value == nullptr ||
      length < sizeof(os::FixedFileInfo)) {
    return;
  }
  os::FixedFileInfo info;
  std::memcpy(&info, value, sizeof info);
  version.Major = static_cast<std::uint16_t>(info.dwFileVersionMS >> 16);
  version.Minor = static_cast<std::uint16_t>(info.dwFileVersionMS & 0xFFFF);
  version.Release = static_cast<std::uint16_t>(info.dwFileVersionLS >> 16);
  version.Build = static_cast<std::uint16_t>(info.dwFileVersionLS & 0xFFFF);
}

void InitializeWindowsVersion() {
  WindowsKind = GetWindowsKind();
  const std::string exe = ModuleFileName();
  AppDir = ExtractFilePath(exe);
  TFileVersion version;
  ReadFileVersion(exe, version);
  AppVersionMS = version.Major + version.Minor * 65536u;
  AppVersionLS = version.Release + version.Build * 65536u;
  StartDir = GetCurrentDir();
}

void FinalizeWindowsVersion() {
  AppDir.clear();
  StartDir.clear();
}

}  // namespace sanivo
