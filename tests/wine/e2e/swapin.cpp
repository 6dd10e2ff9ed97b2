// Stands in for the image-configuration tool: puts a prepared image in place of the file it is
// asked to patch by renaming, so that it writes no data itself (a scenario limits how much the
// processes may write).
// Usage, as the repair starts the tool: IMAGECFG.EXE -a 0X1 <file>. The prepared image is
// "prepared.bin" beside this program.
#include <windows.h>

#include <string>

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  char self[MAX_PATH];
  const DWORD length = GetModuleFileNameA(nullptr, self, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return 3;
  std::string prepared(self, length);
  prepared = prepared.substr(0, prepared.rfind('\\') + 1) + "prepared.bin";
  return MoveFileExA(prepared.c_str(), argv[argc - 1], MOVEFILE_REPLACE_EXISTING) ? 0 : 1;
}
