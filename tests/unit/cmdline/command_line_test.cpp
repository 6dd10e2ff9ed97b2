#include "cmdline/command_line.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tests/sim/machine.h"

namespace sanivo {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

// The splitting steps through characters of the ANSI code page, which the machine provides.
class CommandLineTest : public ::testing::Test {
 protected:
  sim::Machine machine;
};

TEST_F(CommandLineTest, ProgramNameAloneGivesNoArguments) {
  EXPECT_THAT(CommandLineArguments("sanivo.exe"), IsEmpty());
  EXPECT_THAT(CommandLineArguments("\"C:\\Program Files\\Morek\\sanivo.exe\"  "), IsEmpty());
  EXPECT_THAT(CommandLineArguments(""), IsEmpty());
}

TEST_F(CommandLineTest, BlanksAndControlCharactersSeparate) {
  EXPECT_THAT(CommandLineArguments("a.exe  -x\t\x01y\n-z:1 "), ElementsAre("-x", "y", "-z:1"));
}

TEST_F(CommandLineTest, CharactersAboveAsciiBelongToTheArgument) {
  // A no-break space (0xA0) and Czech letters are no separators.
  EXPECT_THAT(CommandLineArguments("a.exe -z\xE1loha:D:\\z\xA0"
                                   "a"),
              ElementsAre("-z\xE1loha:D:\\z\xA0"
                          "a"));
}

TEST_F(CommandLineTest, QuotesGroupBlanksAndAreDropped) {
  EXPECT_THAT(
      CommandLineArguments("\"C:\\Program Files\\a.exe\" \"-zaloha:C:\\Program Files\\x\\\""),
      ElementsAre("-zaloha:C:\\Program Files\\x\\"));
  EXPECT_THAT(CommandLineArguments("a.exe -zaloha:\"C:\\Program Files\\x\\\" next"),
              ElementsAre("-zaloha:C:\\Program Files\\x\\", "next"));
  EXPECT_THAT(CommandLineArguments("a.exe a\"b c\"d\"\"e"), ElementsAre("ab cde"));
}

TEST_F(CommandLineTest, BackslashIsNoEscape) {
  EXPECT_THAT(CommandLineArguments("a.exe \"C:\\zal dir\\\\\" x"),
              ElementsAre("C:\\zal dir\\\\", "x"));
  EXPECT_THAT(CommandLineArguments("a.exe a\\\"b c\""), ElementsAre("a\\b c"));
}

TEST_F(CommandLineTest, EmptyQuotePairsBetweenArgumentsAreSkipped) {
  EXPECT_THAT(CommandLineArguments("a.exe \"\" x \"\"\"\" y \"\""), ElementsAre("x", "y"));
}

TEST_F(CommandLineTest, UnclosedQuoteRunsToTheEnd) {
  EXPECT_THAT(CommandLineArguments("a.exe x \"y z"), ElementsAre("x", "y z"));
  EXPECT_THAT(CommandLineArguments("a.exe x \" "), ElementsAre("x", " "));
}

TEST_F(CommandLineTest, LoneQuoteAtTheEndEndsTheArguments) {
  EXPECT_THAT(CommandLineArguments("a.exe x \""), ElementsAre("x"));
  EXPECT_THAT(CommandLineArguments("a.exe x \"\"\""), ElementsAre("x"));
}

TEST_F(CommandLineTest, QuotedProgramNameIsSkippedWhole) {
  EXPECT_THAT(CommandLineArguments("  \"\"\"C:\\Program Files\\a.exe\" x"), ElementsAre("x"));
  EXPECT_THAT(CommandLineArguments("C:\\Pro\"gram Fi\"les\\a.exe x"), ElementsAre("x"));
}

TEST_F(CommandLineTest, TailIsEverythingAfterTheProgramNameUnchanged) {
  EXPECT_EQ(CommandLineTail("\"C:\\Program Files\\a.exe\" -x \"y z\" "), " -x \"y z\" ");
  EXPECT_EQ(CommandLineTail("  \"\"a.exe\t\"\"x"), "\t\"\"x");
  EXPECT_EQ(CommandLineTail("a.exe"), "");
  EXPECT_EQ(CommandLineTail("\"C:\\Program Files\\a.exe"), "");
  EXPECT_EQ(CommandLineTail(""), "");
}

}  // namespace
}  // namespace sanivo
