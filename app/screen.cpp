#include "app/screen.h"

#include <string>

namespace sanivo {

void WriteTextAt(std::string_view text, std::int16_t x, std::int16_t y) {
  ConsoleApplication->WriteAt(std::string(text), x, y, ciWindows1250);
}

void WriteText(std::string_view text) {
  ConsoleApplication->Write(std::string(text), ciWindows1250);
}

void ShowStatus(TColor color, std::string_view text) {
  ConsoleApplication->SetTextColor(color);
  WriteTextAt(text, kStatusX, kStatusY);
}

void StartProgressLine() {
  ConsoleApplication->Cursor->MoveTo(0, kProgressY);
  ConsoleApplication->SetTextColor(clSilver);
}

}  // namespace sanivo
