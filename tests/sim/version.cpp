// The version record of the system and the version resources of files.
#include <algorithm>
#include <cstring>

#include "tests/sim/state.h"

namespace sim {
namespace {

constexpr std::uint32_t kOsVersionInfoExSize = 156;

// The version resource as the version library hands it out: VS_VERSIONINFO's header with its
// UTF-16 key, padded to 32 bits, then VS_FIXEDFILEINFO. Everything a query needs is inside.
constexpr std::size_t kFixedInfoOffset = 40;
constexpr std::size_t kBlockSize = kFixedInfoOffset + sizeof(os::FixedFileInfo);
constexpr std::string_view kVersionKey = "VS_VERSION_INFO";

void PutWord(std::string& block, std::size_t offset, std::uint16_t word) {
  block[offset] = static_cast<char>(word & 0xFF);
  block[offset + 1] = static_cast<char>(word >> 8);
}

std::string VersionBlock(const std::array<std::uint16_t, 4>& version) {
  std::string block(kBlockSize, '\0');
  PutWord(block, 0, static_cast<std::uint16_t>(kBlockSize));
  PutWord(block, 2, static_cast<std::uint16_t>(sizeof(os::FixedFileInfo)));
  for (std::size_t i = 0; i < kVersionKey.size(); ++i) PutWord(block, 6 + 2 * i, kVersionKey[i]);
  const std::uint32_t ms = static_cast<std::uint32_t>(version[0]) << 16 | version[1];
  const std::uint32_t ls = static_cast<std::uint32_t>(version[2]) << 16 | version[3];
  os::FixedFileInfo info{0xFEEF04BD, 0x00010000, ms, ls, ms, ls, 0x3F, 0, 0x40004, 1, 0, 0, 0};
  std::memcpy(block.data() + kFixedInfoOffset, &info, sizeof info);
  return block;
}

bool IsVersionBlock(const unsigned char* block) {
  for (std::size_t i = 0; i < kVersionKey.size(); ++i) {
    if (block[6 + 2 * i] != kVersionKey[i] || block[7 + 2 * i] != 0) return false;
  }
  return block[2] == sizeof(os::FixedFileInfo) && block[3] == 0;
}

// The version resource of a file, or the error the version library reports.
struct FoundVersion {
  std::string block;
  std::uint32_t error = os::kErrorSuccess;
};

FoundVersion FindVersion(Machine::State& s, const std::string& path) {
  std::optional<Location> location = s.Locate(path);
  if (!location) return {{}, kErrorInvalidName};
  if (std::uint32_t error = s.ParentError(*location); error != os::kErrorSuccess) {
    return {{}, error};
  }
  const FileNode* node = s.Node(location->key);
  if (node == nullptr) return {{}, os::kErrorFileNotFound};
  if (node->directory) return {{}, os::kErrorAccessDenied};
  if (!node->version) return {{}, kErrorResourceTypeNotFound};
  return {VersionBlock(*node->version)};
}

}  // namespace

void Machine::SetVersion(std::uint32_t platformId, std::uint32_t major, std::uint32_t minor,
                         const std::string& servicePack) {
  os::OsVersionInfo& version = state_->version;
  version.dwPlatformId = platformId;
  version.dwMajorVersion = major;
  version.dwMinorVersion = minor;
  std::memset(version.szCSDVersion, 0, sizeof version.szCSDVersion);
  std::copy_n(servicePack.begin(), std::min(servicePack.size(), sizeof version.szCSDVersion - 1),
              version.szCSDVersion);
}

void Machine::SetWow64(bool wow64) { state_->wow64 = wow64; }

void Machine::SetFileVersion(const std::string& path, std::uint16_t major, std::uint16_t minor,
                             std::uint16_t release, std::uint16_t build) {
  if (!HasFile(path)) AddFile(path);
  state_->Node(state_->Locate(path)->key)->version = {major, minor, release, build};
}

}  // namespace sim

namespace os {

bool GetVersionExA(OsVersionInfo& info) {
  auto& s = sim::Current("GetVersionExA");
  s.Log("GetVersionExA", std::to_string(info.dwOSVersionInfoSize));
  if (s.FailsByInjection("GetVersionExA", {})) return false;
  if (info.dwOSVersionInfoSize != kOsVersionInfoSize &&
      info.dwOSVersionInfoSize != sim::kOsVersionInfoExSize) {
    return s.Refuse(sim::kErrorInsufficientBuffer);
  }
  const std::uint32_t size = info.dwOSVersionInfoSize;
  info = s.version;
  info.dwOSVersionInfoSize = size;
  return true;
}

bool IsWow64Process(bool& isWow64) {
  auto& s = sim::Current("IsWow64Process");
  s.Log("IsWow64Process", "");
  isWow64 = false;
  if (s.FailsByInjection("IsWow64Process", {})) return false;
  isWow64 = s.wow64;
  return true;
}

std::uint32_t GetFileVersionInfoSizeA(const std::string& path, std::uint32_t* handle) {
  auto& s = sim::Current("GetFileVersionInfoSizeA");
  s.Log("GetFileVersionInfoSizeA", path);
  if (handle != nullptr) *handle = 0;
  if (s.FailsByInjection("GetFileVersionInfoSizeA", {path})) return 0;
  sim::FoundVersion found = sim::FindVersion(s, path);
  if (found.error != kErrorSuccess) {
    s.lastError = found.error;
    return 0;
  }
  return static_cast<std::uint32_t>(found.block.size());
}

bool GetFileVersionInfoA(const std::string& path, std::uint32_t handle, std::uint32_t size,
                         void* block) {
  auto& s = sim::Current("GetFileVersionInfoA");
  s.Log("GetFileVersionInfoA", path + "|" + std::to_string(handle) + "|" + std::to_string(size));
  if (s.FailsByInjection("GetFileVersionInfoA", {path})) return false;
  if (block == nullptr || size == 0) return s.Refuse(kErrorInvalidParameter);
  sim::FoundVersion found = sim::FindVersion(s, path);
  if (found.error != kErrorSuccess) return s.Refuse(found.error);
  std::memcpy(block, found.block.data(), std::min<std::size_t>(size, found.block.size()));
  return true;
}

// Only the root block "\" is held; the string tables are not modelled.
bool VerQueryValueA(const void* block, const std::string& subBlock, const void** value,
                    std::uint32_t* length) {
  auto& s = sim::Current("VerQueryValueA");
  s.Log("VerQueryValueA", subBlock);
  if (s.FailsByInjection("VerQueryValueA", {subBlock})) return false;
  const auto* bytes = static_cast<const unsigned char*>(block);
  if (bytes == nullptr || !sim::IsVersionBlock(bytes) || (subBlock != "\\" && !subBlock.empty())) {
    if (length != nullptr) *length = 0;
    return false;
  }
  if (value != nullptr) *value = bytes + sim::kFixedInfoOffset;
  if (length != nullptr) *length = sizeof(FixedFileInfo);
  return true;
}

}  // namespace os
