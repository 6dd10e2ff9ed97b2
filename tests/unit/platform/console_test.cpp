// The simulated console: processed output, wrapping and scrolling, fills, the not-a-console
// mode, and the screen read back as UTF-8.
#include <gtest/gtest.h>

#include "platform/os.h"
#include "tests/sim/machine.h"

namespace {

void Write(std::string_view text) {
  std::uint32_t written = 0;
  ASSERT_TRUE(os::WriteFile(os::GetStdHandle(os::kStdOutputHandle), text, &written));
  ASSERT_EQ(written, text.size());
}

class ConsoleTest : public ::testing::Test {
 protected:
  sim::Machine machine;
  os::Handle out = os::GetStdHandle(os::kStdOutputHandle);
};

TEST_F(ConsoleTest, TextWrapsAtTheBufferWidth) {
  machine.SetConsole(10, 3, 10, 3);
  ASSERT_TRUE(os::SetConsoleTextAttribute(out, 0x1E));
  Write("abcdefghijKL");
  EXPECT_EQ(machine.Row(0), "abcdefghij");
  EXPECT_EQ(machine.Row(1), "KL        ");
  EXPECT_EQ(machine.Cursor().X, 2);
  EXPECT_EQ(machine.Cursor().Y, 1);
  EXPECT_EQ(machine.AttributeAt(9, 0), 0x1E);
  EXPECT_EQ(machine.AttributeAt(2, 1), 0x07);  // not written yet
}

TEST_F(ConsoleTest, WritingPastTheLastRowScrollsTheBufferUp) {
  machine.SetConsole(4, 2, 4, 2);
  Write("abcdefgh");
  ASSERT_TRUE(os::SetConsoleTextAttribute(out, 0x1E));
  Write("ij");
  EXPECT_EQ(machine.ScreenText(), "efgh\nij");
  // The row brought in by the scroll is blank in the attribute current at that moment.
  EXPECT_EQ(machine.AttributeAt(3, 1), 0x07);
  Write("kl");
  EXPECT_EQ(machine.ScreenText(), "ijkl\n");
  EXPECT_EQ(machine.AttributeAt(0, 1), 0x1E);
  EXPECT_EQ(machine.Cursor().Y, 1);
  EXPECT_EQ(machine.Cursor().X, 0);
}

TEST_F(ConsoleTest, ControlCharactersActAsTheConsoleTreatsThem) {
  machine.SetConsole(20, 4, 20, 4);
  Write("abc\rX");  // CR: back to column 0, nothing erased
  EXPECT_EQ(machine.Row(0, 0, 3), "Xbc");
  Write("\nY");  // LF: column 0 of the next row
  EXPECT_EQ(machine.CharAt(0, 1), 'Y');
  Write("\b\b\bZ");  // BS stops at column 0
  EXPECT_EQ(machine.Row(1, 0, 2), "Z ");
  Write("\t!\a");  // TAB to column 8, BEL shows nothing
  EXPECT_EQ(machine.CharAt(8, 1), '!');
  EXPECT_EQ(machine.Cursor().X, 9);
  os::SetConsoleCursorPosition(out, {18, 2});
  Write("\tT");  // a tab at the row's end blanks up to it and wraps
  EXPECT_EQ(machine.CharAt(0, 3), 'T');
}

TEST_F(ConsoleTest, FillsRunRowByRowAndStopAtTheBufferEnd) {
  // A largest window of 20 x 5 over a buffer 10 columns wide, as the screen's clear does it.
  machine.SetConsole(10, 4, 20, 5);
  os::Coord largest = os::GetLargestConsoleWindowSize(out);
  EXPECT_EQ(largest.X, 20);
  EXPECT_EQ(largest.Y, 5);
  std::uint32_t written = 0;
  ASSERT_TRUE(os::FillConsoleOutputCharacterA(out, 'x', 5, {7, 1}, &written));
  EXPECT_EQ(written, 5u);
  EXPECT_EQ(machine.Row(1), "       xxx");
  EXPECT_EQ(machine.Row(2), "xx        ");
  ASSERT_TRUE(os::FillConsoleOutputAttribute(out, 0x1F, 20 * 5, {0, 0}, &written));
  EXPECT_EQ(written, 40u);
  EXPECT_EQ(machine.AttributeAt(9, 3), 0x1F);
  EXPECT_EQ(machine.CallsTo("FillConsoleOutputAttribute"),
            std::vector<std::string>{"0x1F,100,0,0"});
  EXPECT_FALSE(os::FillConsoleOutputCharacterA(out, 'x', 1, {10, 0}, &written));
  EXPECT_EQ(os::GetLastError(), os::kErrorInvalidParameter);
}

TEST_F(ConsoleTest, CursorOutsideTheBufferIsRefused) {
  machine.SetConsole(80, 25, 80, 25);
  EXPECT_TRUE(os::SetConsoleCursorPosition(out, {79, 24}));
  EXPECT_FALSE(os::SetConsoleCursorPosition(out, {80, 0}));
  EXPECT_EQ(os::GetLastError(), os::kErrorInvalidParameter);
  EXPECT_EQ(machine.Cursor().X, 79);
  EXPECT_EQ(machine.CallsTo("SetConsoleCursorPosition"),
            (std::vector<std::string>{"79,24", "80,0"}));
}

TEST_F(ConsoleTest, NotAConsoleKeepsTheBytesButIgnoresConsoleCalls) {
  // What the calls return is the contract suite's; here, that they leave the screen alone.
  machine.SetNotAConsole();
  os::SetConsoleTextAttribute(out, 0x1E);
  os::SetConsoleCursorPosition(out, {5, 5});
  std::uint32_t written = 0;
  os::FillConsoleOutputCharacterA(out, 'x', 10, {0, 0}, &written);
  Write("text");
  os::WriteFile(os::GetStdHandle(os::kStdErrorHandle), "oops", nullptr);
  EXPECT_EQ(machine.Stdout(), "text");
  EXPECT_EQ(machine.Stderr(), "oops");
  EXPECT_EQ(machine.CurrentAttribute(), 0x07);
  EXPECT_EQ(machine.Cursor().X, 0);
  EXPECT_EQ(machine.Row(0, 0, 4), "    ");
}

// As Wine gives it: the ids only when they all fit, the count always (cmd in front of us).
TEST_F(ConsoleTest, ProcessListStoresTheIdsOnlyWhenAllFit) {
  std::uint32_t ids[3] = {};
  EXPECT_EQ(os::GetConsoleProcessList(ids, 1), 2u);
  EXPECT_EQ(ids[0], 0u);
  EXPECT_EQ(os::GetConsoleProcessList(ids, 3), 2u);
  EXPECT_NE(ids[0], 0u);
  EXPECT_NE(ids[1], ids[0]);
  EXPECT_EQ(ids[2], 0u);
  machine.SetConsoleProcessCount(1);
  EXPECT_EQ(os::GetConsoleProcessList(ids, 1), 1u);
}

TEST_F(ConsoleTest, ScreenReadsCodePage852AsUtf8) {
  Write("\x9F\xC9\xCD\xBB\xA7");
  EXPECT_EQ(machine.Row(0, 0, 5), "č╔═╗ž");
  EXPECT_EQ(machine.CharAt(0, 0), 0x9F);
  EXPECT_EQ(machine.CallsTo("WriteFile"), std::vector<std::string>{"\x9F\xC9\xCD\xBB\xA7"});
}

TEST_F(ConsoleTest, CallLogFormatsAttributesAndTitle) {
  os::SetConsoleTextAttribute(out, 0x07);
  os::SetConsoleTextAttribute(out, 0x1E);
  os::SetConsoleTitleA("MOREK \x9F");
  EXPECT_EQ(machine.CallsTo("SetConsoleTextAttribute"), (std::vector<std::string>{"0x07", "0x1E"}));
  EXPECT_EQ(machine.CallCount("SetConsoleTitleA"), 1);
  EXPECT_EQ(machine.Title(), "MOREK \x9F");
  EXPECT_EQ(machine.CurrentAttribute(), 0x1E);
}

}  // namespace
