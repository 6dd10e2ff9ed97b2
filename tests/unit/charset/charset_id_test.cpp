#include "charset/charset_id.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "tests/unit/charset/iconv_oracle.h"

namespace sanivo {
namespace {

// Names that glibc's iconv does not know; on Windows the iconv library or the built-in engine
// answers for them.
const std::set<std::string_view> kNamesUnknownToGlibc = {
    "CP-895",
    "mUTF-7",
    "ISO-10646-UCS-2",
    "ISO-10646-UCS-4",
    "UNICODE-1-1-UTF-7",
    "C99",
    "JAVA",
    "MACCENTRALEUROPE",
    "MACICELAND",
    "MACCROATIAN",
    "MACROMANIA",
    "MACUKRAINE",
    "MACGREEK",
    "MACTURKISH",
    "MACHEBREW",
    "MACARABIC",
    "MACTHAI",
    "NEXTSTEP",
    "MULELAO-1",
    "JISX0201-1976",
    "ISO-IR-87",
    "ISO-IR-159",
    "CHINESE",
    "CN-GB-ISOIR165",
    "ISO-IR-149",
    "ISO-2022-JP-1",
    "HZ",
    "CP853",
};

// The names come from the alias table that the module's start-up fills.
class CharsetNameTest : public ::testing::Test {
 protected:
  CharsetNameTest() { InitializeCharsetAliases(); }
  ~CharsetNameTest() override { FinalizeCharsetAliases(); }
};

// Every name goes to iconv as it stands, so a misspelt one would quietly fall back to the
// built-in engine.
TEST_F(CharsetNameTest, GlibcKnowsEveryNameThatIsNotLibiconvOnly) {
  for (int id = 0; id < kCharsetIdCount; ++id) {
    const std::string name(CharsetName(TCharsetId(id)));
    SCOPED_TRACE(id);
    SCOPED_TRACE(name);
    EXPECT_FALSE(name.empty());
    if (!kNamesUnknownToGlibc.contains(name)) {
      EXPECT_TRUE(testing::TIconvDecoder(name).IsOpen());
    }
  }
}

TEST_F(CharsetNameTest, IdsWithoutNameOfTheirOwnAreNamedIso8859_1) {
  EXPECT_EQ(CharsetName(ciUnassigned), "ISO-8859-1");
  EXPECT_EQ(CharsetName(TCharsetId(kCharsetIdCount)), "ISO-8859-1");
  EXPECT_EQ(CharsetName(TCharsetId(255)), "ISO-8859-1");
}

}  // namespace
}  // namespace sanivo
