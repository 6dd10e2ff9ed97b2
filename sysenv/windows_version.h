// Which Windows this is, and where and what the running program is. Set once at start-up.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/os.h"

namespace sanivo {

// The numbers are fixed: the repair driver picks its repair by them.
enum TWindowsKind : std::uint8_t {
  wkUnknown = 0,
  wkWindows95 = 1,
  wkWindows98 = 2,
  wkWindows98SE = 3,
  wkWindowsNT = 4,
  wkWindowsMe = 5,
  wkWindows2000 = 6,
  wkWindowsXP = 7,
  wkWindowsVista = 8,
  wkWindows7 = 9,
  wkWindowsOtherNT = 10,
};

struct TFileVersion {
  std::uint16_t Major = 0;
  std::uint16_t Minor = 0;
  std::uint16_t Release = 0;
  std::uint16_t Build = 0;
};

// Asks the system afresh on every call.
TWindowsKind GetWindowsKind();
// The kind of the Windows that a version record describes.
TWindowsKind ClassifyWindows(const os::OsVersionInfo& info);
// "Windows XP", "Windows 7", ...; "Windows" for a kind without a name of its own.
std::string_view WindowsProductName(TWindowsKind kind);

// Fills `version` from the file's version resource; leaves it as it was when the file has none.
void ReadFileVersion(const std::string& fileName, TFileVersion& version);

extern TWindowsKind WindowsKind;
extern std::string AppDir;  // the executable's directory, with its trailing backslash
// The file version's words in record order, the first of each pair in the low half.
extern std::uint32_t AppVersionMS;
extern std::uint32_t AppVersionLS;
extern std::string StartDir;  // the current directory at start-up

void InitializeWindowsVersion();
void FinalizeWindowsVersion();

}  // namespace sanivo
