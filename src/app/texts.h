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
inline constexpr const char* kCancelled = "Výpočet přerušen.";
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

// ternavo-cli's labels of the two result lines.
inline constexpr const char* kM0Caption = "Střední chyba jednotková: ";
inline constexpr const char* kSuspiciousCaption = "Podezřelý bod : ";

}  // namespace ternavo::texts
