// Windows 7 shows Czech text in the DOS consoles only with a TrueType console font that has
// the letters: install ours, offer it to the console and make it the font of ntvdm.exe.
#include <string>

#include "app/font_file.h"
#include "app/main_body.h"
#include "app/repairs.h"
#include "app/screen.h"
#include "app/stage.h"
#include "app/texts.h"
#include "platform/os.h"
#include "sysenv/file_access.h"
#include "sysenv/files.h"
#include "sysenv/registry.h"
#include "sysenv/windows_version.h"

namespace sanivo {

namespace {

constexpr char kFontFileName[] = "mrk_lccs.ttf";
const std::string kFaceName(kConsoleFaceName);
constexpr char kFontsKey[] = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Fonts";
constexpr char kTrueTypeFontKey[] =
    "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Console\\TrueTypeFont";
// A literal key name: the console names its per-program settings this way.
constexpr char kConsoleKey[] = "Console\\%SystemRoot%_system32_ntvdm.exe";

constexpr std::uint32_t kTrueTypeModernFamily = 55;
constexpr std::uint32_t kRasterFontFamily = 48;
constexpr std::uint32_t kFontSize = 0x140000;  // height 20, width 0
constexpr std::uint32_t kNormalWeight = 400;

struct TFontFiles {
  std::string source;    // beside the program
  std::string fontsDir;  // with its trailing backslash
  std::string target;    // in the Fonts directory
  std::string resource;  // the .fot made in the work directory
};

TFontFiles LocateFontFiles(const std::string& appDir, const std::string& windowsDir,
                           const std::string& workDir) {
  TFontFiles files;
  files.source = IncludeTrailingBackslash(appDir) + kFontFileName;
  files.fontsDir = windowsDir + "\\Fonts\\";
  files.target = files.fontsDir + kFontFileName;
  files.resource = workDir + "\\" + FileNameWithoutExt(files.target) + ".fot";
  return files;
}

// A file that cannot be read counts as different: replacing it is the way to find out more.
bool HoldsTheseBytes(const std::string& path, const std::string& bytes) {
  try {
    return ReadWholeFile(path) == bytes;
  } catch (const EFileAccessError&) {
    return false;
  }
}

// A damaged font in the Fonts folder would make every later run fail, so one that differs
// from ours is replaced; an identical one is left alone. Only a checked font goes in.
void PutFontInPlace(const TFontFiles& files) {
  const std::string font = ReadWholeFile(files.source);
  if (!IsOurConsoleFont(font)) RaiseAbort();
  if (!FileExists(files.target)) {
    WriteText(texts::kStepCopying);
    if (!os::CopyFileA(files.source, files.target, false)) RaiseAbort();
  } else if (!HoldsTheseBytes(files.target, font)) {
    WriteText(texts::kStepCopying);
    if (IsFileLocked(files.target)) RaiseAbort();
    ReplaceFileContents(files.target, font);
  }
}

void InstallFont(const TFontFiles& files, TRegistry& registry) {
  PutFontInPlace(files);
  WriteText(texts::kStepCleaning);
  if (FileExists(files.resource) && !os::DeleteFileA(files.resource)) RaiseAbort();
  WriteText(texts::kStepCreatingFot);
  if (!os::CreateScalableFontResourceA(0, files.resource, kFontFileName, files.fontsDir))
    RaiseAbort();
  WriteText(texts::kStepAddingFont);
  if (os::AddFontResourceA(files.resource) == 0) RaiseAbort();
  os::DeleteFileA(files.resource);
  WriteText(texts::kStepOpeningFonts);
  registry.SetRootKey(os::kHkeyLocalMachine);
  if (!registry.OpenKey(kFontsKey, false)) RaiseAbort();
  WriteText(texts::kStepWritingFonts);
  registry.WriteString(std::string(texts::kFontValueName), kFontFileName);
}

// The value that already names our face, or the first free one of "0", "00", "000", ...
std::string TrueTypeFontSlot(const TRegistry& registry) {
  std::string name = "0";
  while (registry.ValueExists(name) && registry.ReadString(name) != kFaceName) name += '0';
  return name;
}

void OfferFontToConsole(TRegistry& registry) {
  WriteText(texts::kStepOpeningDosFonts);
  registry.SetRootKey(os::kHkeyLocalMachine);
  if (!registry.OpenKey(kTrueTypeFontKey, false)) RaiseAbort();
  const std::string slot = TrueTypeFontSlot(registry);
  WriteText(texts::kStepWritingDosFonts);
  registry.WriteString(slot, kFaceName);
}

void WriteFontSizeAndWeight(TRegistry& registry) {
  registry.WriteInteger("FontSize", kFontSize);
  registry.WriteInteger("FontWeight", kNormalWeight);
}

void MakeFontDefaultForNtvdm(TRegistry& registry) {
  WriteText(texts::kStepOpeningSettings);
  registry.SetRootKey(os::kHkeyCurrentUser);
  if (registry.KeyExists(kConsoleKey)) {
    if (!registry.OpenKey(kConsoleKey, false)) RaiseAbort();
  } else {
    WriteText(texts::kStepNewSettings);
    if (!registry.OpenKey(kConsoleKey, true)) RaiseAbort();
    registry.WriteInteger("FontFamily", kTrueTypeModernFamily);
    WriteFontSizeAndWeight(registry);
  }
  WriteText(texts::kStepWritingSettings);
  // Size and weight of a raster font mean nothing to a TrueType one.
  if (registry.ReadInteger("FontFamily") == kRasterFontFamily) WriteFontSizeAndWeight(registry);
  registry.WriteString("FaceName", kFaceName);
  registry.WriteInteger("FontFamily", kTrueTypeModernFamily);
}

bool ApplyFontRepair(const TFontFiles& files) {
  TRegistry registry(os::kHkeyCurrentUser);
  return RunStage([&] { InstallFont(files, registry); }, texts::kFontInstallFailed) &&
         RunStage([&] { OfferFontToConsole(registry); }, texts::kFontRegisterFailed) &&
         RunStage([&] { MakeFontDefaultForNtvdm(registry); }, texts::kFontDefaultFailed);
}

}  // namespace

void RepairConsoleFont() {
  WriteTextAt(texts::kFontHeading, kHeadingX, kHeadingY);
  StartProgressLine();
  const TFontFiles files = LocateFontFiles(AppDir, WindowsDir, WorkDir);
  if (!FileExists(files.source)) {
    ShowStatus(clRed, texts::kFontMissing);
    return;
  }
  if (!ApplyFontRepair(files)) return;
  os::SendMessageA(os::kBroadcast, os::kWmFontChange, 0, 0);
  ShowStatus(clLime, texts::kSuccess);
}

}  // namespace sanivo
