#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>

#include "charset/charset.h"

namespace sanivo {
namespace {

std::string EveryByte() {
  std::string text;
  for (int byte = 0; byte <= 0xFF; ++byte) text += static_cast<char>(byte);
  return text;
}

std::string Bytes(std::initializer_list<unsigned char> bytes) {
  return {bytes.begin(), bytes.end()};
}

unsigned char ConvertOne(unsigned char byte, TCharsetId from, TCharsetId to) {
  return static_cast<unsigned char>(ConvertCharset(Bytes({byte}), from, to).at(0));
}

TEST(ConvertCharset, CzechLettersFromWindows1250ReachCodePage852) {
  const std::map<unsigned char, unsigned char> expected = {
      {0xE1, 0xA0}, {0xE8, 0x9F}, {0xEF, 0xD4}, {0xE9, 0x82}, {0xEC, 0xD8},  // á č ď é ě
      {0xED, 0xA1}, {0xF2, 0xE5}, {0xF3, 0xA2}, {0xF8, 0xFD}, {0x9A, 0xE7},  // í ň ó ř š
      {0x9D, 0x9C}, {0xFA, 0xA3}, {0xF9, 0x85}, {0xFD, 0xEC}, {0x9E, 0xA7},  // ť ú ů ý ž
      {0xC8, 0xAC}, {0xD8, 0xFC}, {0x8A, 0xE6}, {0x8E, 0xA6}, {0xD9, 0xDE},  // Č Ř Š Ž Ů
  };
  for (const auto& [windows, oem] : expected) {
    EXPECT_EQ(ConvertOne(windows, ciWindows1250, ciCP852), oem) << int(windows);
  }
}

TEST(ConvertCharset, Windows1250MarksWithoutCodePage852ByteBecomeUnderscore) {
  const std::set<unsigned char> without_oem_byte = {
      0x80, 0x82, 0x84, 0x85, 0x86, 0x87, 0x89, 0x8B, 0x91, 0x92, 0x93, 0x94, 0x95, 0x96, 0x97,
      0x99, 0x9B, 0xA6, 0xA9, 0xAE, 0xB1, 0xB5, 0xB6, 0xB7, 0x81, 0x83, 0x88, 0x90, 0x98,
  };
  ASSERT_EQ(without_oem_byte.size(), 29u);
  const TCharsetTable& windows = GetCharsetTable(ciWindows1250);
  const TCharsetTable& oem = GetCharsetTable(ciCP852);
  int mapped = 0;
  for (unsigned byte = 0x80; byte <= 0xFF; ++byte) {
    SCOPED_TRACE(byte);
    const unsigned char converted = ConvertOne(byte, ciWindows1250, ciCP852);
    if (without_oem_byte.contains(byte)) {
      EXPECT_EQ(converted, '_');
    } else {
      ASSERT_GE(converted, 0x80);
      EXPECT_EQ(oem[converted - 0x80], windows[byte - 0x80]);
      ++mapped;
    }
  }
  EXPECT_EQ(mapped, 99);
}

TEST(ConvertCharset, SameIdGivesTextBackUnchangedUndefinedBytesIncluded) {
  const std::string text = EveryByte();
  for (const TCharsetId id : {ciWindows1250, ciCP852, ciUTF8, ciCP1125}) {
    EXPECT_EQ(ConvertCharset(text, id, id), text) << int(id);
  }
}

TEST(ConvertCharset, EmptyTextStaysEmpty) {
  EXPECT_EQ(ConvertCharset("", ciWindows1250, ciCP852), "");
}

TEST(ConvertCharset, AsciiAndControlBytesPassUnchanged) {
  std::string ascii;
  for (int byte = 0; byte < 0x80; ++byte) ascii += static_cast<char>(byte);
  EXPECT_EQ(ConvertCharset(ascii, ciWindows1250, ciCP852), ascii);
  EXPECT_EQ(ConvertCharset(ascii, ciKOI8R, ciISO8859_7), ascii);
}

TEST(ConvertCharset, ABytePageLeavesUndefinedIsNeverWritten) {
  // U+FFFD marks undefined bytes: ISO 8859-7 (1987) 0xA4, Windows-1250 0x81, 0x83, ... and
  // Windows-1252 0x81, 0x8D, ...; U+FFFD itself is a character these pages lack.
  EXPECT_EQ(ConvertOne(0xA4, ciISO8859_7, ciWindows1250), '_');
  EXPECT_EQ(ConvertOne(0x81, ciWindows1250, ciWindows1252), '_');
  EXPECT_EQ(ConvertCharset("\xEF\xBF\xBD", ciUTF8, ciWindows1250), "_");
}

TEST(ConvertCharset, IdsWithoutTableOfTheirOwnConvertAsIso8859_1) {
  const std::string text = EveryByte();
  EXPECT_EQ(ConvertCharset(text, ciCP1125, ciCP852), ConvertCharset(text, ciISO8859_1, ciCP852));
  EXPECT_EQ(ConvertCharset(text, ciCP852, ciUTF16), ConvertCharset(text, ciCP852, ciISO8859_1));
}

// The plain way to convert: decode through the source table, then search the target
// table from byte 0x80 upwards for the first equal entry.
std::string ConvertByLinearSearch(const std::string& value, TCharsetId from, TCharsetId to) {
  if (from == to) return value;
  std::string result;
  for (const char c : value) {
    const auto byte = static_cast<unsigned char>(c);
    const std::uint16_t character = byte < 0x80 ? byte : GetCharsetTable(from)[byte - 0x80];
    if (character < 0x80) {
      result += static_cast<char>(character);
      continue;
    }
    char written = '_';
    for (unsigned candidate = 0x80; candidate <= 0xFF; ++candidate) {
      if (GetCharsetTable(to)[candidate - 0x80] == character && character != 0xFFFD) {
        written = static_cast<char>(candidate);
        break;
      }
    }
    result += written;
  }
  return result;
}

constexpr std::uint16_t kIdentityPair[] = {0x20, 0x20};

TEST(ConvertCharset, AgreesWithLinearSearchForEveryByteAndPairOfCodePages) {
  const std::string text = EveryByte();
  for (int from = 0; from < kCodePageCount; ++from) {
    for (int to = 0; to < kCodePageCount; ++to) {
      const std::string converted = ConvertCharset(text, TCharsetId(from), TCharsetId(to));
      ASSERT_EQ(converted.size(), text.size());
      EXPECT_EQ(converted, ConvertByLinearSearch(text, TCharsetId(from), TCharsetId(to)))
          << from << " -> " << to;
      // A map that replaces nothing sends the text unit by unit through the intermediate.
      if (from != to) {
        EXPECT_EQ(ConvertCharsetMapped(text, TCharsetId(from), TCharsetId(to), kIdentityPair),
                  converted)
            << from << " -> " << to;
      }
    }
  }
}

}  // namespace
}  // namespace sanivo
