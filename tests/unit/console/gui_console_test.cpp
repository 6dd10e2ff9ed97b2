#include "console/gui_console.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "tests/sim/machine.h"

namespace sanivo {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

using Message = std::pair<std::uint32_t, std::uintptr_t>;

class GuiConsoleTest : public ::testing::Test {
 protected:
  std::vector<Message> Received() const {
    std::vector<Message> messages;
    for (const sim::PostedMessage& posted : machine.Posted(window)) {
      EXPECT_EQ(posted.lParam, 0);
      messages.emplace_back(posted.message, posted.wParam);
    }
    return messages;
  }
  // The command messages of one call: everything but the characters.
  std::vector<std::uintptr_t> Commands() const {
    std::vector<std::uintptr_t> codes;
    for (const auto& [message, wParam] : Received()) {
      if (message == GuiConsoleCommandMessage) codes.push_back(wParam);
    }
    return codes;
  }

  sim::Machine machine;
  os::Hwnd window = machine.AddWindow("TKeloConsoleMainWindow");
};

TEST_F(GuiConsoleTest, InfoLineIsTheWorkedExampleInOrder) {
  GuiConsoleWriteInfo("ab");
  EXPECT_THAT(Received(), ElementsAre(Message{9998, 2}, Message{9998, 6}, Message{9999, 91},
                                      Message{9999, 105}, Message{9999, 93}, Message{9999, 32},
                                      Message{9999, 97}, Message{9999, 98}, Message{9998, 1}));
  EXPECT_THAT(machine.CallsTo("FindWindowA"), ElementsAre("TKeloConsoleMainWindow"));
}

TEST_F(GuiConsoleTest, EachExactStyleSetAndColourHasItsCode) {
  struct Case {
    TFontStyles style;
    TColor color;
    std::uintptr_t styleCode, colorCode;
  } cases[] = {
      {{}, clBlack, 2, 6},
      {{fsBold}, clBlue, 3, 7},
      {{fsItalic}, clGreen, 4, 8},
      {{fsBold, fsItalic}, clRed, 5, 9},
      {{fsUnderline}, clBlue ^ 0x010000, 2, 6},
      {{fsBold, fsUnderline}, clBlue ^ 0x000001, 2, 6},
      {{fsItalic, fsStrikeOut}, clLime, 2, 6},
      {{fsBold, fsItalic, fsUnderline}, 0x01008000, 2, 6},
      {TFontStyles::FromByte(0xF0), clRed, 2, 9},
  };
  for (const Case& c : cases) {
    machine.RemoveWindow(window);  // a new receiver for each case
    window = machine.AddWindow("TKeloConsoleMainWindow");
    GuiConsoleWrite("x", c.style, c.color);
    EXPECT_THAT(Commands(), ElementsAre(c.styleCode, c.colorCode, 1u))
        << int(c.style.Byte()) << " " << c.color;
  }
}

TEST_F(GuiConsoleTest, BytesGoAsUnsignedValuesAndZeroBytesAreLeftOut) {
  GuiConsoleWrite(std::string("\xE1\0\xFF", 3), {}, clBlack);
  EXPECT_THAT(Received(), ElementsAre(Message{9998, 2}, Message{9998, 6}, Message{9999, 225},
                                      Message{9999, 255}, Message{9998, 1}));
}

TEST_F(GuiConsoleTest, EmptyTextIsTheEndCommandAlone) {
  GuiConsoleWrite("", {fsBold}, clRed);
  EXPECT_THAT(Received(), ElementsAre(Message{9998, 1}));
}

TEST_F(GuiConsoleTest, WithoutTheWindowNothingIsPostedAndEveryCallLooksAgain) {
  machine.RemoveWindow(window);
  GuiConsoleWrite("ab", {}, clBlack);
  GuiConsoleWriteInfo("");
  EXPECT_EQ(machine.CallCount("PostMessageA"), 0);
  EXPECT_EQ(machine.CallCount("FindWindowA"), 2);
  // A window that comes later is found by the next call.
  const os::Hwnd later = machine.AddWindow("TKeloConsoleMainWindow");
  GuiConsoleWrite("", {}, clBlack);
  EXPECT_EQ(machine.Posted(later).size(), 1u);
}

TEST_F(GuiConsoleTest, AFailingPostDoesNotStopTheOthers) {
  machine.Fail("PostMessageA", "", 1400, 1);
  GuiConsoleWrite("a", {}, clBlack);
  EXPECT_THAT(Received(), ElementsAre(Message{9998, 6}, Message{9999, 97}, Message{9998, 1}));
}

}  // namespace
}  // namespace sanivo
