#include "cmdline/param_parser.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

#include "tests/sim/machine.h"

namespace sanivo {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

class ParamParserTest : public ::testing::Test {
 protected:
  // Parses a command line with `arguments` after the program name.
  static TParamParser ParseArguments(const std::string& arguments,
                                     TParamParserOptions options = {}) {
    return TParamParser("\"C:\\Program Files\\Morek\\sanivo.exe\"" + arguments, std::move(options));
  }

  sim::Machine machine;  // the locale's case-insensitive comparison
};

TEST_F(ParamParserTest, NoArgumentsGiveNoParameters) {
  const TParamParser parser = ParseArguments("");
  EXPECT_THAT(parser.Params(), IsEmpty());
  EXPECT_EQ(parser.CommandLine(), "");
  EXPECT_FALSE(parser.HasParam("zaloha"));
  EXPECT_FALSE(parser.HasParam(""));
  EXPECT_EQ(parser.GetParamValue("zaloha"), "");
}

TEST_F(ParamParserTest, NameWithoutValueIsPresentWithAnEmptyValue) {
  for (const char* argument : {" -zaloha", " -zaloha:"}) {
    const TParamParser parser = ParseArguments(argument);
    EXPECT_TRUE(parser.HasParam("zaloha")) << argument;
    EXPECT_EQ(parser.GetParamValue("zaloha"), "") << argument;
  }
}

TEST_F(ParamParserTest, ValueIsEverythingAfterTheFirstColonAndNamesIgnoreCase) {
  const TParamParser parser = ParseArguments(" -ZALOHA:D:\\zal\\");
  EXPECT_TRUE(parser.HasParam("zaloha"));
  EXPECT_EQ(parser.GetParamValue("Zaloha"), "D:\\zal\\");
  ASSERT_EQ(parser.Params().size(), 1u);
  EXPECT_EQ(parser.Params()[0].Name(), "ZALOHA");
  EXPECT_EQ(parser.CommandLine(), " -ZALOHA:D:\\zal\\");
}

TEST_F(ParamParserTest, CzechNamesMatchWithoutRegardToCase) {
  const TParamParser parser = ParseArguments(" -Z\xC1LOHA:x");  // ZÁLOHA
  EXPECT_EQ(parser.GetParamValue("z\xE1loha"), "x");            // záloha
}

TEST_F(ParamParserTest, ArgumentWithoutDashIsPositional) {
  const TParamParser parser = ParseArguments(" zaloha");
  EXPECT_FALSE(parser.HasParam("zaloha"));
  const TParamParserParam* positional = parser.FindParam("");
  ASSERT_NE(positional, nullptr);
  EXPECT_EQ(positional->Name(), "");
  EXPECT_EQ(positional->Value(), "zaloha");
}

TEST_F(ParamParserTest, NamesAreTheTextBetweenTheDashAndTheFirstColon) {
  const TParamParser parser = ParseArguments(" --zaloha -:x - -a:b:c");
  ASSERT_EQ(parser.Params().size(), 4u);
  EXPECT_EQ(parser.Params()[0].Name(), "-zaloha");
  EXPECT_EQ(parser.Params()[1].Name(), ":x");
  EXPECT_EQ(parser.Params()[1].Value(), "");
  EXPECT_EQ(parser.Params()[2].Name(), "");
  EXPECT_EQ(parser.Params()[3].Name(), "a");
  EXPECT_EQ(parser.Params()[3].Value(), "b:c");
  EXPECT_FALSE(parser.HasParam("zaloha"));
  EXPECT_TRUE(parser.HasParam("-ZALOHA"));
  EXPECT_EQ(parser.FindParam(""), &parser.Params()[2]);  // the lone dash
}

TEST_F(ParamParserTest, RepeatedNamesAreKeptAndTheFirstAnswers) {
  const TParamParser parser = ParseArguments(" -zaloha:a -zaloha:b");
  ASSERT_EQ(parser.Params().size(), 2u);
  EXPECT_EQ(parser.GetParamValue("zaloha"), "a");
  EXPECT_EQ(parser.Params()[1].Value(), "b");
}

TEST_F(ParamParserTest, IndexCountsArgumentsFromZero) {
  const TParamParser parser = ParseArguments(" a -b:c");
  ASSERT_EQ(parser.Params().size(), 2u);
  EXPECT_EQ(parser.Params()[0].Index(), 0);
  EXPECT_EQ(parser.Params()[0].Value(), "a");
  EXPECT_EQ(parser.Params()[1].Index(), 1);
  EXPECT_EQ(parser.Params()[1].Name(), "b");
}

TEST_F(ParamParserTest, ValuesAreTheValueCutAtTheSeparator) {
  const TParamParser parser = ParseArguments(" -zaloha:a;b -l:a;b;;c -t:a; -e");
  EXPECT_EQ(parser.Params()[0].Value(), "a;b");
  EXPECT_THAT(parser.Params()[0].Values(), ElementsAre("a", "b"));
  EXPECT_THAT(parser.Params()[1].Values(), ElementsAre("a", "b", "", "c"));
  EXPECT_THAT(parser.Params()[2].Values(), ElementsAre("a", ""));
  EXPECT_THAT(parser.Params()[3].Values(), ElementsAre(""));

  TParamParserOptions options;
  options.Separator = "::";
  EXPECT_THAT(ParseArguments(" -l:a::b:c", options).Params()[0].Values(), ElementsAre("a", "b:c"));
  options.Separator = "";
  EXPECT_THAT(ParseArguments(" -l:a;b", options).Params()[0].Values(), ElementsAre("a;b"));
}

TEST_F(ParamParserTest, AliasesRenameParsedNames) {
  TParamParserOptions options;
  options.Aliases = {"b", "z=zaloha", "Z=other", "backup=zaloha"};
  const TParamParser parser = ParseArguments(" -Z:x -BACKUP -b -y", options);
  ASSERT_EQ(parser.Params().size(), 4u);
  EXPECT_EQ(parser.Params()[0].Name(), "zaloha");
  EXPECT_EQ(parser.Params()[1].Name(), "zaloha");
  EXPECT_EQ(parser.Params()[2].Name(), "b");
  EXPECT_EQ(parser.Params()[3].Name(), "y");
  EXPECT_EQ(parser.ResolveAlias("z"), "zaloha");
}

TEST_F(ParamParserTest, CaseSensitiveNamesMustMatchExactly) {
  TParamParserOptions options;
  options.CaseSensitive = true;
  options.CheckKnown = true;
  options.KnownParams = {"Zaloha"};
  const TParamParser parser = ParseArguments(" -Zaloha:x", options);
  EXPECT_FALSE(parser.HasParam("zaloha"));
  EXPECT_EQ(parser.GetParamValue("Zaloha"), "x");
  EXPECT_TRUE(parser.IsKnownParam("Zaloha"));
  EXPECT_FALSE(parser.IsKnownParam("ZALOHA"));
}

TEST_F(ParamParserTest, UnknownNameRaisesWhenNamesAreChecked) {
  TParamParserOptions options;
  options.CheckKnown = true;
  options.KnownParams = {"zaloha"};
  EXPECT_EQ(ParseArguments(" -ZALOHA:x", options).GetParamValue("zaloha"), "x");
  try {
    ParseArguments(" -zaloha -abc:1", options);
    FAIL() << "no exception";
  } catch (const EUnexpectedParam& error) {
    EXPECT_EQ(error.ParamName(), "abc");
    EXPECT_EQ(error.Message(), "Unexpected param \"abc\"");
    EXPECT_STREQ(error.ClassName(), "EUnexpectedParam");
  }
  // Positional arguments are checked under the empty name.
  EXPECT_THROW(ParseArguments(" file.txt", options), EUnexpectedParam);
  options.KnownParams.push_back("");
  EXPECT_EQ(ParseArguments(" file.txt", options).GetParamValue(""), "file.txt");
}

TEST_F(ParamParserTest, UnknownNameIsLeftOutWhenCheckedWithoutRaising) {
  TParamParserOptions options;
  options.CheckKnown = true;
  options.RaiseOnUnexpected = false;
  options.KnownParams = {"zaloha"};
  const TParamParser parser = ParseArguments(" -x -zaloha:D:\\ y", options);
  ASSERT_EQ(parser.Params().size(), 1u);
  EXPECT_EQ(parser.Params()[0].Name(), "zaloha");
  EXPECT_EQ(parser.Params()[0].Index(), 1);
  EXPECT_FALSE(parser.AcceptParam("x"));
  EXPECT_TRUE(parser.AcceptParam("ZALOHA"));
}

TEST_F(ParamParserTest, GlobalParserParsesTheProcessCommandLineAtStartUp) {
  machine.SetCommandLine("sanivo.exe -zaloha:D:\\zal\\");
  InitializeParamParser();
  ASSERT_NE(ParamParser, nullptr);
  EXPECT_EQ(ParamParser->GetParamValue("zaloha"), "D:\\zal\\");
  FinalizeParamParser();
  EXPECT_EQ(ParamParser, nullptr);
}

}  // namespace
}  // namespace sanivo
