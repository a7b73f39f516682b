// Texts the computation and the report writers give the user, in one place,
// exactly as the user reads them. Protocol lines are saved in Windows-1250:
// they use no character the code page lacks (no Greek letters, no
// superscripts).
#pragma once

namespace ternavo::messages {

// The point table's diagnostic cells before a computation: two blanks and a
// slash; after loading a file, the bare slash (kNoValue).
inline constexpr const char* kNoDiagnostic = "  /";
// A key is asked for before one is computed.
inline constexpr const char* kKeyNotComputed = "Klíč není vypočten.";

// Notices the computation shows by itself (through the notice hook).
inline constexpr const char* kTooFewPoints = "Málo identických bodů.";
inline constexpr const char* kSingularAffine =
    "Afinní klíč nelze určit: identické body leží v jedné rovině nebo na přímce.";
inline constexpr const char* kTooManyPoints =
    "Příliš mnoho použitých identických bodů: výpočet zvládne nejvýše 21845 bodů.";
// The starting rotation cannot be formed from the identical points.
inline constexpr const char* kDegeneratePoints = "Identické body splývají nebo leží na přímce.";

// Conversion to and from the protocol file's code page; ICU's error name or
// the converter's name follows or goes between.
inline constexpr const char* kConverterPrefix = "Převodník znaků ";
inline constexpr const char* kConverterMissing = " není k dispozici.";
inline constexpr const char* kConverterNoSubstitute =
    "Převodník znaků: náhradní znak nelze nastavit.";
inline constexpr const char* kEncodingFailed = "Převod textu do kódové stránky selhal: ";
inline constexpr const char* kDecodingFailed = "Převod textu z kódové stránky selhal: ";

// The protocol of a key computation, line by line. Its layout is what users
// compare their earlier protocols with: blanks and colons stay as they are.
inline constexpr const char* kProtocolProgram = "Program Ternavo v ";  // the version follows
inline constexpr const char* kProtocolTitle = ", Protokol o výpočtu.";
inline constexpr const char* kProtocolAffine = "Obecná afinní transformace";
inline constexpr const char* kProtocolSimilarity = "Podobnostní transformace";
// The congruence protocol has always been headed so; files compared with
// earlier protocols rely on it.
inline constexpr const char* kProtocolCongruence = "Shodnostní Podobnostní transformace";
inline constexpr const char* kProtocolUsedPoints = "Použité identické body :";
inline constexpr const char* kProtocolKey = "Transformační klíč :";
inline constexpr const char* kProtocolRotation = "  Matice Rotace :";
inline constexpr const char* kProtocolTranslation = "  Vektor Translace :";
inline constexpr const char* kProtocolScales = "  Měřítka v jednotlivých osách (x,y,z):";
inline constexpr const char* kProtocolM0 = "Střední chyba jednotková:  ";  // m0 follows
// The detail points' section below the protocol.
inline constexpr const char* kDetailSectionHeading = "Transformace podrobných bodů :";
inline constexpr const char* kDetailSectionColumns = "(C.B. X  Y  Z)";

// The point table: column headings and the Použít cell. Nine blanks leave
// room for the state picture drawn over the cell.
inline constexpr const char* kPointTableHeadings[4] = {"Číslo bodu", "m(0){n-1}", "Poměr",
                                                       "Použít"};
inline constexpr const char* kPointUsedCell = "         ANO";
inline constexpr const char* kPointUnusedCell = "         NE";

// The residual report below the protocol, and its CSV table.
inline constexpr const char* kResidualHeading = "Opravy na identických bodech :";
inline constexpr const char* kResidualColumns = "(C.B.  vX  vY  vZ  vXY  vXYZ  použit)";
inline constexpr const char* kPrecisionHeading = "Přesnost parametrů :";
inline constexpr const char* kPrecisionColumns = "(parametr  hodnota  směrodatná odchylka)";
inline constexpr const char* kRedundancyLine = "Počet nadbytečných měření r = 3n - u :  ";
inline constexpr const char* kM0Line = "Střední chyba jednotková:  ";
inline constexpr const char* kConventionAffine =
    "Konvence :  cílová = T + A · výchozí,  A = (a11 a12 a13; a21 a22 a23; a31 a32 a33)";
inline constexpr const char* kConventionCongruence =
    "Konvence :  cílová = T + R · výchozí,  R = Ry(Phi) · Rx(Omega) · Rz(Kappa)";
inline constexpr const char* kConventionSimilarity =
    "Konvence :  cílová = T + m · R · výchozí,  R = Ry(Phi) · Rx(Omega) · Rz(Kappa)";
inline constexpr const char* kConventionRotations =
    "  otočení soustavy:  Rx = (1, 0, 0; 0, cos, sin; 0, -sin, cos),  "
    "Ry = (cos, 0, -sin; 0, 1, 0; sin, 0, cos),  Rz = (cos, sin, 0; -sin, cos, 0; 0, 0, 1)";
inline constexpr const char* kUsedYes = "ANO";
inline constexpr const char* kUsedNo = "NE";
inline constexpr const char* kResidualCsvHeader = "Číslo bodu;vX;vY;vZ;vXY;vXYZ;Použit\r\n";
// The residual table's and the parameter table's columns in the residual
// window and the PDF report.
inline constexpr const char* kResidualTableColumns[7] = {
    "Číslo bodu", "vX [m]", "vY [m]", "vZ [m]", "vXY [m]", "vXYZ [m]", "Použit"};
// The outlier test's columns after them.
inline constexpr const char* kTestColumnF = "F";
inline constexpr const char* kTestColumnP = "p";
inline constexpr const char* kTestColumnVerdict = "Test";
inline constexpr const char* kParameterTableColumns[3] = {"Parametr", "Hodnota",
                                                          "Směrodatná odchylka"};

// The residual picture (window, PNG and PDF report).
inline constexpr const char* kPictureSuspicious = " (podezřelý)";
inline constexpr const char* kPictureOutlier = " (odlehlý podle testu)";
inline constexpr const char* kPicturePoint = "Bod %1%2\n";
inline constexpr const char* kPictureUsed = "použit: ";
inline constexpr const char* kPictureTitleNarrow = "Půdorys identických bodů: X nahoru, Y doprava";
inline constexpr const char* kPictureTitle =
    "Půdorys identických bodů v cílové soustavě: osa X nahoru, osa Y doprava";
inline constexpr const char* kPictureArrowsNarrow = "Šipky: opravy (vY, vX) zvětšené %1";
inline constexpr const char* kPictureArrows =
    "Šipky: opravy (vY, vX) zvětšené %1, od cílové polohy k poloze podle klíče";
inline constexpr const char* kLegendUsed = "použitý";
inline constexpr const char* kLegendOff = "vypnutý";
inline constexpr const char* kLegendSuspicious = "podezřelý";
inline constexpr const char* kLegendOutlier = "odlehlý";

// Key files. Every complaint about a key file begins with the prefix and the
// file's name: Soubor klíče "PATH": ...
inline constexpr const char* kKeyFilePrefix = "Soubor klíče \"";
inline constexpr const char* kKeyFileTooLarge = "soubor je na soubor klíče příliš velký";
inline constexpr const char* kKeyFileNotJson = "není to soubor JSON";
inline constexpr const char* kKeyFileNotObject = "není to soubor klíče (chybí objekt JSON)";
inline constexpr const char* kKeyFileWrongFormat = "pole \"format\" není \"ternavo-key\"";
inline constexpr const char* kKeyFileWrongVersion =
    "pole \"version\" nemá hodnotu 1 (soubor je z jiné verze programu)";
inline constexpr const char* kKeyFileWrongType =
    "pole \"type\" není affine, similarity ani congruence";
inline constexpr const char* kKeyFileExactNotObject = "pole \"exact\" není objekt";
inline constexpr const char* kKeyFileMissing = "chybí pole ";
inline constexpr const char* kKeyFileNotFinite = " neobsahuje konečné číslo";
inline constexpr const char* kKeyFileNotExact = " neobsahuje přesnou hodnotu (0x…p…)";
inline constexpr const char* kKeyFileExactMismatch = " neodpovídá přesné hodnotě v poli ";
inline constexpr const char* kKeyFileScaleZero = "pole \"scale\" je nula, klíč nelze použít";
inline constexpr const char* kKeyFileScaleNotOne = "pole \"scale\" není 1, jak typ klíče vyžaduje";
inline constexpr const char* kKeyFileNotRotation =
    "pole \"matrix\" není matice otočení, jak typ klíče vyžaduje";
// A member of the wrong shape: pole "matrix" nemá 3 × 3 prvky.
inline constexpr const char* kKeyFileField = "pole \"";
inline constexpr const char* kKeyFileNotTriple = " nemá 3 prvky";
inline constexpr const char* kKeyFileNotMatrix = " nemá 3 × 3 prvky";
inline constexpr const char* kKeyFileSingular =
    "matice klíče v poli \"matrix\" je singulární, klíč nelze použít";

// A value that JSON, a key export or a key file cannot carry:
// Číslo 1e+400 je mimo rozsah, který zapíše JSON a export klíče (nejvýše asi 1,8e308); ...
inline constexpr const char* kOutputRangePrefix = "Číslo ";
inline constexpr const char* kOutputRangeSuffix =
    " je mimo rozsah, který zapíše JSON a export klíče (nejvýše asi 1,8e308); "
    "výstup nebyl zapsán.";

// The outlier tests below the residual report.
inline constexpr const char* kTestHeading = "Test odlehlých bodů :";
inline constexpr const char* kTestLevel = "Hladina významnosti souboru bodů alfa :  ";
inline constexpr const char* kTestCorrection =
    "Šidákova oprava na jeden bod :  alfa_i = 1 - (1 - alfa)^(1/n) = ";
inline constexpr const char* kTestCritical = "Kritická hodnota F(3; r - 3) pro alfa_i :  ";
inline constexpr const char* kTestNoCritical = "Kritická hodnota :  žádná, r - 3 < 1";
inline constexpr const char* kTestColumns = "(C.B.  F  p  výsledek)";
// Cell texts of one point.
inline constexpr const char* kNoValue = "/";
inline constexpr const char* kOutlier = "ODLEHLÝ";
inline constexpr const char* kNotOutlier = "vyhovuje";
inline constexpr const char* kNotUsed = "nepoužit";
inline constexpr const char* kNoRedundancy = "bez testu: r - 3 < 1";
inline constexpr const char* kLeaveOutInvalid = "bez testu: klíč bez bodu nevypočten";
inline constexpr const char* kZeroM0Without = "bez testu: m0 bez bodu je 0";
inline constexpr const char* kTinyP = "< ";  // followed by the smallest p shown

// The test of m0 against the a-priori standard deviation.
inline constexpr const char* kGlobalHeading =
    "Test m0 proti apriorní směrodatné odchylce souřadnice sigma = ";
inline constexpr const char* kGlobalNoTest = "  bez testu: r < 1";
// "  chi2 = 12.345,  r = 9,  kvantily ... :  2.700  19.023,  p = ..."
inline constexpr const char* kGlobalQuantiles = ",  kvantily chi2(r) pro alfa/2 a 1 - alfa/2 :  ";
inline constexpr const char* kGlobalResult = "  Výsledek :  ";
inline constexpr const char* kGlobalAgrees = "m0 odpovídá zadané přesnosti";
inline constexpr const char* kGlobalTooLarge = "m0 je větší, než odpovídá zadané přesnosti";
inline constexpr const char* kGlobalTooSmall = "m0 je menší, než odpovídá zadané přesnosti";

// How every quantity is computed, one line each.
inline constexpr const char* kHowHeading = "Výpočet :";
inline constexpr const char* kHowM0 =
    "  m0 = odmocnina(Omega / r),  Omega = součet vX^2 + vY^2 + vZ^2 přes použité body";
inline constexpr const char* kHowR =
    "  r = 3n - u,  n = počet použitých bodů,  u = počet parametrů klíče (12, 7 nebo 6)";
inline constexpr const char* kHowM0Without =
    "  m0_i = m(0){n-1}, m0 klíče z použitých bodů bez bodu i;  Omega_i = (r - 3) · m0_i^2";
inline constexpr const char* kHowF =
    "  F_i = ((Omega - Omega_i) / 3) / (Omega_i / (r - 3)),  u neodlehlého bodu rozdělení "
    "F(3, r - 3)";
inline constexpr const char* kHowFIterative =
    "  (u podobnostního a shodnostního klíče platí rozdělení F přibližně, v prvním řádu)";
inline constexpr const char* kHowP =
    "  p_i = P(F(3, r - 3) >= F_i);  bod je odlehlý, když p_i < alfa_i, "
    "tj. F_i > kritická hodnota";
inline constexpr const char* kHowChi2 =
    "  chi2 = r · m0^2 / sigma^2,  rozdělení chi2(r);  m0 odpovídá, když chi2 leží mezi "
    "kvantily alfa/2 a 1 - alfa/2";

// The PDF report.
inline constexpr const char* kReportTitle = "Zpráva o výpočtu transformačního klíče";
inline constexpr const char* kReportProgram = "Program";
inline constexpr const char* kReportDate = "Datum a čas";
inline constexpr const char* kReportSource = "Souřadnice z";
inline constexpr const char* kReportType = "Typ transformace";
inline constexpr const char* kReportUsed = "Použité identické body";
inline constexpr const char* kReportOff = "Vypnuté identické body";
inline constexpr const char* kReportUnits = "Jednotky";
inline constexpr const char* kReportUnitsText =
    "souřadnice, opravy a translace v metrech, úhly v radiánech a gonech";
inline constexpr const char* kReportNone = "žádné";
inline constexpr const char* kReportTypeAffine = "obecná afinní (12 parametrů)";
inline constexpr const char* kReportTypeSimilarity = "podobnostní (7 parametrů)";
inline constexpr const char* kReportTypeCongruence = "shodnostní (6 parametrů)";
inline constexpr const char* kReportProtocol = "Protokol";
inline constexpr const char* kReportResiduals =
    "Opravy na identických bodech a test odlehlých bodů";
inline constexpr const char* kReportPrecision = "Přesnost parametrů";
inline constexpr const char* kReportTests = "Test odlehlých bodů";
inline constexpr const char* kReportPicture = "Půdorys oprav";
inline constexpr const char* kReportPage = "strana %1 z %2";
inline constexpr const char* kReportM0 = "Střední chyba jednotková m0 :  ";
inline constexpr const char* kReportNoKey = "Zprávu nelze vytvořit: klíč není vypočten.";
inline constexpr const char* kReportFailed = "Zprávu PDF se nepodařilo vytvořit.";

// Coordinate lists. Every complaint about a list names the file and the line:
// Seznam souřadnic "PATH", řádek 12: ...
inline constexpr const char* kListPrefix = "Seznam souřadnic \"";
inline constexpr const char* kListLine = "\", řádek ";
inline constexpr const char* kListMissingCoordinate =
    "chybí souřadnice (bod potřebuje název a tři souřadnice)";
inline constexpr const char* kListNotNumber = " na místě souřadnice není číslo";
inline constexpr const char* kListEmptyName = "prázdný název bodu";
inline constexpr const char* kListLongName = "název bodu je delší než 64 znaků";
// bod "12" je v seznamu podruhé (poprvé na řádku 3)
inline constexpr const char* kListPoint = "bod \"";
inline constexpr const char* kListDuplicate = " je v seznamu podruhé (poprvé na řádku ";
inline constexpr const char* kListNoPoints = "\" neobsahuje žádný bod.";
inline constexpr const char* kListTooLarge = "\" je příliš velký.";
// Target points without a partner in the source list.
inline constexpr const char* kUnpairedNotice =
    "Body cílového seznamu bez bodu ve výchozím seznamu (";
inline constexpr const char* kUnpairedMore = ", …";
// A transformed coordinate beyond the range of numbers.
inline constexpr const char* kListPointNotFinite =
    "Transformované souřadnice nelze zapsat: vycházejí mimo rozsah čísel u bodu \"";

}  // namespace ternavo::messages
