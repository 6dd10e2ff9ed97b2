// Starts a program with a command line read byte for byte from a file, waits for it and exits
// with its exit code. Wine builds a Windows command line from Unix arguments with the C
// runtime's quoting (a final backslash inside quotes gets doubled), so the scenarios that need
// an exact command line write it to a file and start it through this program.
//
// Usage: launch.exe <file holding the command line>
// The child shares the launcher's standard handles. Exit codes of the launcher itself:
// 125 bad usage, 126 the file cannot be read, 127 the program cannot be started.
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

bool ReadWholeFile(const char* path, std::string& bytes) {
  const HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  char buffer[4096];
  DWORD read = 0;
  bool ok = true;
  while ((ok = ReadFile(file, buffer, sizeof buffer, &read, nullptr) != FALSE) && read > 0) {
    bytes.append(buffer, read);
  }
  CloseHandle(file);
  return ok;
}

HANDLE InheritableStdHandle(DWORD which) {
  const HANDLE handle = GetStdHandle(which);
  if (handle != nullptr && handle != INVALID_HANDLE_VALUE) {
    SetHandleInformation(handle, HANDLE_FLAG_INHERIT, HANDLE_FLAG_INHERIT);
  }
  return handle;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: launch.exe <command-line file>\n");
    return 125;
  }
  std::string commandLine;
  if (!ReadWholeFile(argv[1], commandLine)) {
    std::fprintf(stderr, "launch: cannot read %s (error %lu)\n", argv[1], GetLastError());
    return 126;
  }
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = InheritableStdHandle(STD_INPUT_HANDLE);
  startup.hStdOutput = InheritableStdHandle(STD_OUTPUT_HANDLE);
  startup.hStdError = InheritableStdHandle(STD_ERROR_HANDLE);
  PROCESS_INFORMATION process{};
  if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                      &startup, &process)) {
    std::fprintf(stderr, "launch: cannot start [%s] (error %lu)\n", commandLine.c_str(),
                 GetLastError());
    return 127;
  }
  WaitForSingleObject(process.hProcess, INFINITE);
  DWORD exitCode = 0;
  GetExitCodeProcess(process.hProcess, &exitCode);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return static_cast<int>(exitCode);
}
