#include "tools/guisend/guisend.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/sim/machine.h"

namespace sanivo {
namespace {

TEST(GuisendArguments, OptionsStyleColourAndText) {
  struct Case {
    std::vector<std::string> arguments;
    bool info;
    std::uint8_t style;
    TColor color;
    std::string text;
  } cases[] = {
      {{}, false, 0, 0, ""},
      {{"hello world"}, false, 0, 0, "hello world"},
      {{"-style:3", "-color:0xFF0000", "x"}, false, 3, 0xFF0000, "x"},
      {{"-color:0X8000", "-style:255"}, false, 255, 0x8000, ""},
      {{"-info", "\xE1"}, true, 0, 0, "\xE1"},
  };
  for (const Case& c : cases) {
    const auto request = ParseGuisendArguments(c.arguments);
    ASSERT_TRUE(request) << c.text;
    EXPECT_EQ(request->info, c.info);
    EXPECT_EQ(request->style.Byte(), c.style);
    EXPECT_EQ(request->color, c.color);
    EXPECT_EQ(request->text, c.text);
  }
}

TEST(GuisendArguments, RefuseWhatTheUsageLineDoesNotAllow) {
  const std::vector<std::vector<std::string>> refused = {
      {"-style:256", "x"},
      {"-style:", "x"},
      {"-style:-1", "x"},
      {"-style:1x", "x"},
      {"-color:FF0000", "x"},
      {"-color:0x", "x"},
      {"-color:0x1FFFFFFFF"},
      {"-color:0x0000000FF"},
      {"-bold", "x"},
      {"a", "b"},
      {"x", "-info"},
      {"-info", "-style:1", "x"},
      {"-info", "-color:0x1", "x"},
  };
  for (const auto& arguments : refused) {
    std::string line;
    for (const std::string& argument : arguments) line += "[" + argument + "]";
    EXPECT_FALSE(ParseGuisendArguments(arguments)) << line;
  }
}

TEST(GuisendRequest, InfoAndStyledLinesReachTheWindow) {
  sim::Machine machine;
  const os::Hwnd window = machine.AddWindow(kGuiConsoleClassName);
  SendGuisendRequest(*ParseGuisendArguments({"-info", "a"}));
  SendGuisendRequest(*ParseGuisendArguments({"-style:1", "-color:0x0000FF", "b"}));
  std::vector<std::uintptr_t> wParams;
  for (const sim::PostedMessage& posted : machine.Posted(window)) wParams.push_back(posted.wParam);
  EXPECT_EQ(wParams, (std::vector<std::uintptr_t>{2, 6, '[', 'i', ']', ' ', 'a', 1, 3, 9, 'b', 1}));
}

}  // namespace
}  // namespace sanivo
