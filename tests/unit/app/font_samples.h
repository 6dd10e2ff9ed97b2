// Real TrueType fonts of the build machine as samples: the console font the build derives and
// the font it is derived from, whose face name is not ours.
#pragma once

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

namespace sanivo::testing {

inline std::string HostFileBytes(const char* path) {
  std::ifstream file(path, std::ios::binary);
  EXPECT_TRUE(file) << path;
  return std::string(std::istreambuf_iterator<char>(file), {});
}

inline const std::string& OurConsoleFont() {
  static const std::string bytes = HostFileBytes(SANIVO_CONSOLE_FONT_FILE);
  return bytes;
}

inline const std::string& ItsSourceFont() {
  static const std::string bytes = HostFileBytes(SANIVO_FONT_SOURCE);
  return bytes;
}

}  // namespace sanivo::testing
