// Whole-file reading and an all-or-nothing replace, through the OS seam.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

namespace sanivo {

// A file could not be read or written; the message names the file and the system's reason.
class EFileAccessError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

std::string ReadWholeFile(const std::string& path);

// Writes the bytes to a temporary file beside `path`, then moves it over `path`. On any
// failure the original is untouched and the temporary file is gone.
void ReplaceFileContents(const std::string& path, std::string_view bytes);

}  // namespace sanivo
