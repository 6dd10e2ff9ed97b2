// What the suite has to know about the Windows it runs on when that is Wine.
#include <windows.h>

#include "tests/contract/contract.h"

namespace contract {
namespace {

bool RunsOnWine() {
  const HMODULE ntdll = GetModuleHandleA("ntdll.dll");
  return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

}  // namespace

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
