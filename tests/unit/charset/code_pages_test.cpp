#include "charset/code_pages.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>

#include "tests/unit/charset/iconv_oracle.h"

namespace sanivo {
namespace {

constexpr std::uint16_t kUndefined = 0xFFFD;

// How glibc checks one of our tables: the charset name it knows, the first byte it can speak
// for, and the bytes where our table deliberately differs from it, with our value there.
struct TTableOracle {
  TCharsetId id;
  std::string iconv_name;
  unsigned first_byte;
  std::map<unsigned, std::uint16_t> own_values;
};

std::vector<TTableOracle> TableOracles() {
  std::vector<TTableOracle> oracles = {
      {ciISO8859_1, "ISO-8859-1", 0x80, {}},
      {ciISO8859_2, "ISO-8859-2", 0x80, {}},
      {ciISO8859_3, "ISO-8859-3", 0x80, {}},
      {ciISO8859_4, "ISO-8859-4", 0x80, {}},
      {ciISO8859_5, "ISO-8859-5", 0x80, {}},
      {ciISO8859_6, "ISO-8859-6", 0x80, {}},
      // glibc has the 2003 edition; the euro, drachma and ypogegrammeni were undefined in 1987.
      {ciISO8859_7,
       "ISO-8859-7",
       0x80,
       {{0xA4, kUndefined}, {0xA5, kUndefined}, {0xAA, kUndefined}}},
      {ciISO8859_8, "ISO-8859-8", 0x80, {}},
      {ciISO8859_9, "ISO-8859-9", 0x80, {}},
      {ciISO8859_10, "ISO-8859-10", 0x80, {}},
      {ciISO8859_13, "ISO-8859-13", 0x80, {}},
      {ciISO8859_14, "ISO-8859-14", 0x80, {}},
      {ciISO8859_15, "ISO-8859-15", 0x80, {}},
      {ciKOI8R, "KOI8-R", 0x80, {}},
      // Kamenicky shares its upper part with code page 437, except for six mathematical signs.
      {ciKamenicky,
       "CP437",
       0xB0,
       {{0xE1, 0x03B2},
        {0xE6, 0x03BC},
        {0xED, 0x2205},
        {0xF8, 0x2218},
        {0xF9, 0x00B7},
        {0xFA, 0x2219}}},
      {ciCP852, "IBM852", 0x80, {}},
  };
  for (int id = ciWindows1250; id <= ciWindows1258; ++id) {
    oracles.push_back(
        {TCharsetId(id), "WINDOWS-" + std::to_string(1250 + id - ciWindows1250), 0x80, {}});
  }
  return oracles;
}

TEST(CodePageTables, EveryEntryAgreesWithIconvAndUndefinedBytesHoldReplacementChar) {
  const std::vector<TTableOracle> oracles = TableOracles();
  ASSERT_EQ(oracles.size(), std::size_t{kCodePageCount});
  for (const TTableOracle& oracle : oracles) {
    SCOPED_TRACE(oracle.iconv_name);
    testing::TIconvDecoder decoder(oracle.iconv_name);
    ASSERT_TRUE(decoder.IsOpen());
    const TCharsetTable& table = GetCharsetTable(oracle.id);
    for (unsigned byte = oracle.first_byte; byte <= 0xFF; ++byte) {
      SCOPED_TRACE(byte);
      const std::uint16_t ours = table[byte - kFirstTableByte];
      const auto own = oracle.own_values.find(byte);
      if (own != oracle.own_values.end()) {
        EXPECT_EQ(ours, own->second);
      } else {
        EXPECT_EQ(ours, decoder.Decode(byte).value_or(kUndefined));
      }
    }
  }
}

// A code page names each character once; a repeat would be a slip in a table.
TEST(CodePageTables, NoCharacterStandsAtTwoBytes) {
  for (int id = 0; id < kCodePageCount; ++id) {
    SCOPED_TRACE(id);
    std::set<std::uint16_t> seen;
    for (const std::uint16_t value : GetCharsetTable(TCharsetId(id))) {
      if (value == kUndefined) continue;
      EXPECT_TRUE(seen.insert(value).second) << value;
    }
  }
}

TEST(CodePageTables, IdsWithoutTableOfTheirOwnReadAsIso8859_1) {
  for (const TCharsetId id : {ciUCS2, ciUTF8, ciUnassigned, ciCP1125, TCharsetId(200)}) {
    EXPECT_EQ(GetCharsetTable(id), GetCharsetTable(ciISO8859_1)) << int(id);
  }
}

}  // namespace
}  // namespace sanivo
