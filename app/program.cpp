#include "app/program.h"

#include <exception>

#include "app/main_body.h"
#include "base/number_text.h"
#include "charset/charset.h"
#include "charset/iconv_binding.h"
#include "cmdline/param_parser.h"
#include "console/console_app.h"
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

// Starts the modules in order and, when it goes out of scope, finalizes those that started.
class TStartedModules {
 public:
  TStartedModules() = default;
  void Start() {
    for (const TModule& module : kModules) {
      module.initialize();
      ++started_;
    }
  }
  ~TStartedModules() {
    while (started_ > 0) kModules[--started_].finalize();
  }
  TStartedModules(const TStartedModules&) = delete;
  TStartedModules& operator=(const TStartedModules&) = delete;

 private:
  std::size_t started_ = 0;
};

void WriteErrorReport(const std::string& className, std::uintptr_t address,
                      const std::string& message) {
  const std::string report =
      ConvertCharset(
          FormatErrorReport(className, ExtractFileName(ModuleFileName()), address, message),
          ciWindows1250, ciCP852) +
      "\r\n";
  WriteStandardHandle(os::kStdErrorHandle, report);
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

// The error report comes first, then module shut-down, which runs on every way out.
int RunProgram() {
  // The program runs elevated; its own conversions need nothing beyond the built-in tables.
  NeverLoadIconvLibrary();
  TStartedModules modules;
  int exitCode = 0;
  try {
    modules.Start();
    RunMainBody();
  } catch (const Exception& error) {
    WriteErrorReport(error.ClassName(), RelativeToModule(error.RaiseAddress()), error.Message());
    exitCode = 1;
  } catch (const std::exception& error) {
    // Not ours but reachable: a 32-bit process can run out of memory (std::bad_alloc).
    WriteErrorReport("Exception", 0, error.what());
    exitCode = 1;
  }
  if (exitCode != 0) KeepFailureReadable();
  ReleaseMainBodyGlobals();
  return exitCode;
}

}  // namespace sanivo
