#include "sysenv/file_access.h"

#include <cstdint>

#include "platform/os.h"
#include "sysenv/strings.h"

namespace sanivo {

namespace {

constexpr std::uint32_t kReadChunk = 1 << 20;
// No executable image of a 32-bit system comes near this; the limit keeps a wrong file from
// exhausting the address space.
constexpr std::size_t kLargestFile = std::size_t{1} << 30;

std::string Reason(std::uint32_t code) {
  switch (code) {
    case os::kErrorFileNotFound:
      return "file not found";
    case os::kErrorPathNotFound:
      return "path not found";
    case os::kErrorAccessDenied:
      return "access denied";
    case os::kErrorSharingViolation:
      return "the file is in use by another process";
    default:
      return "system error " + std::to_string(code);
  }
}

[[noreturn]] void Fail(const std::string& what, const std::string& path, std::uint32_t code) {
  throw EFileAccessError(what + " " + path + ": " + Reason(code));
}

// Reads up to the end of the file, or until it is known to be too large; the error code of a
// failed read, or success.
std::uint32_t ReadToEnd(os::Handle file, std::string& content) {
  std::string chunk;
  do {
    if (!os::ReadFile(file, kReadChunk, chunk)) return os::GetLastError();
    content += chunk;
  } while (!chunk.empty() && content.size() <= kLargestFile);
  return os::kErrorSuccess;
}

// Writes everything or reports the error code of the failing call.
std::uint32_t WriteAll(os::Handle file, std::string_view bytes) {
  while (!bytes.empty()) {
    std::uint32_t written = 0;
    if (!os::WriteFile(file, bytes, &written)) return os::GetLastError();
    if (written == 0) return os::kErrorWriteFault;
    bytes.remove_prefix(written);
  }
  return os::kErrorSuccess;
}

// Writes, flushes and closes the file; the error code of the first call that failed.
std::uint32_t WriteAndClose(os::Handle file, std::string_view bytes) {
  std::uint32_t error = WriteAll(file, bytes);
  // The move that follows must not put in place data that is still only in the cache.
  if (error == os::kErrorSuccess && !os::FlushFileBuffers(file)) error = os::GetLastError();
  // A failed close loses data just as a failed write does.
  if (!os::CloseHandle(file) && error == os::kErrorSuccess) error = os::GetLastError();
  return error;
}

}  // namespace

namespace {

constexpr std::string_view kTemporaryMark = ".~sanivo";
constexpr std::string_view kTemporaryExtension = ".tmp";
constexpr int kMostTemporaryNames = 100;

std::string NumberedTemporaryName(const std::string& path, int number) {
  return path + std::string(kTemporaryMark) + (number > 1 ? std::to_string(number) : "") +
         std::string(kTemporaryExtension);
}

}  // namespace

std::string TemporaryNameFor(const std::string& path) { return NumberedTemporaryName(path, 1); }

bool IsTemporaryNameOf(const std::string& name, const std::string& fileName) {
  for (int number = 1; number <= kMostTemporaryNames; ++number) {
    if (EqualsIgnoringCase(name, NumberedTemporaryName(fileName, number))) return true;
  }
  return false;
}

os::Handle CreateFreeTemporaryFile(const std::string& path, std::string& temporary) {
  const auto createNew = [](const std::string& name) {
    return os::CreateFileA(name, os::kGenericWrite, 0, os::kCreateNew, os::kFileAttributeNormal);
  };
  for (int number = 1; number <= kMostTemporaryNames; ++number) {
    temporary = NumberedTemporaryName(path, number);
    os::Handle file = createNew(temporary);
    if (file != os::kInvalidHandle || os::GetLastError() != os::kErrorFileExists) return file;
    // Ours by its name: unless another writer still holds it, a leftover of a run that was killed.
    if (!os::DeleteFileA(temporary)) continue;
    file = createNew(temporary);
    if (file != os::kInvalidHandle || os::GetLastError() != os::kErrorFileExists) return file;
  }
  os::SetLastError(os::kErrorFileExists);
  return os::kInvalidHandle;
}

std::string ReadWholeFile(const std::string& path) {
  const os::Handle file =
      os::CreateFileA(path, os::kGenericRead, os::kFileShareRead, os::kOpenExisting, 0);
  if (file == os::kInvalidHandle) Fail("cannot open", path, os::GetLastError());
  std::string content;
  const std::uint32_t error = ReadToEnd(file, content);
  os::CloseHandle(file);
  if (error != os::kErrorSuccess) Fail("cannot read", path, error);
  if (content.size() > kLargestFile) {
    throw EFileAccessError(path + ": the file is too large for an executable image");
  }
  return content;
}

namespace {

// The shared way of both: a flushed temporary file, then one move onto `path`.
void PutInPlace(const std::string& temporary, const std::string& path, std::uint32_t moveFlags,
                const char* failedMove) {
  if (!os::MoveFileExA(temporary, path, moveFlags | os::kMoveFileWriteThrough)) {
    const std::uint32_t error = os::GetLastError();
    os::DeleteFileA(temporary);
    Fail(failedMove, path, error);
  }
}

[[noreturn]] void FailWriting(const std::string& temporary, std::uint32_t error) {
  os::DeleteFileA(temporary);
  Fail("cannot write", temporary, error);
}

std::string WriteFreeTemporaryFile(const std::string& path, std::string_view bytes) {
  std::string temporary;
  const os::Handle file = CreateFreeTemporaryFile(path, temporary);
  if (file == os::kInvalidHandle) Fail("cannot write", temporary, os::GetLastError());
  if (std::uint32_t error = WriteAndClose(file, bytes); error != os::kErrorSuccess) {
    FailWriting(temporary, error);
  }
  return temporary;
}

}  // namespace

bool FileHolds(const std::string& path, std::string_view bytes) {
  try {
    return ReadWholeFile(path) == bytes;
  } catch (const EFileAccessError&) {
    return false;
  }
}

void ReplaceFileContents(const std::string& path, std::string_view bytes) {
  PutInPlace(WriteFreeTemporaryFile(path, bytes), path, os::kMoveFileReplaceExisting,
             "cannot replace");
}

void CreateFileWithContents(const std::string& path, std::string_view bytes) {
  PutInPlace(WriteFreeTemporaryFile(path, bytes), path, 0, "cannot create");
}

}  // namespace sanivo
