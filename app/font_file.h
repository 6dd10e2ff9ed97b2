// Recognises the console font that ships beside the program before it goes into the system's
// Fonts folder: a damaged file there blocks every later run and can crash the font calls.
#pragma once

#include <string_view>

namespace sanivo {

// The face name the console repair installs and registers.
inline constexpr std::string_view kConsoleFaceName = "Lucida Console CS";

// Whether `bytes` are a TrueType font with a sound table directory (every table inside the
// file) whose name table gives kConsoleFaceName as its family, in a Windows Unicode or a
// Macintosh Roman record. Reads nothing outside `bytes`, whatever they hold.
bool IsOurConsoleFont(std::string_view bytes);

}  // namespace sanivo
