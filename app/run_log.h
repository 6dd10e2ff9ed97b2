// One record of each run, appended to a log that many machines share (typically a file on a
// network share): UTF-8 with a byte-order mark, CRLF line ends, fields separated by ";" so that
// a spreadsheet opens it and a script reads it.
#pragma once

#include <string>
#include <string_view>

namespace sanivo {

inline constexpr std::string_view kRunLogHeader =
    "cas;pocitac;uzivatel;windows;oprava;vysledek;zprava;zaloha";

// The fields in the ANSI code page, as the program holds its texts; the file gets them in UTF-8.
struct TRunRecord {
  std::string Time;      // local time, "YYYY-MM-DD HH:MM:SS"
  std::string Computer;  // the computer name
  std::string User;      // the user the program runs as
  std::string Windows;   // "major.minor.build", then a blank and the service pack if any
  std::string Repair;    // "font", "afinita" or "zadna"
  std::string Result;    // "opraveno", "varovani", "chyba", "neni-potreba" or "potreba"
  std::string Message;   // what the screen said
  std::string Backup;    // the backup file written, else empty
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

}  // namespace sanivo
