#include "app/run_log.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <random>

#include "base/number_text.h"
#include "charset/charset.h"
#include "platform/os.h"

namespace sanivo {

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr std::string_view kLineEnd = "\r\n";
// Every writer locks the same range, the first 4 GiB, which holds the whole log and more.
constexpr std::uint64_t kLockOffset = 0;
constexpr std::uint64_t kLockLength = 0xFFFFFFFFu;
// The back-off starts short and its upper bound doubles with every try, up to a second.
constexpr unsigned kShortestBackOffMs = 10;
constexpr unsigned kFirstBackOffBoundMs = 100;
constexpr unsigned kLongestBackOffMs = 1000;

std::string TwoDigits(int value) { return PaddedNumber(static_cast<std::uint32_t>(value), 2); }

std::string TimeText(const os::LocalTime& now) {
  return PaddedNumber(static_cast<std::uint32_t>(now.year), 4) + "-" + TwoDigits(now.month) + "-" +
         TwoDigits(now.day) + " " + TwoDigits(now.hour) + ":" + TwoDigits(now.minute) + ":" +
         TwoDigits(now.second);
}

std::string WindowsText() {
  os::OsVersionInfo info;
  info.dwOSVersionInfoSize = os::kOsVersionInfoSize;
  if (!os::GetVersionExA(info)) return {};
  const std::string servicePack(info.szCSDVersion, std::find(std::begin(info.szCSDVersion),
                                                             std::end(info.szCSDVersion), '\0'));
  // Windows 9x keeps more than the build in the high word.
  std::string text = PaddedNumber(info.dwMajorVersion, 1) + "." +
                     PaddedNumber(info.dwMinorVersion, 1) + "." +
                     PaddedNumber(info.dwBuildNumber & 0xFFFF, 1);
  return servicePack.empty() ? text : text + " " + servicePack;
}

enum class TAttempt { Appended, Busy, Failed };

TAttempt Finish(os::Handle log, TAttempt result) {
  os::CloseHandle(log);
  return result;
}

// Up to `count` bytes from `offset` on; fewer at the end of the file. Nothing when a call fails.
std::optional<std::string> ReadAt(os::Handle log, std::uint32_t offset, std::uint32_t count) {
  if (os::SetFilePointer(log, static_cast<std::int32_t>(offset), os::kFileBegin) != offset) {
    return std::nullopt;
  }
  std::string bytes;
  std::string chunk;
  while (bytes.size() < count) {
    if (!os::ReadFile(log, count - static_cast<std::uint32_t>(bytes.size()), chunk)) {
      return std::nullopt;
    }
    if (chunk.empty()) break;
    bytes += chunk;
  }
  return bytes;
}

// Whether the file begins as our log does: the byte-order mark and the eight names of the
// header, then ";" (a later release's longer header) or the line end. Any other file, be it
// a program, a font, a backup or another program's log, is no log of ours to append to.
bool BeginsAsOurLog(os::Handle log) {
  const std::string ours = std::string(kByteOrderMark) + std::string(kRunLogHeader);
  const std::optional<std::string> head =
      ReadAt(log, 0, static_cast<std::uint32_t>(ours.size() + kLineEnd.size()));
  if (!head || !head->starts_with(ours)) return false;
  const std::string_view after = std::string_view(*head).substr(ours.size());
  return after.starts_with(';') || after == kLineEnd;
}

// The bytes that go at the end of the log: a record begins on a line of its own, even after one
// that a writer stopped half-way left without its line end.
std::optional<std::string> BytesToAppend(os::Handle log, std::uint32_t end,
                                         const std::string& firstLines, const std::string& line) {
  // A file that another writer created but has not written to yet is new to us all the same.
  if (end == 0) return firstLines + line;
  if (!BeginsAsOurLog(log)) return std::nullopt;
  const std::optional<std::string> lastBytes = ReadAt(log, end - 2, 2);
  if (!lastBytes) return std::nullopt;
  return (*lastBytes == kLineEnd ? "" : std::string(kLineEnd)) + line;
}

// One try: open without sharing, lock, append at the end as it is now, flush, unlock, close.
// Busy when another writer or a reader holds the file, by its share mode or by its lock.
TAttempt TryToAppend(const std::string& path, const std::string& firstLines,
                     const std::string& line) {
  const os::Handle log = os::CreateFileA(path, os::kGenericRead | os::kGenericWrite, 0,
                                         os::kOpenAlways, os::kFileAttributeNormal);
  if (log == os::kInvalidHandle) {
    return os::GetLastError() == os::kErrorSharingViolation ? TAttempt::Busy : TAttempt::Failed;
  }
  // Share modes stop only the writers of this machine's own file server; a byte-range lock
  // stops those of every machine.
  if (!os::LockFileEx(log, os::kLockfileExclusiveLock | os::kLockfileFailImmediately, kLockOffset,
                      kLockLength)) {
    const bool busy = os::GetLastError() == os::kErrorLockViolation;
    return Finish(log, busy ? TAttempt::Busy : TAttempt::Failed);
  }
  const std::uint32_t end = os::SetFilePointer(log, 0, os::kFileEnd);
  std::optional<std::string> bytes;
  if (end != os::kInvalidSetFilePointer) bytes = BytesToAppend(log, end, firstLines, line);
  bool appended = false;
  if (bytes && os::SetFilePointer(log, static_cast<std::int32_t>(end), os::kFileBegin) == end) {
    std::uint32_t written = 0;
    appended = os::WriteFile(log, *bytes, &written) && written == bytes->size() &&
               os::FlushFileBuffers(log);
    // A record is there whole or not at all: what a failed append left is cut off again.
    if (!appended &&
        os::SetFilePointer(log, static_cast<std::int32_t>(end), os::kFileBegin) == end) {
      os::SetEndOfFile(log);
    }
  }
  os::UnlockFileEx(log, kLockOffset, kLockLength);
  return Finish(log, appended ? TAttempt::Appended : TAttempt::Failed);
}

// Machines started by one script at one moment must not wait in step: the counter and the
// computer name set each one's own sequence.
std::minstd_rand BackOffSequence(const std::string& computer) {
  std::uint64_t seed = os::QueryPerformanceCounter();
  for (unsigned char c : computer) seed = seed * 131 + c;
  return std::minstd_rand(static_cast<std::uint32_t>(seed ^ (seed >> 32)));
}

}  // namespace

TRunRecord RecordOfThisMachine() {
  TRunRecord record;
  record.Time = TimeText(os::GetLocalTime());
  os::GetComputerNameA(record.Computer);
  os::GetUserNameA(record.User);
  record.Windows = WindowsText();
  return record;
}

std::string CsvField(std::string_view text) {
  if (text.find_first_of(";\"\r\n") == std::string_view::npos) return std::string(text);
  std::string quoted = "\"";
  for (char c : text) {
    quoted += c;
    if (c == '"') quoted += '"';
  }
  return quoted + "\"";
}

std::string FormatRunRecord(const TRunRecord& record) {
  const std::string* const fields[] = {&record.Time,    &record.Computer, &record.User,
                                       &record.Windows, &record.Repair,   &record.Result,
                                       &record.Message, &record.Backup};
  std::string line;
  for (const std::string* field : fields) {
    if (field != fields[0]) line += ';';
    line += CsvField(ConvertCharset(*field, ciWindows1250, ciUTF8));
  }
  return line + std::string(kLineEnd);
}

bool AppendRunRecord(const std::string& path, const TRunRecord& record) {
  const std::string firstLines =
      std::string(kByteOrderMark) + std::string(kRunLogHeader) + std::string(kLineEnd);
  const std::string line = FormatRunRecord(record);
  std::minstd_rand backOff = BackOffSequence(record.Computer);
  unsigned waited = 0;
  unsigned bound = kFirstBackOffBoundMs;
  for (;;) {
    const TAttempt attempt = TryToAppend(path, firstLines, line);
    if (attempt != TAttempt::Busy) return attempt == TAttempt::Appended;
    if (waited >= kRunLogPatienceMs) return false;
    const unsigned pause = std::min(
        kShortestBackOffMs + static_cast<unsigned>(backOff() % (bound - kShortestBackOffMs)),
        kRunLogPatienceMs - waited);
    os::Sleep(pause);
    waited += pause;
    bound = std::min(bound * 2, kLongestBackOffMs);
  }
}

}  // namespace sanivo
