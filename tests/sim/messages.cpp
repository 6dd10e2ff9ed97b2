// The system message table: the English texts of Windows for the codes the program meets.
#include <map>

#include "tests/sim/state.h"

namespace {

const std::map<std::uint32_t, std::string>& MessageTable() {
  static const std::map<std::uint32_t, std::string> table = {
      {0, "The operation completed successfully.\r\n"},
      {1, "Incorrect function.\r\n"},
      {2, "The system cannot find the file specified.\r\n"},
      {3, "The system cannot find the path specified.\r\n"},
      {5, "Access is denied.\r\n"},
      {6, "The handle is invalid.\r\n"},
      {8, "Not enough storage is available to process this command.\r\n"},
      {17, "The system cannot move the file to a different disk drive.\r\n"},
      {29, "The system cannot write to the specified device.\r\n"},
      {32, "The process cannot access the file because it is being used by another process.\r\n"},
      {80, "The file exists.\r\n"},
      {87, "The parameter is incorrect.\r\n"},
      {122, "The data area passed to a system call is too small.\r\n"},
      {123, "The filename, directory name, or volume label syntax is incorrect.\r\n"},
      {126, "The specified module could not be found.\r\n"},
      {127, "The specified procedure could not be found.\r\n"},
      {145, "The directory is not empty.\r\n"},
      {161, "The specified path is invalid.\r\n"},
      {183, "Cannot create a file when that file already exists.\r\n"},
      {193, "%1 is not a valid Win32 application.\r\n"},
      {234, "More data is available.\r\n"},
      {259, "No more data is available.\r\n"},
      {267, "The directory name is invalid.\r\n"},
      {317,
       "The system cannot find message text for message number 0x%1 in the message file for "
       "%2.\r\n"},
      {1018,
       "Illegal operation attempted on a registry key that has been marked for deletion.\r\n"},
      {1400, "Invalid window handle.\r\n"},
      {1813, "The specified resource type cannot be found in the image file.\r\n"},
  };
  return table;
}

}  // namespace

namespace os {

std::uint32_t FormatMessageA(std::uint32_t code, std::uint32_t bufferSize, std::string& text) {
  auto& s = sim::Current("FormatMessageA");
  s.Log("FormatMessageA", std::to_string(code) + "," + std::to_string(bufferSize));
  text.clear();
  if (s.FailsByInjection("FormatMessageA", {std::to_string(code)})) return 0;
  auto found = MessageTable().find(code);
  if (found == MessageTable().end()) {
    s.lastError = sim::kErrorMrMidNotFound;
    return 0;
  }
  if (found->second.size() + 1 > bufferSize) {
    s.lastError = sim::kErrorInsufficientBuffer;
    return 0;
  }
  text = found->second;
  return static_cast<std::uint32_t>(text.size());
}

}  // namespace os
