// The whole run: module start-up, the main body, the top-level error report, shut-down.
#pragma once

#include <cstdint>
#include <string>

namespace sanivo {

class Exception;

// Returns the process exit code: 1 after an error reached the top; after a normal run 0, or
// with -tise or -kontrola what happened (ExitCodeOf).
int RunProgram();
// The same for sanivo-uzivatel.exe, around its own main body.
int RunUserProgram();

// "Exception <class> in module <exe> at <address>.\r\n<message>[.]\r\n", in the ANSI code page.
std::string FormatErrorReport(const std::string& className, const std::string& moduleName,
                              std::uintptr_t address, const std::string& message);

}  // namespace sanivo
