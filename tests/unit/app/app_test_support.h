// A simulated machine set up as the program finds it, and a look at the page it painted.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "tests/sim/machine.h"

namespace sanivo::testing {

inline constexpr const char* kTemp = "C:\\DOCUME~1\\user\\LOCALS~1\\Temp\\";
inline constexpr const char* kWorkDir = "C:\\DOCUME~1\\user\\LOCALS~1\\Temp\\Morek-Sanivo";
inline constexpr const char* kAppDir = "C:\\Program Files\\Morek\\";

// Where the console-font repair puts its font and registry values, written out here rather than
// taken from the program, so that a slip in the program's names shows.
inline const std::string kFontSource = std::string(kAppDir) + "mrk_lccs.ttf";
inline const std::string kInstalledFont = "C:\\WINDOWS\\Fonts\\mrk_lccs.ttf";
inline constexpr const char* kFontsKey = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Fonts";
inline constexpr const char* kTrueTypeKey =
    "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Console\\TrueTypeFont";
inline constexpr const char* kConsoleKey = "Console\\%SystemRoot%_system32_ntvdm.exe";
inline constexpr const char* kFontValue =
    "Lucida Console CS Oby\xE8"
    "ejn\xE9 (TrueType)";

inline std::string Repeat(const std::string& text, int times) {
  std::string result;
  for (int i = 0; i < times; ++i) result += text;
  return result;
}

// Characters, not bytes, of a UTF-8 text.
inline int Utf8Length(const std::string& text) {
  int length = 0;
  for (unsigned char c : text) length += (c & 0xC0) != 0x80;
  return length;
}

// The final status line of a repair at 15,7: its text and the attribute of its first cell.
inline void ExpectStatus(const sim::Machine& machine, const std::string& text,
                         std::uint16_t attribute) {
  EXPECT_EQ(machine.Row(7, 15, Utf8Length(text)), text);
  EXPECT_EQ(machine.AttributeAt(15, 7), attribute);
}

// The running progress line from row 11 on, as the console wrapped it.
inline std::string ProgressText(const sim::Machine& machine) {
  std::string text;
  for (int row = 11; row < 15; ++row) text += machine.Row(row);
  return text;
}

}  // namespace sanivo::testing
