// What a repair did: the main body shows it, and anyone else who needs to know can read it.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace sanivo {

enum class TRepairResult {
  Repaired,
  RepairedWithWarning,
  Failed,
  NothingToRepair,
  // What a check (-kontrola) found instead of repairing.
  NotNeeded,
  Needed,
  Undecided,  // the status text says why, as a failure would
  // Taking a repair back (-vratit), and what its check found.
  TakenBack,
  TakenBackAtRestart,  // a file that is in use goes when Windows next starts
  NothingToTakeBack,
  CanTakeBack,
};

// Which repair the outcome is of; the log names it.
enum class TRepairKind {
  None,  // this Windows needs none
  NtvdmAffinity,
  ConsoleFont,
  UserConsoleFont,  // the per-user part of ConsoleFont, by sanivo-uzivatel.exe
};

struct TRepairOutcome {
  TRepairResult Result = TRepairResult::NothingToRepair;
  TRepairKind Kind = TRepairKind::None;
  // Windows-1250: the status line of a repair (X 15, Y 7), or the line saying that this system
  // needs no repair.
  std::string StatusText;
  // A path shown in silver below a failure, or empty.
  std::string DetailText;
  // The warning shown while the repair went on (a failed backup), or empty.
  std::string WarningText;
  // The backup that was written, or empty.
  std::string BackupFile;
  // For a failure: the call that failed and the system's error code (0 when it gave none).
  std::string FailedCall;
  std::uint32_t ErrorCode = 0;
};

// An outcome without failure details, backup or warning.
inline TRepairOutcome OutcomeOf(TRepairResult result, std::string_view statusText) {
  TRepairOutcome outcome;
  outcome.Result = result;
  outcome.StatusText = statusText;
  return outcome;
}

// An outcome whose cause is the call that just failed, with the thread's last error.
TRepairOutcome OutcomeOfFailedCall(TRepairResult result, std::string_view statusText,
                                   std::string call);

// What the repairs work with, read from the program's globals once, where the repair is chosen.
struct TRepairContext {
  std::string AppDir;      // with a trailing backslash
  std::string WorkDir;     // without a trailing backslash
  std::string WindowsDir;  // without a trailing backslash
  std::string SystemDir;   // without a trailing backslash
  // The live NTVDM.EXE and the system's two cached copies, expanded.
  using NtvdmPathList = std::array<std::string, 3>;
  NtvdmPathList NtvdmPaths;
  // The value of the backup parameter, when the command line has one.
  std::optional<std::string> BackupParam;
  // The file that taking the affinity repair back restores, when the command line names one.
  std::optional<std::string> RestoreFile;
};

}  // namespace sanivo
