#include "app/unattended.h"

#include "app/run_log.h"
#include "app/screen.h"
#include "app/texts.h"
#include "cmdline/command_line.h"
#include "cmdline/param_parser.h"
#include "cmdline/unused_arguments.h"
#include "platform/os.h"
#include "sysenv/files.h"
#include "sysenv/windows_version.h"

namespace sanivo {

namespace {

constexpr char kCheckParam[] = "kontrola";
constexpr char kQuietParam[] = "tise";
constexpr char kLogParam[] = "protokol";
constexpr char kBackupParam[] = "zaloha";
constexpr char kTakeBackParam[] = "vratit";

constexpr std::int16_t kMessagesX = 10;
constexpr std::int16_t kLogFailedY = 16, kLogPathY = 17, kUnusedArgumentsY = 18;
constexpr std::size_t kRowWidth = 80;
// Three full stops rather than an ellipsis, which the console's code page lacks.
constexpr std::string_view kCutMark = "...";

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
  const std::size_t room = kRowWidth - static_cast<std::size_t>(x);
  if (text.size() <= room) return text;
  return text.substr(0, room - kCutMark.size()) + std::string(kCutMark);
}

std::string_view RepairName() {
  switch (WindowsKind) {
    case wkWindowsXP:
      return "afinita";
    case wkWindows7:
      return "font";
    default:
      return "zadna";
  }
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

// The log path as the backup target is taken: relative to the current directory, its folder
// made when missing. Empty when it names no file.
std::string LogFilePath(const std::string& value) {
  const std::string path = ExpandFileName(value);
  if (path.empty() || path.back() == '\\' || IsDevicePath(path)) return {};
  ForceDirectories(ExtractFilePath(path));
  return path;
}

void ShowLogFailure(const std::string& value) {
  if (ConsoleApplication == nullptr) return;
  ConsoleApplication->SetTextColor(clYellow);
  WriteTextAt(texts::kLogFailed, kMessagesX, kLogFailedY);
  ConsoleApplication->SetTextColor(clSilver);
  WriteTextAt(value, kMessagesX, kLogPathY);
}

}  // namespace

TRunOptions ReadRunOptions() {
  TRunOptions options;
  options.CheckOnly = ParamParser->HasParam(kCheckParam);
  options.Quiet = ParamParser->HasParam(kQuietParam);
  if (ParamParser->HasParam(kLogParam)) options.LogPath = ParamParser->GetParamValue(kLogParam);
  if (ParamParser->HasParam(kTakeBackParam)) {
    options.TakeBack = ParamParser->GetParamValue(kTakeBackParam);
  }
  options.UnusedArguments =
      UnusedArguments(*ParamParser, CommandLineArguments(os::GetCommandLineA()),
                      {kBackupParam, kCheckParam, kQuietParam, kLogParam, kTakeBackParam});
  return options;
}

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
      return 2;
    case TRepairResult::RepairedWithWarning:
    case TRepairResult::TakenBackAtRestart:
      return 3;
    case TRepairResult::Needed:
    case TRepairResult::CanTakeBack:
      return 4;
  }
  return 2;
}

void ShowUnusedArguments(const std::vector<std::string>& arguments) {
  if (arguments.empty()) return;
  const TColor previous = ConsoleApplication->TextColor;
  ConsoleApplication->SetTextColor(clYellow);
  WriteTextAt(FittedToRow(UnusedArgumentsText(arguments), kMessagesX), kMessagesX,
              kUnusedArgumentsY);
  ConsoleApplication->SetTextColor(previous);
}

void LogRun(const TRunOptions& options, TRepairResult result, std::string_view message,
            std::string_view backupFile, std::string_view repair) {
  if (!options.LogPath) return;
  TRunRecord record = RecordOfThisMachine();
  record.Repair = repair.empty() ? RepairName() : repair;
  record.Result = ResultName(result);
  record.Message = message;
  if (!options.UnusedArguments.empty()) {
    record.Message += "; " + UnusedArgumentsText(options.UnusedArguments);
  }
  record.Backup = backupFile;
  const std::string path = LogFilePath(*options.LogPath);
  if (path.empty() || !AppendRunRecord(path, record)) ShowLogFailure(*options.LogPath);
}

}  // namespace sanivo
