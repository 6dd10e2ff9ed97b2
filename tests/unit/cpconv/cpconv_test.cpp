#include "tools/cpconv/cpconv.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace sanivo {
namespace {

TEST(CpconvArguments, AcceptOptionsBeforeTheTwoIds) {
  const auto plain = ParseCpconvArguments({"13", "24"});
  ASSERT_TRUE(plain);
  EXPECT_EQ(plain->from, ciWindows1250);
  EXPECT_EQ(plain->to, ciCP852);
  EXPECT_FALSE(plain->strict);
  EXPECT_TRUE(plain->map.empty());

  const auto full = ParseCpconvArguments({"--strict", "--map", "10d,17E,0", "0", "107"});
  ASSERT_TRUE(full);
  EXPECT_TRUE(full->strict);
  EXPECT_EQ(full->map, (std::vector<std::uint16_t>{0x10D, 0x17E, 0}));
  EXPECT_EQ(full->to, ciCP1125);
}

TEST(CpconvArguments, RefuseAnythingElse) {
  const std::vector<std::vector<std::string>> refused = {
      {},
      {"13"},
      {"13", "24", "25"},
      {"13", "108"},
      {"-1", "24"},
      {"0x0D", "24"},
      {"13", "24 "},
      {"--map", "13", "24"},
      {"--map", "10000", "13", "24"},
      {"--map", "0010d", "13", "24"},
      {"--map", "10d,", "13", "24"},
      {"--map", "", "13", "24"},
      {"--map", "g", "13", "24"},
      {"--strict"},
      {"--quiet", "13", "24"},
  };
  for (const auto& arguments : refused) {
    std::string line;
    for (const std::string& argument : arguments) line += "[" + argument + "]";
    EXPECT_FALSE(ParseCpconvArguments(arguments)) << line;
  }
}

TEST(Cpconv, ConvertsWithTheMapAndStrictness) {
  TCpconvOptions options;
  options.from = ciWindows1250;
  options.to = ciWindows1250;
  // Without a map the same id passes through, undefined bytes included.
  EXPECT_EQ(RunCpconv(options, "\x81\x83\x88\x90\x98"), "\x81\x83\x88\x90\x98");
  options.to = ciCP852;
  EXPECT_EQ(RunCpconv(options, std::string("\xE8\0\x80", 3)), std::string("\x9F\0_", 3));
  options.strict = true;
  EXPECT_EQ(RunCpconv(options, std::string("\xE8\0\x80", 3)), std::string("\x9F\0", 2));
  options.map = {0x10D, 0x17E};
  EXPECT_EQ(RunCpconv(options, "\xE8"), "\xA7");
}

}  // namespace
}  // namespace sanivo
