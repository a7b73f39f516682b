#include "ui/guide_window.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTextBrowser>
#include <QUrl>

#include "app/texts.h"
#include "ui/looks.h"

namespace ternavo {

QString FindGuide() {
  const QString name = QStringLiteral("navod.md");
  const QString candidates[] = {
      // Installed: <prefix>/bin/ternavo and <prefix>/share/doc/ternavo/navod.md.
      QCoreApplication::applicationDirPath() + QStringLiteral("/../share/doc/ternavo/"),
      QStringLiteral(TERNAVO_DOC_DIR "/"),
      QStringLiteral(TERNAVO_SOURCE_DOCS_DIR "/"),
  };
  for (const QString& folder : candidates) {
    const QFileInfo guide(folder + name);
    if (guide.isFile()) return guide.canonicalFilePath();
  }
  return {};
}

QWidget* MakeGuideWindow(QWidget* owner) {
  auto* browser = new QTextBrowser(owner);
  browser->setWindowFlags(Qt::Window);
  browser->setObjectName(QStringLiteral("GuideWindow"));
  browser->setAttribute(Qt::WA_QuitOnClose, false);
  browser->setWindowTitle(QString::fromUtf8(texts::window::kGuideCaption));
  browser->setOpenExternalLinks(true);
  browser->resize(760, 640);
  const QString guide = FindGuide();
  if (guide.isEmpty()) {
    browser->setPlainText(QString::fromUtf8(texts::window::kGuideMissing));
  } else {
    // The pictures are named relative to the guide's folder.
    browser->setSearchPaths({QFileInfo(guide).absolutePath()});
    browser->setSource(QUrl::fromLocalFile(guide), QTextDocument::MarkdownResource);
  }
  return browser;
}

}  // namespace ternavo
