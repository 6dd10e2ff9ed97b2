#include "cmdline/unused_arguments.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "cmdline/command_line.h"
#include "tests/sim/machine.h"

namespace sanivo {
namespace {

using Arguments = std::vector<std::string>;

TEST(UnusedArgumentsTest, PositionalAndUnknownNamesAreUnusedAsWritten) {
  const sim::Machine machine;  // the locale's case-insensitive comparison
  const std::pair<std::string, Arguments> cases[] = {
      {"", {}},
      {" -zaloha:C:\\zal\\ -TISE -Kontrola -protokol:Z:\\s.csv -zaloha:D:\\", {}},
      {" \"-zaloha:C:\\Program Files\\zal\\\"", {}},
      {" /zaloha:C:\\zal\\", {"/zaloha:C:\\zal\\"}},
      {" -zaloha=C:\\zal\\ --zaloha:C:\\zal\\", {"-zaloha=C:\\zal\\", "--zaloha:C:\\zal\\"}},
      {" -tise -zalha:C:\\zal\\ zaloha", {"-zalha:C:\\zal\\", "zaloha"}},
      {" \"with blank\" - -:x", {"with blank", "-", "-:x"}},
  };
  for (const auto& [tail, unused] : cases) {
    const std::string commandLine = "sanivo.exe" + tail;
    const TParamParser parser(commandLine);
    EXPECT_EQ(UnusedArguments(parser, CommandLineArguments(commandLine),
                              {"zaloha", "kontrola", "tise", "protokol"}),
              unused)
        << tail;
  }
}

}  // namespace
}  // namespace sanivo
