#include "app/run_log.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <random>
#include <vector>

#include "base/number_text.h"
#include "console/windows1250_text.h"
#include "platform/os.h"
#include "sysenv/file_access.h"
#include "sysenv/files.h"
#include "sysenv/windows_version.h"

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

// A 32-bit program on a 64-bit Windows runs under WOW64; a kernel32 without the call has none.
bool IsSixtyFourBitWindows() {
  bool wow64 = false;
  return os::IsWow64Process(wow64) && wow64;
}

std::string WindowsText() {
  os::OsVersionInfo info;
  info.dwOSVersionInfoSize = os::kOsVersionInfoSize;
  if (!os::GetVersionExA(info)) return {};
  const std::string servicePack(info.szCSDVersion, std::find(std::begin(info.szCSDVersion),
                                                             std::end(info.szCSDVersion), '\0'));
  // Windows 9x keeps more than the build in the high word.
  std::string text =
      std::string(WindowsProductName(ClassifyWindows(info))) +
      (IsSixtyFourBitWindows() ? " x64 " : " ") + PaddedNumber(info.dwMajorVersion, 1) + "." +
      PaddedNumber(info.dwMinorVersion, 1) + "." + PaddedNumber(info.dwBuildNumber & 0xFFFF, 1);
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
  const std::string ours = std::string(kByteOrderMark) + std::string(kRunLogFirstFields);
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
  const std::string* const fields[] = {
      &record.Time,   &record.Computer, &record.User,   &record.Windows, &record.Repair,
      &record.Result, &record.Message,  &record.Backup, &record.Cause,   &record.Version};
  std::string line;
  for (const std::string* field : fields) {
    if (field != fields[0]) line += ';';
    line += CsvField(Windows1250ToUtf8(*field));
  }
  return line + std::string(kLineEnd);
}

namespace {

// Appends whole records, each with its line end, in one write.
bool AppendRunLogLines(const std::string& path, const std::string& line,
                       const std::string& computer) {
  const std::string firstLines =
      std::string(kByteOrderMark) + std::string(kRunLogHeader) + std::string(kLineEnd);
  std::minstd_rand backOff = BackOffSequence(computer);
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

// The records of a log, each with its line end, in order: the lines after the header. A line
// end inside a quoted field belongs to the field; a piece without its line end is what a
// writer stopped half-way left, and no record.
std::vector<std::string> RecordsOf(std::string_view log) {
  std::vector<std::string> records;
  bool quoted = false;
  std::size_t start = log.find(kLineEnd);
  if (start == std::string_view::npos) return records;
  start += kLineEnd.size();
  for (std::size_t at = start; at < log.size(); ++at) {
    if (log[at] == '"') quoted = !quoted;
    if (!quoted && log.substr(at).starts_with(kLineEnd)) {
      at += kLineEnd.size();
      records.emplace_back(log.substr(start, at - start));
      start = at--;
    }
  }
  return records;
}

// The local log's records are renamed to this for the move: a file of that name tells that a
// run was stopped while it moved them, and that the shared log may hold some of them already.
constexpr char kMovingSuffix[] = ".presun";

// The records that `log` does not hold yet as a line of its own, joined. Two runs of one
// machine in one second give the same line: only a stopped move may count them as one.
std::string MissingFrom(std::string_view log, const std::vector<std::string>& records) {
  std::string missing;
  for (const std::string& record : records) {
    if (log.find(std::string(kLineEnd) + record) == std::string_view::npos) missing += record;
  }
  return missing;
}

// Appends the records of the log at `from` to the log at `shared`, then deletes `from`. Those
// the shared log already holds are left out when `skipHeld` is set. False when nothing was
// appended.
bool AppendRecordsOf(const std::string& from, const std::string& shared,
                     const std::string& computer, bool skipHeld) {
  std::string records;
  try {
    const std::vector<std::string> waiting = RecordsOf(ReadWholeFile(from));
    if (skipHeld) {
      records = MissingFrom(FileExists(shared) ? ReadWholeFile(shared) : std::string(), waiting);
    } else {
      for (const std::string& record : waiting) records += record;
    }
  } catch (const EFileAccessError&) {
    return false;
  }
  if (!records.empty() && !AppendRunLogLines(shared, records, computer)) return false;
  // Should the delete fail, the next run finds the records in the shared log and drops them.
  os::DeleteFileA(from);
  return true;
}

}  // namespace

bool AppendRunRecord(const std::string& path, const TRunRecord& record) {
  return AppendRunLogLines(path, FormatRunRecord(record), record.Computer);
}

bool MoveWaitingRecords(const std::string& local, const std::string& shared,
                        const std::string& computer) {
  const std::string moving = local + kMovingSuffix;
  if (FileExists(moving) && !AppendRecordsOf(moving, shared, computer, true)) return false;
  if (!FileExists(local)) return true;
  if (!os::MoveFileExA(local, moving, 0)) return false;
  if (AppendRecordsOf(moving, shared, computer, false)) return true;
  // Nothing was appended: the records wait where they were.
  os::MoveFileExA(moving, local, 0);
  return false;
}

}  // namespace sanivo
