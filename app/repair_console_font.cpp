// Windows 7 shows Czech text in the DOS consoles only with a TrueType console font that has
// the letters: install ours, offer it to the console and make it the font of ntvdm.exe.
#include <optional>
#include <string>

#include "app/console_font_facts.h"
#include "app/console_font_parts.h"
#include "app/console_font_slot.h"
#include "app/font_file.h"
#include "app/pending_deletion.h"
#include "app/repairs.h"
#include "app/screen.h"
#include "app/stage.h"
#include "app/texts.h"
#include "platform/os.h"
#include "sysenv/errors.h"
#include "sysenv/file_access.h"
#include "sysenv/files.h"
#include "sysenv/registry.h"

namespace sanivo {

namespace {

using namespace console_font;

const std::string kFaceName(kConsoleFaceName);

struct TFontFiles {
  std::string source;    // beside the program
  std::string fontsDir;  // with its trailing backslash
  std::string target;    // in the Fonts directory
  std::string resource;  // the .fot made in the work directory
};

TFontFiles LocateFontFiles(const TRepairContext& context) {
  TFontFiles files;
  files.source = IncludeTrailingBackslash(context.AppDir) + kFileName;
  files.fontsDir = context.WindowsDir + "\\Fonts\\";
  files.target = files.fontsDir + kFileName;
  files.resource = context.WorkDir + "\\" + FileNameWithoutExt(files.target) + ".fot";
  return files;
}

// Whether the installed file is a sound font of our face, such as an earlier release's.
bool IsOurInstalledFont(const std::string& path) {
  try {
    return IsOurConsoleFont(ReadWholeFile(path));
  } catch (const EFileAccessError&) {
    return false;
  }
}

// A damaged font in the Fonts folder would make every later run fail, so one that differs
// from ours is replaced; an identical one is left alone, and so is a sound one of our face
// that is in use: Windows holds every registered font open from logon. Only a checked font
// goes in, and a new one appears whole under its name or not at all.
void PutFontInPlace(const TFontFiles& files) {
  const std::string font = ReadWholeFile(files.source);
  if (!IsOurConsoleFont(font)) throw EStepFailed("IsOurConsoleFont", 0);
  if (!FileExists(files.target)) {
    WriteText(texts::kStepCopying);
    CreateFileWithContents(files.target, font);
  } else if (!FileHolds(files.target, font)) {
    const bool inUse = IsFileLocked(files.target);
    if (inUse && IsOurInstalledFont(files.target)) return;
    WriteText(texts::kStepCopying);
    if (inUse) throw EStepFailed("IsFileLocked", os::kErrorSharingViolation);
    ReplaceFileContents(files.target, font);
  }
}

void InstallFont(const TFontFiles& files, TRegistry& registry) {
  // A font taken back while Windows held it waits to be deleted at the restart.
  CancelPendingDeletion(files.target);
  PutFontInPlace(files);
  WriteText(texts::kStepCleaning);
  if (FileExists(files.resource) && !os::DeleteFileA(files.resource)) FailStep("DeleteFileA");
  WriteText(texts::kStepCreatingFot);
  if (!os::CreateScalableFontResourceA(0, files.resource, kFileName, files.fontsDir)) {
    FailStep("CreateScalableFontResourceA");
  }
  WriteText(texts::kStepAddingFont);
  if (os::AddFontResourceA(files.resource) == 0) FailStep("AddFontResourceA");
  os::DeleteFileA(files.resource);
  WriteText(texts::kStepOpeningFonts);
  registry.SetRootKey(os::kHkeyLocalMachine);
  if (!registry.OpenKey(kFontsKey, false)) FailStep("RegOpenKeyExA");
  WriteText(texts::kStepWritingFonts);
  registry.WriteString(std::string(texts::kFontValueName), kFileName);
}

void OfferFontToConsole(TRegistry& registry) {
  WriteText(texts::kStepOpeningDosFonts);
  registry.SetRootKey(os::kHkeyLocalMachine);
  if (!registry.OpenKey(kTrueTypeFontKey, false)) FailStep("RegOpenKeyExA");
  const std::string slot = TrueTypeFontSlot(registry);
  WriteText(texts::kStepWritingDosFonts);
  registry.WriteString(slot, kFaceName);
}

TRepairOutcome ApplyFontRepair(const TFontFiles& files) {
  TRegistry registry(os::kHkeyCurrentUser);
  RunStage(texts::kFontInstallFailed, [&] { InstallFont(files, registry); });
  RunStage(texts::kFontRegisterFailed, [&] { OfferFontToConsole(registry); });
  RunStage(texts::kFontDefaultFailed, [&] { MakeFontDefaultForNtvdm(registry); });
  return OutcomeOf(TRepairResult::Repaired, texts::kSuccess);
}

}  // namespace

TRepairOutcome RepairConsoleFont(const TRepairContext& context) {
  WriteTextAt(texts::kFontHeading, kHeadingX, kHeadingY);
  StartProgressLine();
  const TFontFiles files = LocateFontFiles(context);
  return RunStages([&] {
    RunStage(texts::kFontMissing, [&] {
      if (!FileExists(files.source)) FailStep("GetFileAttributesA");
    });
    TRepairOutcome outcome = ApplyFontRepair(files);
    os::SendMessageA(os::kBroadcast, os::kWmFontChange, 0, 0);
    return outcome;
  });
}

}  // namespace sanivo
