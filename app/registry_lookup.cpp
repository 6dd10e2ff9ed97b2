#include "app/registry_lookup.h"

#include <optional>

#include "app/stage.h"

namespace sanivo {

bool OpenedIfThere(TRegistry& registry, os::HKey root, const std::string& key, TKeyAccess access) {
  registry.SetRootKey(root);
  const bool opened =
      access == TKeyAccess::Read ? registry.OpenKeyReadOnly(key) : registry.OpenKey(key, false);
  if (opened) return true;
  if (os::GetLastError() != os::kErrorFileNotFound) FailStep("RegOpenKeyExA");
  return false;
}

bool HoldsText(const TRegistry& registry, const std::string& name, std::string_view text) {
  const std::optional<TRegistry::TRawValue> value = registry.ReadRaw(name);
  return value && (value->Type == os::kRegSz || value->Type == os::kRegExpandSz) &&
         std::string_view(value->Data).substr(0, value->Data.find('\0')) == text;
}

}  // namespace sanivo
