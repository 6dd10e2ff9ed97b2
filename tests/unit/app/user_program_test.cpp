#include <gtest/gtest.h>

#include "app/program.h"
#include "app_test_support.h"
#include "font_samples.h"

namespace sanivo {
namespace {

using namespace sanivo::testing;

const std::string kSettings = std::string("HKEY_CURRENT_USER\\") + kConsoleKey;

// The registry lines of the user's console settings of ntvdm.exe, or all the others.
std::vector<std::string> RegistryLines(const sim::Machine& machine, bool settings) {
  std::vector<std::string> lines;
  for (const std::string& line : machine.RegistryDump()) {
    if (line.starts_with(kSettings) == settings) lines.push_back(line);
  }
  return lines;
}

// An administrator ran sanivo.exe once, as a start-up script does; this user has no settings.
void RepairedForAnotherUser(sim::Machine& machine) {
  SetUpWindows7(machine);
  ASSERT_EQ(RunProgram(), 0);
  os::RegDeleteKeyA(os::kHkeyCurrentUser, kConsoleKey);
}

void UserSettingsOnly(sim::Machine& machine) {
  SetUpWindows7(machine);
  machine.SetString(os::kHkeyCurrentUser, kConsoleKey, "FaceName", "Lucida Console CS");
  machine.SetDword(os::kHkeyCurrentUser, kConsoleKey, "FontFamily", 55);
}

// The console settings the repair wrote for this user, as sanivo.exe left them for its own.
void RepairedForThisUser(sim::Machine& machine) {
  SetUpWindows7(machine);
  ASSERT_EQ(RunProgram(), 0);
}

// Taking back fails at the second value: the first goes back in place.
void RepairedWithAValueHeld(sim::Machine& machine) {
  RepairedForThisUser(machine);
  machine.Fail("RegDeleteValueA", "FontFamily", os::kErrorAccessDenied, 1);
}

// What a run leaves of the user's console settings.
enum class TSettings { Kept, Written, Removed };

// A user without administrator rights may write HKEY_CURRENT_USER only.
TEST(UserProgramTest, StandardUserGetsTheFontOnceTheMachineWidePartIsThere) {
  const struct {
    void (*setUp)(sim::Machine&);
    int (*program)();
    const char* arguments;
    const char* status;
    int exitCode;
    TSettings after = TSettings::Kept;
  } runs[] = {
      {RepairedForAnotherUser, RunUserProgram, " -tise", "Úspěšně dokončeno", 0,
       TSettings::Written},
      {SetUpWindows7, RunUserProgram, " -tise", "Font není nainstalován pro celý počítač", 2},
      {RepairedForAnotherUser, RunUserProgram, " -kontrola", "Oprava je potřeba", 4},
      {UserSettingsOnly, RunUserProgram, " -kontrola", "Oprava není potřeba", 0},
      {+[](sim::Machine& m) { m.SetVersion(2, 5, 1); }, RunUserProgram, " -tise",
       "Oprava není potřeba", 0},
      {SetUpWindows7, RunProgram, " -tise", "Font nelze nainstalovat", 2},
      // Finding out what taking back would do only reads, HKEY_LOCAL_MACHINE too.
      {RepairedForThisUser, RunProgram, " -kontrola -vratit", "Opravu lze vrátit", 4},
      // The way back takes the user's settings only; the font stays for the other users.
      {RepairedForThisUser, RunUserProgram, " -vratit -tise", "Oprava byla vrácena", 0,
       TSettings::Removed},
      {RepairedForThisUser, RunUserProgram, " -kontrola -vratit", "Opravu lze vrátit", 4},
      {RepairedForAnotherUser, RunUserProgram, " -vratit -tise", "Není co vracet", 0},
      {RepairedWithAValueHeld, RunUserProgram, " -vratit -tise", "Nelze nastavit font jako výchozí",
       2},
      {+[](sim::Machine& m) { m.SetVersion(2, 5, 1); }, RunUserProgram, " -vratit -tise",
       "Oprava není potřeba", 0},
  };
  const std::vector<std::string> written = {
      kSettings, kSettings + " [FaceName] type 1 = \"Lucida Console CS\"",
      kSettings + " [FontFamily] type 4 = 55", kSettings + " [FontSize] type 4 = 1310720",
      kSettings + " [FontWeight] type 4 = 400"};
  for (const auto& run : runs) {
    SCOPED_TRACE(run.status + std::string(run.arguments));
    sim::Machine machine;
    run.setUp(machine);
    machine.SetStandardUser();
    machine.SetCommandLine(std::string("sanivo-uzivatel.exe") + run.arguments);
    const auto files = machine.Listing();
    const auto others = RegistryLines(machine, false);
    const auto settings = RegistryLines(machine, true);
    EXPECT_EQ(run.program(), run.exitCode);
    EXPECT_EQ(machine.Row(7, 15, Utf8Length(run.status)), run.status);
    const std::vector<std::string> after[] = {settings, written, {}};
    EXPECT_EQ(RegistryLines(machine, true), after[static_cast<int>(run.after)]);
    if (run.program == RunUserProgram) {
      const bool takeBack = std::string_view(run.arguments).find("-vratit") != std::string::npos;
      const std::string heading =
          takeBack ? "- vrácení opravy češtiny ve Windows 7 pro tohoto uživatele . . ."
                   : "- oprava češtiny ve Windows 7 pro tohoto uživatele . . .";
      EXPECT_EQ(machine.Row(6, 10, Utf8Length(heading)), heading);
      EXPECT_EQ(machine.Listing(), files);
      EXPECT_EQ(RegistryLines(machine, false), others);
    }
  }
}

}  // namespace
}  // namespace sanivo
