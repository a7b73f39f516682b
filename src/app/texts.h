// Every text the workflow shows the user, in one place, exactly as the user
// reads it (blanks included). Both front ends take them from here.
#pragma once

#include "text/messages.h"

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
inline constexpr const char* kNoDiagnostic = messages::kNoDiagnostic;

// The general error report.
inline constexpr const char* kOutOfMemory = "Nedostatek paměti";
inline constexpr const char* kUnknownError = "Neznámá chyba";

// A file that cannot be opened or saved, with the reason:
// Soubor "PATH" nelze uložit: přístup odepřen
inline constexpr const char* kFilePrefix = "Soubor \"";
inline constexpr const char* kCannotOpen = "\" nelze otevřít: ";
inline constexpr const char* kCannotSave = "\" nelze uložit: ";
// The reasons the saver finds itself.
inline constexpr const char* kIsCoordinateFile = "je to soubor souřadnic, ze kterého se počítá";
inline constexpr const char* kNotRegularFile = "není to obyčejný soubor";
inline constexpr const char* kWriteProtected = "soubor je chráněn proti zápisu";
// The reasons of the system's error numbers, where Czech says it better than
// the C library's English text.
namespace reason {
inline constexpr const char* kNoEntry = "soubor nebo složka neexistuje";
inline constexpr const char* kAccess = "přístup odepřen";
inline constexpr const char* kNoSpace = "na disku není místo";
inline constexpr const char* kQuota = "překročena kvóta disku";
inline constexpr const char* kReadOnly = "systém souborů je jen pro čtení";
inline constexpr const char* kTooBig = "soubor je příliš velký";
inline constexpr const char* kIsDirectory = "je to složka";
inline constexpr const char* kNotDirectory = "část cesty není složka";
inline constexpr const char* kNameTooLong = "název je příliš dlouhý";
inline constexpr const char* kLinkLoop = "příliš mnoho symbolických odkazů";
inline constexpr const char* kDeviceError = "chyba čtení nebo zápisu na zařízení";
inline constexpr const char* kNoReader = "zařízení nebo roura nemá druhou stranu";
inline constexpr const char* kPipeClosed = "roura byla uzavřena";
inline constexpr const char* kBusy = "soubor je používán";
inline constexpr const char* kTooManyOpen = "příliš mnoho otevřených souborů";
}  // namespace reason

// Captions: the application title and the main window's caption prefix.
inline constexpr const char* kApplicationTitlePrefix = "Ternavo v";
inline constexpr const char* kErrorCaption = "Error";

// Menu items beyond the point table's workflow.
inline constexpr const char* kResidualsItem = "&Rezidua";
inline constexpr const char* kExportKeyItem = "&Exportovat klíč…";
inline constexpr const char* kNoKeyToExport = messages::kKeyNotComputed;
inline constexpr const char* kNoKeyToTransform =
    "Klíč není vypočten: transformované body nelze uložit.";
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
// The coordinate lists: the dialog and the saved transformed points.
inline constexpr const char* kOpenListsItem = "Otevřít &seznamy souřadnic…";
inline constexpr const char* kSavePointsItem = "Uložit transformované &body…";
inline constexpr const char* kListsCaption = "Otevřít seznamy souřadnic";
inline constexpr const char* kSourceList = "Výchozí seznam:";
inline constexpr const char* kTargetList = "Cílový seznam:";
inline constexpr const char* kChooseFile = "Vybrat soubor";
inline constexpr const char* kOrderByHeading = "pořadí podle záhlaví";
inline constexpr const char* kListUnreadable = "Seznam nelze přečíst: ";
inline constexpr const char* kListReadAs =
    "  čteno: oddělovač %1, desetinný znak %2, sloupce %3, %4; bodů: %5";
inline constexpr const char* kBlanks = "mezery";
inline constexpr const char* kListCounts =
    "Identické body (páry): %1    Podrobné body: %2    Body cílového seznamu bez páru: %3";
inline constexpr const char* kChooseBothLists = "Vyberte výchozí i cílový seznam.";
inline constexpr const char* kDecimalsCaption = "Uložit transformované body";
inline constexpr const char* kDecimalsLabel = "Počet desetinných míst:";
inline constexpr const char* kPointsFilter = "Seznamy souřadnic (*.csv *.txt);;Všechny soubory (*)";
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
inline constexpr const char* kKeyDialogPointsFile = "Soubor s body k transformaci :";
inline constexpr const char* kKeyDialogCoordinateFile =
    "soubor souřadnic (transformují se jeho podrobné body)";
inline constexpr const char* kKeyDialogPointList = "seznam souřadnic (název X Y Z na řádek)";
inline constexpr const char* kKeyDialogOutput = "Výstup";
inline constexpr const char* kKeyDialogSectionOutput =
    "oddíl podrobných bodů jako v protokolu (Windows-1250)";
// After "Nesprávný formát souboru!!!" when the file reads as a coordinate list,
inline constexpr const char* kKeyDialogLooksLikeList =
    "\nSoubor se dá číst jako seznam souřadnic: zvolte „seznam souřadnic“.";
// and after a list's error when it reads as a coordinate file.
inline constexpr const char* kKeyDialogLooksLikeFile =
    "\nSoubor se dá číst jako soubor souřadnic: zvolte „soubor souřadnic“.";
inline constexpr const char* kKeyDialogListOutput = "seznam souřadnic (v podobě vstupního seznamu)";
inline constexpr const char* kKeyDialogDirection = "Směr";
inline constexpr const char* kKeyDialogForward = "Z výchozí do cílové soustavy";
inline constexpr const char* kKeyDialogInverse = "Zpět, z cílové do výchozí soustavy";
inline constexpr const char* kKeyDialogOutputFile = "Výstupní soubor :";
inline constexpr const char* kKeyDialogBrowse = "Vybrat…";
inline constexpr const char* kKeyDialogTransform = "Transformovat";
inline constexpr const char* kKeyDialogIncomplete =
    "Vyberte soubor klíče, soubor s body a výstupní soubor.";
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
inline constexpr const char* kAlphaCaption = "Hladina významnosti α:";
inline constexpr const char* kSigmaCaption = "Apriorní σ souřadnice:";
inline constexpr const char* kSigmaNotGiven = "nezadána";
inline constexpr const char* kOutlierTip = "Odlehlý bod podle testu";
inline constexpr const char* kTestTip =
    "F = ((Ω − Ω_i) / 3) / (Ω_i / (r − 3)) s Ω = r·m0², Ω_i = (r − 3)·m0_i²; "
    "p = P(F(3, r − 3) ≥ F); odlehlý, když p < α_i = 1 − (1 − α)^(1/n).";
// The residual window.
inline constexpr const char* kResidualCaption = "Rezidua";
inline constexpr const char* kResidualHeading = "Opravy na identických bodech";
inline constexpr const char* kPrecisionHeading = "Přesnost parametrů";
inline constexpr const char* kAppendButton = "Připojit do protokolu";
inline constexpr const char* kCsvButton = "Uložit tabulku CSV…";
inline constexpr const char* kPictureButton = "Uložit obrázek…";
inline constexpr const char* kSuspiciousTip = "Podezřelý bod";
inline constexpr const char* kTestAlphaLine = "α_i = 1 − (1 − α)^(1/n) = %1,  n = %2";
inline constexpr const char* kTestCritical = ",  kritická hodnota F(3; %1) = %2";
inline constexpr const char* kTestNoRedundancy = ",  bez testu: r − 3 < 1";
inline constexpr const char* kNoOutlier = "Žádný bod není odlehlý.";
inline constexpr const char* kOutliers = "Odlehlé body: %1";
inline constexpr const char* kGlobalTestLine =
    "\nχ² = r·m0²/σ² = %1,  meze χ²(%2): %3 – %4,  %5:  %6";
inline constexpr const char* kGlobalNoTest = "\nTest m0: bez testu, r < 1";
}  // namespace window

// The progress line of a long computation (dialog and terminal), followed by
// the point left out and "(done z total)".
inline constexpr const char* kProgressLine = "Výpočet bez bodu ";

// ternavo-cli's usage errors; the option's name or the value goes after or
// between the parts.
namespace cli {
inline constexpr const char* kOptionPrefix = "přepínač ";
inline constexpr const char* kTakesNoValue = " nemá hodnotu";
inline constexpr const char* kNeedsValue = " potřebuje hodnotu";
inline constexpr const char* kUnknownOption = "neznámý přepínač ";
inline constexpr const char* kUnknownType = "neznámý typ transformace";
inline constexpr const char* kBadPointList = "chybný seznam čísel bodů";
inline constexpr const char* kEmptyFileNameOf = "prázdný název souboru u přepínače ";
inline constexpr const char* kOneOnStandardOutput =
    "na standardní výstup smí jít jen jeden z -o, --json, --export-proj, --export-matrix";
inline constexpr const char* kEmptyOutputName = "prázdný název výstupního souboru";
inline constexpr const char* kNoCoordinateFile = "chybí soubor souřadnic";
inline constexpr const char* kSeveralCoordinateFiles = "zadán více než jeden soubor souřadnic";
inline constexpr const char* kNeedsFileName = " potřebuje název souboru, ne \"-\"";
inline constexpr const char* kNotWithApplyKey = " nelze použít s --apply-key";
inline constexpr const char* kInverseNeedsApplyKey = "přepínač --inverse patří k --apply-key";
inline constexpr const char* kBadAlpha = "chybná hladina významnosti";
inline constexpr const char* kBadAlphaHint = " (0 < alfa < 1, např. 0.05 nebo 5%)";
inline constexpr const char* kBadSigma = "chybná směrodatná odchylka";
inline constexpr const char* kBadSigmaHint = " (kladné číslo v metrech)";
inline constexpr const char* kReportNotBuilt =
    "přepínač --report v tomto sestavení chybí (sestaveno bez Qt)";
// přepínače -o a --json míří do téhož souboru "NAME"
inline constexpr const char* kOptionsPrefix = "přepínače ";
inline constexpr const char* kAnd = " a ";
inline constexpr const char* kIntoOneFile = " míří do téhož souboru \"";

// The help text (Czech and English) up to the --report lines; ternavo-cli
// puts the next two after it.
inline constexpr const char* kUsage =
    "Použití: ternavo-cli [-t TYP] [-x Č[,Č...]] [--transform] [--residuals] [-o SOUBOR]\n"
    "                    [--alpha A] [--sigma M] [--report SOUBOR]\n"
    "                    [--json SOUBOR] [--export-proj SOUBOR] [--export-matrix SOUBOR]\n"
    "                    [--key-out SOUBOR] SOUBOR_SOUŘADNIC\n"
    "         ternavo-cli --apply-key KLÍČ [--inverse] [-o SOUBOR] [--points-out SOUBOR]\n"
    "                    [--decimals N] (SOUBOR_SOUŘADNIC | --points SEZNAM)\n"
    "         ternavo-cli [...] --source VÝCHOZÍ --target CÍLOVÝ [--points-out SOUBOR]\n"
    "Usage:   ternavo-cli [-t TYPE] [-x N[,N...]] [--transform] [--residuals] [-o FILE]\n"
    "                    [--alpha A] [--sigma M] [--report FILE]\n"
    "                    [--json FILE] [--export-proj FILE] [--export-matrix FILE]\n"
    "                    [--key-out FILE] COORDINATE_FILE\n"
    "         ternavo-cli --apply-key KEY [--inverse] [-o FILE] [--points-out FILE]\n"
    "                    [--decimals N] (COORDINATE_FILE | --points LIST)\n"
    "         ternavo-cli [...] --source SOURCE --target TARGET [--points-out FILE]\n"
    "\n"
    "Vypočte transformační klíč z identických bodů souboru souřadnic metodou MNČ.\n"
    "Computes the transformation key from the identical points of a coordinate file\n"
    "by least squares.\n"
    "\n"
    "  -t, --type TYP         affine | 0      obecná afinní / general affine (výchozí, "
    "default)\n"
    "                         similarity | 1  podobnostní / similarity\n"
    "                         congruence | 2  shodnostní / congruence\n"
    "      --source SEZNAM    výchozí seznam souřadnic (název X Y Z na řádek) místo\n"
    "                         souboru souřadnic / the source list instead of the file\n"
    "      --target SEZNAM    cílový seznam; identické jsou body téhož názvu\n"
    "                         the target list; points of one name are identical\n"
    "      --source-columns xyz|yxz, --target-columns xyz|yxz\n"
    "                         pořadí sloupců seznamu / the list's column order\n"
    "  -x, --exclude Č[,Č...] před výpočtem vyřadí identické body s těmito čísly\n"
    "                         switch off the identical points with these names\n"
    "      --transform        po výpočtu klíče připojí transformované podrobné body\n"
    "                         append the transformed detail points after the key\n"
    "  -o, --output SOUBOR    uloží protokol (Windows-1250, CR LF); \"-\": jen ten na stdout\n"
    "                         save the protocol (Windows-1250, CR LF); \"-\": it alone on "
    "stdout\n"
    "      --residuals        připojí k protokolu opravy a přesnost parametrů\n"
    "                         append the residuals and parameter precision\n"
    "      --alpha A          hladina významnosti testu odlehlých bodů (0.05 nebo 5%,\n"
    "                         výchozí 5 %) / level of the outlier test (default 5 %)\n"
    "      --sigma M          apriorní směrodatná odchylka souřadnice v metrech: test m0\n"
    "                         a-priori sigma of one coordinate in metres: tests m0\n"
    "      --report SOUBOR    zpráva PDF: hlavička, protokol, opravy, přesnost, testy,\n"
    "                         obrázek oprav / a PDF report of the whole computation\n";
// The help text's line after --report in a build without Qt.
inline constexpr const char* kUsageNoReport =
    "                         (v tomto sestavení chybí, "
    "sestaveno bez Qt / not in this build: no Qt)\n";
// The rest of the help text.
inline constexpr const char* kUsageRest =
    "      --json SOUBOR      celý výsledek jako JSON (UTF-8)\n"
    "                         the whole result as JSON (UTF-8)\n"
    "      --export-proj SOUBOR   klíč jako operace PROJ (+proj=affine ...)\n"
    "                         the key as a PROJ operation, for cct, ogr2ogr -ct, ...\n"
    "      --export-matrix SOUBOR klíč jako matice 4 x 4 po řádcích\n"
    "                         the key as a row-major 4 x 4 matrix\n"
    "                         SOUBOR \"-\": jen tento výstup na standardní výstup\n"
    "                         FILE \"-\": this form alone on standard output\n"
    "      --points-out SOUBOR  transformované podrobné body jako seznam souřadnic\n"
    "                         (\"-\": standardní výstup) / the transformed detail points\n"
    "                         as a coordinate list (\"-\": standard output)\n"
    "      --decimals N       desetinná místa --points-out, 0 až 12 (výchozí 4)\n"
    "                         decimals of --points-out, 0 to 12 (default 4)\n"
    "      --key-out SOUBOR   uloží klíč jako soubor klíče (JSON, přesné hodnoty)\n"
    "                         save the key as a key file (JSON, exact values)\n"
    "      --apply-key KLÍČ   nepočítá klíč: transformuje podrobné body souboru\n"
    "                         klíčem ze souboru klíče, výstup jako TRANSFORMOVAT\n"
    "                         compute nothing: transform the detail points with\n"
    "                         the saved key, output as TRANSFORMOVAT writes it\n"
    "      --inverse          s --apply-key zpětně, z cílové do výchozí soustavy\n"
    "                         with --apply-key: from the target system back\n"
    "      --points SEZNAM    s --apply-key: transformuje body seznamu souřadnic\n"
    "                         (název X Y Z na řádek) místo souboru souřadnic; seznam\n"
    "                         --points-out v jeho tvaru / with --apply-key: transform\n"
    "                         the points of a list; --points-out in the list's form\n"
    "      --points-columns xyz|yxz  pořadí sloupců seznamu --points / its column order\n"
    "      --version          verze programu / the program's version\n"
    "  -h, --help             tato nápověda / this help\n"
    "\n"
    "Standardní výstup: tabulka bodů, m0, podezřelý bod, prázdný řádek, protokol.\n"
    "Standard output: point table, m0, suspicious point, empty line, protocol.\n"
    "Desetinný oddělovač podle LC_ALL / LC_NUMERIC. Decimal separator from LC_ALL / "
    "LC_NUMERIC.\n"
    "\n"
    "Návratový kód / exit status:\n"
    "  0  klíč vypočten / key computed\n"
    "  1  výpočet odmítnut nebo neproveden / computation refused or not made\n"
    "  2  chybné použití / usage error\n"
    "  3  soubor souřadnic nebo klíče v nesprávném formátu / coordinate or key file in a\n"
    "     wrong format\n"
    "  4  protokol nebo standardní výstup nelze zapsat / protocol file or output not written\n"
    "  5  soubor souřadnic nebo klíče nelze otevřít / coordinate or key file cannot be "
    "opened\n";

// A short hint after a usage error.
inline constexpr const char* kUsageHint = "Nápověda / help: ternavo-cli --help\n";
// Lines on standard error; each begins with the program's name.
inline constexpr const char* kErrorPrefix = "ternavo-cli: ";
inline constexpr const char* kOutputFailed = "ternavo-cli: chyba zápisu na standardní výstup\n";
// ternavo-cli: bod 17 není mezi identickými body souboru
inline constexpr const char* kUnknownPoint = "ternavo-cli: bod ";
inline constexpr const char* kUnknownPointEnd = " není mezi identickými body souboru\n";
// ternavo-cli: klíč nebyl vypočten, FILE nezapsán
inline constexpr const char* kNoKeyFor = "ternavo-cli: klíč nebyl vypočten, ";
inline constexpr const char* kNotWritten = " nezapsán\n";
// Coordinate lists on the command line.
inline constexpr const char* kBothLists = "seznamy souřadnic se zadávají oba: --source i --target";
inline constexpr const char* kFileAndLists = "zadán soubor souřadnic i seznamy --source a --target";
inline constexpr const char* kApplyKeyWithLists =
    "přepínač --apply-key nelze použít se seznamy --source a --target "
    "(seznam bodů k transformaci se zadává přepínačem --points)";
// A coordinate list as the input of --apply-key.
inline constexpr const char* kPointsNeedApplyKey = "přepínač --points patří k --apply-key";
inline constexpr const char* kPointsColumnsWithoutList =
    "pořadí sloupců --points-columns patří k seznamu --points";
inline constexpr const char* kFileAndPoints = "zadán soubor souřadnic i seznam --points";
inline constexpr const char* kNoPointsToTransform =
    "chybí soubor souřadnic nebo seznam --points s body k transformaci";
inline constexpr const char* kColumnsWithoutLists =
    "pořadí sloupců patří k seznamům --source a --target";
inline constexpr const char* kBadColumns = "neznámé pořadí sloupců";
inline constexpr const char* kBadColumnsHint = " (xyz nebo yxz)";
inline constexpr const char* kBadDecimals = "chybný počet desetinných míst";
inline constexpr const char* kBadDecimalsHint = " (0 až 12)";
}  // namespace cli

}  // namespace ternavo::texts
