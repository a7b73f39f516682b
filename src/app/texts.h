// Every text the workflow shows the user, in one place, exactly as the user
// reads it (blanks included). Both front ends take them from here.
#pragma once

namespace ternavo::texts {

// Boxes and protocol lines of the workflow.
inline constexpr const char* kWrongFormat = "Nesprávný formát souboru!!!";
inline constexpr const char* kTooFewUsedPoints = "Málo identických bodů !!";
inline constexpr const char* kNoDetailPoints = "Nejsou podrobné body !";
inline constexpr const char* kTransformDone = "Transformace dokončena.";
inline constexpr const char* kNotComputed = "Výpočet neproveden.";
// The protocol's last line when the user stopped the leave-one-out runs.
inline constexpr const char* kDiagnosticsNotComputed =
    "Střední chyby jednotkové bez jednotlivých bodů nebyly vypočteny (výpočet přerušen).";
// A diagnostic cell before a computation: two blanks and a slash.
inline constexpr const char* kNoDiagnostic = "  /";

// The general error report.
inline constexpr const char* kOutOfMemory = "Nedostatek paměti";
inline constexpr const char* kUnknownError = "Neznámá chyba";

// Captions: the application title and the main window's caption prefix.
inline constexpr const char* kApplicationTitlePrefix = "Ternavo v";
inline constexpr const char* kErrorCaption = "Error";

// Menu items beyond the point table's workflow.
inline constexpr const char* kResidualsItem = "&Rezidua";
inline constexpr const char* kExportKeyItem = "&Exportovat klíč…";
inline constexpr const char* kNoKeyToExport = "Klíč není vypočten.";
inline constexpr const char* kSaveKeyItem = "&Uložit klíč…";
inline constexpr const char* kSaveReportItem = "Uložit &zprávu (PDF)…";
// The key file's proposed name: the coordinate file's name followed by this.
inline constexpr const char* kKeyFileNameSuffix = "_klic.json";
inline constexpr const char* kApplyKeyItem = "&Transformovat klíčem…";
// The heading of a section transformed from the target system back.
inline constexpr const char* kInverseSectionHeading = "Zpětná transformace podrobných bodů :";

// ternavo-cli's labels of the two result lines.
inline constexpr const char* kM0Caption = "Střední chyba jednotková: ";
inline constexpr const char* kSuspiciousCaption = "Podezřelý bod : ";

// The windows' captions, labels, items and tooltips.
namespace window {
inline constexpr const char* kFileMenu = "&Soubor";
inline constexpr const char* kOpenItem = "&Otevřít";
inline constexpr const char* kEndItem = "&Konec";
inline constexpr const char* kAboutItem = "O &programu";
inline constexpr const char* kTypeGroup = "Typ transformace";
inline constexpr const char* kTypeAffine = "     Obecná afinní";
inline constexpr const char* kTypeSimilarity = "     Podobnostní";
inline constexpr const char* kTypeCongruence = "     Shodnostní";
inline constexpr const char* kIdenticalCountCaption = "Celkový počet bodů :";
inline constexpr const char* kUsedCountCaption = "Počet použitých bodů :";
inline constexpr const char* kM0LabelCaption = "Střední chyba jednotková";
inline constexpr const char* kSuspiciousLabelCaption = "Podezřelý bod :";
inline constexpr const char* kExcludeSuspiciousTip = "Vyřadit podezřelý bod";
inline constexpr const char* kRecomputeButton = "Přepočítat klíč";
inline constexpr const char* kShowProtocolTip = "Zobrazit protokol";
inline constexpr const char* kTransformButton = "TRANSFORMOVAT";
inline constexpr const char* kPointTableName = "Identické body";
inline constexpr const char* kPointTableDescription =
    "Číslo bodu, střední chyba jednotková bez bodu m(0){n-1}, její poměr k m0 "
    "a zda se bod použije. Mezerník, Enter nebo F2 ve sloupci Použít bod "
    "vyřadí nebo vrátí, stejně jako dvojklik.";
inline constexpr const char* kProtocolCaption = "Protokol";
inline constexpr const char* kSaveTip = "Uložit";
inline constexpr const char* kEditTip = "Upravit";
inline constexpr const char* kReadOnlyTip = "Jen pro čtení";
inline constexpr const char* kAboutCaption = "  O programu";
inline constexpr const char* kAboutDescription =
    "Program výpočet transformačního klíče a transformaci 3D souřadnic  obecnou "
    "afinní, podobnostní a shodnostní transformací  metodou MNČ. ";
inline constexpr const char* kCancelButton = "Zrušit";
// The dialog that applies a saved key.
inline constexpr const char* kKeyDialogCaption = "Transformovat klíčem";
inline constexpr const char* kKeyDialogKeyFile = "Soubor klíče :";
inline constexpr const char* kKeyDialogPointsFile = "Soubor souřadnic s podrobnými body :";
inline constexpr const char* kKeyDialogDirection = "Směr";
inline constexpr const char* kKeyDialogForward = "Z výchozí do cílové soustavy";
inline constexpr const char* kKeyDialogInverse = "Zpět, z cílové do výchozí soustavy";
inline constexpr const char* kKeyDialogOutputFile = "Výstupní soubor :";
inline constexpr const char* kKeyDialogBrowse = "Vybrat…";
inline constexpr const char* kKeyDialogTransform = "Transformovat";
inline constexpr const char* kKeyDialogIncomplete =
    "Vyberte soubor klíče, soubor souřadnic a výstupní soubor.";
// Asked before a protocol the user edited and did not save is replaced.
inline constexpr const char* kDiscardEditsQuestion =
    "Protokol obsahuje neuložené úpravy.\nZahodit je?";
// The protocol's proposed file name: the coordinate file's name followed by this.
inline constexpr const char* kProtocolNameSuffix = "_protokol.txt";
inline constexpr const char* kGuideItem = "&Nápověda";
inline constexpr const char* kPrintItem = "Tisk";
// The residual plot: back to every point after zooming (wheel) and panning (drag).
inline constexpr const char* kWholeViewButton = "Celý pohled";
inline constexpr const char* kWholeViewTip =
    "Kolečko myši přiblíží, tažení posune; toto tlačítko ukáže zase všechny body.";
inline constexpr const char* kPrintTip = "Tisk protokolu (Ctrl+P)";
inline constexpr const char* kPdfItem = "PDF";
inline constexpr const char* kPdfTip = "Uložit protokol jako PDF";
inline constexpr const char* kGuideCaption = "Nápověda – Ternavo";
inline constexpr const char* kGuideMissing =
    "Návod se nenašel. Patří do složky /usr/share/doc/ternavo (soubor navod.md).";
// The empty main window says how to begin.
inline constexpr const char* kStartHint =
    "Otevřete soubor souřadnic:\nSoubor → Otevřít (Ctrl+O),\n"
    "nebo soubor přetáhněte sem.\n\nNápověda: F1";
// The outlier tests in the residual window.
inline constexpr const char* kTestHeading = "Test odlehlých bodů";
inline constexpr const char* kTestColumnF = "F";
inline constexpr const char* kTestColumnP = "p";
inline constexpr const char* kTestColumnVerdict = "Test";
inline constexpr const char* kAlphaCaption = "Hladina významnosti α:";
inline constexpr const char* kSigmaCaption = "Apriorní σ souřadnice:";
inline constexpr const char* kSigmaNotGiven = "nezadána";
inline constexpr const char* kOutlierTip = "Odlehlý bod podle testu";
inline constexpr const char* kTestTip =
    "F = ((Ω − Ω_i) / 3) / (Ω_i / (r − 3)) s Ω = r·m0², Ω_i = (r − 3)·m0_i²; "
    "p = P(F(3, r − 3) ≥ F); odlehlý, když p < α_i = 1 − (1 − α)^(1/n).";
}  // namespace window

// The progress line of a long computation (dialog and terminal), followed by
// the point left out and "(done z total)".
inline constexpr const char* kProgressLine = "Výpočet bez bodu ";

}  // namespace ternavo::texts
