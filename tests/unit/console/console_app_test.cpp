#include "console/console_app.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "console/windows1250_text.h"
#include "sysenv/errors.h"
#include "tests/sim/machine.h"

namespace sanivo {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

class ConsoleAppTest : public ::testing::Test {
 protected:
  ConsoleAppTest() { InitializeConsoleApp(); }
  ~ConsoleAppTest() override { FinalizeConsoleApp(); }

  TConsoleApplication& console() { return *ConsoleApplication; }
  std::vector<std::string> AttributeCalls() const {
    return machine.CallsTo("SetConsoleTextAttribute");
  }

  sim::Machine machine;
};

TEST(ConsoleColors, MapEveryNamedColourAndFallBackToBrightWhiteOnBlack) {
  // The console's sixteen colours by index; gray and silver share 7, black is the fallback.
  const struct {
    TColor color;
    std::uint16_t index;
  } named[] = {{clNavy, 0x1},  {clGreen, 0x2}, {clTeal, 0x3},    {clMaroon, 0x4}, {clPurple, 0x5},
               {clOlive, 0x6}, {clGray, 0x7},  {clSilver, 0x7},  {clBlue, 0x9},   {clLime, 0xA},
               {clAqua, 0xB},  {clRed, 0xC},   {clFuchsia, 0xD}, {clYellow, 0xE}, {clWhite, 0xF}};
  for (const auto& c : named) {
    EXPECT_EQ(ColorToTextAttribute(c.color), c.index) << std::hex << c.color;
    EXPECT_EQ(ColorToBackgroundAttribute(c.color), c.index << 4) << std::hex << c.color;
  }
  // Black and unknown values: bright white text, black background.
  EXPECT_EQ(ColorToTextAttribute(clBlack), 0x0F);
  EXPECT_EQ(ColorToTextAttribute(0x123456), 0x0F);
  EXPECT_EQ(ColorToBackgroundAttribute(clBlack), 0x00);
  EXPECT_EQ(ColorToBackgroundAttribute(clRed + 1), 0x00);
}

TEST(ConsoleCoords, PackColumnLowAndRowHigh) {
  EXPECT_EQ(MakeCoord(10, 6), 0x0006000Au);
  EXPECT_EQ(MakeCoord(-1, 2), 0x0002FFFFu);
}

TEST_F(ConsoleAppTest, CreationMakesNoConsoleCallBesidesTheSizeQuery) {
  console().SetTextColor(clWhite);
  console().SetBackgroundColor(clBlack);
  EXPECT_THAT(AttributeCalls(), IsEmpty());
  EXPECT_EQ(machine.CurrentAttribute(), 0x07);
  EXPECT_TRUE(console().RepaintPending);
  EXPECT_EQ(console().Width, 80);
  EXPECT_EQ(console().Height, 25);
}

TEST_F(ConsoleAppTest, ColourChangesApplyBothColoursOncePerRealChange) {
  console().SetBackgroundColor(clNavy);
  console().SetTextColor(clYellow);
  console().SetTextColor(clYellow);
  console().SetTextColor(clSilver);
  console().SetTextColor(clGray);
  console().SetTextColor(clSilver);
  EXPECT_THAT(AttributeCalls(), ElementsAre("0x1F", "0x1E", "0x17", "0x17", "0x17"));
  console().SetTextColor(clBlack);
  EXPECT_EQ(machine.CurrentAttribute(), 0x1F);
}

TEST_F(ConsoleAppTest, ClearScreenBlanksTheLargestWindowInTheCurrentColours) {
  console().WriteAt("leftover", 3, 3, ciCP852);
  console().SetBackgroundColor(clNavy);
  console().ClearScreen();
  EXPECT_FALSE(console().RepaintPending);
  EXPECT_THAT(machine.CallsTo("FillConsoleOutputCharacterA"), ElementsAre("0x20,2000,0,0"));
  EXPECT_THAT(machine.CallsTo("FillConsoleOutputAttribute"), ElementsAre("0x1F,2000,0,0"));
  EXPECT_EQ(machine.Row(3), std::string(80, ' '));
  EXPECT_EQ(machine.AttributeAt(79, 24), 0x1F);
}

TEST_F(ConsoleAppTest, ClearFillCountFollowsTheLargestWindowNotTheBuffer) {
  machine.SetConsole(80, 300, 160, 50);
  console().WriteAt("keep", 0, 120, ciCP852);
  console().WriteAt("gone", 0, 99, ciCP852);
  console().Clear();
  // 160 x 50 cells over an 80-column buffer reach the first 100 rows.
  EXPECT_THAT(machine.CallsTo("FillConsoleOutputCharacterA"), ElementsAre("0x20,8000,0,0"));
  EXPECT_EQ(machine.Row(99, 0, 4), "    ");
  EXPECT_EQ(machine.Row(120, 0, 4), "keep");
}

TEST_F(ConsoleAppTest, WriteConvertsWindows1250ToCodePage852AtTheCursor) {
  console().WriteAt("\xE8\x61", 10, 6, ciWindows1250);  // "ča"
  EXPECT_EQ(machine.CharAt(10, 6), 0x9F);
  EXPECT_EQ(machine.CharAt(11, 6), 'a');
  console().WriteAt("\x9F", 20, 6, ciCP852);
  EXPECT_EQ(machine.CharAt(20, 6), 0x9F);
  EXPECT_EQ(machine.Cursor().X, 21);

  console().Cursor->MoveTo(30, 6);
  console().Write("\xE8", ciWindows1250);
  EXPECT_EQ(machine.CharAt(30, 6), 0x9F);
}

TEST_F(ConsoleAppTest, TitleKeepsTheTextAndShowsItsCodePage852Form) {
  console().SetTitle("\xE8");
  EXPECT_EQ(console().Title, "\xE8");
  EXPECT_EQ(machine.Title(), "\x9F");
}

TEST_F(ConsoleAppTest, DoubleFrameAroundTheMainPage) {
  console().DrawFrame({5, 2, 74, 9}, fsDouble);
  EXPECT_EQ(
      machine.Row(2, 5, 70), "╔" + [] {
        std::string edge;
        for (int i = 0; i < 68; ++i) edge += "═";
        return edge;
      }() + "╗");
  EXPECT_EQ(machine.Row(9, 5, 1), "╚");
  EXPECT_EQ(machine.Row(9, 6, 68), machine.Row(2, 6, 68));
  EXPECT_EQ(machine.Row(9, 74, 1), "╝");
  for (int y = 3; y <= 8; ++y) {
    EXPECT_EQ(machine.Row(y, 5, 1), "║") << "row " << y;
    EXPECT_EQ(machine.Row(y, 74, 1), "║") << "row " << y;
    EXPECT_EQ(machine.Row(y, 6, 68), std::string(68, ' ')) << "row " << y;
  }
  EXPECT_EQ(machine.Row(10), std::string(80, ' '));
}

TEST_F(ConsoleAppTest, DegenerateFramesAndTheSingleStyle) {
  console().DrawFrame({0, 0, 1, 2}, fsSingle);  // corners side by side, one vertical row
  EXPECT_EQ(machine.Row(0, 0, 3), "┌┐ ");
  EXPECT_EQ(machine.CharAt(0, 1), 0x7C);
  EXPECT_EQ(machine.CharAt(1, 1), 0x7C);
  EXPECT_EQ(machine.Row(2, 0, 2), "└┘");

  console().DrawFrame({10, 5, 13, 6}, fsDouble);  // no vertical edges
  EXPECT_EQ(machine.Row(5, 10, 4), "╔══╗");
  EXPECT_EQ(machine.Row(6, 10, 4), "╚══╝");

  console().DrawFrame({20, 8, 22, 8}, fsDouble);  // the bottom line overwrites the top
  EXPECT_EQ(machine.Row(8, 20, 3), "╚═╝");
}

TEST_F(ConsoleAppTest, OutputThatIsNotAConsoleStillGetsTheText) {
  machine.SetNotAConsole();
  FinalizeConsoleApp();
  InitializeConsoleApp();
  EXPECT_EQ(console().Width, 0);
  console().SetBackgroundColor(clNavy);
  console().ClearScreen();
  console().WriteAt("\xE8", 10, 6, ciWindows1250);
  EXPECT_THAT(machine.CallsTo("FillConsoleOutputCharacterA"), ElementsAre("0x20,0,0,0"));
  EXPECT_EQ(machine.Stdout(), "\x9F");
}

TEST_F(ConsoleAppTest, AFailedWriteRaisesTheInputOutputError) {
  machine.Fail("WriteFile", "stdout", os::kErrorWriteFault);
  // An empty text reaches no output, so it cannot fail.
  EXPECT_NO_THROW(console().Write("", ciWindows1250));
  EXPECT_THAT(machine.CallsTo("WriteFile"), IsEmpty());
  const TColor before = console().TextColor;
  try {
    console().WriteAt("x", 1, 1, ciCP852);
    FAIL() << "no exception";
  } catch (const EInOutError& error) {
    EXPECT_STREQ(error.ClassName(), "EInOutError");
    EXPECT_EQ(error.ErrorCode(), os::kErrorWriteFault);
    EXPECT_FALSE(error.Message().empty());
  }
  EXPECT_EQ(console().TextColor, before);
}

class PaintRecorder : public TConsoleControl {
 public:
  PaintRecorder(std::vector<int>& log, int id) : log_(log), id_(id) {}
  void Paint() override { log_.push_back(id_); }

 private:
  std::vector<int>& log_;
  int id_;
};

TEST_F(ConsoleAppTest, ClearScreenPaintsControlsLastAddedFirst) {
  std::vector<int> painted;
  console().Controls->Add(std::make_unique<PaintRecorder>(painted, 1));
  console().Controls->Add(std::make_unique<PaintRecorder>(painted, 2));
  console().ClearScreen();
  EXPECT_THAT(painted, ElementsAre(2, 1));
  EXPECT_THROW(console().Controls->Items(2), Exception);
}

// A program whose texts are all Windows-1250 converts them without the general engine, to the
// same bytes as the engine's built-in tables give.
TEST(Windows1250Text, GivesWhatTheGeneralConversionGives) {
  std::string everyByte(256, '\0');
  for (std::size_t i = 0; i < everyByte.size(); ++i) everyByte[i] = static_cast<char>(i);
  EXPECT_EQ(Windows1250ToCP852(everyByte, ciWindows1250),
            ConvertCharset(everyByte, ciWindows1250, ciCP852));
  EXPECT_EQ(Windows1250ToUtf8(everyByte), ConvertCharset(everyByte, ciWindows1250, ciUTF8));
  EXPECT_EQ(Windows1250ToCP852(everyByte, ciCP852), everyByte);
  EXPECT_THROW(Windows1250ToCP852("x", ciUTF8), Exception);
}

}  // namespace
}  // namespace sanivo
