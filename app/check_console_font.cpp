#include <string>

#include "app/checks.h"
#include "app/console_font_facts.h"
#include "app/console_font_parts.h"
#include "app/console_font_slot.h"
#include "app/font_file.h"
#include "app/registry_lookup.h"
#include "app/stage.h"
#include "app/texts.h"
#include "base/exception.h"
#include "platform/os.h"
#include "sysenv/errors.h"
#include "sysenv/file_access.h"
#include "sysenv/files.h"
#include "sysenv/registry.h"

namespace sanivo {

namespace console_font {

namespace {

bool FontFileIsOurs(const std::string& path) {
  return FileExists(path) && IsOurConsoleFont(ReadWholeFile(path));
}

}  // namespace

bool MachineWidePartInPlace(const std::string& windowsDir) {
  if (!FontFileIsOurs(windowsDir + "\\Fonts\\" + kFileName)) return false;
  TRegistry registry(os::kHkeyLocalMachine);
  if (!OpenedIfThere(registry, os::kHkeyLocalMachine, kFontsKey, TKeyAccess::Read) ||
      !HoldsText(registry, std::string(texts::kFontValueName), kFileName)) {
    return false;
  }
  return OpenedIfThere(registry, os::kHkeyLocalMachine, kTrueTypeFontKey, TKeyAccess::Read) &&
         registry.ValueExists(TrueTypeFontSlot(registry));
}

bool UserPartInPlace() {
  TRegistry registry(os::kHkeyCurrentUser);
  return OpenedIfThere(registry, os::kHkeyCurrentUser, kConsoleKey, TKeyAccess::Read) &&
         HoldsText(registry, kFaceNameValue, kConsoleFaceName) &&
         registry.ValueExists(kFontFamilyValue) &&
         registry.ReadInteger(kFontFamilyValue) == kTrueTypeModernFamily;
}

}  // namespace console_font

namespace {

// What a look at the system found. A value of another type than the repair writes is one the
// repair would write; what cannot be read at all decides nothing.
template <typename Look>
TRepairOutcome OutcomeOfLook(Look partsInPlace) {
  try {
    return partsInPlace() ? OutcomeOf(TRepairResult::NotNeeded, texts::kCheckNotNeeded)
                          : OutcomeOf(TRepairResult::Needed, texts::kCheckNeeded);
  } catch (const ERegistryException&) {
    return OutcomeOf(TRepairResult::Needed, texts::kCheckNeeded);
  } catch (const Exception& cause) {
    return CheckFailure(texts::kCheckUndecided, cause);
  }
}

}  // namespace

TRepairOutcome CheckConsoleFont(const TRepairContext& context) {
  using namespace console_font;
  // Without the font beside the program the repair could do nothing, needed or not.
  if (!FileExists(IncludeTrailingBackslash(context.AppDir) + kFileName)) {
    return OutcomeOfFailedCall(TRepairResult::Undecided, texts::kFontMissing, "GetFileAttributesA");
  }
  return OutcomeOfLook(
      [&] { return MachineWidePartInPlace(context.WindowsDir) && UserPartInPlace(); });
}

TRepairOutcome CheckUserConsoleFont() { return OutcomeOfLook(console_font::UserPartInPlace); }

}  // namespace sanivo
