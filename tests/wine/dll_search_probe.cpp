// Loads a library by its bare name, as system DLLs load others on demand, and prints the path
// it came from (or "not loaded"). With "restricted", the DLL search is first restricted
// through the seam, as the programs do at their start.
// Usage: dll_search_probe.exe restricted|unrestricted <library name>
#include <windows.h>

#include <cstdio>
#include <cstring>

#include "platform/os.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: dll_search_probe.exe restricted|unrestricted <name>\n");
    return 2;
  }
  if (std::strcmp(argv[1], "restricted") == 0) os::RestrictDllSearchToSystem();
  const HMODULE library = LoadLibraryA(argv[2]);
  char path[MAX_PATH] = "not loaded";
  if (library != nullptr) GetModuleFileNameA(library, path, MAX_PATH);
  std::printf("%s\n", path);
  return 0;
}
