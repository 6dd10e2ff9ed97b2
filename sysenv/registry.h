// An accessor for one registry key at a time under a chosen root, with full access or for reading.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/os.h"

namespace sanivo {

class TRegistry {
 public:
  explicit TRegistry(os::HKey root = os::kHkeyCurrentUser);
  ~TRegistry();
  TRegistry(const TRegistry&) = delete;
  TRegistry& operator=(const TRegistry&) = delete;

  // Closes the current key first.
  void SetRootKey(os::HKey root);
  // Opens a key below the root (closing the current one), creating it when allowed. On
  // failure the thread's last error holds the registry's error code.
  bool OpenKey(const std::string& key, bool canCreate);
  // The same for reading only, as a user without administrator rights may open the keys of
  // HKEY_LOCAL_MACHINE; writes to the key then fail.
  bool OpenKeyReadOnly(const std::string& key);
  void CloseKey();
  // Whether the key can be opened for reading.
  bool KeyExists(const std::string& key) const;
  bool ValueExists(const std::string& name) const;
  // The type of the value (os::kRegSz, ...), or none when it does not exist.
  std::optional<std::uint32_t> ValueType(const std::string& name) const;

  // A string or expandable string, up to its first zero; an empty or missing value gives "".
  // Raises ERegistryException for a value of another type or when the data cannot be read.
  std::string ReadString(const std::string& name) const;
  // Raises ERegistryException for a missing value or one of another type.
  std::uint32_t ReadInteger(const std::string& name) const;
  // Raise ERegistryException when the value cannot be written.
  void WriteString(const std::string& name, const std::string& value);
  void WriteInteger(const std::string& name, std::uint32_t value);

  // A value as stored: its type and its bytes (strings with their terminating zeros).
  struct TRawValue {
    std::uint32_t Type = os::kRegNone;
    std::string Data;
  };
  // None when the value does not exist; raises ERegistryException when it cannot be read.
  std::optional<TRawValue> ReadRaw(const std::string& name) const;
  void WriteRaw(const std::string& name, const TRawValue& value);  // raises as WriteString
  // Raises ERegistryException when the value is there and cannot be deleted.
  void DeleteValue(const std::string& name);
  // Whether the current key holds neither values nor keys; raises when it cannot tell.
  bool KeyIsEmpty() const;
  // Deletes a key below the root that has no keys of its own; false with the last error.
  bool DeleteKey(const std::string& key);

 private:
  bool TakeOpenedKey(std::int32_t result, os::HKey opened);

  os::HKey root_;
  os::HKey current_ = 0;
};

}  // namespace sanivo
