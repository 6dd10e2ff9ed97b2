// One record of each run, appended to a log that many machines share (typically a file on a
// network share): UTF-8 with a byte-order mark, CRLF line ends, fields separated by ";" so that
// a spreadsheet opens it and a script reads it.
#pragma once

#include <string>
#include <string_view>

namespace sanivo {

inline constexpr std::string_view kRunLogHeader =
    "cas;pocitac;uzivatel;windows;oprava;vysledek;zprava;zaloha;pricina;verze";
// The names every release's header begins with: the first release wrote these eight alone, a
// later one adds fields behind them.
inline constexpr std::string_view kRunLogFirstFields =
    "cas;pocitac;uzivatel;windows;oprava;vysledek;zprava;zaloha";
static_assert(kRunLogHeader.starts_with(kRunLogFirstFields));

// The fields in the ANSI code page, as the program holds its texts; the file gets them in UTF-8.
struct TRunRecord {
  std::string Time;      // local time, "YYYY-MM-DD HH:MM:SS"
  std::string Computer;  // the computer name
  std::string User;      // the user the program runs as
  // The product name, " x64" on a 64-bit system, then "major.minor.build" and a blank and the
  // service pack if any: "Windows 7 x64 6.1.7601 Service Pack 1". A spreadsheet keeps it as text.
  std::string Windows;
  std::string Repair;   // "font", "afinita" or "zadna"
  std::string Result;   // "opraveno", "varovani", "chyba", "neni-potreba" or "potreba"
  std::string Message;  // what the screen said
  std::string Backup;   // the backup file written, else empty
  std::string Cause;    // for a failure: the call, its error code and the system's text for it
  std::string Version;  // the program's file version, "1.0.0.0"
};

// Time, computer, user and Windows of this run, as the system gives them now.
TRunRecord RecordOfThisMachine();

// A field as the file holds it: enclosed in '"', with '"' doubled, when it holds ";", '"', CR
// or LF; as it is otherwise.
std::string CsvField(std::string_view text);
// The record's line in UTF-8, with its CRLF.
std::string FormatRunRecord(const TRunRecord& record);

// A writer that finds the log held by another keeps trying, at random intervals so that
// machines started together do not collide again, until this much time has been spent waiting.
inline constexpr unsigned kRunLogPatienceMs = 30000;

// Appends the record to the log at `path` (a full path), all or nothing: creates the file with
// the byte-order mark and the header when it is new or empty, appends only to a file that
// begins with them, starts the record on a line of its own, and never interleaves with another
// writer, on this machine or another. False when the log could not be written; a file that is
// not our log is then left byte for byte.
bool AppendRunRecord(const std::string& path, const TRunRecord& record);

// Moves the records waiting in the log at `local` (written while the shared log could not be)
// to the end of the log at `shared`, in order and in one append, then deletes the local log.
// They are renamed first ("<local>.presun"), so that a run stopped half-way leaves a trace: the
// next run appends only those of them that the shared log does not hold yet. False, the
// records kept, when the shared log could not be read or written; true when nothing waits.
bool MoveWaitingRecords(const std::string& local, const std::string& shared,
                        const std::string& computer);

}  // namespace sanivo
