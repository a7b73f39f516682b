#include "ui/form4.h"

#include <QKeyEvent>

#include "app/texts.h"
#include "version.h"

#include <QLabel>

#include "ui/form1.h"
#include "ui/looks.h"

namespace ternavo {

TForm4* Form4 = nullptr;

namespace {

QLabel* MakeBlueLabel(QWidget* parent, const char* name, const QString& text, int pixelSize,
                      const QRect& box) {
  auto* label = new QLabel(text, parent);
  label->setObjectName(QString::fromLatin1(name));
  label->setFont(SerifFont(pixelSize));
  label->setStyleSheet(QStringLiteral("color: blue;"));
  label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  label->setGeometry(box);
  return label;
}

}  // namespace

TForm4::TForm4(QWidget* parent) : QWidget(parent, Qt::Tool) {
  setObjectName(QStringLiteral("Form4"));
  setWindowFlags(Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowCloseButtonHint);
  setAttribute(Qt::WA_QuitOnClose, false);
  setWindowTitle(QString::fromUtf8(texts::window::kAboutCaption));
  setFont(SansFont(11));
  setFixedSize(401, 153);

  Label1 =
      MakeBlueLabel(this, "Label1",
                    QString::fromUtf8(texts::kApplicationTitlePrefix) + QString::fromUtf8(kVersion),
                    20, QRect(8, 8, 337, 33));
  Label2 = MakeBlueLabel(this, "Label2", QString::fromUtf8(texts::window::kAboutDescription), 16,
                         QRect(8, 48, 385, 97));
  Label2->setWordWrap(true);
}

void TForm4::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (!centred_) {
    centred_ = true;
    CentreOver(this, Form1);
  }
}

void TForm4::keyPressEvent(QKeyEvent* event) {
  // Escape closes the box, as it closes a dialog.
  if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
    close();
    return;
  }
  QWidget::keyPressEvent(event);
}

void TForm4::ShowWithoutBlocking() {
  show();
  raise();
  activateWindow();
}

}  // namespace ternavo
