// The conversion in pieces gives what the conversion of the whole text gives, wherever the text
// is cut: texts that hold what a cut can split (sequences, code units, byte-order marks, UTF-7
// runs) are cut at every position, on the built-in engine and through the library.
#include "charset/stream_converter.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "tests/sim/machine.h"

namespace sanivo {
namespace {

using namespace std::string_literals;

std::string Streamed(std::string_view text, const std::vector<std::size_t>& cuts, TCharsetId from,
                     TCharsetId to, TReplacementMap map, bool transliterate) {
  TStreamConverter converter(from, to, map, transliterate);
  std::string out;
  std::size_t start = 0;
  for (const std::size_t cut : cuts) {
    converter.Convert(text.substr(start, cut - start), out);
    start = cut;
  }
  converter.Convert(text.substr(start), out);
  converter.Finish(out);
  return out;
}

const std::vector<std::string> kTrickyTexts = {
    // UTF-8: sequences of two to four bytes, one with continuation bytes past its length, a
    // stray continuation byte, a mark, a swapped mark that turns what follows, an ASCII run.
    "a\xC3\xA9\xC4\x8D\xE2\x82\xAC\xF0\x9F\x98\x80\xC3\xA9\x80\x80 \x80\xBFz"s,
    "\xEF\xBB\xBFon\xE2\x80\x9C\xEF\xBF\xBE\xC3\xA9x\xEF\xBF\xBE\xC3\xA9 long ascii run"s,
    // UTF-7 of both variants: runs closed by "-", by another byte and by the end, "+-", a run
    // of an odd number of bytes, "&" runs.
    "A+AOkBDQ-b+-c+ d+AOk.e+AOkA-f&AOk-g&-h+AQ0"s,
    "&AOkBDQ-x&,,-+AOk=y&AQ0"s,
    // Two- and four-byte units: marks both ways round, a unit cut short at the end.
    "\xFE\xFF\x01\x0D\x00\x41\xFF\xFE\x0D\x01\x41\x00\xFE\xFF\x00"s,
    "\x00\x00\xFE\xFF\x00\x00\x01\x0D\xFF\xFE\x00\x00\x41\x00\x00\x00\x00\x01"s,
    // U+1F600 as a pair of two-byte units and in UTF-7, and a high surrogate at the end.
    "\xD8\x3D\xDE\x00+2D3eAA-\xD8\x3D"s,
    // Windows-1250 with the bytes it leaves undefined, and zero bytes.
    "P\xF8\xEDli\x9A \x9Elu\x9Dou\xE8k\xFD \x81\x83\x88\x90\x98 \x84\x93\x80\0z"s,
};

const TCharsetId kSources[] = {ciWindows1250, ciUTF8,   ciUTF7,   ciModifiedUTF7, ciUCS2,
                               ciUCS4,        ciUCS2LE, ciUCS4LE, ciKOI8U};
const TCharsetId kTargets[] = {ciCP852, ciUTF8,   ciUTF7,   ciModifiedUTF7, ciUCS2,
                               ciUCS4,  ciUCS2LE, ciUCS4LE, ciKOI8U,        ciWindows1250};

struct TMode {
  std::vector<std::uint16_t> map;
  bool transliterate;
};
const TMode kModes[] = {{{0}, true}, {{0}, false}, {{0x10D, 0x2B, 0xE9, 0x20AC}, true}};

// Each text cut once at every position, and into pieces of one byte.
void ExpectEveryCutGivesTheWhole(TCharsetId from, TCharsetId to) {
  for (const TMode& mode : kModes) {
    for (const std::string& text : kTrickyTexts) {
      const std::string whole = ConvertCharsetEx(text, from, to, mode.map, mode.transliterate);
      std::vector<std::size_t> everyByte;
      for (std::size_t cut = 0; cut <= text.size(); ++cut) {
        ASSERT_EQ(Streamed(text, {cut}, from, to, mode.map, mode.transliterate), whole)
            << int(from) << " to " << int(to) << ", cut at " << cut << " of " << text.size();
        everyByte.push_back(cut);
      }
      ASSERT_EQ(Streamed(text, everyByte, from, to, mode.map, mode.transliterate), whole)
          << int(from) << " to " << int(to) << ", one byte at a time";
    }
  }
}

TEST(StreamConverter, EveryCutGivesTheWholeTextsConversionOnTheBuiltInEngine) {
  sim::Machine machine;  // without the library
  InitializeCharsetModules();
  for (const TCharsetId from : kSources) {
    for (const TCharsetId to : kTargets) ExpectEveryCutGivesTheWhole(from, to);
  }
  ExpectEveryCutGivesTheWhole(ciUTF8, ciUTF8);  // with the map active: not a pass-through
  FinalizeCharsetModules();
}

// Ill-formed UTF-8 of every kind becomes what Python's bytes.decode("utf-8", "replace") gives:
// one U+FFFD for each maximal ill-formed subpart. Whole and cut anywhere, with the count and the
// offset of the first replacement.
TEST(StreamConverter, IllFormedUtf8BecomesOneReplacementForEachMaximalSubpart) {
  sim::Machine machine;
  InitializeCharsetModules();
  const struct {
    std::string utf8;
    std::string ucs2;
    std::uint64_t count, first;
  } rows[] = {
      {"a\xCA"
       "b\xC0\xAF"
       "c",
       "\0a\xFF\xFD\0b\xFF\xFD\xFF\xFD\0c"s, 3, 1},                    // lead, overlong
      {"\xCF\xE1", "\xFF\xFD\xFF\xFD", 2, 0},                          // Windows-1250 read as UTF-8
      {"\xED\xA0\x80", "\xFF\xFD\xFF\xFD\xFF\xFD", 3, 0},              // an encoded surrogate
      {"\xF4\x90\x80\x80", "\xFF\xFD\xFF\xFD\xFF\xFD\xFF\xFD", 4, 0},  // above U+10FFFF
      {"\xE0\x80\xAF", "\xFF\xFD\xFF\xFD\xFF\xFD", 3, 0},              // a three-byte overlong
      {"x\xF5\xFF", "\0x\xFF\xFD\xFF\xFD"s, 2, 1},                     // bytes never in UTF-8
      {"\x80\xBF", "\xFF\xFD\xFF\xFD", 2, 0},                          // stray continuation bytes
      {"\xE2\x82"
       "A",
       "\xFF\xFD\0A"s, 1, 0},                       // a sequence cut short
      {"ab\xF0\x9F\x98", "\0a\0b\xFF\xFD"s, 1, 2},  // ... by the end of the text
      {"\xF1\x80\x80\xC2\x80", "\xFF\xFD\0\x80"s, 1, 0},
      {"\xF0\x9F\x98\x80", "\xD8\x3D\xDE\x00"s, 0, 0},  // well-formed: a pair
  };
  for (const auto& row : rows) {
    EXPECT_EQ(ConvertCharset(row.utf8, ciUTF8, ciUCS2), row.ucs2) << row.utf8;
    for (std::size_t cut = 0; cut <= row.utf8.size(); ++cut) {
      TStreamConverter converter(ciUTF8, ciUCS2, NoReplacement, true);
      std::string out;
      converter.Convert(std::string_view(row.utf8).substr(0, cut), out);
      converter.Convert(std::string_view(row.utf8).substr(cut), out);
      converter.Finish(out);
      EXPECT_EQ(out, row.ucs2) << row.utf8 << ", cut at " << cut;
      EXPECT_EQ(converter.Replacements().count, row.count) << row.utf8;
      if (row.count > 0) {
        EXPECT_EQ(converter.Replacements().firstOffset, row.first) << row.utf8;
      }
    }
  }
  FinalizeCharsetModules();
}

// A byte that its code page leaves undefined is no text either, whichever way the bytes go: into
// the intermediate, straight into UTF-8, through a pair table, or encoded strictly.
TEST(StreamConverter, UndefinedBytesOfACodePageAreCountedWherever) {
  sim::Machine machine;
  InitializeCharsetModules();
  // "Kůň? úpěl ďábelské? ódy" in Windows-1250, with the undefined bytes 0x81 and 0x98.
  const std::string text =
      "K\xF9\xF2\x81 \xFAp\xECl \xEF\xE1"
      "belsk\xE9\x98 \xF3"
      "dy";
  for (const auto& [to, transliterate] : {std::pair{ciUCS2, true}, std::pair{ciUTF8, true},
                                          std::pair{ciCP852, true}, std::pair{ciCP852, false}}) {
    const std::string whole =
        ConvertCharsetEx(text, ciWindows1250, to, NoReplacement, transliterate);
    for (std::size_t cut = 0; cut <= text.size(); ++cut) {
      TStreamConverter converter(ciWindows1250, to, NoReplacement, transliterate);
      std::string out;
      converter.Convert(std::string_view(text).substr(0, cut), out);
      converter.Convert(std::string_view(text).substr(cut), out);
      converter.Finish(out);
      EXPECT_EQ(out, whole) << int(to) << ", cut at " << cut;
      EXPECT_EQ(converter.Replacements().count, 2u) << int(to) << ", cut at " << cut;
      EXPECT_EQ(converter.Replacements().firstOffset, 3u) << int(to) << ", cut at " << cut;
    }
  }
  FinalizeCharsetModules();
}

TEST(StreamConverter, EveryCutGivesTheWholeTextsConversionThroughTheLibrary) {
  sim::Machine machine;
  machine.AddIconvLibrary("C:\\Program Files\\Morek\\iconv.dll");  // beside the program
  InitializeCharsetModules();
  // Multi-byte and stateful charsets that only the library knows, UTF-7 that it closes, and the
  // library on one side only (glibc knows no "ISO-10646-UCS-2").
  const std::pair<TCharsetId, TCharsetId> pairs[] = {
      {ciWindows1250, ciCP852}, {ciUTF8, ciWindows1250}, {ciUTF8, ciUTF7},
      {ciUTF8, ciISO2022JP},    {ciUTF8, ciShiftJIS},    {ciUTF16, ciUTF8},
      {ciUTF8, ciUCS2},         {ciUCS2, ciUTF8},        {ciUTF7, ciGB18030}};
  for (const auto& [from, to] : pairs) {
    TStreamConverter probe(from, to, NoReplacement, true);
    EXPECT_TRUE(probe.DecodesThroughLibrary() || probe.EncodesThroughLibrary()) << int(from);
    ExpectEveryCutGivesTheWhole(from, to);
  }
  // Texts of the charsets themselves, cut inside their sequences, both ways; the stateful
  // encoder's way back to ASCII comes once, at the end.
  const std::string utf8 = "a\xE3\x81\x82\xE6\xBC\xA2"s;
  const std::string japanese = ConvertCharset(utf8, ciUTF8, ciISO2022JP);
  ASSERT_TRUE(japanese.ends_with("\x1B(B"));
  const std::string sjis = ConvertCharset(utf8, ciUTF8, ciShiftJIS);
  for (const auto& [text, from, to] : {std::tuple{japanese, ciISO2022JP, ciUTF8},
                                       {sjis, ciShiftJIS, ciUTF8},
                                       {utf8, ciUTF8, ciISO2022JP}}) {
    const std::string whole = ConvertCharset(text, from, to);
    for (std::size_t cut = 0; cut <= text.size(); ++cut) {
      EXPECT_EQ(Streamed(text, {cut}, from, to, NoReplacement, true), whole) << cut;
    }
  }
  FinalizeCharsetModules();
}

}  // namespace
}  // namespace sanivo
