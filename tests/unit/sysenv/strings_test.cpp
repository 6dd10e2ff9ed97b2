#include "sysenv/strings.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/sim/machine.h"

namespace sanivo {
namespace {

using namespace std::string_literals;

// Windows-1250 bytes of the Czech words used below.
const std::string kYellowLower =
    "\x9Elu\x9Do"
    "u\xE8"
    "k\xFD";                                               // žluťoučký
const std::string kYellowUpper = "\x8ELU\x8DOU\xC8K\xDD";  // ŽLUŤOUČKÝ

class StringsTest : public ::testing::Test {
 protected:
  sim::Machine machine;
};

TEST_F(StringsTest, ReplaceTextAllMatchesAnyCaseAndKeepsTheRest) {
  EXPECT_EQ(ReplaceTextAll("%SYSTEM%\\a;%System%\\B;x%system%", "%system%", "C:\\WINDOWS\\sys"),
            "C:\\WINDOWS\\sys\\a;C:\\WINDOWS\\sys\\B;xC:\\WINDOWS\\sys");
  EXPECT_EQ(ReplaceTextAll("%windir%\\NTVDM.EXE", "%WINDIR%", "c:\\w"), "c:\\w\\NTVDM.EXE");
}

TEST_F(StringsTest, ReplaceTextAllFoldsCzechLettersOfTheAnsiCodePage) {
  EXPECT_EQ(ReplaceTextAll("k\xF9\xF2 " + kYellowUpper + "!", kYellowLower, "x"), "k\xF9\xF2 x!");
  EXPECT_EQ(ReplaceTextAll(kYellowLower, kYellowUpper, "Y"), "Y");
}

TEST_F(StringsTest, ReplaceTextAllGoesLeftToRightWithoutOverlapOrRescan) {
  EXPECT_EQ(ReplaceTextAll("aaa", "aa", "b"), "ba");
  EXPECT_EQ(ReplaceTextAll("aaa", "a", "aa"), "aaaaaa");
  EXPECT_EQ(ReplaceTextAll("abcabc", "ABC", "abc"), "abcabc");
  EXPECT_EQ(ReplaceTextAll("xAy", "a", ""), "xy");
}

TEST_F(StringsTest, ReplaceTextAllWithNothingToFind) {
  EXPECT_EQ(ReplaceTextAll("Text", "", "x"), "Text");
  EXPECT_EQ(ReplaceTextAll("", "a", "x"), "");
  EXPECT_EQ(ReplaceTextAll("abc", "abcd", "x"), "abc");
  EXPECT_EQ(ReplaceTextAll("abc", "d", "x"), "abc");
}

TEST_F(StringsTest, StartsWithStrComparesTheFirstCharactersWithCase) {
  EXPECT_TRUE(StartsWithStr("-", "-zaloha"));
  EXPECT_FALSE(StartsWithStr("-", "zaloha"));
  EXPECT_FALSE(StartsWithStr("-Z", "-zaloha"));
  EXPECT_FALSE(StartsWithStr("\xC8",
                             "\xE8"
                             "aj"));  // Č is not č
  EXPECT_TRUE(StartsWithStr("", "abc"));
  EXPECT_TRUE(StartsWithStr("", ""));
  EXPECT_FALSE(StartsWithStr("-zaloha:", "-zaloha"));
  EXPECT_TRUE(StartsWithStr("-zaloha", "-zaloha"));
}

TEST_F(StringsTest, EndsWithStrComparesTheLastCharactersWithCase) {
  EXPECT_TRUE(EndsWithStr("\\", "C:\\Backup\\"));
  EXPECT_FALSE(EndsWithStr("\\", "C:\\Backup"));
  EXPECT_FALSE(EndsWithStr("bc", "ABC"));
  EXPECT_TRUE(EndsWithStr("ABC", "ABC"));
  EXPECT_FALSE(EndsWithStr("xABC", "ABC"));
  EXPECT_FALSE(EndsWithStr("", "ABC"));
  EXPECT_FALSE(EndsWithStr("", ""));
}

TEST_F(StringsTest, EndsWithStrReadsBothSidesUpToAZeroByte) {
  // Only "a" of each side takes part once the zero bytes cut them.
  EXPECT_TRUE(EndsWithStr("a\0c"s, "xa\0b"s));
  EXPECT_FALSE(EndsWithStr("b\0b"s, "xa\0b"s));
  EXPECT_TRUE(EndsWithStr("ab", "x\0ab"s));
}

}  // namespace
}  // namespace sanivo
