// Stands in for the image-configuration tool: puts a prepared image in place of the file it is
// asked to patch by renaming, so that it writes no data itself (a scenario limits how much the
// processes may write), as another program could swap the file the moment the real tool ends.
// Usage, as the repair starts the tool: IMAGECFG.EXE -a 0X1 <file>. The prepared image is
// "prepared.bin" beside this program. With "wait.flag" beside it, it then creates
// "swapped.flag" and ends only once "go.flag" appears, so that a scenario can act in between.
#include <windows.h>

#include <string>

namespace {

bool Exists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  char self[MAX_PATH];
  const DWORD length = GetModuleFileNameA(nullptr, self, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return 3;
  std::string dir(self, length);
  dir = dir.substr(0, dir.rfind('\\') + 1);
  if (!MoveFileExA((dir + "prepared.bin").c_str(), argv[argc - 1], MOVEFILE_REPLACE_EXISTING)) {
    return 1;
  }
  if (!Exists(dir + "wait.flag")) return 0;
  CloseHandle(CreateFileA((dir + "swapped.flag").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                          FILE_ATTRIBUTE_NORMAL, nullptr));
  for (int i = 0; i < 1200 && !Exists(dir + "go.flag"); ++i) Sleep(100);
  return 0;
}
