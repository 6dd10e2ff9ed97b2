#include "charset/unicode_codecs.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "tests/unit/charset/iconv_oracle.h"

namespace sanivo {
namespace {

using testing::IconvText;
using testing::Ucs2;
using testing::Ucs4;

// Every character of the Basic Multilingual Plane but the surrogates, as UCS-2BE.
std::string WholeBmp() {
  std::string text;
  for (std::uint32_t c = 1; c <= 0xFFFF; ++c) {
    if (c < 0xD800 || c > 0xDFFF) text += Ucs2({c});
  }
  return text;
}

TEST(Utf8Codec, AgreesWithIconvOverTheWholeBmp) {
  const std::string ucs2 = WholeBmp();
  const std::string ucs4 = *IconvText("UCS-2BE", "UCS-4BE", ucs2);
  const std::string utf8 = *IconvText("UCS-2BE", "UTF-8", ucs2);
  EXPECT_EQ(Ucs4ToUtf8(ucs4), utf8);
  EXPECT_EQ(Utf8ToUcs4(utf8), ucs4);
}

// The codec's own passes keep to well-formed UTF-8 too (the conversion's table of ill-formed
// input is in the stream converter's tests).
TEST(Utf8Codec, WhatIsNoCharacterBecomesU_FFFD) {
  EXPECT_EQ(Utf8ToUcs4("\xC0\xAF"
                       "A\xF0\x9F\x98\x80"),
            Ucs4({0xFFFD, 0xFFFD, 'A', 0x1F600}));
  EXPECT_EQ(Ucs4ToUtf8(Ucs4({0x80, 0x800, 0xFFFF, 0x10FFFF})),
            "\xC2\x80"
            "\xE0\xA0\x80"
            "\xEF\xBF\xBF"
            "\xF4\x8F\xBF\xBF");
  EXPECT_EQ(Ucs4ToUtf8(Ucs4({0x110000, 0xDC00}) + "\x01\x02"),
            "\xEF\xBF\xBD"
            "\xEF\xBF\xBD"
            "\xEF\xBF\xBD");
}

TEST(Utf7Codec, DecodesWhatIconvEncodes) {
  std::mt19937 random(7);
  std::uniform_int_distribution<std::uint32_t> character(1, 0xFFFF);
  for (int round = 0; round < 200; ++round) {
    std::string ucs2;
    for (int i = 0; i < 12; ++i) {
      std::uint32_t c = character(random);
      if (round % 2 == 0) c &= 0x7F;  // half the texts mostly ASCII
      if ((c < 0xD800 || c > 0xDFFF) && c != 0) ucs2 += Ucs2({c});
    }
    EXPECT_EQ(Utf7ToUcs2(*IconvText("UCS-2BE", "UTF-7", ucs2), false), ucs2);
    EXPECT_EQ(Utf7ToUcs2(*IconvText("UCS-2BE", "UTF-7-IMAP", ucs2), true), ucs2);
    EXPECT_EQ(Utf7ToUcs2(Ucs2ToUtf7(ucs2, false), false), ucs2);
    EXPECT_EQ(Utf7ToUcs2(Ucs2ToUtf7(ucs2, true), true), ucs2);
  }
}

TEST(Utf7Codec, EncoderShiftsOnlyRunsAboveAsciiAndEscapesTheShiftCharacter) {
  struct Case {
    std::string ucs2;
    bool modified;
    std::string utf7;
  } cases[] = {
      {"", false, ""},
      {Ucs2({'+'}), false, "+-"},
      {Ucs2({'&'}), true, "&-"},
      {Ucs2({'&', '+'}), false, "&+-"},
      {Ucs2({0xE9}), false, "+AOk-"},
      {Ucs2({0x80}), false, "+AIA-"},                    // the lowest unit of a run
      {Ucs2({0xE9, 0x10D}), false, "+AOkBDQ-"},          // one run for neighbours
      {Ucs2({0xE9, 'a', 0x10D}), false, "+AOk-a+AQ0-"},  // split by an ASCII character
      {Ucs2({0xFFFF, 0xFFFF, 0xFFFF}), false, "+////////-"},
      {Ucs2({0xFBFF}), false, "++/8-"},  // the shift character inside a run
      {Ucs2({0xFBFF}), true, "&+,8-"},
      {Ucs2({'~', '\\'}), false, "~\\"},        // no other character is escaped
      {Ucs2({'A'}) + "\x01", false, "A+//0-"},  // a unit cut short is U+FFFD
  };
  for (const Case& c : cases) EXPECT_EQ(Ucs2ToUtf7(c.ucs2, c.modified), c.utf7) << c.utf7;
}

TEST(Utf7Codec, DecoderKeepsWhatItCannotReadAsItStands) {
  struct Case {
    std::string utf7;
    bool modified;
    std::string ucs2;
  } cases[] = {
      {"", false, ""},
      {"+-", false, Ucs2({'+'})},
      {"+ ", false, Ucs2({'+', ' '})},
      {"&-", true, Ucs2({'&'})},
      {"+AOk", false, Ucs2({0xE9})},                       // a run may end with the text
      {"+AOk=x", false, Ucs2({0xE9, '=', 'x'})},           // "=" ends a run and stays
      {"+AOk--", false, Ucs2({0xE9, '-'})},                // only one "-" is consumed
      {"+QUJD-", false, Ucs2({'+', 'Q', 'U', 'J', 'D'})},  // 3 bytes: taken literally
      {"&AOk,-", true, Ucs2({'&', 'A', 'O', 'k', ','})},
      {"&AOk/-", true, Ucs2({0xE9, '/', '-'})},  // "/" is not modified base64
  };
  for (const Case& c : cases) EXPECT_EQ(Utf7ToUcs2(c.utf7, c.modified), c.ucs2) << c.utf7;
}

TEST(Base64, EncodesWithTheGivenAlphabetAndItsPad) {
  EXPECT_EQ(EncodeBase64With("", kBase64StandardAlphabet), "");
  EXPECT_EQ(EncodeBase64With("Ma", kBase64StandardAlphabet), "TWE=");
  EXPECT_EQ(EncodeBase64With("M", kBase64StandardAlphabet), "TQ==");
  EXPECT_EQ(EncodeBase64With("\xFB\xFF\xBF", kBase64StandardAlphabet), "+/+/");
  EXPECT_EQ(EncodeBase64With("\xFB\xFF\xBF", kBase64ModifiedAlphabet), "+,+,");
  // An alphabet without a pad character writes nothing for the missing sextets.
  EXPECT_EQ(EncodeBase64With("M", kBase64StandardAlphabet.substr(0, 64)), "TQ");
}

TEST(Base64, TableDecoderSkipsWhatTheTableDoesNotKnow) {
  const auto& table = kBase64StandardDecodingTable;
  EXPECT_EQ(table.sextet['A' - 33], 0);
  EXPECT_EQ(table.sextet['/' - 33], 63);
  EXPECT_EQ(table.sextet['=' - 33], 64);
  EXPECT_EQ(table.sextet[',' - 33], 64);
  EXPECT_EQ(DecodeBase64ByTable("TWFu", table), "Man");
  EXPECT_EQ(DecodeBase64ByTable(" T\tW\xC3=F,u\x7F", table), "Man");
  EXPECT_EQ(DecodeBase64ByTable("TWE", table), "Ma");
  EXPECT_EQ(DecodeBase64ByTable("TQ", table), "M");
  EXPECT_EQ(DecodeBase64ByTable("TWFuT", table), "Man");  // a last single sextet gives nothing
}

TEST(Base64, AlphabetDecoderReadsGroupsOfFour) {
  EXPECT_EQ(DecodeBase64ByAlphabet("TWFu", kBase64ModifiedAlphabet), "Man");
  EXPECT_EQ(DecodeBase64ByAlphabet("TWE=", kBase64ModifiedAlphabet), "Ma");
  EXPECT_EQ(DecodeBase64ByAlphabet("TQ==", kBase64ModifiedAlphabet), "M");
  EXPECT_EQ(DecodeBase64ByAlphabet("TWE", kBase64ModifiedAlphabet), "Ma");
  // Past the end counts as 64, whose bits reach the one byte a lone character gives.
  EXPECT_EQ(DecodeBase64ByAlphabet("T", kBase64ModifiedAlphabet), "\x4C");
  // A character outside the alphabet is sextet 0.
  EXPECT_EQ(DecodeBase64ByAlphabet("T!Fu", kBase64ModifiedAlphabet),
            DecodeBase64ByAlphabet("TAFu", kBase64ModifiedAlphabet));
}

}  // namespace
}  // namespace sanivo
