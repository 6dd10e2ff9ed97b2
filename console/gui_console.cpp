#include "console/gui_console.h"

#include <string>

#include "platform/os.h"

namespace sanivo {

namespace {

// Command codes, the wParam of GuiConsoleCommandMessage.
enum TGuiConsoleCommand : std::uintptr_t {
  gcEndOfText = 1,
  gcPlain = 2,
  gcBold = 3,
  gcItalic = 4,
  gcBoldItalic = 5,
  gcOtherColor = 6,
  gcBlue = 7,
  gcGreen = 8,
  gcRed = 9,
};

// Only the exact sets have codes of their own; underline or strike-out make any set plain.
TGuiConsoleCommand StyleCommand(TFontStyles style) {
  if (style == TFontStyles{fsBold, fsItalic}) return gcBoldItalic;
  if (style == TFontStyles{fsBold}) return gcBold;
  if (style == TFontStyles{fsItalic}) return gcItalic;
  return gcPlain;
}

TGuiConsoleCommand ColorCommand(TColor color) {
  switch (color) {
    case clBlue:
      return gcBlue;
    case clGreen:
      return gcGreen;
    case clRed:
      return gcRed;
    default:
      return gcOtherColor;
  }
}

// A post that fails (the window has just closed, its queue is full) is not the caller's concern.
void Post(os::Hwnd window, std::uint32_t message, std::uintptr_t wParam) {
  os::PostMessageA(window, message, wParam, 0);
}

}  // namespace

void GuiConsoleWrite(std::string_view text, TFontStyles style, TColor color) {
  const os::Hwnd window = os::FindWindowA(kGuiConsoleClassName);
  if (window == 0) return;
  if (!text.empty()) {
    Post(window, GuiConsoleCommandMessage, StyleCommand(style));
    Post(window, GuiConsoleCommandMessage, ColorCommand(color));
    for (const char byte : text) {
      if (byte != 0) Post(window, GuiConsoleCharMessage, static_cast<unsigned char>(byte));
    }
  }
  Post(window, GuiConsoleCommandMessage, gcEndOfText);
}

void GuiConsoleWriteInfo(std::string_view text) {
  GuiConsoleWrite("[i] " + std::string(text), TFontStyles{}, 0);
}

}  // namespace sanivo
