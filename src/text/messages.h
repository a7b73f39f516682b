// Texts the computation and the report writers give the user, in one place,
// exactly as the user reads them.
#pragma once

namespace ternavo::messages {

// Key files. Every complaint about a key file begins with the prefix and the
// file's name: Soubor klíče "PATH": ...
inline constexpr const char* kKeyFilePrefix = "Soubor klíče \"";
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
inline constexpr const char* kKeyFileSingular =
    "matice klíče v poli \"matrix\" je singulární, klíč nelze použít";

}  // namespace ternavo::messages
