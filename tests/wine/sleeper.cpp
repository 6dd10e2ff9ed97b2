// The child of the ExecuteAndWait check: sleeps, then creates a marker file, so that the
// caller can tell whether it had ended.
// Usage: sleeper.exe <milliseconds> <marker file>
#include <windows.h>

#include <cstdlib>

int main(int argc, char** argv) {
  if (argc != 3) return 2;
  Sleep(static_cast<DWORD>(std::strtoul(argv[1], nullptr, 10)));
  const HANDLE marker = CreateFileA(argv[2], GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
  if (marker == INVALID_HANDLE_VALUE) return 1;
  CloseHandle(marker);
  return 0;
}
