// Every text the program shows, held as the Windows-1250 bytes that the console's converting
// write expects.
#pragma once

#include <string_view>

namespace sanivo::texts {

// Main screen
extern const std::string_view kProgramTitle;
extern const std::string_view kIntroduction;
extern const std::string_view kCaption;
extern const std::string_view kNothingToRepair;
extern const std::string_view kWorkDirFailed;
extern const std::string_view kWorkDirName;
extern const std::string_view kSuccess;

// Console font repair
extern const std::string_view kFontHeading;
extern const std::string_view kFontMissing;
extern const std::string_view kFontInstallFailed;
extern const std::string_view kFontRegisterFailed;
extern const std::string_view kFontDefaultFailed;
extern const std::string_view kStepCopying;
extern const std::string_view kStepCleaning;
extern const std::string_view kStepCreatingFot;
extern const std::string_view kStepAddingFont;
extern const std::string_view kStepOpeningFonts;
extern const std::string_view kStepWritingFonts;
extern const std::string_view kStepOpeningDosFonts;
extern const std::string_view kStepWritingDosFonts;
extern const std::string_view kStepOpeningSettings;
extern const std::string_view kStepNewSettings;
extern const std::string_view kStepWritingSettings;
extern const std::string_view kFontValueName;

// Affinity repair of the DOS subsystem
extern const std::string_view kNtvdmHeading;
extern const std::string_view kNtvdmMissing;
extern const std::string_view kNtvdmInUse;
extern const std::string_view kBackupFailed;
extern const std::string_view kWorkCopyFailed;
extern const std::string_view kToolMissing;
extern const std::string_view kAffinityFailed;
extern const std::string_view kReplaceFailed;
extern const std::string_view kCachedCopyNotReplaced;
extern const std::string_view kStepWorkCopy;
extern const std::string_view kStepAffinity;
extern const std::string_view kStepReplaceOriginal;
extern const std::string_view kStepReplaceCaches;
extern const std::string_view kStepPreserve;

// Unattended runs: the check-only mode, arguments not understood, the shared log
extern const std::string_view kCheckNotNeeded;
extern const std::string_view kCheckNeeded;
extern const std::string_view kCheckUndecided;
extern const std::string_view kUnknownParam;
extern const std::string_view kLogFailed;

// The per-user program (sanivo-uzivatel.exe)
extern const std::string_view kUserFontHeading;
extern const std::string_view kStepCheckingMachineFont;
extern const std::string_view kMachineFontMissing;

// Taking a repair back (-vratit)
extern const std::string_view kUndoFontHeading;
extern const std::string_view kUndoNtvdmHeading;
extern const std::string_view kUndoUserFontHeading;
extern const std::string_view kTakenBack;
extern const std::string_view kTakenBackAtRestart;
extern const std::string_view kNothingToTakeBack;
extern const std::string_view kCanTakeBack;
extern const std::string_view kTakeBackUndecided;
extern const std::string_view kRestoreFileRefused;
extern const std::string_view kStepRemovingSettings;
extern const std::string_view kStepRemovingDosFonts;
extern const std::string_view kStepRemovingFonts;
extern const std::string_view kStepRemovingFont;
extern const std::string_view kStepDeletingFont;

// One run at a time on a machine
extern const std::string_view kWaitingForOtherRun;
extern const std::string_view kOtherRunGoesOn;

// Unattended runs: the help page, refused arguments, the log kept on this machine
extern const std::string_view kHelpHeading;
extern const std::string_view kHelpBackupUsage;
extern const std::string_view kHelpBackup;
extern const std::string_view kHelpBackupExample;
extern const std::string_view kHelpCheckUsage;
extern const std::string_view kHelpCheck;
extern const std::string_view kHelpCheckExample;
extern const std::string_view kHelpQuietUsage;
extern const std::string_view kHelpQuiet;
extern const std::string_view kHelpQuietExample;
extern const std::string_view kHelpLogUsage;
extern const std::string_view kHelpLog;
extern const std::string_view kHelpLogExample;
extern const std::string_view kHelpTakeBackUsage;
extern const std::string_view kHelpTakeBack;
extern const std::string_view kHelpTakeBackExample;
extern const std::string_view kHelpHelpUsage;
extern const std::string_view kHelpHelp;
extern const std::string_view kHelpHelpExample;
extern const std::string_view kUserHelpHeading;
extern const std::string_view kUserHelpCheckExample;
extern const std::string_view kUserHelpQuietExample;
extern const std::string_view kUserHelpLogExample;
extern const std::string_view kUserHelpTakeBackUsage;
extern const std::string_view kUserHelpTakeBack;
extern const std::string_view kUserHelpTakeBackExample;
extern const std::string_view kUserHelpHelpExample;
extern const std::string_view kInvalidArguments;
extern const std::string_view kLogKeptLocally;

}  // namespace sanivo::texts
