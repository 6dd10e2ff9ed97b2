// The helper program that the contract suite starts under Windows: creates the file named by
// its one parameter with the content "done", then exits with code 0.
#include <windows.h>

int main(int argc, char** argv) {
  if (argc < 2) return 1;
  const HANDLE file = CreateFileA(argv[1], GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 2;
  DWORD written = 0;
  const BOOL ok = WriteFile(file, "done", 4, &written, nullptr);
  CloseHandle(file);
  return ok ? 0 : 3;
}
