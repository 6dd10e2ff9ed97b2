#include <string>

#include "app/checks.h"
#include "app/font_file.h"
#include "app/texts.h"
#include "base/exception.h"
#include "platform/os.h"
#include "sysenv/errors.h"
#include "sysenv/file_access.h"
#include "sysenv/files.h"
#include "sysenv/registry.h"

namespace sanivo {

namespace {

// TODO(facts): from the console font facts header once it is there.
constexpr char kFontFileName[] = "mrk_lccs.ttf";
const std::string kFaceName(kConsoleFaceName);
constexpr char kFontsKey[] = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Fonts";
constexpr char kTrueTypeFontKey[] =
    "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Console\\TrueTypeFont";
constexpr char kConsoleKey[] = "Console\\%SystemRoot%_system32_ntvdm.exe";
constexpr std::uint32_t kTrueTypeModernFamily = 55;

// The font or the registry does not let us look: that decides nothing.
class ECannotTell : public Exception {
 public:
  [[gnu::always_inline]] ECannotTell() : Exception("cannot tell") {}
  const char* ClassName() const override { return "ECannotTell"; }
};

// Opens the key for reading; false when it is not there.
bool Opened(TRegistry& registry, os::HKey root, const std::string& key) {
  registry.SetRootKey(root);
  if (registry.OpenKey(key, false)) return true;
  if (os::GetLastError() != os::kErrorFileNotFound) throw ECannotTell();
  return false;
}

bool HoldsString(const TRegistry& registry, const std::string& name, const std::string& text) {
  return registry.ValueExists(name) && registry.ReadString(name) == text;
}

bool FontFileIsOurs(const std::string& path) {
  if (!FileExists(path)) return false;
  try {
    return IsOurConsoleFont(ReadWholeFile(path));
  } catch (const EFileAccessError&) {
    throw ECannotTell();
  }
}

// The repair's own walk over "0", "00", ...: our face is registered when an entry before the
// first free name holds it.
bool FaceOfferedToConsole(const TRegistry& registry) {
  for (std::string name = "0"; registry.ValueExists(name); name += '0') {
    if (registry.ReadString(name) == kFaceName) return true;
  }
  return false;
}

bool FontInPlace(const std::string& windowsDir) {
  if (!FontFileIsOurs(windowsDir + "\\Fonts\\" + kFontFileName)) return false;
  TRegistry registry(os::kHkeyLocalMachine);
  if (!Opened(registry, os::kHkeyLocalMachine, kFontsKey) ||
      !HoldsString(registry, std::string(texts::kFontValueName), kFontFileName)) {
    return false;
  }
  if (!Opened(registry, os::kHkeyLocalMachine, kTrueTypeFontKey) ||
      !FaceOfferedToConsole(registry)) {
    return false;
  }
  return Opened(registry, os::kHkeyCurrentUser, kConsoleKey) &&
         HoldsString(registry, "FaceName", kFaceName) && registry.ValueExists("FontFamily") &&
         registry.ReadInteger("FontFamily") == kTrueTypeModernFamily;
}

}  // namespace

TCheckResult CheckConsoleFont(const std::string& windowsDir) {
  try {
    return {FontInPlace(windowsDir) ? TCheckFinding::NotNeeded : TCheckFinding::Needed, {}};
  } catch (const ERegistryException&) {
    return {TCheckFinding::Needed, {}};  // a value of another type than the repair writes
  } catch (const ECannotTell&) {
    return {TCheckFinding::Undecided, texts::kCheckUndecided};
  }
}

}  // namespace sanivo
