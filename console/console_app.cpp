#include "console/console_app.h"

#include <utility>

#include "console/windows1250_text.h"
#include "sysenv/errors.h"

namespace sanivo {

std::unique_ptr<TConsoleApplication> ConsoleApplication;

const std::array<TFrameChars, 2> FrameStyles = {{
    {0x7C, 0xC4, 0xDA, 0xBF, 0xD9, 0xC0},
    {0xBA, 0xCD, 0xC9, 0xBB, 0xBC, 0xC8},
}};

namespace {

enum FrameChar { kVertical = 0, kHorizontal, kTopLeft, kTopRight, kBottomRight, kBottomLeft };

struct TColorAttribute {
  TColor color;
  std::uint8_t text;
};

// Gray and silver share the text nibble 7: the console has no fourth gray.
constexpr std::array<TColorAttribute, 15> kColorAttributes = {{
    {clMaroon, 0x4},
    {clRed, 0xC},
    {clGreen, 0x2},
    {clOlive, 0x6},
    {clLime, 0xA},
    {clYellow, 0xE},
    {clNavy, 0x1},
    {clPurple, 0x5},
    {clTeal, 0x3},
    {clGray, 0x7},
    {clSilver, 0x7},
    {clBlue, 0x9},
    {clFuchsia, 0xD},
    {clAqua, 0xB},
    {clWhite, 0xF},
}};

const TColorAttribute* FindColor(TColor color) {
  for (const TColorAttribute& entry : kColorAttributes) {
    if (entry.color == color) return &entry;
  }
  return nullptr;
}

os::Coord ToOsCoord(COORD position) {
  return {static_cast<std::int16_t>(position & 0xFFFF), static_cast<std::int16_t>(position >> 16)};
}

}  // namespace

COORD MakeCoord(std::int16_t x, std::int16_t y) {
  return (static_cast<std::uint32_t>(static_cast<std::uint16_t>(y)) << 16) |
         static_cast<std::uint16_t>(x);
}

std::uint8_t ColorToTextAttribute(TColor color) {
  const TColorAttribute* entry = FindColor(color);
  return entry ? entry->text : 0xF;
}

std::uint8_t ColorToBackgroundAttribute(TColor color) {
  const TColorAttribute* entry = FindColor(color);
  return entry ? static_cast<std::uint8_t>(entry->text << 4) : 0x00;
}

void TConsoleControls::Add(std::unique_ptr<TConsoleControl> control) {
  items_.push_back(std::move(control));
}

int TConsoleControls::Count() const { return static_cast<int>(items_.size()); }

TConsoleControl& TConsoleControls::Items(int index) const {
  if (index < 0 || index >= Count()) {
    throw Exception("List index out of bounds (" + std::to_string(index) + ")");
  }
  return *items_[static_cast<std::size_t>(index)];
}

void TConsoleCursor::SetPosition(COORD position) {
  os::SetConsoleCursorPosition(output_, ToOsCoord(position));
}

void TConsoleCursor::MoveTo(std::int16_t x, std::int16_t y) { SetPosition(MakeCoord(x, y)); }

void TConsoleCursor::MoveTo(COORD position) { SetPosition(position); }

// No console call besides the size query: the console keeps its attribute until the first
// real change of a colour or the first clear.
TConsoleApplication::TConsoleApplication()
    : TConsoleApplication([](const std::string& text, TCharsetId from) {
        return ConvertCharset(text, from, ciCP852);
      }) {}

TConsoleApplication::TConsoleApplication(TToConsoleCharset toConsole)
    : RepaintPending(true),
      OutputHandle(os::GetStdHandle(os::kStdOutputHandle)),
      InputHandle(os::GetStdHandle(os::kStdInputHandle)),
      Cursor(std::make_unique<TConsoleCursor>(OutputHandle)),
      Controls(std::make_unique<TConsoleControls>()),
      BackgroundColor(clBlack),
      TextColor(clWhite),
      toConsole_(toConsole) {
  UpdateSize();
}

void TConsoleApplication::UpdateSize() {
  const os::Coord largest = os::GetLargestConsoleWindowSize(OutputHandle);
  LargestWidth = Width = largest.X;
  LargestHeight = Height = largest.Y;
}

int TConsoleApplication::ApplyColors(TColor foreground, TColor background) {
  const std::uint8_t attribute =
      ColorToTextAttribute(foreground) | ColorToBackgroundAttribute(background);
  os::SetConsoleTextAttribute(OutputHandle, attribute);
  return attribute;
}

void TConsoleApplication::SetBackgroundColor(TColor color) {
  if (color == BackgroundColor) return;
  BackgroundColor = color;
  ApplyColors(TextColor, color);
}

void TConsoleApplication::SetTextColor(TColor color) {
  if (color == TextColor) return;
  TextColor = color;
  ApplyColors(color, BackgroundColor);
}

// Fills as many cells as the largest window holds, from the top-left cell on: on a narrower
// buffer that reaches further rows, on a bigger one it leaves the rest as it was.
void TConsoleApplication::Clear() {
  UpdateSize();
  const int attribute = ApplyColors(TextColor, BackgroundColor);
  const std::uint32_t cells = static_cast<std::uint32_t>(Width * Height);
  std::uint32_t written = 0;
  os::FillConsoleOutputCharacterA(OutputHandle, ' ', cells, {0, 0}, &written);
  os::FillConsoleOutputAttribute(OutputHandle, static_cast<std::uint16_t>(attribute), cells, {0, 0},
                                 &written);
}

void TConsoleApplication::ClearScreen() {
  RepaintPending = false;
  Clear();
  for (int index = Controls->Count() - 1; index >= 0; --index) Controls->Items(index).Paint();
}

void TConsoleApplication::SetTitle(const std::string& text) {
  Title = text;
  os::SetConsoleTitleA(toConsole_(text, ciWindows1250));
}

void TConsoleApplication::Write(const std::string& text, TCharsetId charset) {
  const std::string converted = toConsole_(text, charset);
  // Like a buffered stream, nothing to write means no system call and so no error.
  if (converted.empty()) return;
  std::uint32_t written = 0;
  if (!os::WriteFile(OutputHandle, converted, &written)) {
    const std::uint32_t error = os::GetLastError();
    throw EInOutError(SystemErrorText(error), error);
  }
  if (written != converted.size())
    throw EInOutError(SystemErrorText(os::kErrorWriteFault), os::kErrorWriteFault);
}

void TConsoleApplication::WriteAtPosition(const std::string& text, COORD position,
                                          TCharsetId charset) {
  Cursor->MoveTo(position);
  Write(text, charset);
}

void TConsoleApplication::WriteAt(const std::string& text, std::int16_t x, std::int16_t y,
                                  TCharsetId charset) {
  WriteAtPosition(text, MakeCoord(x, y), charset);
}

// Each character goes out by itself, unconverted, and the console's own cursor advance
// places the edges.
void TConsoleApplication::WriteFrameChar(std::uint8_t ch) {
  Write(std::string(1, static_cast<char>(ch)), ciCP852);
}

void TConsoleApplication::WriteFrameEdge(std::uint8_t ch, std::int32_t count) {
  for (std::int32_t i = 0; i < count; ++i) WriteFrameChar(ch);
}

void TConsoleApplication::DrawFrame(const TRect& rect, TFrameStyle style) {
  const TFrameChars& chars = FrameStyles[style];
  const auto left = static_cast<std::int16_t>(rect.Left);
  const auto top = static_cast<std::int16_t>(rect.Top);
  const auto right = static_cast<std::int16_t>(rect.Right);
  const auto bottom = static_cast<std::int16_t>(rect.Bottom);
  const std::int32_t edgeLength = rect.Right - rect.Left - 1;

  Cursor->MoveTo(left, top);
  WriteFrameChar(chars[kTopLeft]);
  WriteFrameEdge(chars[kHorizontal], edgeLength);
  WriteFrameChar(chars[kTopRight]);

  Cursor->MoveTo(left, bottom);
  WriteFrameChar(chars[kBottomLeft]);
  WriteFrameEdge(chars[kHorizontal], edgeLength);
  WriteFrameChar(chars[kBottomRight]);

  for (std::int32_t y = rect.Top + 1; y <= rect.Bottom - 1; ++y) {
    Cursor->MoveTo(left, static_cast<std::int16_t>(y));
    WriteFrameChar(chars[kVertical]);
    Cursor->MoveTo(right, static_cast<std::int16_t>(y));
    WriteFrameChar(chars[kVertical]);
  }
}

void InitializeConsoleApp() { ConsoleApplication = std::make_unique<TConsoleApplication>(); }

void InitializeWindows1250ConsoleApp() {
  ConsoleApplication = std::make_unique<TConsoleApplication>(Windows1250ToCP852);
}

void FinalizeConsoleApp() { ConsoleApplication.reset(); }

}  // namespace sanivo
