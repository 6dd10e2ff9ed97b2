#include "sysenv/file_identity.h"

#include <optional>

#include "platform/os.h"

namespace sanivo {

namespace {

// Our handle keeps anyone from deleting the object and nobody from reading or writing it.
os::Handle Hold(const std::string& path) {
  return os::CreateFileA(path, os::kGenericRead, os::kFileShareRead | os::kFileShareWrite,
                         os::kOpenExisting, os::kFileFlagBackupSemantics);
}

bool IsMissing(std::uint32_t error) {
  return error == os::kErrorFileNotFound || error == os::kErrorPathNotFound;
}

enum class TDeleteOpen { Opened, Missing, Refused };

// An open that asks for the right to delete, and gives it back at once.
TDeleteOpen OpenForDeleting(const std::string& path) {
  const os::Handle file = os::CreateFileA(
      path, os::kDelete, os::kFileShareRead | os::kFileShareWrite | os::kFileShareDelete,
      os::kOpenExisting, os::kFileFlagBackupSemantics);
  if (file != os::kInvalidHandle) {
    os::CloseHandle(file);
    return TDeleteOpen::Opened;
  }
  return IsMissing(os::GetLastError()) ? TDeleteOpen::Missing : TDeleteOpen::Refused;
}

// Whether `probed` is the object `held` names, found out by holding it: an open of `probed`
// for deleting is refused while we hold `held` exactly when both are one object. Nothing when
// the open is refused for another reason too (another program holds `probed` likewise, or
// the right to delete is not ours).
std::optional<bool> TellByHolding(const std::string& held, const std::string& probed) {
  const os::Handle hold = Hold(held);
  if (hold == os::kInvalidHandle) {
    if (IsMissing(os::GetLastError())) return false;
    return std::nullopt;
  }
  const TDeleteOpen whileHeld = OpenForDeleting(probed);
  os::CloseHandle(hold);
  if (whileHeld != TDeleteOpen::Refused) return false;
  if (OpenForDeleting(probed) == TDeleteOpen::Opened) return true;
  return std::nullopt;
}

}  // namespace

bool SameFileOrFolder(const std::string& first, const std::string& second) {
  if (const std::optional<bool> same = TellByHolding(first, second)) return *same;
  if (const std::optional<bool> same = TellByHolding(second, first)) return *same;
  return true;
}

}  // namespace sanivo
