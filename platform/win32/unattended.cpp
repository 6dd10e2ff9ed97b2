// What runs on many machines at once need: a log file they share, and who and when wrote it.
#include "platform/win32/native.h"
// after windows.h, which it needs
#include <lmcons.h>

namespace os {

using win32::ToNative;

namespace {

OVERLAPPED At(std::uint64_t offset) {
  OVERLAPPED overlapped{};
  overlapped.Offset = static_cast<DWORD>(offset);
  overlapped.OffsetHigh = static_cast<DWORD>(offset >> 32);
  return overlapped;
}

}  // namespace

std::uint32_t SetFilePointer(Handle file, std::int32_t distance, std::uint32_t method) {
  return ::SetFilePointer(ToNative(file), distance, nullptr, method);
}

bool SetEndOfFile(Handle file) { return ::SetEndOfFile(ToNative(file)) != FALSE; }

bool LockFileEx(Handle file, std::uint32_t flags, std::uint64_t offset, std::uint64_t length) {
  OVERLAPPED overlapped = At(offset);
  return ::LockFileEx(ToNative(file), flags, 0, static_cast<DWORD>(length),
                      static_cast<DWORD>(length >> 32), &overlapped) != FALSE;
}

bool UnlockFileEx(Handle file, std::uint64_t offset, std::uint64_t length) {
  OVERLAPPED overlapped = At(offset);
  return ::UnlockFileEx(ToNative(file), 0, static_cast<DWORD>(length),
                        static_cast<DWORD>(length >> 32), &overlapped) != FALSE;
}

namespace {

// A well-known account of the system: the local system, or a built-in group.
class WellKnownSid {
 public:
  WellKnownSid(DWORD first, DWORD second = 0) {
    SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
    ::AllocateAndInitializeSid(&nt, second == 0 ? 1 : 2, first, second, 0, 0, 0, 0, 0, 0, &sid_);
  }
  ~WellKnownSid() {
    if (sid_ != nullptr) ::FreeSid(sid_);
  }
  WellKnownSid(const WellKnownSid&) = delete;
  WellKnownSid& operator=(const WellKnownSid&) = delete;
  PSID Get() const { return sid_; }

 private:
  PSID sid_ = nullptr;
};

// The mutex and the last error of its creation, taken before the accounts are freed.
HANDLE CreateMutexWithDescriptor(const std::string& name, DWORD& error) {
  error = ERROR_NOT_ENOUGH_MEMORY;
  const WellKnownSid system(SECURITY_LOCAL_SYSTEM_RID);
  const WellKnownSid administrators(SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS);
  if (system.Get() == nullptr || administrators.Get() == nullptr) return nullptr;
  const DWORD aclSize = sizeof(ACL) + 2 * sizeof(ACCESS_ALLOWED_ACE) +
                        ::GetLengthSid(system.Get()) + ::GetLengthSid(administrators.Get());
  std::vector<DWORD> aclBuffer(aclSize / sizeof(DWORD) + 1);
  const PACL acl = reinterpret_cast<PACL>(aclBuffer.data());
  SECURITY_DESCRIPTOR descriptor;
  if (!::InitializeAcl(acl, aclSize, ACL_REVISION) ||
      !::AddAccessAllowedAce(acl, ACL_REVISION, MUTEX_ALL_ACCESS, system.Get()) ||
      !::AddAccessAllowedAce(acl, ACL_REVISION, MUTEX_ALL_ACCESS, administrators.Get()) ||
      !::InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION) ||
      !::SetSecurityDescriptorDacl(&descriptor, TRUE, acl, FALSE)) {
    error = ::GetLastError();
    return nullptr;
  }
  SECURITY_ATTRIBUTES attributes{sizeof attributes, &descriptor, FALSE};
  const HANDLE mutex = ::CreateMutexA(&attributes, FALSE, name.c_str());
  error = ::GetLastError();
  return mutex;
}

}  // namespace

Handle CreateMutexForAdministratorsA(const std::string& name) {
  DWORD error = ERROR_SUCCESS;
  const HANDLE mutex = CreateMutexWithDescriptor(name, error);
  ::SetLastError(error);
  return win32::FromNative(mutex);
}

bool ReleaseMutex(Handle mutex) { return ::ReleaseMutex(ToNative(mutex)) != FALSE; }

bool GetComputerNameA(std::string& name) {
  char buffer[MAX_COMPUTERNAME_LENGTH + 1] = {};
  DWORD size = sizeof buffer;
  const BOOL ok = ::GetComputerNameA(buffer, &size);
  const win32::LastErrorKept keep;
  name.assign(ok ? buffer : "", ok ? size : 0);
  return ok != FALSE;
}

bool GetUserNameA(std::string& name) {
  char buffer[UNLEN + 1] = {};
  DWORD size = sizeof buffer;
  const BOOL ok = ::GetUserNameA(buffer, &size);
  const win32::LastErrorKept keep;
  // The size counts the terminator here, unlike GetComputerNameA's.
  name.assign(ok && size > 0 ? buffer : "", ok && size > 0 ? size - 1 : 0);
  return ok != FALSE;
}

std::uint64_t QueryPerformanceCounter() {
  LARGE_INTEGER count{};
  ::QueryPerformanceCounter(&count);
  return static_cast<std::uint64_t>(count.QuadPart);
}

}  // namespace os
