// The registry: the predefined roots, keys and values, open key handles with their access.
#include <algorithm>
#include <cstdio>

#include "tests/sim/state.h"

namespace sim {
namespace {

constexpr std::uint32_t kKeyQueryValue = 0x0001;
constexpr std::uint32_t kKeySetValue = 0x0002;
constexpr std::uint32_t kKeyCreateSubKey = 0x0004;
// KEY_SET_VALUE, KEY_CREATE_SUB_KEY, KEY_CREATE_LINK, DELETE, WRITE_DAC, WRITE_OWNER
constexpr std::uint32_t kKeyWriteRights = 0xD0026;

bool IsPredefined(os::HKey key) { return key >= os::kHkeyClassesRoot && key <= os::kHkeyDynData; }

std::string RootName(os::HKey root) {
  static const char* const names[] = {
      "HKEY_CLASSES_ROOT",     "HKEY_CURRENT_USER",   "HKEY_LOCAL_MACHINE", "HKEY_USERS",
      "HKEY_PERFORMANCE_DATA", "HKEY_CURRENT_CONFIG", "HKEY_DYN_DATA"};
  return names[root - os::kHkeyClassesRoot];
}

std::vector<std::string> SplitKeyPath(std::string_view path) {
  std::vector<std::string> names;
  std::string name;
  for (char c : path) {
    if (c != '\\') {
      name += c;
    } else if (!name.empty()) {
      names.push_back(std::move(name));
      name.clear();
    }
  }
  if (!name.empty()) names.push_back(std::move(name));
  return names;
}

std::string PathText(os::HKey root, const std::vector<std::string>& path) {
  std::string text = RootName(root);
  for (const std::string& name : path) text += "\\" + name;
  return text;
}

// A key handle as the caller passed it: a predefined root or a key the program opened.
struct Base {
  OpenKey key;
  std::int32_t error = os::kErrorSuccess;
};

Base ResolveHandle(const Machine::State& s, os::HKey handle) {
  if (IsPredefined(handle)) return {{handle, {}, os::kKeyAllAccess}};
  auto open = s.openKeys.find(handle);
  if (open == s.openKeys.end()) return {{}, os::kErrorInvalidHandle};
  return {open->second};
}

std::string ValueText(const RegistryValue& value) {
  if ((value.type == os::kRegSz || value.type == os::kRegExpandSz) && !value.data.empty() &&
      value.data.back() == '\0') {
    return "\"" + value.data.substr(0, value.data.size() - 1) + "\"";
  }
  if (value.type == os::kRegDword && value.data.size() == 4) {
    std::uint32_t number = 0;
    for (int i = 3; i >= 0; --i) number = number << 8 | static_cast<unsigned char>(value.data[i]);
    return std::to_string(number);
  }
  std::string text = "hex:";
  for (char byte : value.data) {
    char pair[4];
    std::snprintf(pair, sizeof pair, "%02X", static_cast<unsigned char>(byte));
    text += pair;
  }
  return text;
}

void DumpKey(const RegistryKey& key, const std::string& path, std::vector<std::string>& lines) {
  lines.push_back(path);
  for (const auto& [upper, named] : key.values) {
    lines.push_back(path + " [" + named.first + "] type " + std::to_string(named.second.type) +
                    " = " + ValueText(named.second));
  }
  for (const auto& [upper, subkey] : key.subkeys) {
    DumpKey(*subkey, path + "\\" + subkey->name, lines);
  }
}

}  // namespace

RegistryKey* Machine::State::Key(os::HKey root, const std::vector<std::string>& path) {
  auto found = registryRoots.find(root);
  if (found == registryRoots.end()) return nullptr;
  RegistryKey* key = &found->second;
  for (const std::string& name : path) {
    auto sub = key->subkeys.find(UpperAnsi(name));
    if (sub == key->subkeys.end()) return nullptr;
    key = sub->second.get();
  }
  return key;
}

RegistryKey& Machine::State::CreateKey(os::HKey root, const std::vector<std::string>& path) {
  RegistryKey* key = &registryRoots.at(root);
  for (const std::string& name : path) {
    std::unique_ptr<RegistryKey>& sub = key->subkeys[UpperAnsi(name)];
    if (!sub) {
      sub = std::make_unique<RegistryKey>();
      sub->name = name;
    }
    key = sub.get();
  }
  return *key;
}

void Machine::State::RecordPendingRename(const std::string& source, const std::string& target) {
  RegistryKey& key = CreateKey(os::kHkeyLocalMachine, SplitKeyPath(os::kSessionManagerKey));
  auto& [name, value] = key.values[UpperAnsi(os::kPendingFileRenameOperations)];
  name = os::kPendingFileRenameOperations;
  value.type = os::kRegMultiSz;
  // Each string ends in a zero and the list in one more.
  if (!value.data.empty()) value.data.pop_back();
  value.data += "\\??\\" + source + '\0' + (target.empty() ? "" : "\\??\\" + target) + '\0' + '\0';
}

void Machine::AddKey(os::HKey root, const std::string& key) {
  if (!IsPredefined(root)) Misuse("AddKey needs a predefined root");
  state_->CreateKey(root, SplitKeyPath(key));
}

void Machine::SetValue(os::HKey root, const std::string& key, const std::string& name,
                       std::uint32_t type, const std::string& data) {
  if (!IsPredefined(root)) Misuse("SetValue needs a predefined root");
  state_->CreateKey(root, SplitKeyPath(key)).values[UpperAnsi(name)] = {name, {type, data}};
}

void Machine::SetString(os::HKey root, const std::string& key, const std::string& name,
                        const std::string& text, std::uint32_t type) {
  SetValue(root, key, name, type, text + '\0');
}

void Machine::SetDword(os::HKey root, const std::string& key, const std::string& name,
                       std::uint32_t value) {
  std::string data;
  for (int i = 0; i < 4; ++i) data += static_cast<char>(value >> (8 * i) & 0xFF);
  SetValue(root, key, name, os::kRegDword, data);
}

bool Machine::HasKey(os::HKey root, const std::string& key) const {
  return state_->Key(root, SplitKeyPath(key)) != nullptr;
}

std::optional<RegistryValue> Machine::Value(os::HKey root, const std::string& key,
                                            const std::string& name) const {
  const RegistryKey* found = state_->Key(root, SplitKeyPath(key));
  if (found == nullptr) return std::nullopt;
  auto value = found->values.find(UpperAnsi(name));
  if (value == found->values.end()) return std::nullopt;
  return value->second.second;
}

std::vector<std::string> Machine::ValueNames(os::HKey root, const std::string& key) const {
  std::vector<std::string> names;
  if (const RegistryKey* found = state_->Key(root, SplitKeyPath(key))) {
    for (const auto& [upper, named] : found->values) names.push_back(named.first);
  }
  return names;
}

std::vector<std::string> Machine::RegistryDump() const {
  std::vector<std::string> lines;
  for (const auto& [root, key] : state_->registryRoots) DumpKey(key, RootName(root), lines);
  std::sort(lines.begin(), lines.end(), LessNoCase);
  return lines;
}

int Machine::OpenKeyCount() const { return static_cast<int>(state_->openKeys.size()); }

}  // namespace sim

namespace os {

namespace {

// The work shared by RegOpenKeyExA and RegCreateKeyExA.
// `created` is null for an open, which never creates.
std::int32_t OpenOrCreate(sim::FailableCall operation, HKey root, const std::string& subKey,
                          std::uint32_t access, HKey& key, bool* created) {
  auto& s = sim::Current(operation.Name());
  key = 0;
  sim::Base base = sim::ResolveHandle(s, root);
  std::vector<std::string> path = base.key.path;
  for (std::string& name : sim::SplitKeyPath(subKey)) path.push_back(std::move(name));
  std::string target = base.error == kErrorSuccess ? sim::PathText(base.key.root, path) : subKey;
  s.Log(operation.Name(), target);
  if (std::optional<std::uint32_t> error = s.Injected(operation, {target})) {
    return static_cast<std::int32_t>(*error);
  }
  if (base.error != kErrorSuccess) return base.error;
  if (s.Key(base.key.root, base.key.path) == nullptr) return sim::kErrorKeyDeleted;
  if (subKey.starts_with("\\")) return sim::kErrorBadPathname;
  const bool exists = s.Key(base.key.root, path) != nullptr;
  if (!exists && created == nullptr) return kErrorFileNotFound;
  if (s.standardUser && base.key.root == kHkeyLocalMachine && (access & sim::kKeyWriteRights)) {
    return kErrorAccessDenied;
  }
  if (!exists) {
    if (!(base.key.access & sim::kKeyCreateSubKey)) return kErrorAccessDenied;
    s.CreateKey(base.key.root, path);
  }
  if (created != nullptr) *created = !exists;
  key = s.nextKey;
  s.nextKey += 4;
  s.openKeys[key] = {base.key.root, path, access};
  return kErrorSuccess;
}

// An open key for a value operation, or the error to return.
std::int32_t KeyForValues(sim::Machine::State& s, HKey handle, std::uint32_t access,
                          sim::RegistryKey*& key) {
  sim::Base base = sim::ResolveHandle(s, handle);
  if (base.error != kErrorSuccess) return base.error;
  if (!(base.key.access & access)) return kErrorAccessDenied;
  key = s.Key(base.key.root, base.key.path);
  return key == nullptr ? sim::kErrorKeyDeleted : kErrorSuccess;
}

}  // namespace

std::int32_t RegOpenKeyExA(HKey root, const std::string& subKey, std::uint32_t access, HKey& key) {
  return OpenOrCreate("RegOpenKeyExA", root, subKey, access, key, nullptr);
}

std::int32_t RegCreateKeyExA(HKey root, const std::string& subKey, std::uint32_t access, HKey& key,
                             bool* created) {
  bool wasCreated = false;
  std::int32_t result = OpenOrCreate("RegCreateKeyExA", root, subKey, access, key, &wasCreated);
  if (created != nullptr && result == kErrorSuccess) *created = wasCreated;
  return result;
}

std::int32_t RegQueryValueExA(HKey key, const std::string& name, std::uint32_t* type,
                              std::string* data, std::uint32_t* size) {
  auto& s = sim::Current("RegQueryValueExA");
  s.Log("RegQueryValueExA", name);
  if (std::optional<std::uint32_t> error = s.Injected("RegQueryValueExA", {name})) {
    return static_cast<std::int32_t>(*error);
  }
  sim::RegistryKey* found = nullptr;
  if (std::int32_t error = KeyForValues(s, key, sim::kKeyQueryValue, found)) return error;
  auto value = found->values.find(sim::UpperAnsi(name));
  if (value == found->values.end()) return kErrorFileNotFound;
  const sim::RegistryValue& stored = value->second.second;
  if (data != nullptr && size == nullptr) return kErrorInvalidParameter;
  if (type != nullptr) *type = stored.type;
  auto length = static_cast<std::uint32_t>(stored.data.size());
  if (data != nullptr) {
    if (*size < length) {
      *size = length;
      data->clear();
      return kErrorMoreData;
    }
    *data = stored.data;
  }
  if (size != nullptr) *size = length;
  return kErrorSuccess;
}

std::int32_t RegSetValueExA(HKey key, const std::string& name, std::uint32_t type,
                            std::string_view data) {
  auto& s = sim::Current("RegSetValueExA");
  s.Log("RegSetValueExA", name);
  if (std::optional<std::uint32_t> error = s.Injected("RegSetValueExA", {name})) {
    return static_cast<std::int32_t>(*error);
  }
  sim::RegistryKey* found = nullptr;
  if (std::int32_t error = KeyForValues(s, key, sim::kKeySetValue, found)) return error;
  std::string stored(data);
  // NT adds the terminating zero that a caller left off a string.
  const bool isString = type == kRegSz || type == kRegExpandSz || type == kRegMultiSz;
  if (isString && !stored.empty() && stored.back() != '\0') stored += '\0';
  found->values[sim::UpperAnsi(name)] = {name, {type, std::move(stored)}};
  return kErrorSuccess;
}

std::int32_t RegDeleteValueA(HKey key, const std::string& name) {
  auto& s = sim::Current("RegDeleteValueA");
  s.Log("RegDeleteValueA", name);
  if (std::optional<std::uint32_t> error = s.Injected("RegDeleteValueA", {name})) {
    return static_cast<std::int32_t>(*error);
  }
  sim::RegistryKey* found = nullptr;
  if (std::int32_t error = KeyForValues(s, key, sim::kKeySetValue, found)) return error;
  return found->values.erase(sim::UpperAnsi(name)) == 0 ? kErrorFileNotFound : kErrorSuccess;
}

std::int32_t RegDeleteKeyA(HKey root, const std::string& subKey) {
  auto& s = sim::Current("RegDeleteKeyA");
  sim::Base base = sim::ResolveHandle(s, root);
  std::vector<std::string> path = base.key.path;
  for (std::string& name : sim::SplitKeyPath(subKey)) path.push_back(std::move(name));
  std::string target = base.error == kErrorSuccess ? sim::PathText(base.key.root, path) : subKey;
  s.Log("RegDeleteKeyA", target);
  if (std::optional<std::uint32_t> error = s.Injected("RegDeleteKeyA", {target})) {
    return static_cast<std::int32_t>(*error);
  }
  if (base.error != kErrorSuccess) return base.error;
  if (subKey.starts_with("\\")) return sim::kErrorBadPathname;
  if (path.empty()) return kErrorAccessDenied;  // a predefined root stays
  sim::RegistryKey* key = s.Key(base.key.root, path);
  if (key == nullptr) return kErrorFileNotFound;
  if (!key->subkeys.empty()) return kErrorAccessDenied;
  if (s.standardUser && base.key.root == kHkeyLocalMachine) return kErrorAccessDenied;
  std::vector<std::string> parentPath(path.begin(), path.end() - 1);
  s.Key(base.key.root, parentPath)->subkeys.erase(sim::UpperAnsi(path.back()));
  return kErrorSuccess;
}

std::int32_t RegQueryInfoKeyA(HKey key, std::uint32_t* subKeys, std::uint32_t* values) {
  auto& s = sim::Current("RegQueryInfoKeyA");
  s.Log("RegQueryInfoKeyA", "");
  if (std::optional<std::uint32_t> error = s.Injected("RegQueryInfoKeyA", {})) {
    return static_cast<std::int32_t>(*error);
  }
  sim::RegistryKey* found = nullptr;
  if (std::int32_t error = KeyForValues(s, key, sim::kKeyQueryValue, found)) return error;
  if (subKeys != nullptr) *subKeys = static_cast<std::uint32_t>(found->subkeys.size());
  if (values != nullptr) *values = static_cast<std::uint32_t>(found->values.size());
  return kErrorSuccess;
}

std::int32_t RegCloseKey(HKey key) {
  auto& s = sim::Current("RegCloseKey");
  sim::Base base = sim::ResolveHandle(s, key);
  s.Log("RegCloseKey", base.error == kErrorSuccess ? sim::PathText(base.key.root, base.key.path)
                                                   : std::to_string(key));
  if (std::optional<std::uint32_t> error = s.Injected("RegCloseKey", {})) {
    return static_cast<std::int32_t>(*error);
  }
  if (base.error != kErrorSuccess) return base.error;
  s.openKeys.erase(key);
  return kErrorSuccess;
}

}  // namespace os
