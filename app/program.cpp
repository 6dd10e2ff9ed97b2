#include "app/program.h"

#include <exception>
#include <optional>
#include <span>

#include "app/main_body.h"
#include "app/unattended.h"
#include "app/user_main_body.h"
#include "base/number_text.h"
#include "charset/iconv_binding.h"
#include "cmdline/param_parser.h"
#include "console/console_app.h"
#include "console/windows1250_text.h"
#include "platform/module_file_name.h"
#include "platform/os.h"
#include "platform/standard_handle.h"
#include "sysenv/errors.h"
#include "sysenv/file_types.h"
#include "sysenv/files.h"
#include "sysenv/windows_version.h"

namespace sanivo {

namespace {

// The modules come up in this order, each creating its one global; they go down in reverse.
struct TModule {
  void (*initialize)();
  void (*finalize)();
};

constexpr TModule kModules[] = {
    {InitializeParamParser, FinalizeParamParser},
    {InitializeWindowsVersion, FinalizeWindowsVersion},
    {InitializeFileTypeManager, FinalizeFileTypeManager},
    {InitializeCharsetModules, FinalizeCharsetModules},
    {InitializeConsoleApp, FinalizeConsoleApp},
};

// The per-user program converts only its own Windows-1250 texts, for the console and the log,
// and keeps no file types: it starts no general conversion (no optional library, no alias
// table) and no file-type manager, and so does not carry them.
constexpr TModule kUserModules[] = {
    {InitializeParamParser, FinalizeParamParser},
    {InitializeWindowsVersion, FinalizeWindowsVersion},
    {InitializeWindows1250ConsoleApp, FinalizeConsoleApp},
};

// What differs between the two programs around their main bodies.
struct TProgram {
  std::span<const TModule> modules;
  const TSwitchTable& switches;
  int (*mainBody)(const TRunOptions& options);
  // What the program does on this Windows, for the log.
  TRepairKind (*repairKind)();
};

// Starts the modules in order and, when it goes out of scope, finalizes those that started.
class TStartedModules {
 public:
  explicit TStartedModules(std::span<const TModule> modules) : modules_(modules) {}
  void Start() {
    for (const TModule& module : modules_) {
      module.initialize();
      ++started_;
    }
  }
  ~TStartedModules() {
    while (started_ > 0) modules_[--started_].finalize();
  }
  TStartedModules(const TStartedModules&) = delete;
  TStartedModules& operator=(const TStartedModules&) = delete;

 private:
  std::span<const TModule> modules_;
  std::size_t started_ = 0;
};

// Writes the report to standard error and returns it, in the ANSI code page.
std::string WriteErrorReport(const std::string& className, std::uintptr_t address,
                             const std::string& message) {
  const std::string report =
      FormatErrorReport(className, ExtractFileName(ModuleFileName()), address, message);
  // The program's own conversion of its texts: the report is in the ANSI code page.
  const std::string converted = Windows1250ToCP852(report, ciWindows1250) + "\r\n";
  WriteStandardHandle(os::kStdErrorHandle, converted);
  return report;
}

// A run that a script started still leaves its record, and with -tise it does not wait. What
// failed may be what the log needs (the console, the charset tables): then there is no record.
void FinishFailedRun(const std::string& report, const std::optional<TRunOptions>& options,
                     TRepairKind kind) {
  try {
    // The record holds the report without its final line end.
    const std::string_view text(report);
    TRepairOutcome failed = OutcomeOf(TRepairResult::Failed, text.substr(0, text.size() - 2));
    failed.Kind = kind;
    if (options) LogRun(*options, failed);
  } catch (const Exception&) {
  } catch (const std::exception&) {
  }
  if (!options || !options->Quiet) KeepFailureReadable();
}

std::uintptr_t RelativeToModule(std::uintptr_t address) {
  return address - os::GetModuleBaseAddress();
}

}  // namespace

std::string FormatErrorReport(const std::string& className, const std::string& moduleName,
                              std::uintptr_t address, const std::string& message) {
  const std::string where = PaddedNumber(static_cast<std::uint32_t>(address), 8, 16);
  const bool needsFullStop = !message.empty() && message.back() != '.';
  return "Exception " + className + " in module " + moduleName + " at " + where + ".\r\n" +
         message + (needsFullStop ? "." : "") + "\r\n";
}

namespace {

// The error report comes first, then module shut-down, which runs on every way out.
int RunProgramAround(const TProgram& program) {
  TStartedModules modules(program.modules);
  int exitCode = 0;
  std::optional<std::string> report;
  std::optional<TRunOptions> options;
  try {
    modules.Start();
    options = ReadRunOptions(*ParamParser, program.switches);
    exitCode = program.mainBody(*options);
  } catch (const Exception& error) {
    report = WriteErrorReport(error.ClassName(), RelativeToModule(error.RaiseAddress()),
                              error.Message());
  } catch (const std::exception& error) {
    // Not ours but reachable: a 32-bit process can run out of memory (std::bad_alloc).
    report = WriteErrorReport("Exception", 0, error.what());
  }
  if (report) {
    exitCode = 1;
    FinishFailedRun(*report, options, program.repairKind());
  }
  ReleaseMainBodyGlobals();
  return exitCode;
}

}  // namespace

int RunProgram() {
  // sanivo.exe runs elevated; its own conversions need no more than the built-in tables.
  NeverLoadIconvLibrary();
  return RunProgramAround({kModules, ProgramSwitches(), RunMainBody, RepairKindForThisWindows});
}

int RunUserProgram() {
  return RunProgramAround({kUserModules, UserProgramSwitches(), RunUserMainBody, UserRepairKind});
}

}  // namespace sanivo
