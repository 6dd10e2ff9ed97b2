// Loads a library by its bare name, as system DLLs load others on demand, and prints the path
// it came from (or "not loaded"), then whether the version library still reads a system file's
// version information. With "restricted", the DLL search is first restricted
// through the seam, as the programs do at their start.
// Usage: dll_search_probe.exe restricted|unrestricted <library name>
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

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
  // The version library, which the seam loads by its full path, must load either way.
  char system[MAX_PATH] = {};
  GetSystemDirectoryA(system, MAX_PATH);
  const std::uint32_t versionInfo =
      os::GetFileVersionInfoSizeA(std::string(system) + "\\kernel32.dll", nullptr);
  std::printf("%s\nversion info %s\n", path, versionInfo > 0 ? "read" : "missing");
  return 0;
}
