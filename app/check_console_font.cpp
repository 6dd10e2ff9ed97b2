#include <string>

#include "app/checks.h"
#include "app/console_font_facts.h"
#include "app/font_file.h"
#include "app/stage.h"
#include "app/texts.h"
#include "base/exception.h"
#include "platform/os.h"
#include "sysenv/errors.h"
#include "sysenv/file_access.h"
#include "sysenv/files.h"
#include "sysenv/registry.h"

namespace sanivo {

namespace {

using namespace console_font;

const std::string kFaceName(kConsoleFaceName);

// Opens the key; false when it is not there. A key that is there but refused raises.
bool Opened(TRegistry& registry, os::HKey root, const std::string& key) {
  registry.SetRootKey(root);
  if (registry.OpenKey(key, false)) return true;
  if (os::GetLastError() != os::kErrorFileNotFound) FailStep("RegOpenKeyExA");
  return false;
}

bool HoldsString(const TRegistry& registry, const std::string& name, const std::string& text) {
  return registry.ValueExists(name) && registry.ReadString(name) == text;
}

bool FontFileIsOurs(const std::string& path) {
  return FileExists(path) && IsOurConsoleFont(ReadWholeFile(path));
}

// The repair's own walk over "0", "00", ...: our face is registered when an entry before the
// first free name holds it.
bool FaceOfferedToConsole(const TRegistry& registry) {
  for (std::string name = kFirstTrueTypeSlot; registry.ValueExists(name); name += '0') {
    if (registry.ReadString(name) == kFaceName) return true;
  }
  return false;
}

bool FontInPlace(const std::string& windowsDir) {
  if (!FontFileIsOurs(windowsDir + "\\Fonts\\" + kFileName)) return false;
  TRegistry registry(os::kHkeyLocalMachine);
  if (!Opened(registry, os::kHkeyLocalMachine, kFontsKey) ||
      !HoldsString(registry, std::string(texts::kFontValueName), kFileName)) {
    return false;
  }
  if (!Opened(registry, os::kHkeyLocalMachine, kTrueTypeFontKey) ||
      !FaceOfferedToConsole(registry)) {
    return false;
  }
  return Opened(registry, os::kHkeyCurrentUser, kConsoleKey) &&
         HoldsString(registry, kFaceNameValue, kFaceName) &&
         registry.ValueExists(kFontFamilyValue) &&
         registry.ReadInteger(kFontFamilyValue) == kTrueTypeModernFamily;
}

}  // namespace

TRepairOutcome CheckConsoleFont(const TRepairContext& context) {
  // Without the font beside the program the repair could do nothing, needed or not.
  if (!FileExists(IncludeTrailingBackslash(context.AppDir) + kFileName)) {
    return OutcomeOfFailedCall(TRepairResult::Undecided, texts::kFontMissing, "GetFileAttributesA");
  }
  const TRepairOutcome needed = OutcomeOf(TRepairResult::Needed, texts::kCheckNeeded);
  try {
    return FontInPlace(context.WindowsDir)
               ? OutcomeOf(TRepairResult::NotNeeded, texts::kCheckNotNeeded)
               : needed;
  } catch (const ERegistryException&) {
    return needed;  // a value of another type than the repair writes
  } catch (const Exception& cause) {
    // The font or the registry did not let us look: that decides nothing.
    return CheckFailure(texts::kCheckUndecided, cause);
  }
}

}  // namespace sanivo
