// A named mutex that every run on the machine takes, whoever started it.
#include <vector>

#include "platform/win32/native.h"

namespace os {

using win32::ToNative;

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

}  // namespace os
