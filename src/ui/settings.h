// What the window program remembers between runs: recently opened files,
// the last folder, the transformation type and the window sizes.
#pragma once

#include <memory>

#include <QSettings>
#include <QStringList>

namespace ternavo {

// The program's settings store (an INI file in the user's configuration
// folder; QSettings::setPath moves it, as the tests do).
std::unique_ptr<QSettings> OpenSettings();

namespace settings {
inline constexpr const char* kRecentFiles = "soubory/naposledy";
inline constexpr const char* kLastFolder = "soubory/slozka";
inline constexpr const char* kType = "vypocet/typ";
inline constexpr const char* kMainWindow = "okna/hlavni";
inline constexpr const char* kProtocolWindow = "okna/protokol";
inline constexpr const char* kResidualWindow = "okna/rezidua";
}  // namespace settings

// How many recently opened files "Soubor" lists.
inline constexpr int kRecentFileCount = 6;

// `path` first, then the earlier ones without it, at most kRecentFileCount.
QStringList WithRecentFile(const QStringList& recent, const QString& path);

}  // namespace ternavo
