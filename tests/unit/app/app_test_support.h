// A simulated machine set up as the program finds it, and a look at the page it painted.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <string>

#include "cmdline/command_line.h"
#include "font_samples.h"
#include "tests/sim/machine.h"
#include "tools/imagecfg/imagecfg.h"

namespace sanivo::testing {

inline constexpr const char* kTemp = "C:\\DOCUME~1\\user\\LOCALS~1\\Temp\\";
inline constexpr const char* kWorkDir = "C:\\DOCUME~1\\user\\LOCALS~1\\Temp\\Morek-Sanivo";
inline constexpr const char* kAppDir = "C:\\Program Files\\Morek\\";

// The live NTVDM.EXE and the system's two cached copies of Windows XP.
inline const std::array<std::string, 3> kNtvdm = {"C:\\WINDOWS\\system32\\NTVDM.EXE",
                                                  "C:\\WINDOWS\\system32\\dllcache\\NTVDM.EXE",
                                                  "C:\\WINDOWS\\ServicePackFiles\\i386\\NTVDM.EXE"};

// Windows XP with Service Pack 3 as the affinity repair finds it: `image` as the first `copies`
// of kNtvdm, and our tool beside the program, run on the simulated machine as the shell starts it.
inline void SetUpWindowsXP(sim::Machine& machine, const std::string& image,
                           std::size_t copies = kNtvdm.size()) {
  machine.SetVersion(2, 5, 1, "Service Pack 3");
  for (std::size_t i = 0; i < copies; ++i) machine.AddFile(kNtvdm[i], image);
  sim::Program tool;
  tool.onStart = [](const std::string& parameters, const std::string&) {
    RunImagecfg(CommandLineArguments("IMAGECFG.EXE " + parameters));
  };
  machine.AddProgram(std::string(kAppDir) + "IMAGECFG.EXE", tool);
}

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

// A Windows 7 as it comes, our font beside the program: the console offers Lucida Console.
inline void SetUpWindows7(sim::Machine& machine) {
  machine.SetVersion(2, 6, 1);
  machine.AddFile(kFontSource, OurConsoleFont());
  machine.SetString(os::kHkeyLocalMachine, kTrueTypeKey, "0", "Lucida Console");
}

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
