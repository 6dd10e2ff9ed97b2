#include "app/unattended.h"

#include <algorithm>

#include "app/run_log.h"
#include "app/screen.h"
#include "app/texts.h"
#include "base/number_text.h"
#include "platform/os.h"
#include "sysenv/errors.h"
#include "sysenv/files.h"
#include "sysenv/windows_version.h"

namespace sanivo {

namespace {

constexpr std::int16_t kMessagesX = 10;
constexpr std::int16_t kLogFailedY = 16, kLogPathY = 17, kUnusedArgumentsY = 18;
constexpr std::int16_t kHelpUsageX = 2, kHelpMeaningX = 20;
constexpr int kPageWidth = 80;
// Three full stops rather than an ellipsis, which the console's code page lacks.
constexpr std::string_view kCutMark = "...";

// In the all-users application data folder: a start-up script runs as SYSTEM, a logon script
// as the user, and both must find the records that wait.
constexpr char kLocalLogFolder[] = "MOREK Sanivo";
constexpr char kLocalLogName[] = "protokol.csv";

std::string UnusedArgumentsText(const std::vector<std::string>& arguments) {
  std::string text(texts::kUnknownParam);
  for (const std::string& argument : arguments) {
    text += argument;
    if (&argument != &arguments.back()) text += ' ';
  }
  return text;
}

// The line ends where the row does: a longer one would run on over the rows below.
std::string FittedToRow(const std::string& text, std::int16_t x) {
  const std::size_t room = static_cast<std::size_t>(kPageWidth - x);
  if (text.size() <= room) return text;
  return text.substr(0, room - kCutMark.size()) + std::string(kCutMark);
}

std::string_view RepairName(TRepairKind kind) {
  switch (kind) {
    case TRepairKind::NtvdmAffinity:
      return "afinita";
    case TRepairKind::ConsoleFont:
      return "font";
    case TRepairKind::UserConsoleFont:
      return "font-uzivatel";
    case TRepairKind::None:
      return "zadna";
  }
  return "zadna";
}

std::string_view ResultName(TRepairResult result) {
  switch (result) {
    case TRepairResult::Repaired:
      return "opraveno";
    case TRepairResult::RepairedWithWarning:
      return "varovani";
    case TRepairResult::Failed:
    case TRepairResult::Undecided:
      return "chyba";
    case TRepairResult::NothingToRepair:
    case TRepairResult::NotNeeded:
      return "neni-potreba";
    case TRepairResult::Needed:
      return "potreba";
    case TRepairResult::TakenBack:
      return "vraceno";
    case TRepairResult::TakenBackAtRestart:
      return "varovani";
    case TRepairResult::NothingToTakeBack:
      return "nic-k-vraceni";
    case TRepairResult::CanTakeBack:
      return "lze-vratit";
  }
  return "chyba";
}

// The failed call, its error code and the system's text for it, as the error report words it.
std::string CauseOf(const TRepairOutcome& outcome) {
  if (outcome.FailedCall.empty() || outcome.ErrorCode == os::kErrorSuccess) {
    return outcome.FailedCall;
  }
  return outcome.FailedCall + ": " + PaddedNumber(outcome.ErrorCode, 1) + " " +
         SystemErrorText(outcome.ErrorCode);
}

// The file version of the program, as its version resource gives it: "1.0.0.0".
std::string VersionText() {
  return PaddedNumber(AppVersionMS & 0xFFFF, 1) + "." + PaddedNumber(AppVersionMS >> 16, 1) + "." +
         PaddedNumber(AppVersionLS & 0xFFFF, 1) + "." + PaddedNumber(AppVersionLS >> 16, 1);
}

TRunRecord RecordOf(const TRunOptions& options, const TRepairOutcome& outcome) {
  TRunRecord record = RecordOfThisMachine();
  record.Repair = RepairName(outcome.Kind);
  record.Result = ResultName(outcome.Result);
  record.Message = outcome.StatusText;
  if (!options.UnusedArguments.empty()) {
    record.Message += "; " + UnusedArgumentsText(options.UnusedArguments);
  }
  record.Backup = outcome.BackupFile;
  record.Cause = CauseOf(outcome);
  record.Version = VersionText();
  return record;
}

// The log path as the backup target is taken: relative to the current directory, its folder
// made when missing. Empty when it names no file.
std::string LogFilePath(const std::string& value) {
  const std::string path = ExpandFileName(value);
  if (path.empty() || path.back() == '\\' || IsDevicePath(path)) return {};
  ForceDirectories(ExtractFilePath(path));
  return path;
}

// Empty when the system does not say where the folder is. The folder is made only for a
// record that has to wait there.
std::string LocalLogPath() {
  std::string folder;
  if (os::SHGetFolderPathA(os::kCsidlCommonAppData, folder) != os::kSOk) return {};
  return IncludeTrailingBackslash(folder) + kLocalLogFolder + "\\" + kLocalLogName;
}

bool KeptLocally(const std::string& local, const TRunRecord& record) {
  if (local.empty()) return false;
  ForceDirectories(ExtractFilePath(local));
  return AppendRunRecord(local, record);
}

// The records that wait go first, so the shared log keeps each machine's records in order.
bool AppendedToSharedLog(const std::string& shared, const std::string& local,
                         const TRunRecord& record) {
  if (shared.empty()) return false;
  if (!local.empty() && !MoveWaitingRecords(local, shared, record.Computer)) return false;
  return AppendRunRecord(shared, record);
}

void ShowLogLines(std::string_view line, std::string_view path) {
  if (ConsoleApplication == nullptr) return;
  ConsoleApplication->SetTextColor(clYellow);
  WriteTextAt(line, kMessagesX, kLogFailedY);
  ConsoleApplication->SetTextColor(clSilver);
  // A long path moves left rather than wrap into the line below.
  const auto fitting = static_cast<std::int16_t>(kPageWidth - static_cast<int>(path.size()));
  WriteTextAt(path, std::clamp<std::int16_t>(fitting, 0, kMessagesX), kLogPathY);
}

}  // namespace

int ExitCodeOf(const TRunOptions& options, TRepairResult result) {
  if (!options.CheckOnly && !options.Quiet) return 0;
  switch (result) {
    case TRepairResult::Repaired:
    case TRepairResult::NothingToRepair:
    case TRepairResult::NotNeeded:
    case TRepairResult::TakenBack:
    case TRepairResult::NothingToTakeBack:
      return 0;
    case TRepairResult::Failed:
    case TRepairResult::Undecided:
      return kExitCodeFailed;
    case TRepairResult::RepairedWithWarning:
    case TRepairResult::TakenBackAtRestart:
      return 3;
    case TRepairResult::Needed:
    case TRepairResult::CanTakeBack:
      return 4;
  }
  return kExitCodeFailed;
}

void ShowUnusedArguments(const std::vector<std::string>& arguments) {
  if (arguments.empty()) return;
  const TColor previous = ConsoleApplication->TextColor;
  ConsoleApplication->SetTextColor(clYellow);
  WriteTextAt(FittedToRow(UnusedArgumentsText(arguments), kMessagesX), kMessagesX,
              kUnusedArgumentsY);
  ConsoleApplication->SetTextColor(previous);
}

void ShowHelp(std::span<const TSwitch> switches) {
  std::int16_t row = kProgressY;
  for (const TSwitch& entry : switches) {
    ConsoleApplication->SetTextColor(clWhite);
    WriteTextAt(entry.Usage, kHelpUsageX, row);
    WriteTextAt(entry.Meaning, kHelpMeaningX, row++);
    ConsoleApplication->SetTextColor(clSilver);
    WriteTextAt(entry.Example, kHelpMeaningX, row++);
  }
}

void LogRun(const TRunOptions& options, const TRepairOutcome& outcome) {
  if (!options.LogPath) return;
  const TRunRecord record = RecordOf(options, outcome);
  const std::string shared = LogFilePath(*options.LogPath);
  const std::string local = LocalLogPath();
  if (AppendedToSharedLog(shared, local, record)) return;
  if (KeptLocally(local, record)) {
    ShowLogLines(texts::kLogKeptLocally, local);
  } else {
    ShowLogLines(texts::kLogFailed, *options.LogPath);
  }
}

}  // namespace sanivo
