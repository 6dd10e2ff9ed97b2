// Paints a known screen through the seam's real backend, for the runner's own scenario: the
// title, the whole buffer silver on navy, "Hello" in yellow at column 8 of row 4, a Czech phrase
// in code page 852 on row 6, the Windows version as "major.minor" on row 8 and the largest
// window size as "columns x rows" on row 10. Exits with code 3.
#include <string>

#include "platform/os.h"

namespace {

void WriteAt(os::Handle out, std::int16_t x, std::int16_t y, std::uint16_t attribute,
             const std::string& text) {
  os::SetConsoleCursorPosition(out, os::Coord{x, y});
  os::SetConsoleTextAttribute(out, attribute);
  std::uint32_t written = 0;
  os::WriteFile(out, text, &written);
}

}  // namespace

int main() {
  const os::Handle out = os::GetStdHandle(os::kStdOutputHandle);
  os::SetConsoleTitleA("Console paint \x9F");  // "č": titles are in the console code page
  std::uint32_t written = 0;
  os::FillConsoleOutputAttribute(out, 0x17, 80 * 25, os::Coord{0, 0}, &written);
  os::FillConsoleOutputCharacterA(out, ' ', 80 * 25, os::Coord{0, 0}, &written);

  WriteAt(out, 8, 4, 0x1E, "Hello");
  WriteAt(out, 0, 6, 0x4A, "\xA6lu\x9Cou\x9Fk\xEC k\x85\xE5");  // "Žluťoučký kůň" in CP852

  os::OsVersionInfo version;
  version.dwOSVersionInfoSize = os::kOsVersionInfoSize;
  os::GetVersionExA(version);
  WriteAt(out, 0, 8, 0x1F,
          std::to_string(version.dwMajorVersion) + "." + std::to_string(version.dwMinorVersion));

  const os::Coord largest = os::GetLargestConsoleWindowSize(out);
  WriteAt(out, 0, 10, 0x1F, std::to_string(largest.X) + "x" + std::to_string(largest.Y));
  return 3;
}
