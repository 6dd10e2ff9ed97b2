#include "charset/iconv_binding.h"

#include <cerrno>
#include <memory>

#include "base/file_names.h"
#include "platform/module_file_name.h"
#include "platform/os.h"

namespace sanivo {

namespace {

// The library's exports, with their C signatures; a descriptor is a pointer there.
using TOpenEntry = void* (*)(const char* toCode, const char* fromCode);
using TConvertEntry = std::size_t (*)(void* descriptor, const char** input, std::size_t* inputLeft,
                                      char** output, std::size_t* outputLeft);
using TCloseEntry = int (*)(void* descriptor);
// Bound with the others but never called.
using TControlEntry = int (*)(void* descriptor, int request, void* argument);

constexpr std::size_t kOutputBytesPerInputByte = 4;
constexpr std::size_t kConversionFailed = static_cast<std::size_t>(-1);

struct TIconvBinding {
  os::Module library = 0;
  TOpenEntry open = nullptr;
  TConvertEntry convert = nullptr;
  TCloseEntry close = nullptr;
  TControlEntry control = nullptr;
  bool loaded = false;
};

TIconvBinding Binding;
bool LibraryRefused = false;
std::unique_ptr<os::CriticalSection> IconvLock;

class TLockHeld {
 public:
  explicit TLockHeld(os::CriticalSection& lock) : lock_(lock) { lock_.Enter(); }
  ~TLockHeld() { lock_.Leave(); }
  TLockHeld(const TLockHeld&) = delete;
  TLockHeld& operator=(const TLockHeld&) = delete;

 private:
  os::CriticalSection& lock_;
};

// The program runs elevated: the library is taken from the program's own directory only, never
// from the search path.
std::string LibraryPath() {
  const std::string program = ModuleFileName();
  if (program.empty()) return {};
  return ExtractFilePath(program) + kIconvLibraryName;
}

template <typename Entry>
Entry Lookup(os::Module library, const char* name) {
  return reinterpret_cast<Entry>(os::GetProcAddress(library, name));
}

void* AsPointer(TIconvDescriptor descriptor) { return reinterpret_cast<void*>(descriptor); }

// Loads the library and binds its entries; a library that cannot convert or close is let go,
// as if it were missing, so that no conversion comes out empty.
bool LoadLibraryAndEntries() {
  if (LibraryRefused) return false;
  const std::string path = LibraryPath();
  if (path.empty()) return false;
  const os::Module library = os::LoadLibraryA(path);
  if (library == 0) return false;
  TIconvBinding bound;
  bound.library = library;
  bound.open = Lookup<TOpenEntry>(library, "libiconv_open");
  bound.convert = Lookup<TConvertEntry>(library, "libiconv");
  bound.close = Lookup<TCloseEntry>(library, "libiconv_close");
  bound.control = Lookup<TControlEntry>(library, "libiconvctl");
  if (bound.convert == nullptr || bound.close == nullptr) {
    os::FreeLibrary(library);
    return false;
  }
  bound.loaded = true;
  Binding = bound;
  return true;
}

}  // namespace

void NeverLoadIconvLibrary() { LibraryRefused = true; }

void InitializeIconvBinding() { IconvLock = std::make_unique<os::CriticalSection>(); }

void FinalizeIconvBinding() {
  if (!IconvLock) return;
  IconvUnload();
  IconvLock.reset();
}

bool IconvLoad() {
  if (!IconvLock) return false;
  TLockHeld held(*IconvLock);
  return Binding.loaded || LoadLibraryAndEntries();
}

bool IconvUnload() {
  if (!IconvLock) return true;
  TLockHeld held(*IconvLock);
  if (Binding.library != 0) os::FreeLibrary(Binding.library);
  Binding = TIconvBinding{};
  return true;
}

TIconvDescriptor IconvOpen(const std::string& toName, const std::string& fromName) {
  if (!IconvLoad() || Binding.open == nullptr) return kNoIconv;
  return reinterpret_cast<TIconvDescriptor>(Binding.open(toName.c_str(), fromName.c_str()));
}

TIconvDescriptor IconvOpenIgnore(const std::string& toName, const std::string& fromName) {
  return IconvOpen(toName + "//IGNORE", fromName);
}

TIconvDescriptor IconvOpenTranslit(const std::string& toName, const std::string& fromName) {
  return IconvOpen(toName + "//IGNORE//TRANSLIT", fromName);
}

// Four output bytes per input byte hold nearly every conversion; a transliteration can be
// longer, and when the library stops for want of room it gets more and goes on.
TIconvResult IconvConvert(TIconvDescriptor descriptor, std::string_view input) {
  TIconvResult result;
  if (!IconvLoad() || Binding.convert == nullptr) return result;
  const char* in = input.data();
  std::size_t inputLeft = input.size();
  std::size_t produced = 0;
  result.output.resize(kOutputBytesPerInputByte * input.size());
  for (;;) {
    char* out = result.output.data() + produced;
    std::size_t outputLeft = result.output.size() - produced;
    errno = 0;
    const std::size_t status =
        Binding.convert(AsPointer(descriptor), &in, &inputLeft, &out, &outputLeft);
    produced = result.output.size() - outputLeft;
    const bool outOfRoom = status == kConversionFailed && errno == E2BIG && inputLeft > 0;
    if (!outOfRoom) break;
    result.output.resize(result.output.size() * 2 + kOutputBytesPerInputByte);
  }
  result.output.resize(produced);
  result.consumed = input.size() - inputLeft;
  return result;
}

int IconvClose(TIconvDescriptor& descriptor) {
  if (descriptor == kNoIconv) return 0;
  const TIconvDescriptor closing = descriptor;
  descriptor = kNoIconv;
  if (!IconvLoad() || Binding.close == nullptr) return -1;
  return Binding.close(AsPointer(closing));
}

}  // namespace sanivo
