// The locale-aware string services in the user's default locale, Czech with Windows-1250.
#include "tests/contract/contract.h"

namespace contract {
namespace {

TEST(StringsTest, CompareWithAndWithoutCase) {
  // "č" is 0xE8 and "Č" 0xC8 in Windows-1250.
  EXPECT_EQ(os::CompareStringA(0, "\xE8", "\xE8"), os::kCstrEqual);
  EXPECT_EQ(os::CompareStringA(0, "zaloha", "zaloha"), os::kCstrEqual);
  EXPECT_EQ(os::CompareStringA(os::kNormIgnoreCase, "\xE8sla", "\xC8SLA"), os::kCstrEqual);
  EXPECT_EQ(os::CompareStringA(os::kNormIgnoreCase, "Zaloha", "zALOHA"), os::kCstrEqual);
  EXPECT_EQ(os::CompareStringA(os::kNormIgnoreCase, "%System%", "%SYSTEM%"), os::kCstrEqual);
  EXPECT_EQ(os::CompareStringA(0, "\\", "\\"), os::kCstrEqual);
  // With case, the lower-case letter sorts first.
  EXPECT_EQ(os::CompareStringA(0, "%System%", "%system%"), os::kCstrGreaterThan);

  for (const auto& [first, second, flags] :
       {std::tuple{"\xE8", "\xC8", 0u}, std::tuple{"zaloha", "Zaloha", 0u},
        std::tuple{"\xE8", "c", os::kNormIgnoreCase}, std::tuple{"zaloha", "zaloh", 0u},
        std::tuple{"zaloha", "zalohb", os::kNormIgnoreCase}}) {
    SCOPED_TRACE(std::string(first) + " / " + second);
    const int result = os::CompareStringA(flags, first, second);
    EXPECT_NE(result, 0);
    EXPECT_NE(result, os::kCstrEqual);
  }
}

TEST(StringsTest, CompareTakesTheGivenLengths) {
  const std::string_view text("abc\0def", 7);
  EXPECT_EQ(os::CompareStringA(0, text.substr(0, 3), "abc"), os::kCstrEqual);
  EXPECT_EQ(os::CompareStringA(0, "", ""), os::kCstrEqual);
  EXPECT_EQ(os::CompareStringA(0, "", "a"), os::kCstrLessThan);
  EXPECT_EQ(os::CompareStringA(0, "b", "a"), os::kCstrGreaterThan);
  EXPECT_EQ(os::CompareStringA(0, "ab", "a"), os::kCstrGreaterThan);
}

TEST(StringsTest, UpperCasingFollowsTheAnsiCodePage) {
  EXPECT_EQ(os::CharUpperBuffA("\xE8"), "\xC8");
  EXPECT_EQ(os::CharUpperBuffA("ntvdm.exe 1\xE8\x9A\xFD-9"), "NTVDM.EXE 1\xC8\x8A\xDD-9");
  EXPECT_EQ(os::CharUpperBuffA("0123456789 \\:."), "0123456789 \\:.");
  EXPECT_EQ(os::CharUpperBuffA(""), "");
  // "příliš žluťoučký kůň ą" in Windows-1250.
  EXPECT_EQ(os::CharUpperBuffA("p\xF8\xEDli\x9A \x9Elu\x9Dou\xE8k\xFD k\xF9\xF2 \xB9"),
            "P\xD8\xCDLI\x8A \x8ELU\x8DOU\xC8K\xDD K\xD9\xD2 \xA5");
  // ß, µ and ˙ have no upper case of their own in the code page; undefined 0x81 stays too.
  EXPECT_EQ(os::CharUpperBuffA("\xDF\xB5\xFF\x81"), "\xDF\xB5\xFF\x81");
}

TEST(StringsTest, CharNextStepsOneCharacterAndStopsAtTheEnd) {
  const std::string_view text = "a\xE8z";
  EXPECT_EQ(os::CharNextA(text, 0), 1u);
  EXPECT_EQ(os::CharNextA(text, 1), 2u);
  EXPECT_EQ(os::CharNextA(text, 2), 3u);
  EXPECT_EQ(os::CharNextA(text, 3), 3u);
  EXPECT_EQ(os::CharNextA("", 0), 0u);
  // Like the real call, which reads up to a terminator, it does not step over a zero byte.
  EXPECT_EQ(os::CharNextA(std::string_view("a\0b", 3), 1), 1u);
}

TEST(CommandLineTest, CommandLineNamesTheProgram) { EXPECT_FALSE(os::GetCommandLineA().empty()); }

}  // namespace
}  // namespace contract
