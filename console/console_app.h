// The program's one text screen: title, colours, cursor, positioned text and frames over the
// process's own console. Every text is converted to code page 852 on its way out.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "charset/charset.h"
#include "platform/os.h"

namespace sanivo {

// A colour as 0x00BBGGRR.
using TColor = std::uint32_t;
inline constexpr TColor clBlack = 0x000000;
inline constexpr TColor clMaroon = 0x000080;
inline constexpr TColor clRed = 0x0000FF;
inline constexpr TColor clGreen = 0x008000;
inline constexpr TColor clOlive = 0x008080;
inline constexpr TColor clLime = 0x00FF00;
inline constexpr TColor clYellow = 0x00FFFF;
inline constexpr TColor clNavy = 0x800000;
inline constexpr TColor clPurple = 0x800080;
inline constexpr TColor clTeal = 0x808000;
inline constexpr TColor clGray = 0x808080;
inline constexpr TColor clSilver = 0xC0C0C0;
inline constexpr TColor clBlue = 0xFF0000;
inline constexpr TColor clFuchsia = 0xFF00FF;
inline constexpr TColor clAqua = 0xFFFF00;
inline constexpr TColor clWhite = 0xFFFFFF;

// A cell position packed as the console packs it: X in the low, Y in the high 16 bits.
using COORD = std::uint32_t;
COORD MakeCoord(std::int16_t x, std::int16_t y);

// Both bounds included.
struct TRect {
  std::int32_t Left = 0;
  std::int32_t Top = 0;
  std::int32_t Right = 0;
  std::int32_t Bottom = 0;
};

enum TFrameStyle : std::uint8_t { fsSingle = 0, fsDouble = 1 };

// CP852 bytes of each style: vertical edge, horizontal edge, top-left, top-right,
// bottom-right, bottom-left. The single style's vertical edge is the ASCII bar on purpose.
using TFrameChars = std::array<std::uint8_t, 6>;
extern const std::array<TFrameChars, 2> FrameStyles;

// The console attribute nibbles of a colour; colours outside the table show as bright white
// text on black.
std::uint8_t ColorToTextAttribute(TColor color);
std::uint8_t ColorToBackgroundAttribute(TColor color);

// An element on the screen that can draw itself. Controls are part of the screen's documented
// interface; nothing in the program adds one yet.
class TConsoleControl {
 public:
  virtual ~TConsoleControl() = default;
  virtual void Paint() = 0;
};

// Owns its controls.
class TConsoleControls {
 public:
  void Add(std::unique_ptr<TConsoleControl> control);
  int Count() const;
  // Raises Exception for an index outside 0..Count - 1.
  TConsoleControl& Items(int index) const;

 private:
  std::vector<std::unique_ptr<TConsoleControl>> items_;
};

// Moves the cursor of one console screen buffer.
class TConsoleCursor {
 public:
  explicit TConsoleCursor(os::Handle output) : output_(output) {}
  void SetPosition(COORD position);
  void MoveTo(std::int16_t x, std::int16_t y);
  void MoveTo(COORD position);

 private:
  os::Handle output_;
};

// How the screen turns a text of a charset into code page 852.
using TToConsoleCharset = std::string (*)(const std::string& text, TCharsetId from);

class TConsoleApplication {
 public:
  // Converts with ConvertCharset.
  TConsoleApplication();
  explicit TConsoleApplication(TToConsoleCharset toConsole);

  void UpdateSize();
  // Makes the attribute of these colours the console's current one and returns it, for a
  // caller that fills cells with it; stores neither colour.
  int ApplyColors(TColor foreground, TColor background);
  void SetBackgroundColor(TColor color);
  void SetTextColor(TColor color);
  void Clear();
  void ClearScreen();
  void SetTitle(const std::string& text);
  // Raises EInOutError when standard output cannot be written.
  void Write(const std::string& text, TCharsetId charset);
  void WriteAtPosition(const std::string& text, COORD position, TCharsetId charset);
  void WriteAt(const std::string& text, std::int16_t x, std::int16_t y, TCharsetId charset);
  void DrawFrame(const TRect& rect, TFrameStyle style);

  // RepaintPending, InputHandle, Controls, Title and the largest sizes are part of the
  // documented interface of the screen; the program sets them but reads none of them yet.
  bool RepaintPending;
  os::Handle OutputHandle;
  os::Handle InputHandle;
  std::unique_ptr<TConsoleCursor> Cursor;
  std::unique_ptr<TConsoleControls> Controls;
  TColor BackgroundColor;
  TColor TextColor;
  std::string Title;
  std::int32_t LargestWidth = 0;
  std::int32_t LargestHeight = 0;
  std::int32_t Width = 0;
  std::int32_t Height = 0;

 private:
  void WriteFrameChar(std::uint8_t ch);
  void WriteFrameEdge(std::uint8_t ch, std::int32_t count);

  TToConsoleCharset toConsole_;
};

// The one screen object, alive between InitializeConsoleApp and FinalizeConsoleApp.
extern std::unique_ptr<TConsoleApplication> ConsoleApplication;
void InitializeConsoleApp();
// The same for a program whose texts are all Windows-1250: its screen converts them with
// Windows1250ToCP852, and the program carries no general conversion for it.
void InitializeWindows1250ConsoleApp();
void FinalizeConsoleApp();

}  // namespace sanivo
