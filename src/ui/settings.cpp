#include "ui/settings.h"

namespace ternavo {

std::unique_ptr<QSettings> OpenSettings() {
  return std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope,
                                     QStringLiteral("Ternavo"), QStringLiteral("ternavo"));
}

QStringList WithRecentFile(const QStringList& recent, const QString& path) {
  QStringList result{path};
  for (const QString& earlier : recent) {
    if (result.size() >= kRecentFileCount) break;
    if (earlier != path && !earlier.isEmpty()) result.push_back(earlier);
  }
  return result;
}

}  // namespace ternavo
