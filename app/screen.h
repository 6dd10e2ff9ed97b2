// The places of the one screen page and short ways to write the program's own texts there.
#pragma once

#include <cstdint>
#include <string_view>

#include "console/console_app.h"

namespace sanivo {

inline constexpr TRect kFrame = {5, 2, 74, 9};
inline constexpr std::int16_t kHeadingX = 10, kHeadingY = 6;
inline constexpr std::int16_t kStatusX = 15, kStatusY = 7;
inline constexpr std::int16_t kStatusDetailY = 8;
inline constexpr std::int16_t kProgressY = 11;

// Writes a Windows-1250 text at a cell, or at the cursor, in the current colour.
void WriteTextAt(std::string_view text, std::int16_t x, std::int16_t y);
void WriteText(std::string_view text);
// The final status line of a repair, in the given colour.
void ShowStatus(TColor color, std::string_view text);
// Puts the cursor at the start of the progress line, in silver.
void StartProgressLine();

}  // namespace sanivo
