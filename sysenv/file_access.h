// Whole-file reading and an all-or-nothing replace, through the OS seam.
#pragma once

#include <string>
#include <string_view>
#include <utility>

#include "base/exception.h"
#include "platform/os.h"

namespace sanivo {

// A file could not be read or written; the message names the file and the system's reason.
class EFileAccessError : public Exception {
 public:
  [[gnu::always_inline]] explicit EFileAccessError(std::string message)
      : Exception(std::move(message)) {}
  const char* ClassName() const override { return "EFileAccessError"; }
};

std::string ReadWholeFile(const std::string& path);

// The temporary file beside `path` that ReplaceFileContents writes first.
std::string TemporaryNameFor(const std::string& path);

// Creates a temporary file beside `path` for writing, never over a file already there: the first
// free one of "<path>.tmp", "<path>.1.tmp", ... (beside a file of the user's, "<path>.tmp" may be
// the user's too). Its name goes to `temporary`; kInvalidHandle with the last error on failure.
os::Handle CreateFreeTemporaryFile(const std::string& path, std::string& temporary);

// Replaces the file all or nothing: writes the bytes to a temporary file beside `path`, flushes
// it to the disk, then moves it over `path` in one step. On any failure (EFileAccessError) the
// original is untouched and the temporary file is gone; a process killed half-way leaves at
// most the temporary file behind.
void ReplaceFileContents(const std::string& path, std::string_view bytes);

// Creates the file the same way, never over an existing one: the move fails (and with it the
// call) when `path` exists by then, so nothing is lost to a second writer either. Its temporary
// file is a free name beside `path`, so no file already there is overwritten on the way.
void CreateFileWithContents(const std::string& path, std::string_view bytes);

// Whether the file can be read and holds exactly these bytes; one that cannot be read does not.
bool FileHolds(const std::string& path, std::string_view bytes);

}  // namespace sanivo
