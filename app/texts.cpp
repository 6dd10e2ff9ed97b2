// Written in UTF-8; _cp1250 turns each text into its Windows-1250 bytes while compiling.
#include "app/texts.h"

#include "charset/windows1250_literal.h"

namespace sanivo::texts {

const std::string_view kProgramTitle = "MOREK Sanivo - oprava chyb v operačních systémech"_cp1250;
const std::string_view kIntroduction =
    "Program nyní provede následující úpravy operačního sytému:"_cp1250;
const std::string_view kCaption = " MOREK Sanivo - oprava chyb v operačních systémech "_cp1250;
const std::string_view kNothingToRepair = "tento systém nepotřebuje nijak opravit"_cp1250;
const std::string_view kWorkDirFailed = "Nelze vytvořit dočasný adresář"_cp1250;
const std::string_view kWorkDirName = "Morek-Sanivo"_cp1250;
const std::string_view kSuccess = "Úspěšně dokončeno"_cp1250;

const std::string_view kFontHeading = "- oprava problému s češtinou ve Windows 7 . . ."_cp1250;
const std::string_view kFontMissing = "Nelze najít font k instalaci"_cp1250;
const std::string_view kFontInstallFailed = "Font nelze nainstalovat"_cp1250;
const std::string_view kFontRegisterFailed = "Nelze zaregistrovat font do registrů"_cp1250;
const std::string_view kFontDefaultFailed = "Nelze nastavit font jako výchozí"_cp1250;
const std::string_view kStepCopying = "kopírování . . "_cp1250;
const std::string_view kStepCleaning = "čištění dočasného adresáře . . "_cp1250;
const std::string_view kStepCreatingFot = "tvorba FOT souboru . . "_cp1250;
const std::string_view kStepAddingFont = "přidání fontu . . "_cp1250;
const std::string_view kStepOpeningFonts = "otevírání seznamu fontů. . "_cp1250;
const std::string_view kStepWritingFonts = "zápis do seznamu fontů . . "_cp1250;
const std::string_view kStepOpeningDosFonts = "otevírání seznamu fontů pro DOS . . "_cp1250;
const std::string_view kStepWritingDosFonts = "zápis do seznamu fontů pro DOS . . "_cp1250;
const std::string_view kStepOpeningSettings = "otevírání aktálního nastavení . . "_cp1250;
const std::string_view kStepNewSettings = "tvorba nového nastavení . . "_cp1250;
const std::string_view kStepWritingSettings = "zápis do nastavení . . "_cp1250;
const std::string_view kFontValueName = "Lucida Console CS Obyčejné (TrueType)"_cp1250;

const std::string_view kNtvdmHeading = "- oprava problému s vícejádrovými procesory . . ."_cp1250;
const std::string_view kNtvdmMissing = "Soubor NTVDM.EXE nebyl nalezen"_cp1250;
const std::string_view kNtvdmInUse = "Nejdříve vypněte všechny DOS aplikace"_cp1250;
const std::string_view kBackupFailed = "Nelze vytvořit zálohu"_cp1250;
const std::string_view kWorkCopyFailed = "Nelze vytvořit dočasný soubor"_cp1250;
const std::string_view kToolMissing = "Nelze najít nástroj IMAGECFG.EXE"_cp1250;
const std::string_view kAffinityFailed = "Nelze upravit afinitu souboru NTVDM.EXE"_cp1250;
const std::string_view kReplaceFailed = "Nelze přepsat púvodní soubor NTVDM.EXE"_cp1250;
const std::string_view kCachedCopyNotReplaced =
    "Nelze nahradit kopii NTVDM.EXE v mezipaměti systému"_cp1250;
const std::string_view kStepWorkCopy = "kopírování do dočasného adresáře . . "_cp1250;
const std::string_view kStepAffinity = "úprava afinity . . "_cp1250;
const std::string_view kStepReplaceOriginal = "přepsání originálu . . "_cp1250;
const std::string_view kStepReplaceCaches = "přepsání záloh systému . . "_cp1250;
const std::string_view kStepPreserve = "konzervace spuštěním . . "_cp1250;

const std::string_view kCheckNotNeeded = "Oprava není potřeba"_cp1250;
const std::string_view kCheckNeeded = "Oprava je potřeba"_cp1250;
const std::string_view kCheckUndecided = "Nelze zjistit, zda je oprava potřeba"_cp1250;
const std::string_view kUnknownParam = "Neznámý parametr: "_cp1250;
const std::string_view kLogFailed = "Nelze zapsat protokol"_cp1250;

const std::string_view kUserFontHeading =
    "- oprava češtiny ve Windows 7 pro tohoto uživatele . . ."_cp1250;
const std::string_view kStepCheckingMachineFont = "kontrola fontu pro celý počítač . . "_cp1250;
const std::string_view kMachineFontMissing = "Font není nainstalován pro celý počítač"_cp1250;

const std::string_view kUndoFontHeading =
    "- vrácení opravy problému s češtinou ve Windows 7 . . ."_cp1250;
const std::string_view kUndoNtvdmHeading =
    "- vrácení opravy problému s vícejádrovými procesory . . ."_cp1250;
const std::string_view kUndoUserFontHeading =
    "- vrácení opravy češtiny ve Windows 7 pro tohoto uživatele . . ."_cp1250;
const std::string_view kTakenBack = "Oprava byla vrácena"_cp1250;
const std::string_view kTakenBackAtRestart = "Oprava byla vrácena, font zmizí po restartu"_cp1250;
const std::string_view kNothingToTakeBack = "Není co vracet"_cp1250;
const std::string_view kCanTakeBack = "Opravu lze vrátit"_cp1250;
const std::string_view kTakeBackUndecided = "Nelze zjistit, co vrátit"_cp1250;
const std::string_view kRestoreFileRefused = "Soubor není záloha NTVDM.EXE"_cp1250;
const std::string_view kStepRemovingSettings = "mazání nastavení . . "_cp1250;
const std::string_view kStepRemovingDosFonts = "mazání ze seznamu fontů pro DOS . . "_cp1250;
const std::string_view kStepRemovingFonts = "mazání ze seznamu fontů . . "_cp1250;
const std::string_view kStepRemovingFont = "odebrání fontu . . "_cp1250;
const std::string_view kStepDeletingFont = "mazání souboru fontu . . "_cp1250;

const std::string_view kWaitingForOtherRun = "Čeká se, až skončí jiný běh programu . . ."_cp1250;
const std::string_view kOtherRunGoesOn = "Jiný běh programu neskončil do dvou minut"_cp1250;

const std::string_view kHelpHeading =
    "Parametry programu (bez nich program opraví tento systém):"_cp1250;
const std::string_view kHelpBackupUsage = "-zaloha[:CESTA]"_cp1250;
const std::string_view kHelpBackup =
    "záloha NTVDM.EXE před opravou; CESTA s \\ na konci je adresář"_cp1250;
const std::string_view kHelpBackupExample = "sanivo.exe -zaloha:D:\\zal\\"_cp1250;
const std::string_view kHelpCheckUsage = "-kontrola"_cp1250;
const std::string_view kHelpCheck = "jen zjistí, zda je oprava potřeba; nic nemění"_cp1250;
const std::string_view kHelpCheckExample = "sanivo.exe -kontrola -tise"_cp1250;
const std::string_view kHelpQuietUsage = "-tise"_cp1250;
const std::string_view kHelpQuiet = "nečeká, opraví jen je-li to potřeba, výsledek dá kódem"_cp1250;
const std::string_view kHelpQuietExample = "sanivo.exe -tise -zaloha:C:\\zal\\"_cp1250;
const std::string_view kHelpLogUsage = "-protokol:SOUBOR"_cp1250;
const std::string_view kHelpLog = "připíše záznam o běhu do protokolu CSV, i sdíleného"_cp1250;
const std::string_view kHelpLogExample =
    "sanivo.exe -tise -protokol:\\\\server\\sdilene\\sanivo.csv"_cp1250;
const std::string_view kHelpTakeBackUsage = "-vratit[:SOUBOR]"_cp1250;
const std::string_view kHelpTakeBack = "vrátí opravu; SOUBOR je záloha NTVDM.EXE k obnovení"_cp1250;
const std::string_view kHelpTakeBackExample = "sanivo.exe -tise -vratit"_cp1250;
const std::string_view kHelpHelpUsage = "/?"_cp1250;
const std::string_view kHelpHelp = "tato nápověda (též -?, -h, -help, --help); nic nemění"_cp1250;
const std::string_view kHelpHelpExample = "sanivo.exe /?"_cp1250;
const std::string_view kUserHelpHeading =
    "Parametry programu (bez nich nastaví uživateli písmo konzole DOS):"_cp1250;
const std::string_view kUserHelpCheckExample = "sanivo-uzivatel.exe -kontrola -tise"_cp1250;
const std::string_view kUserHelpQuietExample = "sanivo-uzivatel.exe -tise"_cp1250;
const std::string_view kUserHelpLogExample =
    "sanivo-uzivatel.exe -tise -protokol:\\\\srv\\log\\sanivo.csv"_cp1250;
const std::string_view kUserHelpTakeBackUsage = "-vratit"_cp1250;
const std::string_view kUserHelpTakeBack = "vrátí písmo konzole DOS tohoto uživatele"_cp1250;
const std::string_view kUserHelpTakeBackExample = "sanivo-uzivatel.exe -tise -vratit"_cp1250;
const std::string_view kUserHelpHelpExample = "sanivo-uzivatel.exe /?"_cp1250;
const std::string_view kInvalidArguments = "Neplatné parametry"_cp1250;
const std::string_view kLogKeptLocally =
    "Protokol nelze zapsat, záznam čeká na tomto počítači:"_cp1250;

}  // namespace sanivo::texts
