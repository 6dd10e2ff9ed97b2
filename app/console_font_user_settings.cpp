// The per-user stage of the console-font repair: the console settings of ntvdm.exe for the user
// who runs the program.
#include <string>

#include "app/console_font_facts.h"
#include "app/console_font_parts.h"
#include "app/font_file.h"
#include "app/screen.h"
#include "app/stage.h"
#include "app/texts.h"
#include "platform/os.h"
#include "sysenv/errors.h"
#include "sysenv/registry.h"

namespace sanivo::console_font {

namespace {

const std::string kFaceName(kConsoleFaceName);

// A missing family fails the stage, as it always has; one of another type is no raster family
// and is written below as the number it must be.
bool HoldsRasterFamily(const TRegistry& registry) {
  if (!registry.ValueExists(kFontFamilyValue)) registry.ReadInteger(kFontFamilyValue);
  try {
    return registry.ReadInteger(kFontFamilyValue) == kRasterFontFamily;
  } catch (const ERegistryException&) {
    return false;
  }
}

void WriteFontSizeAndWeight(TRegistry& registry) {
  registry.WriteInteger(kFontSizeValue, kFontSize);
  registry.WriteInteger(kFontWeightValue, kNormalWeight);
}

}  // namespace

void MakeFontDefaultForNtvdm(TRegistry& registry) {
  WriteText(texts::kStepOpeningSettings);
  registry.SetRootKey(os::kHkeyCurrentUser);
  if (registry.KeyExists(kConsoleKey)) {
    if (!registry.OpenKey(kConsoleKey, false)) FailStep("RegOpenKeyExA");
  } else {
    WriteText(texts::kStepNewSettings);
    if (!registry.OpenKey(kConsoleKey, true)) FailStep("RegCreateKeyExA");
    registry.WriteInteger(kFontFamilyValue, kTrueTypeModernFamily);
    WriteFontSizeAndWeight(registry);
  }
  WriteText(texts::kStepWritingSettings);
  // Size and weight of a raster font mean nothing to a TrueType one.
  if (HoldsRasterFamily(registry)) WriteFontSizeAndWeight(registry);
  registry.WriteString(kFaceNameValue, kFaceName);
  registry.WriteInteger(kFontFamilyValue, kTrueTypeModernFamily);
}

}  // namespace sanivo::console_font
