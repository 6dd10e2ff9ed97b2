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

// Our temporary files beside `path` carry a name that marks them as ours, so that one left by a
// run that was killed can be told from a file of the user's: "<path>.~sanivo.tmp", then
// "<path>.~sanivo2.tmp", "<path>.~sanivo3.tmp", ... This is the first of them.
std::string TemporaryNameFor(const std::string& path);
// Whether `name` (a file name without folder) is one of our temporary names beside a file named
// `fileName`, in any case.
bool IsTemporaryNameOf(const std::string& name, const std::string& fileName);

// Creates a temporary file of ours beside `path` for writing, never over a file already there:
// the first free one of the names above. One of those names that is there already is a leftover
// of ours; it is removed first unless another writer still holds it open. Its name goes to
// `temporary`; kInvalidHandle with the last error on failure.
os::Handle CreateFreeTemporaryFile(const std::string& path, std::string& temporary);

// Replaces the file all or nothing: writes the bytes to a free temporary file beside `path`,
// flushes it to the disk, then moves it over `path` in one step. On any failure (EFileAccessError)
// the original is untouched and the temporary file is gone; a process killed half-way leaves at
// most the temporary file behind.
void ReplaceFileContents(const std::string& path, std::string_view bytes);

// Creates the file the same way, never over an existing one: the move fails (and with it the
// call) when `path` exists by then, so nothing is lost to a second writer either. Its temporary
// file is a free name beside `path`, so no file already there is overwritten on the way.
void CreateFileWithContents(const std::string& path, std::string_view bytes);

// Whether the file can be read and holds exactly these bytes; one that cannot be read does not.
bool FileHolds(const std::string& path, std::string_view bytes);

}  // namespace sanivo
