// The bridge to an external GUI console: a text, with a style and a colour, mirrored to the
// window of class "TKeloConsoleMainWindow" as posted messages. One-way and without state: when
// no such window exists, nothing happens.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string_view>

#include "console/console_app.h"

namespace sanivo {

inline constexpr char kGuiConsoleClassName[] = "TKeloConsoleMainWindow";
inline constexpr std::uint32_t GuiConsoleCommandMessage = 9998;
inline constexpr std::uint32_t GuiConsoleCharMessage = 9999;

// The flags of a font-style set, by bit number.
enum TFontStyle : std::uint8_t { fsBold = 0, fsItalic = 1, fsUnderline = 2, fsStrikeOut = 3 };

// A set of font styles, held in one byte (bit n is style n).
class TFontStyles {
 public:
  constexpr TFontStyles() = default;
  constexpr TFontStyles(std::initializer_list<TFontStyle> styles) {
    for (TFontStyle style : styles) bits_ |= static_cast<std::uint8_t>(1u << style);
  }
  static constexpr TFontStyles FromByte(std::uint8_t bits) {
    TFontStyles styles;
    styles.bits_ = bits;
    return styles;
  }
  constexpr std::uint8_t Byte() const { return bits_; }
  friend constexpr bool operator==(TFontStyles, TFontStyles) = default;

 private:
  std::uint8_t bits_ = 0;
};

// Posts the style, the colour, one message per non-zero byte and the end of the text; an
// empty text is the end command alone.
void GuiConsoleWrite(std::string_view text, TFontStyles style, TColor color);
// "[i] " and the text, plain, in colour 0.
void GuiConsoleWriteInfo(std::string_view text);

}  // namespace sanivo
