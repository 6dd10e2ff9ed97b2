// What the suite has to know about the Windows it runs on when that is Wine.
#include <windows.h>

#include <string>

#include "tests/contract/contract.h"

namespace contract {
namespace {

bool RunsOnWine() {
  const HMODULE ntdll = GetModuleHandleA("ntdll.dll");
  return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

}  // namespace

SecondDriveLetter::SecondDriveLetter(const std::string& folder) {
  if (RunsOnWine()) {
    using UnixFileName = char*(CDECL*)(LPCWSTR);
    const auto unixFileName = reinterpret_cast<UnixFileName>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
    const std::wstring wide(folder.begin(), folder.end());
    char* const unixPath = unixFileName != nullptr ? unixFileName(wide.c_str()) : nullptr;
    EXPECT_NE(unixPath, nullptr);
    if (unixPath == nullptr) return;
    root_ = "Z:" + std::string(unixPath);
    HeapFree(GetProcessHeap(), 0, unixPath);
    for (char& c : root_) c = c == '/' ? '\\' : c;
    if (root_.back() != '\\') root_ += '\\';
    return;
  }
  std::string target = folder;
  if (target.size() > 3 && target.back() == '\\') target.pop_back();
  defined_ = DefineDosDeviceA(0, "Q:", target.c_str()) != FALSE;
  EXPECT_TRUE(defined_) << "error " << GetLastError();
  root_ = "Q:\\";
}

SecondDriveLetter::~SecondDriveLetter() {
  if (defined_) DefineDosDeviceA(DDD_REMOVE_DEFINITION, "Q:", nullptr);
}

bool ReadOnlyFilesRefuseWriting() {
  if (!RunsOnWine()) return true;
  char user[256];
  DWORD size = sizeof user;
  return !(GetUserNameA(user, &size) && lstrcmpiA(user, "root") == 0);
}

std::uint32_t UnlockingAnUnlockedRangeError() {
  return RunsOnWine() ? os::kErrorLockViolation : os::kErrorNotLocked;
}

}  // namespace contract
