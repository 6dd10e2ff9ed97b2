// A canary DLL for the planted-library scenario. Planted under the names of libraries that the
// system loads on demand, it leaves C:\canary\<its file name>.loaded, holding the path of the
// program that loaded it, as soon as any process loads it.
#include <windows.h>

#include <cstring>

namespace {

const char* BaseName(const char* path) {
  const char* slash = std::strrchr(path, '\\');
  return slash != nullptr ? slash + 1 : path;
}

void LeaveMarker(HINSTANCE self) {
  char dll[MAX_PATH] = {};
  char program[MAX_PATH] = {};
  if (GetModuleFileNameA(self, dll, MAX_PATH) == 0) return;
  GetModuleFileNameA(nullptr, program, MAX_PATH);
  char marker[MAX_PATH + 32] = "C:\\canary\\";
  std::strncat(marker, BaseName(dll), MAX_PATH);
  std::strcat(marker, ".loaded");
  const HANDLE file =
      CreateFileA(marker, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  WriteFile(file, program, static_cast<DWORD>(std::strlen(program)), &written, nullptr);
  CloseHandle(file);
}

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) LeaveMarker(self);
  return TRUE;
}
