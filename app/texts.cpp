// Compiled with -fexec-charset=CP1250: the literals below become Windows-1250 bytes.
#include "app/texts.h"

namespace sanivo::texts {

const std::string_view kProgramTitle = "MOREK Sanivo - oprava chyb v operačních systémech";
const std::string_view kIntroduction = "Program nyní provede následující úpravy operačního sytému:";
const std::string_view kCaption = " MOREK Sanivo - oprava chyb v operačních systémech ";
const std::string_view kNothingToRepair = "tento systém nepotřebuje nijak opravit";
const std::string_view kWorkDirFailed = "Nelze vytvořit dočasný adresář";
const std::string_view kWorkDirName = "Morek-Sanivo";
const std::string_view kSuccess = "Úspěšně dokončeno";

const std::string_view kFontHeading = "- oprava problému s češtinou ve Windows 7 . . .";
const std::string_view kFontMissing = "Nelze najít font k instalaci";
const std::string_view kFontInstallFailed = "Font nelze nainstalovat";
const std::string_view kFontRegisterFailed = "Nelze zaregistrovat font do registrů";
const std::string_view kFontDefaultFailed = "Nelze nastavit font jako výchozí";
const std::string_view kStepCopying = "kopírování . . ";
const std::string_view kStepCleaning = "čištění dočasného adresáře . . ";
const std::string_view kStepCreatingFot = "tvorba FOT souboru . . ";
const std::string_view kStepAddingFont = "přidání fontu . . ";
const std::string_view kStepOpeningFonts = "otevírání seznamu fontů. . ";
const std::string_view kStepWritingFonts = "zápis do seznamu fontů . . ";
const std::string_view kStepOpeningDosFonts = "otevírání seznamu fontů pro DOS . . ";
const std::string_view kStepWritingDosFonts = "zápis do seznamu fontů pro DOS . . ";
const std::string_view kStepOpeningSettings = "otevírání aktálního nastavení . . ";
const std::string_view kStepNewSettings = "tvorba nového nastavení . . ";
const std::string_view kStepWritingSettings = "zápis do nastavení . . ";
const std::string_view kFontValueName = "Lucida Console CS Obyčejné (TrueType)";

const std::string_view kNtvdmHeading = "- oprava problému s vícejádrovými procesory . . .";
const std::string_view kNtvdmMissing = "Soubor NTVDM.EXE nebyl nalezen";
const std::string_view kNtvdmInUse = "Nejdříve vypněte všechny DOS aplikace";
const std::string_view kBackupFailed = "Nelze vytvořit zálohu";
const std::string_view kBackupCopyFailed = "Nelze zkopírovat";
const std::string_view kWorkCopyFailed = "Nelze vytvořit dočasný soubor";
const std::string_view kToolMissing = "Nelze najít nástroj IMAGECFG.EXE";
const std::string_view kAffinityFailed = "Nelze upravit afinitu souboru NTVDM.EXE";
const std::string_view kReplaceFailed = "Nelze přepsat púvodní soubor NTVDM.EXE";
const std::string_view kCachedCopyNotReplaced =
    "Nelze nahradit kopii NTVDM.EXE v mezipaměti systému";
const std::string_view kStepWorkCopy = "kopírování do dočasného adresáře . . ";
const std::string_view kStepAffinity = "úprava afinity . . ";
const std::string_view kStepReplaceOriginal = "přepsání originálu . . ";
const std::string_view kStepReplaceCaches = "přepsání záloh systému . . ";
const std::string_view kStepPreserve = "konzervace spuštěním . . ";

}  // namespace sanivo::texts
