// What the console-font repair puts on a Windows 7 system: the font file and the registry
// values that make it the font of the DOS consoles. The repair writes them; a check reads them.
#pragma once

#include <cstdint>

namespace sanivo::console_font {

inline constexpr char kFileName[] = "mrk_lccs.ttf";

// HKEY_LOCAL_MACHINE: the system's font list, which gets texts::kFontValueName = kFileName.
inline constexpr char kFontsKey[] = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Fonts";
// HKEY_LOCAL_MACHINE: the faces the console offers, under the names "0", "00", "000", ...
inline constexpr char kTrueTypeFontKey[] =
    "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Console\\TrueTypeFont";
inline constexpr char kFirstTrueTypeSlot[] = "0";

// HKEY_CURRENT_USER: the console settings of ntvdm.exe. A literal key name: the console names
// its per-program settings this way.
inline constexpr char kConsoleKey[] = "Console\\%SystemRoot%_system32_ntvdm.exe";
inline constexpr char kFaceNameValue[] = "FaceName";
inline constexpr char kFontFamilyValue[] = "FontFamily";
inline constexpr char kFontSizeValue[] = "FontSize";
inline constexpr char kFontWeightValue[] = "FontWeight";

inline constexpr std::uint32_t kTrueTypeModernFamily = 55;
inline constexpr std::uint32_t kRasterFontFamily = 48;
inline constexpr std::uint32_t kFontSize = 0x140000;  // height 20, width 0
inline constexpr std::uint32_t kNormalWeight = 400;

}  // namespace sanivo::console_font
