#include "sysenv/system_dirs.h"

#include <array>
#include <cstdint>
#include <string_view>
#include <utility>

#include "sysenv/errors.h"
#include "sysenv/files.h"
#include "sysenv/registry.h"

namespace sanivo {

namespace {

constexpr std::array<std::pair<std::string_view, os::HKey>, 6> kRootKeys = {{
    {"HKEY_CLASSES_ROOT", os::kHkeyClassesRoot},
    {"HKEY_LOCAL_MACHINE", os::kHkeyLocalMachine},
    {"HKEY_USERS", os::kHkeyUsers},
    {"HKEY_PERFORMANCE_DATA", os::kHkeyPerformanceData},
    {"HKEY_CURRENT_CONFIG", os::kHkeyCurrentConfig},
    {"HKEY_DYN_DATA", os::kHkeyDynData},
}};

}  // namespace

os::HKey RootKeyFromName(std::string& path) {
  const std::size_t backslash = path.find('\\');
  const std::string rootName = backslash == std::string::npos ? "" : path.substr(0, backslash);
  if (backslash != std::string::npos) path.erase(0, backslash);
  for (const auto& [name, key] : kRootKeys) {
    if (rootName == name) return key;
  }
  return os::kHkeyCurrentUser;
}

std::string ReadRegistryPath(const std::string& path) {
  std::string keyPath = ExtractFilePath(path);
  const std::string valueName = ExtractFileName(path);
  const os::HKey root = RootKeyFromName(keyPath);
  if (!keyPath.empty() && keyPath.front() == '\\') keyPath.erase(0, 1);

  TRegistry registry(root);
  if (!registry.OpenKey(keyPath, false)) RaiseLastOSError();
  if (!registry.ValueExists(valueName)) throw Exception("Value does not exists.");
  return registry.ReadString(valueName);
}

std::string GetSpecialDir(const std::string& name) {
  if (name == "TEMP") {
    return QueryPath(
        [](std::uint32_t size, std::string& path) { return os::GetTempPathA(size, path); });
  }
  if (name == "WINDOWS") {
    return QueryPath(
        [](std::uint32_t size, std::string& path) { return os::GetWindowsDirectoryA(size, path); });
  }
  if (name == "SYSTEM") {
    return QueryPath(
        [](std::uint32_t size, std::string& path) { return os::GetSystemDirectoryA(size, path); });
  }
  return ReadRegistryPath(name);
}

}  // namespace sanivo
