#include "sysenv/registry.h"

#include <cstring>

#include "sysenv/errors.h"

namespace sanivo {

namespace {

std::string Quoted(const std::string& name) { return "'" + name + "'"; }

[[noreturn]] void RaiseReadError(const std::string& name) {
  throw ERegistryException("Invalid data type for " + Quoted(name));
}

[[noreturn]] void RaiseGetDataError(const std::string& name) {
  throw ERegistryException("Failed to get data for " + Quoted(name));
}

[[noreturn]] void RaiseSetDataError(const std::string& name) {
  throw ERegistryException("Failed to set data for " + Quoted(name));
}

}  // namespace

TRegistry::TRegistry(os::HKey root) : root_(root) {}

TRegistry::~TRegistry() { CloseKey(); }

void TRegistry::SetRootKey(os::HKey root) {
  CloseKey();
  root_ = root;
}

bool TRegistry::OpenKey(const std::string& key, bool canCreate) {
  CloseKey();
  os::HKey opened = 0;
  const std::int32_t result =
      canCreate ? os::RegCreateKeyExA(root_, key, os::kKeyAllAccess, opened, nullptr)
                : os::RegOpenKeyExA(root_, key, os::kKeyAllAccess, opened);
  return TakeOpenedKey(result, opened);
}

bool TRegistry::OpenKeyReadOnly(const std::string& key) {
  CloseKey();
  os::HKey opened = 0;
  const std::int32_t result = os::RegOpenKeyExA(root_, key, os::kKeyRead, opened);
  return TakeOpenedKey(result, opened);
}

bool TRegistry::TakeOpenedKey(std::int32_t result, os::HKey opened) {
  if (result != os::kErrorSuccess) {
    os::SetLastError(static_cast<std::uint32_t>(result));
    return false;
  }
  current_ = opened;
  return true;
}

void TRegistry::CloseKey() {
  if (current_ != 0) os::RegCloseKey(current_);
  current_ = 0;
}

bool TRegistry::KeyExists(const std::string& key) const {
  os::HKey probe = 0;
  if (os::RegOpenKeyExA(root_, key, os::kKeyRead, probe) != os::kErrorSuccess) return false;
  os::RegCloseKey(probe);
  return true;
}

bool TRegistry::ValueExists(const std::string& name) const { return ValueType(name).has_value(); }

std::optional<std::uint32_t> TRegistry::ValueType(const std::string& name) const {
  std::uint32_t type = 0;
  std::uint32_t size = 0;
  if (os::RegQueryValueExA(current_, name, &type, nullptr, &size) != os::kErrorSuccess) {
    return std::nullopt;
  }
  return type;
}

std::string TRegistry::ReadString(const std::string& name) const {
  std::uint32_t type = 0;
  std::uint32_t size = 0;
  if (os::RegQueryValueExA(current_, name, &type, nullptr, &size) != os::kErrorSuccess ||
      size == 0) {
    return {};
  }
  if (type != os::kRegSz && type != os::kRegExpandSz) RaiseReadError(name);
  std::string data;
  if (os::RegQueryValueExA(current_, name, &type, &data, &size) != os::kErrorSuccess) {
    RaiseGetDataError(name);
  }
  return data.substr(0, data.find('\0'));
}

std::uint32_t TRegistry::ReadInteger(const std::string& name) const {
  std::uint32_t type = 0;
  std::uint32_t size = sizeof(std::uint32_t);
  std::string data;
  if (os::RegQueryValueExA(current_, name, &type, &data, &size) != os::kErrorSuccess) {
    RaiseGetDataError(name);
  }
  if (type != os::kRegDword || data.size() != sizeof(std::uint32_t)) RaiseReadError(name);
  std::uint32_t value = 0;
  std::memcpy(&value, data.data(), sizeof value);
  return value;
}

void TRegistry::WriteString(const std::string& name, const std::string& value) {
  const std::string data = value + '\0';
  if (os::RegSetValueExA(current_, name, os::kRegSz, data) != os::kErrorSuccess) {
    RaiseSetDataError(name);
  }
}

void TRegistry::WriteInteger(const std::string& name, std::uint32_t value) {
  char data[sizeof value];
  std::memcpy(data, &value, sizeof value);
  if (os::RegSetValueExA(current_, name, os::kRegDword, std::string_view(data, sizeof data)) !=
      os::kErrorSuccess) {
    RaiseSetDataError(name);
  }
}

std::optional<TRegistry::TRawValue> TRegistry::ReadRaw(const std::string& name) const {
  TRawValue value;
  std::uint32_t size = 0;
  const std::int32_t probe = os::RegQueryValueExA(current_, name, &value.Type, nullptr, &size);
  if (probe == os::kErrorFileNotFound) return std::nullopt;
  if (probe != os::kErrorSuccess ||
      os::RegQueryValueExA(current_, name, &value.Type, &value.Data, &size) != os::kErrorSuccess) {
    RaiseGetDataError(name);
  }
  return value;
}

void TRegistry::WriteRaw(const std::string& name, const TRawValue& value) {
  if (os::RegSetValueExA(current_, name, value.Type, value.Data) != os::kErrorSuccess) {
    RaiseSetDataError(name);
  }
}

void TRegistry::DeleteValue(const std::string& name) {
  const std::int32_t result = os::RegDeleteValueA(current_, name);
  if (result != os::kErrorSuccess && result != os::kErrorFileNotFound) {
    throw ERegistryException("Failed to delete " + Quoted(name));
  }
}

bool TRegistry::KeyIsEmpty() const {
  std::uint32_t subKeys = 0;
  std::uint32_t values = 0;
  if (os::RegQueryInfoKeyA(current_, &subKeys, &values) != os::kErrorSuccess) {
    throw ERegistryException("Failed to query the key");
  }
  return subKeys == 0 && values == 0;
}

bool TRegistry::DeleteKey(const std::string& key) {
  const std::int32_t result = os::RegDeleteKeyA(root_, key);
  if (result == os::kErrorSuccess) return true;
  os::SetLastError(static_cast<std::uint32_t>(result));
  return false;
}

}  // namespace sanivo
