#include "charset/iconv_binding.h"

#include <algorithm>
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
// The most one input character can need: a long transliteration between the escape sequences
// of a stateful charset.
constexpr std::size_t kRoomForOneCharacter = 64;

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

// Loads the library and binds its entries; a library that cannot convert is let go, as if it
// were missing, so that no conversion comes out empty.
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
  if (bound.convert == nullptr) {
    os::FreeLibrary(library);
    return false;
  }
  bound.loaded = true;
  Binding = bound;
  return true;
}

// One call of the conversion entry over what input holds (a flush when input is null), called
// again with more room while it stops for want of room. A library built against another C
// runtime sets an errno that we never see, so a stop with work left and less room than one
// character can need counts as a want of room too.
void ConvertWithRoom(TIconvDescriptor descriptor, const char** input, std::size_t* inputLeft,
                     std::string& output, std::size_t& produced) {
  for (;;) {
    char* out = output.data() + produced;
    std::size_t outputLeft = output.size() - produced;
    errno = 0;
    const std::size_t status =
        Binding.convert(AsPointer(descriptor), input, inputLeft, &out, &outputLeft);
    produced = output.size() - outputLeft;
    const bool workLeft = input == nullptr ? status == kConversionFailed : *inputLeft > 0;
    const bool outOfRoom = errno == E2BIG || outputLeft < kRoomForOneCharacter;
    if (!workLeft || !outOfRoom) return;
    output.resize(std::max(output.size() * 2, produced + kRoomForOneCharacter));
  }
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

bool IconvIsLoaded() {
  if (!IconvLock) return false;
  TLockHeld held(*IconvLock);
  return Binding.loaded;
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
// longer, and gets more room.
TIconvResult IconvConvert(TIconvDescriptor descriptor, std::string_view input) {
  TIconvResult result;
  std::size_t produced = 0;
  result.consumed = IconvConvertInto(descriptor, input, result.output, produced);
  result.output.resize(produced);
  return result;
}

std::size_t IconvConvertInto(TIconvDescriptor descriptor, std::string_view input,
                             std::string& buffer, std::size_t& produced) {
  produced = 0;
  if (!IconvLoad() || Binding.convert == nullptr) return 0;
  const char* in = input.data();
  std::size_t inputLeft = input.size();
  if (buffer.size() < kOutputBytesPerInputByte * input.size()) {
    buffer.resize(kOutputBytesPerInputByte * input.size());
  }
  ConvertWithRoom(descriptor, &in, &inputLeft, buffer, produced);
  return input.size() - inputLeft;
}

std::string IconvFlush(TIconvDescriptor descriptor) {
  if (descriptor == kNoIconv || !IconvLoad() || Binding.convert == nullptr) return {};
  std::string output(kRoomForOneCharacter, '\0');
  std::size_t produced = 0;
  ConvertWithRoom(descriptor, nullptr, nullptr, output, produced);
  output.resize(produced);
  return output;
}

int IconvClose(TIconvDescriptor& descriptor) {
  if (descriptor == kNoIconv) return 0;
  const TIconvDescriptor closing = descriptor;
  descriptor = kNoIconv;
  if (!IconvLoad() || Binding.close == nullptr) return -1;
  return Binding.close(AsPointer(closing));
}

}  // namespace sanivo
