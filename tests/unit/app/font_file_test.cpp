#include "app/font_file.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "font_samples.h"

namespace sanivo {
namespace {

using namespace sanivo::testing;

std::string Be16(std::uint32_t value) {
  return {static_cast<char>(value >> 8 & 0xFF), static_cast<char>(value & 0xFF)};
}
std::string Be32(std::uint32_t value) { return Be16(value >> 16) + Be16(value & 0xFFFF); }

std::string Utf16Be(const std::string& ascii) {
  std::string text;
  for (char c : ascii) text += Be16(static_cast<unsigned char>(c));
  return text;
}

struct NameRecord {
  std::uint16_t platform;
  std::uint16_t encoding;
  std::uint16_t nameId;
  std::string text;
};

std::string NameTable(const std::vector<NameRecord>& records) {
  std::string table = Be16(0) + Be16(static_cast<std::uint32_t>(records.size())) +
                      Be16(static_cast<std::uint32_t>(6 + 12 * records.size()));
  std::string strings;
  for (const NameRecord& record : records) {
    table += Be16(record.platform) + Be16(record.encoding) + Be16(0) + Be16(record.nameId) +
             Be16(static_cast<std::uint32_t>(record.text.size())) +
             Be16(static_cast<std::uint32_t>(strings.size()));
    strings += record.text;
  }
  return table + strings;
}

// A font file of a name table alone: its table record lies at 12, the table at 28, its first
// name record at 34 (length at 42, offset at 44).
std::string FontWithNames(const std::vector<NameRecord>& records,
                          std::uint32_t version = 0x00010000) {
  const std::string names = NameTable(records);
  return Be32(version) + Be16(1) + std::string(6, '\0') + "name" + Be32(0) + Be32(28) +
         Be32(static_cast<std::uint32_t>(names.size())) + names;
}

const NameRecord kWindowsFamily{3, 1, 1, Utf16Be("Lucida Console CS")};
const NameRecord kMacFamily{1, 0, 1, "Lucida Console CS"};

std::string Patched(std::string font, std::size_t at, const std::string& bytes) {
  return font.replace(at, bytes.size(), bytes);
}

TEST(ConsoleFontCheck, AcceptsOurFaceInAWindowsOrAMacRomanFamilyName) {
  EXPECT_TRUE(IsOurConsoleFont(OurConsoleFont()));
  EXPECT_TRUE(IsOurConsoleFont(FontWithNames({{3, 1, 4, "x"}, kWindowsFamily})));
  EXPECT_TRUE(IsOurConsoleFont(FontWithNames({kMacFamily})));
  EXPECT_TRUE(IsOurConsoleFont(FontWithNames({kMacFamily}, 0x74727565)));  // "true"
}

TEST(ConsoleFontCheck, RefusesOtherFontsAndOtherNames) {
  const struct {
    const char* what;
    std::string font;
  } cases[] = {
      {"the source font", ItsSourceFont()},
      {"another face", FontWithNames({{3, 1, 1, Utf16Be("Lucida Console")}})},
      {"our face one letter longer", FontWithNames({{3, 1, 1, Utf16Be("Lucida Console CSX")}})},
      {"our face as full name only", FontWithNames({{3, 1, 4, Utf16Be("Lucida Console CS")}})},
      {"Mac record in another encoding", FontWithNames({{1, 1, 1, "Lucida Console CS"}})},
      {"Windows record in single bytes", FontWithNames({{3, 1, 1, "Lucida Console CS"}})},
      {"a CFF font", FontWithNames({kWindowsFamily}, 0x4F54544F)},
      {"no name table", Patched(FontWithNames({kWindowsFamily}), 12, "cmap")},
      {"empty", ""},
  };
  for (const auto& [what, font] : cases) EXPECT_FALSE(IsOurConsoleFont(font)) << what;
}

// Each damage points something just outside what holds it; 32-bit sums would wrap around.
TEST(ConsoleFontCheck, RefusesTablesAndNamesThatLieOutsideTheFile) {
  const std::string good = FontWithNames({kWindowsFamily});
  const std::uint32_t tableLength = static_cast<std::uint32_t>(good.size() - 28);
  const struct {
    const char* what;
    std::string font;
  } cases[] = {
      {"more table records than fit", Patched(good, 4, Be16(5))},
      {"table one byte longer than the file", Patched(good, 24, Be32(tableLength + 1))},
      {"table offset wrapping around", Patched(good, 20, Be32(0xFFFFFFF0) + Be32(0x20))},
      {"more name records than fit", Patched(good, 30, Be16(4))},
      {"strings past the table", Patched(good, 32, Be16(tableLength + 1))},
      {"name one byte past the table", Patched(good, 42, Be16(35))},
      {"name offset past the table", Patched(good, 44, Be16(0xFFFF))},
      {"a name outside the table beside a sound one",
       Patched(FontWithNames({kWindowsFamily, kWindowsFamily}), 44, Be16(0xFFFF))},
  };
  for (const auto& [what, font] : cases) EXPECT_FALSE(IsOurConsoleFont(font)) << what;
}

TEST(ConsoleFontCheck, RefusesOurFontCutAnywhere) {
  const std::string_view font = OurConsoleFont();
  for (std::size_t size = 0; size < font.size(); ++size) {
    ASSERT_FALSE(IsOurConsoleFont(font.substr(0, size))) << "cut at " << size;
  }
}

}  // namespace
}  // namespace sanivo
