#include "tools/cpconv/cpconv.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "charset/charset.h"
#include "sysenv/file_access.h"
#include "tests/sim/machine.h"

namespace sanivo {
namespace {

using namespace std::string_literals;

class CpconvTest : public ::testing::Test {
 protected:
  CpconvTest() { InitializeCharsetModules(); }
  ~CpconvTest() override { FinalizeCharsetModules(); }

  // What reached standard error since the last look, in the console's code page (852), as
  // UTF-8 for comparison with the texts here.
  std::string Message() {
    const std::string all = machine.Stderr();
    const std::string message = all.substr(seen_);
    seen_ = all.size();
    return ConvertCharset(message, ciCP852, ciUTF8);
  }

  sim::Machine machine;

 private:
  std::size_t seen_ = 0;
};

TEST_F(CpconvTest, CharsetsByNumberOrAnyNameOfTheAliasTable) {
  const std::vector<std::pair<std::string, TCharsetId>> found = {
      {"13", ciWindows1250},   {"cp852", ciCP852},         {"Windows-1250", ciWindows1250},
      {"utf-8", ciUTF8},       {"KOI8-R", ciKOI8R},        {"ucs-2be", ciUCS2},
      {"cp-895", ciKamenicky}, {"MUTF-7", ciModifiedUTF7}, {"107", ciCP1125},
      {"latin2", ciISO8859_2}, {"UCS-4BE", ciUCS4},        {"852", ciCP852},
      {"866", ciCP866},        {"1250", ciWindows1250},    {"1258", ciWindows1258},
      {"utf8", ciUTF8},        {"KeybCS2", ciKamenicky},   {"kamenicky", ciKamenicky},
      {"895", ciKamenicky},    {"cp895", ciKamenicky}};
  for (const auto& [name, id] : found) EXPECT_EQ(FindCharset(name), id) << name;
  // Later records that name other charsets than their id's are the library's to know.
  for (const char* unknown : {"108", "851", "-1", "0x0D", "", "UTF", "CP852 ", "852x", "US-ASCII",
                              "cp437", "850", "UTF-16BE", "UTF-32LE"}) {
    EXPECT_EQ(FindCharset(unknown), std::nullopt) << unknown;
  }
}

TEST_F(CpconvTest, ArgumentsAsIconvUsersWriteThem) {
  const auto options = ParseCpconvArguments({"--strict", "-f", "cp1250", "--map", "10d,17E", "-t",
                                             "852", "-o", "C:\\out.txt", "a.txt", "-", "b.txt"})
                           .options;
  ASSERT_TRUE(options);
  EXPECT_EQ(options->from, ciWindows1250);
  EXPECT_EQ(options->to, ciCP852);
  EXPECT_TRUE(options->strict);
  EXPECT_EQ(options->map, (std::vector<std::uint16_t>{0x10D, 0x17E}));
  EXPECT_EQ(options->output, "C:\\out.txt");
  EXPECT_EQ(options->inputs, (std::vector<std::string>{"a.txt", "-", "b.txt"}));

  const auto positional = ParseCpconvArguments({"UTF-8", "13", "x.txt"}).options;
  ASSERT_TRUE(positional);
  EXPECT_EQ(positional->from, ciUTF8);
  EXPECT_EQ(positional->inputs, std::vector<std::string>{"x.txt"});
  EXPECT_EQ(ParseCpconvArguments({"-l"}).options->action, TCpconvOptions::TAction::list);
  EXPECT_EQ(ParseCpconvArguments({"13", "--help"}).options->action, TCpconvOptions::TAction::help);
}

TEST_F(CpconvTest, WrongArgumentsEndWithExitCode2AndSayWhy) {
  const std::vector<std::vector<std::string>> refused = {{},
                                                         {"13"},
                                                         {"-f", "13", "24"},
                                                         {"--map", "13", "24"},
                                                         {"-o"},
                                                         {"-x", "13", "24"},
                                                         {"-l", "13"},
                                                         {"--map", "10000", "13", "24"},
                                                         {"--map", "00041,0042", "13", "24"},
                                                         {"-o", "", "13", "24"},
                                                         {"13", "-t"}};
  for (const auto& arguments : refused) {
    EXPECT_EQ(RunCpconv(arguments), kCpconvUsageExitCode) << arguments.size();
    EXPECT_EQ(Message(), "cpconv: chybné parametry; nápověda: cpconv --help\n") << arguments.size();
  }
  EXPECT_EQ(machine.Stdout(), "");
}

TEST_F(CpconvTest, FilesOneAfterTheOtherIntoAnOutputThatMayBeOneOfThem) {
  machine.AddFile("C:\\data\\a.txt",
                  "\xE8"
                  "a\xFF\xFE");  // the second file's mark is its own
  machine.AddFile("C:\\data\\b.txt", "\xFF\xFE\x0D\x01");
  // Someone else's file under the first temporary name is left alone.
  machine.AddFile("C:\\data\\b.txt.tmp", "kept");
  ASSERT_EQ(
      RunCpconv({"UCS-2", "UTF-8", "-o", "C:\\data\\b.txt", "C:\\data\\a.txt", "C:\\data\\b.txt"}),
      0)
      << Message();
  EXPECT_EQ(machine.FileBytes("C:\\data\\b.txt"), "\xEE\xA1\xA1\xC4\x8D");
  EXPECT_EQ(machine.FileBytes("C:\\data\\b.txt.tmp"), "kept");
  EXPECT_FALSE(machine.HasFile("C:\\data\\b.txt.1.tmp"));
  EXPECT_EQ(machine.Stdout(), "");
}

TEST_F(CpconvTest, AFailedRunSaysWhatFailedAndLeavesTheOldOutput) {
  machine.AddFile("C:\\in.txt", "text");
  machine.AddFile("C:\\out.txt", "old");
  struct TCase {
    std::vector<std::string> arguments;
    const char* message;
  } cases[] = {
      {{"13", "24", "-o", "C:\\out.txt", "C:\\in.txt", "C:\\missing.txt"},
       "cpconv: nelze číst \"C:\\missing.txt\""},
      {{"13", "24", "-o", "C:\\nodir\\out.txt", "C:\\in.txt"},
       "cpconv: nelze zapsat \"C:\\nodir\\out.txt\""},
      {{"UTF-16", "13", "-o", "C:\\out.txt", "C:\\in.txt"},
       "cpconv: znakovou sadu UTF-16 lze převádět jen s knihovnou iconv.dll vedle programu\n"},
      {{"13", "GB18030", "-o", "C:\\out.txt", "C:\\in.txt"},
       "cpconv: znakovou sadu GB18030 lze převádět jen s knihovnou iconv.dll vedle programu\n"},
      {{"cp437", "13", "-o", "C:\\out.txt", "C:\\in.txt"},
       "cpconv: znakovou sadu cp437 lze převádět jen s knihovnou iconv.dll vedle programu\n"},
  };
  for (const TCase& c : cases) {
    EXPECT_EQ(RunCpconv(c.arguments), kCpconvFailureExitCode) << c.message;
    const std::string message = Message();
    EXPECT_TRUE(message.starts_with(c.message)) << message;
    EXPECT_EQ(machine.FileBytes("C:\\out.txt"), "old");
    EXPECT_FALSE(machine.HasFile(TemporaryNameFor("C:\\out.txt")));
  }
  // Written halfway: the temporary file goes, the old output stays.
  machine.Fail("WriteFile", TemporaryNameFor("C:\\out.txt"), os::kErrorWriteFault);
  EXPECT_EQ(RunCpconv({"13", "24", "-o", "C:\\out.txt", "C:\\in.txt"}), kCpconvFailureExitCode);
  const std::string message = Message();
  EXPECT_TRUE(message.starts_with("cpconv: nelze zapsat \"C:\\out.txt\"")) << message;
  EXPECT_EQ(machine.FileBytes("C:\\out.txt"), "old");
  EXPECT_FALSE(machine.HasFile(TemporaryNameFor("C:\\out.txt")));
}

TEST_F(CpconvTest, AClosedStandardOutputIsReported) {
  machine.AddFile("C:\\in.txt", "text");
  machine.Fail("WriteFile", "stdout", 232);  // the pipe is being closed
  EXPECT_EQ(RunCpconv({"13", "24", "C:\\in.txt"}), kCpconvFailureExitCode);
  const std::string message = Message();
  EXPECT_TRUE(message.starts_with("cpconv: nelze zapsat standardní výstup")) << message;
}

// The output is written whole; what the built-in decoding replaced is counted on one line, with
// the offset of the first place, and the exit code says so.
TEST_F(CpconvTest, ConversionsSayWhenTheInputWasNotTextOfItsCharset) {
  const struct {
    std::vector<std::string> arguments;
    std::string input, output;
    int exitCode;
    const char* message;
  } rows[] = {
      // The last UTF-7 run is closed only when the converter is finished.
      {{"13", "UTF-7"}, "\xE8", "+AQ0-", 0, ""},
      {{"KEYBCS2", "1250"}, "\x87", "\xE8", 0, ""},
      {{"-f", "utf-8", "-t", "cp852"},
       "a\xCA"
       "b\xC0\xAF"
       "c",
       "a_b__c",
       3,
       "cpconv: \"C:\\in.txt\" není čistý text sady UTF-8; počet nahrazených míst: 3, první na "
       "bajtu 1\n"},
      {{"1250", "852"},
       "a\x81"
       "b",
       "a_b",
       3,
       "cpconv: \"C:\\in.txt\" není čistý text sady WINDOWS-1250; počet nahrazených míst: 1, "
       "první na bajtu 1\n"},
      {{"UCS-2", "UTF-8"},
       "\0A\xD8"s,
       "A\xEF\xBF\xBD",
       3,
       "cpconv: \"C:\\in.txt\" není čistý text sady ISO-10646-UCS-2; počet nahrazených míst: 1, "
       "první na bajtu 2\n"},
  };
  for (const auto& row : rows) {
    machine.AddFile("C:\\in.txt", row.input);
    std::vector<std::string> arguments = row.arguments;
    arguments.insert(arguments.end(), {"-o", "C:\\out.txt", "C:\\in.txt"});
    EXPECT_EQ(RunCpconv(arguments), row.exitCode) << row.output;
    EXPECT_EQ(Message(), row.message);
    EXPECT_EQ(machine.FileBytes("C:\\out.txt"), row.output);
  }
  // A pipe on standard input whose writer is gone has ended: not an error.
  machine.Fail("ReadFile", "stdin", 109);
  EXPECT_EQ(RunCpconv({"13", "24", "C:\\in.txt", "-"}), 0) << Message();
}

TEST_F(CpconvTest, WithTheLibraryItsCharsetsConvert) {
  machine.AddIconvLibrary("C:\\Program Files\\Morek\\iconv.dll");
  machine.AddFile("C:\\in.txt", std::string("\xFF\xFE\x0D\x01", 4));
  EXPECT_EQ(RunCpconv({"UTF-16", "CP852", "C:\\in.txt"}), 0) << Message();
  EXPECT_EQ(machine.Stdout(), "\x9F");
  // Names that are not ours go to the library as written; one it does not know is unknown.
  machine.AddFile("C:\\437.txt", "\x80\x82\x9A\xE1");
  EXPECT_EQ(RunCpconv({"-f", "IBM437", "-t", "UTF-8", "C:\\437.txt"}), 0) << Message();
  EXPECT_EQ(machine.Stdout(),
            "\x9F"
            "\xC3\x87\xC3\xA9\xC3\x9C\xC3\x9F");
  EXPECT_EQ(RunCpconv({"CP-852x", "UTF-8", "C:\\437.txt"}), kCpconvUsageExitCode);
  EXPECT_EQ(Message(), "cpconv: neznámá znaková sada: CP-852x\n");
}

TEST_F(CpconvTest, TheListingMarksWhatNeedsTheLibraryAndTheHelpHasAnExample) {
  ASSERT_EQ(RunCpconv({"-l"}), 0);
  const std::string listing = machine.Stdout();
  EXPECT_NE(listing.find(" 24   852 CP852 IBM852 CSPCP852\n"), std::string::npos) << listing;
  EXPECT_NE(listing.find(" 32 * UTF-16\n"), std::string::npos);
  EXPECT_NE(listing.find("  0   ISO-8859-1 CP819"), std::string::npos);
  EXPECT_EQ(listing.find("US-ASCII"), std::string::npos);
  EXPECT_NE(listing.find(" 23   CP-895 KEYBCS2 KAMENICKY 895 CP895\n"), std::string::npos);
  EXPECT_NE(listing.find(" 35   ISO-8859-1\n"), std::string::npos);
  EXPECT_NE(listing.find("107 * CP1125\n"), std::string::npos);
  const std::size_t listed = machine.Stdout().size();
  ASSERT_EQ(RunCpconv({"--help"}), 0);
  EXPECT_NE(machine.Stdout().find("cpconv CP852 WINDOWS-1250 DOPIS.TXT", listed),
            std::string::npos);
}

}  // namespace
}  // namespace sanivo
