// The whole conversion: Unicode forms, byte-order marks, replacement maps and the code units of
// the built-in engine; the iconv library on the simulated machine and its failure rows.
#include <gtest/gtest.h>

#include <cerrno>
#include <random>
#include <string>

#include "charset/charset.h"
#include "charset/iconv_binding.h"
#include "tests/sim/machine.h"
#include "tests/unit/charset/iconv_oracle.h"

namespace sanivo {
namespace {

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
  // UTF-8 and UTF-7 have no byte order: a mark is dropped, U+FFFE is a character like others.
  EXPECT_EQ(DecodeToUcs2("\xEF\xBB\xBF"
                         "A\xEF\xBF\xBE"
                         "B",
                         ciUTF8),
            Ucs2({'A', 0xFFFE, 'B'}));
  EXPECT_EQ(DecodeToUcs2("+/v8-A+//4-B", ciUTF7), Ucs2({'A', 0xFFFE, 'B'}));
  EXPECT_EQ(ConvertCharset("\xC5\xBDlu\xC5\xA5ou\xC4\x8Dk\xC3\xBD\xEF\xBF\xBE k\xC5\xAF\xC5\x88",
                           ciUTF8, ciWindows1250),
            "\x8Elu\x9Dou\xE8k\xFD_ k\xF9\xF2");
  // A unit that the end cuts short is U+FFFD; a one-byte source reads its upper half through
  // its table.
  EXPECT_EQ(DecodeToUcs2("\x01\x0D\x41", ciUCS2), Ucs2({0x10D, 0xFFFD}));
  EXPECT_EQ(DecodeToUcs2("\x00\x00\x01"s, ciUCS4), Ucs2({0xFFFD}));
  EXPECT_EQ(DecodeToUcs2("\xE8", ciWindows1250), Ucs2({0x10D}));
}

// U+1F600 from each kind of source into each kind of target: whole where the target holds it,
// as its pair in the two-byte forms and UTF-7, one "_" (or nothing) in a code page.
TEST(ConvertCharsetEx, ACharacterBeyondU_FFFFTravelsAsAPair) {
  const std::pair<TCharsetId, std::string> forms[] = {
      {ciUTF8, "\xF0\x9F\x98\x80"},    {ciUCS4, "\x00\x01\xF6\x00"s},
      {ciUCS4LE, "\x00\xF6\x01\x00"s}, {ciUCS2, "\xD8\x3D\xDE\x00"s},
      {ciUCS2LE, "\x3D\xD8\x00\xDE"s}, {ciUTF7, "+2D3eAA-"},
      {ciModifiedUTF7, "&2D3eAA-"},    {ciWindows1250, "_"}};
  for (const auto& [from, text] : forms) {
    if (from == ciWindows1250) continue;
    for (const auto& [to, expected] : forms) {
      EXPECT_EQ(ConvertCharset(text, from, to), expected) << int(from) << " to " << int(to);
    }
    EXPECT_EQ(ConvertCharsetEx(text, from, ciCP852, NoReplacement, false), "") << int(from);
  }
  // A surrogate without its other half, and four-byte units that are no character.
  const std::pair<TCharsetId, std::string> broken[] = {
      {ciUCS2, "\xD8\x3D\x00\x41"s},
      {ciUCS2, "\xDE\x00\x00\x41"s},
      {ciUTF7, "+2D0-A"},
      {ciUCS4, "\x00\x11\x00\x00\x00\x00\x00\x41"s},
      {ciUCS4, "\x00\x00\xD8\x3D\x00\x00\x00\x41"s}};
  for (const auto& [from, text] : broken) {
    EXPECT_EQ(DecodeToUcs2(text, from), Ucs2({0xFFFD, 'A'})) << text;
  }
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
  // which no code page writes as a byte it leaves undefined.
  EXPECT_EQ(ConvertCharsetMapped("\x83\xE8", ciWindows1250, ciWindows1250, cToZ), "_\x9E");
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
  // Two bytes lie before the text, so that a read before it would see them.
  static constexpr char kBytes[] = "\x7E\x7F\x01\x02\x03\x04";
  const std::string_view text(kBytes + 2, 4);
  constexpr std::size_t kTop = SIZE_MAX;
  const struct {
    std::size_t position;
    unsigned size;
    bool littleEndian;
    TCodeUnitBytes unit;
    std::size_t after;
  } reads[] = {
      {1, 2, false, {2, 1, 0, 0}, 3},
      {3, 2, true, {3, 4, 0, 0}, 5},
      {1, 4, true, {1, 2, 3, 4}, 5},
      {2, 7, false, {2, 0, 0, 0}, 3},  // a size above 4 counts as 1
      {4, 2, false, {}, 6},            // cut short by the end
      {0, 2, true, {}, 2},             // positions count from 1
      {kTop, 2, true, {}, 1},
      {kTop - 1, 4, false, {}, 2},  // advanced all the same, round past the top
  };
  for (const auto& read : reads) {
    SCOPED_TRACE(read.position);
    std::size_t position = read.position;
    EXPECT_EQ(ReadCodeUnit(text, position, read.size, read.littleEndian), read.unit);
    EXPECT_EQ(position, read.after);
  }
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

// Without the library each side asks for it once, by the full path beside the program; a
// same-id pass-through does not ask at all.
TEST_F(IconvLibraryTest, EachSideAsksForTheLibraryBesideTheProgramOnce) {
  machine.AddIconvLibrary("C:\\iconv.dll");
  machine.AddIconvLibrary("C:\\WINDOWS\\system32\\iconv.dll");
  machine.SetCurrentDirectory("C:\\");
  const std::uint16_t cToZ[] = {0x10D, 0x17E};
  const struct {
    TCharsetId from, to;
    TReplacementMap map;
    bool transliterate;
    std::size_t loads;
  } conversions[] = {
      {ciWindows1250, ciCP852, NoReplacement, true, 2},
      {ciUTF8, ciCP852, NoReplacement, true, 2},
      {ciWindows1250, ciCP852, cToZ, true, 2},
      {ciWindows1250, ciCP852, NoReplacement, false, 2},
      {ciCP852, ciCP852, NoReplacement, true, 0},
  };
  for (const auto& conversion : conversions) {
    const std::size_t before = machine.CallsTo("LoadLibraryA").size();
    ConvertCharsetEx("\x80", conversion.from, conversion.to, conversion.map,
                     conversion.transliterate);
    const std::vector<std::string> loads = machine.CallsTo("LoadLibraryA");
    EXPECT_EQ(loads.size() - before, conversion.loads)
        << int(conversion.from) << " -> " << int(conversion.to);
    for (const std::string& path : loads) EXPECT_EQ(path, library);
  }
}

// Descriptors that the host's iconv opened for a library without a close entry; the test
// closes them, as such a library's process never does.
std::vector<iconv_t> UnclosedDescriptors;

void* OpenWithoutClose(const char* toCode, const char* fromCode) {
  iconv_t descriptor = iconv_open(toCode, fromCode);
  if (descriptor != reinterpret_cast<iconv_t>(-1)) UnclosedDescriptors.push_back(descriptor);
  return descriptor;
}

struct LibraryFault {
  sim::FailableCall call;
  const char* target;
  const char* converted;  // "\x84\xE8" from Windows-1250 into code page 852
  int loads;              // calls of LoadLibraryA, by the conversion and one open
  int loaded;             // libraries loaded afterwards
  int closed;             // what closing an open descriptor gives
};
void PrintTo(const LibraryFault& row, std::ostream* out) {
  *out << row.call.Name() << " " << row.target;
}

class IconvFaultTest : public IconvLibraryTest,
                       public ::testing::WithParamInterface<LibraryFault> {};

// Only the conversion entry is required: without it the library is let go, so that no text
// comes out empty; without the open entry it opens nothing; without the close entry it is used
// and closing gives -1. Without the program's own path nothing is loaded, not even by bare name.
TEST_P(IconvFaultTest, TheLibraryBesideTheProgramNeedsOnlyItsConversionEntry) {
  const LibraryFault& row = GetParam();
  machine.AddIconvLibrary(library);
  if (row.target == std::string_view("libiconv_close")) {
    machine.AddLibrary(library, "libiconv_open", reinterpret_cast<void*>(&OpenWithoutClose));
  }
  machine.SetCurrentDirectory("C:\\Program Files\\Morek");
  machine.Fail(row.call, row.target, 127);
  EXPECT_EQ(ConvertCharset("\x84\xE8", ciWindows1250, ciCP852), row.converted);
  EXPECT_EQ(machine.LoadedLibraryCount(), row.loaded);
  TIconvDescriptor descriptor = IconvOpen("852", "UCS-2BE");
  EXPECT_EQ(IconvClose(descriptor), row.closed);
  EXPECT_EQ(descriptor, kNoIconv);
  EXPECT_EQ(machine.CallCount("LoadLibraryA"), row.loads);
  for (iconv_t unclosed : UnclosedDescriptors) iconv_close(unclosed);
  UnclosedDescriptors.clear();
}

INSTANTIATE_TEST_SUITE_P(
    Faults, IconvFaultTest,
    ::testing::Values(LibraryFault{"GetProcAddress", "libiconv_open", "_\x9F", 1, 1, 0},
                      LibraryFault{"GetProcAddress", "libiconv", "_\x9F", 3, 0, 0},
                      LibraryFault{"GetProcAddress", "libiconv_close", ",,\x9F", 1, 1, -1},
                      LibraryFault{"GetProcAddress", "libiconvctl", ",,\x9F", 1, 1, 0},
                      LibraryFault{"GetModuleFileNameA", "", "_\x9F", 0, 0, 0}));

// The library is asked for UTF-16BE, which carries U+1F600 as its pair; one that does not know
// that name is asked for UCS-2BE.
TEST_F(IconvLibraryTest, TheIntermediateCarriesCharactersBeyondU_FFFF) {
  machine.AddIconvLibrary(library);
  EXPECT_EQ(ConvertCharset("a\xF0\x9F\x98\x80"
                           "b",
                           ciUTF8, ciUTF16LE),
            "a\0\x3D\xD8\0\xDE"
            "b\0"s);
  machine.AddIconvLibrary(library, {"UTF-16BE//IGNORE"});
  EXPECT_EQ(ConvertCharset("\xBD", ciKOI8U, ciUTF16LE), "\x90\x04");  // not ISO-8859-1's U+00BD
}

TEST_F(IconvLibraryTest, ASideWhoseNameTheLibraryRefusesIsBuiltIn) {
  machine.AddIconvLibrary(library, {"852//IGNORE//TRANSLIT"});
  // Decoded by the library, encoded by the table: the mark has no byte and no transliteration.
  EXPECT_EQ(ConvertCharset("\x84\xE8", ciWindows1250, ciCP852), "_\x9F");
  // Names that glibc lacks ("ISO-10646-UCS-2") leave that side to the built-in engine too.
  EXPECT_EQ(ConvertCharset(Ucs2({0x10D, 'A'}), ciUCS2, ciUTF8),
            "\xC4\x8D"
            "A");
}

// The conversion entry of a library built against another C runtime: it sets an errno of its
// own, so ours says nothing about why it stopped.
std::size_t ConvertWithForeignErrno(void* descriptor, const char** input, std::size_t* inputLeft,
                                    char** output, std::size_t* outputLeft) {
  const std::size_t status = iconv(static_cast<iconv_t>(descriptor), const_cast<char**>(input),
                                   inputLeft, output, outputLeft);
  errno = 0;
  return status;
}

class IconvRuntimeTest : public IconvLibraryTest, public ::testing::WithParamInterface<bool> {
 protected:
  IconvRuntimeTest() {
    machine.AddIconvLibrary(library);
    if (GetParam()) {
      machine.AddLibrary(library, "libiconv", reinterpret_cast<void*>(&ConvertWithForeignErrno));
    }
  }
};

// Two bytes in, ten out: the encoding's header, then " 1/5 " for the one character; as one
// text and unit by unit (an active map), whichever C runtime the library shares.
TEST_P(IconvRuntimeTest, ALongTransliterationGetsTheRoomItNeeds) {
  EXPECT_EQ(ConvertCharset(Ucs2({0x2155}), ciUCS2, ciISO2022KR), "\x1B$)C 1/5 ");
  const std::uint16_t noChange[] = {0, 0};
  EXPECT_EQ(ConvertCharsetMapped(Ucs2({0x2155, 0x2155}), ciUCS2, ciISO2022KR, noChange),
            "\x1B$)C 1/5  1/5 ");
}

// The bytes that return the encoder to its initial state end the text: ISO-2022-JP shifts back
// to ASCII, ISO-2022-KR ends with SI; unit by unit the shift back comes once, at the end.
TEST_P(IconvRuntimeTest, AStatefulTargetIsLeftInItsInitialState) {
  const std::uint16_t noChange[] = {0, 0};
  const struct {
    TCharsetId to;
    std::string ucs2;
    TReplacementMap map;
    std::string expected;
  } rows[] = {
      {ciISO2022JP, Ucs2({0x3042}), NoReplacement, "\x1B$B$\"\x1B(B"},
      {ciISO2022JP, Ucs2({0x3042, 0x3044}), noChange, "\x1B$B$\"$$\x1B(B"},
      {ciISO2022KR, Ucs2({0xAC00}), NoReplacement, "\x1B$)C\x0E\x30\x21\x0F"},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(ConvertCharsetMapped(row.ucs2, ciUCS2, row.to, row.map), row.expected);
  }
}

INSTANTIATE_TEST_SUITE_P(OwnAndForeignErrno, IconvRuntimeTest, ::testing::Bool());

}  // namespace
}  // namespace sanivo
