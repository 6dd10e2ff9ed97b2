// The whole conversion: Unicode forms, byte-order marks, replacement maps and the code units of
// the built-in engine; the iconv library on the simulated machine and its failure rows.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "charset/charset.h"
#include "charset/iconv_binding.h"
#include "tests/sim/machine.h"
#include "tests/unit/charset/iconv_oracle.h"

namespace sanivo {
namespace {

using ::testing::ElementsAre;
using testing::IconvText;
using testing::Ucs2;
using namespace std::string_literals;

// Random text of the Basic Multilingual Plane (no surrogates, no U+0000) as UCS-2BE, with
// ASCII only from the characters that every UTF-7 encoder writes directly.
std::string RandomBmpText(std::mt19937& random) {
  static constexpr std::string_view kDirect =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789'(),-./:? ";
  std::uniform_int_distribution<int> pick(0, 0xFFFF);
  std::string text;
  for (int i = 0; i < 24; ++i) {
    int c = pick(random);
    if (c < 0x8000) c = kDirect[c % kDirect.size()];
    if (c >= 0xD800 && c <= 0xDFFF) c = 0x10D;
    text += Ucs2({static_cast<std::uint16_t>(c)});
  }
  return text;
}

// The built-in engine against glibc on the Unicode forms, both ways, where the two agree by
// definition: standard text of the Basic Multilingual Plane.
TEST(ConvertCharsetEx, UnicodeFormsAgreeWithIconv) {
  struct Form {
    TCharsetId id;
    const char* glibcName;
  } forms[] = {{ciUCS2, "UCS-2BE"},   {ciUCS4, "UCS-4BE"},   {ciUTF8, "UTF-8"},
               {ciUCS2LE, "UCS-2LE"}, {ciUCS4LE, "UCS-4LE"}, {ciUTF7, "UTF-7"}};
  std::mt19937 random(11);
  for (int round = 0; round < 50; ++round) {
    const std::string ucs2 = RandomBmpText(random);
    for (const Form& form : forms) {
      SCOPED_TRACE(form.glibcName);
      const std::string encoded = ConvertCharset(ucs2, ciUCS2, form.id);
      EXPECT_EQ(IconvText(form.glibcName, "UCS-2BE", encoded), ucs2);
      EXPECT_EQ(ConvertCharset(*IconvText("UCS-2BE", form.glibcName, ucs2), form.id, ciUCS2), ucs2);
    }
  }
}

TEST(ConvertCharsetEx, ByteOrderMarksAreDroppedAndASwappedOneTurnsTheOrder) {
  EXPECT_EQ(DecodeToUcs2("\xFE\xFF\x01\x0D", ciUCS2), Ucs2({0x10D}));
  EXPECT_EQ(DecodeToUcs2("\xFF\xFE\x0D\x01\x41\x00"s, ciUCS2), Ucs2({0x10D, 'A'}));
  EXPECT_EQ(DecodeToUcs2("\xFF\xFE\x00\x00\x0D\x01\x00\x00"s, ciUCS4LE), Ucs2({0x10D}));
  EXPECT_EQ(DecodeToUcs2("\xEF\xBB\xBF"
                         "A",
                         ciUTF8),
            Ucs2({'A'}));
  // A swapped mark in UTF-8 turns the order of the four-byte units behind it: "B" is then
  // read as 0x42000000, whose low 16 bits are 0.
  EXPECT_EQ(DecodeToUcs2("A\xEF\xBF\xBE"
                         "B\xEF\xBB\xBF",
                         ciUTF8),
            Ucs2({'A', 0, 0}));
  // Beyond the plane only the low 16 bits are kept; a cut-off last unit reads as 0.
  EXPECT_EQ(DecodeToUcs2("\xF0\x9F\x98\x80", ciUTF8), Ucs2({0xF600}));
  EXPECT_EQ(DecodeToUcs2("\x01\x0D\x41", ciUCS2), Ucs2({0x10D, 0}));
  // A one-byte source reads its upper half through its table.
  EXPECT_EQ(DecodeToUcs2("\xE8", ciWindows1250), Ucs2({0x10D}));
}

TEST(ConvertCharsetEx, ReplacementMapsAndTransliteration) {
  const std::uint16_t cToZ[] = {0x10D, 0x17E};  // č -> ž
  EXPECT_EQ(ConvertCharsetMapped("\xE8"
                                 "a",
                                 ciWindows1250, ciCP852, cToZ),
            "\xA7"
            "a");
  // A single word replaces nothing and keeps the same-id pass-through, whatever the word.
  const std::uint16_t oneWord[] = {0x10D};
  EXPECT_EQ(ConvertCharsetMapped("\xE8", ciWindows1250, ciCP852, oneWord), "\x9F");
  EXPECT_EQ(ConvertCharsetMapped("\x81", ciWindows1250, ciWindows1250, oneWord), "\x81");
  // An active map makes even the same id a conversion: the undefined byte becomes U+FFFD,
  // which Windows-1250 writes at its lowest position.
  EXPECT_EQ(ConvertCharsetMapped("\x83\xE8", ciWindows1250, ciWindows1250, cToZ), "\x81\x9E");
  // U+FFFD from UCS-2 into Windows-1250 is 0x81, its lowest undefined byte.
  EXPECT_EQ(ConvertCharset("\xFF\xFD", ciUCS2, ciWindows1250), "\x81");
  // Without transliteration what the target lacks is left out.
  EXPECT_EQ(ConvertCharsetEx("a\x80"
                             "b",
                             ciWindows1250, ciCP852, NoReplacement, false),
            "ab");
  EXPECT_EQ(ConvertCharsetEx("a\x80"
                             "b",
                             ciWindows1250, ciCP852, NoReplacement, true),
            "a_b");
  EXPECT_EQ(ConvertCharset("", ciUTF7, ciUTF8), "");
}

TEST(ConvertCharsetEx, ReplaceCodePointReadsWholePairsOnly) {
  const std::uint16_t map[] = {1, 2, 1, 3, 5};
  EXPECT_EQ(ReplaceCodePoint(1, map), 2);  // the first pair that matches
  EXPECT_EQ(ReplaceCodePoint(2, map), 2);  // a "to" word is never matched
  EXPECT_EQ(ReplaceCodePoint(5, map), 5);  // a lone last word has nothing after it
  EXPECT_EQ(ReplaceCodePoint(1, NoReplacement), 1);
}

TEST(ConvertCharsetEx, CodeUnitsReadAndWrittenInBothOrders) {
  std::size_t position = 1;
  EXPECT_THAT(ReadCodeUnit("\x01\x02\x03", position, 2, false), ElementsAre(2, 1, 0, 0));
  EXPECT_EQ(position, 3u);
  EXPECT_THAT(ReadCodeUnit("\x01\x02\x03", position, 2, true), ElementsAre(0, 0, 0, 0));
  EXPECT_EQ(position, 5u);
  position = 1;
  EXPECT_THAT(ReadCodeUnit("\x01\x02\x03\x04", position, 4, true), ElementsAre(1, 2, 3, 4));
  position = 2;
  EXPECT_THAT(ReadCodeUnit("\x01\x02", position, 7, false), ElementsAre(2, 0, 0, 0));
  EXPECT_EQ(position, 3u);
  EXPECT_EQ(WriteCodeUnit({1, 2, 3, 4}, 4, false), "\x04\x03\x02\x01");
  EXPECT_EQ(WriteCodeUnit({1, 2, 3, 4}, 2, true), "\x01\x02");
  EXPECT_EQ(WriteCodeUnit({1, 2, 3, 4}, 9, true), "\x01");
}

// The library beside the program, on the simulated machine, as the started program sees it.
class IconvLibraryTest : public ::testing::Test {
 protected:
  IconvLibraryTest() { InitializeCharsetModules(); }
  ~IconvLibraryTest() override { FinalizeCharsetModules(); }

  const std::string library = "C:\\Program Files\\Morek\\iconv.dll";
  sim::Machine machine;
};

TEST_F(IconvLibraryTest, CzechTextReachesTheConsoleAsWithoutItAndMarksAreTransliterated) {
  const std::string czech = "P\xF8\xEDli\x9A \x9Elu\x9Dou\xE8k\xFD k\xF9\xF2";
  const std::string builtIn = ConvertCharset(czech, ciWindows1250, ciCP852);
  machine.AddIconvLibrary(library);
  const int loadsBefore = machine.CallCount("LoadLibraryA");
  EXPECT_EQ(ConvertCharset(czech, ciWindows1250, ciCP852), builtIn);
  EXPECT_EQ(ConvertCharset("\x84"
                           "a\x93 \x80",
                           ciWindows1250, ciCP852),
            ",,a\" EUR");
  EXPECT_EQ(machine.CallCount("LoadLibraryA"), loadsBefore + 1);  // loaded once, then kept
}

TEST_F(IconvLibraryTest, OnlyTheLibraryBesideTheProgramIsEverLoaded) {
  machine.AddIconvLibrary("C:\\iconv.dll");
  machine.AddIconvLibrary("C:\\WINDOWS\\system32\\iconv.dll");
  machine.SetCurrentDirectory("C:\\");
  EXPECT_EQ(ConvertCharset("\x80", ciWindows1250, ciCP852), "_");
  EXPECT_EQ(ConvertCharset("\x80", ciWindows1250, ciCP852), "_");
  // Without the library every conversion asks again, each time by the full path.
  const std::vector<std::string> loads = machine.CallsTo("LoadLibraryA");
  EXPECT_GE(loads.size(), 2u);
  for (const std::string& path : loads) EXPECT_EQ(path, library);
}

class IconvEntryMissingTest : public IconvLibraryTest,
                              public ::testing::WithParamInterface<const char*> {};

// Without its open entry the library stays loaded and opens nothing; without the conversion or
// the close entry it is let go, so that no text comes out empty.
TEST_P(IconvEntryMissingTest, BothSidesAreBuiltIn) {
  machine.AddIconvLibrary(library);
  machine.Fail("GetProcAddress", GetParam(), 127);
  EXPECT_EQ(ConvertCharset("\x84\xE8", ciWindows1250, ciCP852), "_\x9F");
  EXPECT_EQ(machine.LoadedLibraryCount(), std::string(GetParam()) == "libiconv_open" ? 1 : 0);
}

INSTANTIATE_TEST_SUITE_P(Entries, IconvEntryMissingTest,
                         ::testing::Values("libiconv_open", "libiconv", "libiconv_close"));

TEST_F(IconvLibraryTest, ASideWhoseNameTheLibraryRefusesIsBuiltIn) {
  machine.AddIconvLibrary(library, {"852//IGNORE//TRANSLIT"});
  // Decoded by the library, encoded by the table: the mark has no byte and no transliteration.
  EXPECT_EQ(ConvertCharset("\x84\xE8", ciWindows1250, ciCP852), "_\x9F");
  // Names that glibc lacks ("ISO-10646-UCS-2") leave that side to the built-in engine too.
  EXPECT_EQ(ConvertCharset(Ucs2({0x10D, 'A'}), ciUCS2, ciUTF8),
            "\xC4\x8D"
            "A");
}

TEST_F(IconvLibraryTest, ALongTransliterationGetsTheRoomItNeeds) {
  machine.AddIconvLibrary(library);
  // Two bytes in, ten out: the encoding's header, then " 1/5 " for the one character.
  EXPECT_EQ(ConvertCharset(Ucs2({0x2155}), ciUCS2, ciISO2022KR), "\x1B$)C 1/5 ");
}

TEST_F(IconvLibraryTest, Utf7ThroughTheLibraryClosesItsLastRun) {
  machine.AddIconvLibrary(library);
  EXPECT_EQ(ConvertCharset("\xE8", ciWindows1250, ciUTF7), "+AQ0-");
  EXPECT_EQ(ConvertCharset("a", ciWindows1250, ciUTF7), "a");
  // With an active map each unit goes through the library on its own.
  EXPECT_EQ(ConvertCharsetMapped("\xE8"
                                 "a",
                                 ciWindows1250, ciUTF7, std::array<std::uint16_t, 2>{}),
            "+AQ0-a");
}

}  // namespace
}  // namespace sanivo
