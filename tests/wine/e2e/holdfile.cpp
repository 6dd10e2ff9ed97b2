// Holds a file open the way a running DOS program holds NTVDM.EXE, for a scenario.
// Usage: holdfile.exe <file> <marker file to create once it is open> <seconds>
#include <windows.h>

#include <cstdlib>

int main(int argc, char** argv) {
  if (argc != 4) return 2;
  const HANDLE held = CreateFileA(argv[1], GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
  if (held == INVALID_HANDLE_VALUE) return 1;
  const HANDLE marker = CreateFileA(argv[2], GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
  CloseHandle(marker);
  Sleep(static_cast<DWORD>(std::atoi(argv[3])) * 1000);
  CloseHandle(held);
  return 0;
}
