// Holds the turn of a run of the program, as another run does, for a scenario.
// Usage: holdturn.exe <mutex name> <marker file to create once it holds it> <flag file>
// Releases the mutex once the flag file exists (at the latest after two minutes).
#include <windows.h>

int main(int argc, char** argv) {
  if (argc != 4) return 2;
  const HANDLE turn = CreateMutexA(nullptr, TRUE, argv[1]);
  if (turn == nullptr || GetLastError() == ERROR_ALREADY_EXISTS) return 1;
  CloseHandle(CreateFileA(argv[2], GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                          nullptr));
  for (int waited = 0; waited < 1200; ++waited) {
    if (GetFileAttributesA(argv[3]) != INVALID_FILE_ATTRIBUTES) break;
    Sleep(100);
  }
  ReleaseMutex(turn);
  CloseHandle(turn);
  return 0;
}
