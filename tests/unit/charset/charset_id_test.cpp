#include "charset/charset_id.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

namespace sanivo {
namespace {

// The names handed to the library, by id, separated by blanks; 35 has no name of its own.
constexpr std::string_view kNames =
    "ISO-8859-1 ISO-8859-2 ISO-8859-3 ISO-8859-4 ISO-8859-5 ISO-8859-6 ISO-8859-7 ISO_8859-8 "
    "ISO-8859-9 ISO-8859-10 ISO-8859-13 ISO-8859-14 ISO-8859-15 WINDOWS-1250 WINDOWS-1251 "
    "WINDOWS-1252 WINDOWS-1253 WINDOWS-1254 WINDOWS-1255 WINDOWS-1256 WINDOWS-1257 "
    "WINDOWS-1258 KOI8-R CP-895 852 ISO-10646-UCS-2 ISO-10646-UCS-4 UTF-8 UNICODE-1-1-UTF-7 "
    "mUTF-7 UCS-2LE UCS-4LE UTF-16 UTF-16LE UTF-32 ISO-8859-1 C99 JAVA ISO-8859-16 KOI8-U "
    "KOI8-RU 862 866 MAC MACCENTRALEUROPE MACICELAND MACCROATIAN MACROMANIA MACCYRILLIC "
    "MACUKRAINE MACGREEK MACTURKISH MACHEBREW MACARABIC MACTHAI HP-ROMAN8 NEXTSTEP ARMSCII-8 "
    "GEORGIAN-ACADEMY GEORGIAN-PS KOI8-T MULELAO-1 CP1133 TIS-620 CP874 VISCII TCVN "
    "ISO-IR-14 JISX0201-1976 ISO-IR-87 ISO-IR-159 CN CHINESE CN-GB-ISOIR165 ISO-IR-149 "
    "EUC-JP SHIFT-JIS CP932 ISO-2022-JP ISO-2022-JP-1 ISO-2022-JP-2 CN-GB CP936 GB18030 "
    "ISO-2022-CN ISO-2022-CN-EXT HZ EUC-TW BIG5 CP950 BIG5-HKSCS EUC-KR CP949 CP1361 "
    "ISO-2022-KR CP737 CP775 CP853 855 857 CP858 860 861 863 CP864 865 869 CP1125";

// The names come from the alias table that the module's start-up fills.
class CharsetNameTest : public ::testing::Test {
 protected:
  CharsetNameTest() { InitializeCharsetAliases(); }
  ~CharsetNameTest() override { FinalizeCharsetAliases(); }
};

TEST_F(CharsetNameTest, EveryIdIsNamedAsTheLibraryExpects) {
  EXPECT_EQ(CharsetAliases.size(), std::size_t(kCharsetAliasCount));
  std::istringstream names{std::string(kNames)};
  int id = 0;
  for (std::string name; names >> name; ++id) EXPECT_EQ(CharsetName(TCharsetId(id)), name) << id;
  EXPECT_EQ(id, kCharsetIdCount);
  EXPECT_EQ(CharsetName(TCharsetId(kCharsetIdCount)), "ISO-8859-1");
  EXPECT_EQ(CharsetName(TCharsetId(255)), "ISO-8859-1");
}

}  // namespace
}  // namespace sanivo
