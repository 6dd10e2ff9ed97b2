// A simulated machine set up as the program finds it, and a look at the page it painted.
#pragma once

#include <string>

#include "platform/sim/machine.h"

namespace sanivo::testing {

inline constexpr const char* kTemp = "C:\\DOCUME~1\\user\\LOCALS~1\\Temp\\";
inline constexpr const char* kWorkDir = "C:\\DOCUME~1\\user\\LOCALS~1\\Temp\\Morek-Sanivo";
inline constexpr const char* kAppDir = "C:\\Program Files\\Morek\\";

inline std::string Repeat(const std::string& text, int times) {
  std::string result;
  for (int i = 0; i < times; ++i) result += text;
  return result;
}

// The running progress line from row 11 on, as the console wrapped it.
inline std::string ProgressText(const sim::Machine& machine) {
  std::string text;
  for (int row = 11; row < 15; ++row) text += machine.Row(row);
  return text;
}

}  // namespace sanivo::testing
