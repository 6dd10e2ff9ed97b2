// The registry. Results are the system error codes that the Reg... calls return.
#include <algorithm>

#include "platform/win32/native.h"

namespace os {

using win32::ToNativeKey;

std::int32_t RegOpenKeyExA(HKey root, const std::string& subKey, std::uint32_t access, HKey& key) {
  HKEY opened = nullptr;
  const LONG result = ::RegOpenKeyExA(ToNativeKey(root), subKey.c_str(), 0, access, &opened);
  key = reinterpret_cast<HKey>(opened);
  return result;
}

std::int32_t RegCreateKeyExA(HKey root, const std::string& subKey, std::uint32_t access, HKey& key,
                             bool* created) {
  HKEY opened = nullptr;
  DWORD disposition = 0;
  const LONG result =
      ::RegCreateKeyExA(ToNativeKey(root), subKey.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                        access, nullptr, &opened, &disposition);
  key = reinterpret_cast<HKey>(opened);
  if (created != nullptr) *created = result == ERROR_SUCCESS && disposition == REG_CREATED_NEW_KEY;
  return result;
}

std::int32_t RegQueryValueExA(HKey key, const std::string& name, std::uint32_t* type,
                              std::string* data, std::uint32_t* size) {
  // The out-values start as the caller's, so that whatever the call leaves alone stays so.
  DWORD valueType = type != nullptr ? *type : 0;
  DWORD byteCount = size != nullptr ? *size : 0;
  std::vector<BYTE> buffer(data != nullptr && byteCount > 0 ? byteCount : 1);
  const LONG result = ::RegQueryValueExA(
      ToNativeKey(key), name.c_str(), nullptr, type != nullptr ? &valueType : nullptr,
      data != nullptr ? buffer.data() : nullptr, size != nullptr ? &byteCount : nullptr);
  if (type != nullptr) *type = valueType;
  if (size != nullptr) *size = byteCount;
  if (data != nullptr) {
    if (result == ERROR_SUCCESS) {
      data->assign(reinterpret_cast<const char*>(buffer.data()),
                   std::min<std::size_t>(byteCount, buffer.size()));
    } else {
      data->clear();
    }
  }
  return result;
}

std::int32_t RegSetValueExA(HKey key, const std::string& name, std::uint32_t type,
                            std::string_view data) {
  // The call reads one byte past the data it is given, to add a missing string terminator
  // when the next byte is zero; a copy makes that byte ours, and always zero.
  const std::string bytes(data);
  return ::RegSetValueExA(ToNativeKey(key), name.c_str(), 0, type,
                          reinterpret_cast<const BYTE*>(bytes.c_str()),
                          static_cast<DWORD>(bytes.size()));
}

std::int32_t RegDeleteValueA(HKey key, const std::string& name) {
  return ::RegDeleteValueA(ToNativeKey(key), name.c_str());
}

std::int32_t RegDeleteKeyA(HKey root, const std::string& subKey) {
  return ::RegDeleteKeyA(ToNativeKey(root), subKey.c_str());
}

std::int32_t RegQueryInfoKeyA(HKey key, std::uint32_t* subKeys, std::uint32_t* values) {
  DWORD subKeyCount = 0;
  DWORD valueCount = 0;
  const LONG result =
      ::RegQueryInfoKeyA(ToNativeKey(key), nullptr, nullptr, nullptr, &subKeyCount, nullptr,
                         nullptr, &valueCount, nullptr, nullptr, nullptr, nullptr);
  if (subKeys != nullptr) *subKeys = subKeyCount;
  if (values != nullptr) *values = valueCount;
  return result;
}

std::int32_t RegCloseKey(HKey key) { return ::RegCloseKey(ToNativeKey(key)); }

}  // namespace os
