#include "ui/lists_dialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFile>
#include <QFontDatabase>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/texts.h"
#include "ui/dialogs.h"

namespace ternavo {

namespace w = texts::window;

ListsDialog::ListsDialog(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("ListsDialog"));
  setWindowTitle(QString::fromUtf8(w::kListsCaption));
  auto* grid = new QGridLayout;
  const char* const labels[2] = {w::kSourceList, w::kTargetList};
  for (int k = 0; k < 2; ++k) {
    grid->addWidget(new QLabel(QString::fromUtf8(labels[k])), k, 0);
    Paths[k] = new QLineEdit;
    Paths[k]->setObjectName(k == 0 ? QStringLiteral("SourcePath") : QStringLiteral("TargetPath"));
    Paths[k]->setMinimumWidth(360);
    grid->addWidget(Paths[k], k, 1);
    Browse[k] = new QPushButton(QStringLiteral("…"));
    Browse[k]->setToolTip(QString::fromUtf8(w::kChooseFile));
    grid->addWidget(Browse[k], k, 2);
    Orders[k] = new QComboBox;
    Orders[k]->addItems(
        {QString::fromUtf8(w::kOrderByHeading), QStringLiteral("X Y Z"), QStringLiteral("Y X Z")});
    grid->addWidget(Orders[k], k, 3);
    connect(Browse[k], &QPushButton::clicked, this, [this, k] {
      if (const std::optional<QString> path = Dialogs().GetOpenFileName(this)) SetPath(k, *path);
    });
    connect(Paths[k], &QLineEdit::editingFinished, this, [this] { Refresh(); });
    connect(Orders[k], &QComboBox::currentIndexChanged, this, [this] { Refresh(); });
  }
  Preview = new QPlainTextEdit;
  Preview->setObjectName(QStringLiteral("ListsPreview"));
  Preview->setReadOnly(true);
  Preview->setLineWrapMode(QPlainTextEdit::NoWrap);
  Preview->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  Preview->setMinimumHeight(220);
  Counts = new QLabel;
  Counts->setObjectName(QStringLiteral("ListsCounts"));
  Counts->setWordWrap(true);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  OkButton = buttons->button(QDialogButtonBox::Ok);
  OkButton->setEnabled(false);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(grid);
  layout->addWidget(Preview);
  layout->addWidget(Counts);
  layout->addWidget(buttons);
  Refresh();
}

void ListsDialog::SetPath(int list, const QString& path) {
  Paths[list]->setText(path);
  Refresh();
}

ListChoice ListsDialog::Choice(int list) const {
  ListChoice choice;
  choice.path = QFile::encodeName(Paths[list]->text()).toStdString();
  const int order = Orders[list]->currentIndex();
  if (order == 1) choice.order = ColumnOrder::Xyz;
  if (order == 2) choice.order = ColumnOrder::Yxz;
  return choice;
}

// Reads what is chosen: the first lines of each list as read, and the
// pairing's counts, or the reason a list cannot be used.
void ListsDialog::Refresh() {
  QString preview;
  PointList lists[2];
  bool read[2] = {false, false};
  QString problem;
  const char* const labels[2] = {w::kSourceList, w::kTargetList};
  for (int k = 0; k < 2; ++k) {
    const ListChoice c = Choice(k);
    if (c.path.empty()) continue;
    const ListReadResult r = ReadPointList(c.path, c.order, lists[k]);
    read[k] = r.Loaded;
    preview += QString::fromUtf8(labels[k]) + QLatin1Char('\n');
    if (!r.Loaded) {
      if (problem.isEmpty()) {
        problem = r.SystemError != 0 ? QString::fromUtf8(w::kListUnreadable) + Paths[k]->text()
                                     : QString::fromStdString(r.Error);
      }
      continue;
    }
    for (const std::string& line : lists[k].FirstLines) {
      preview += QStringLiteral("  ") + QString::fromStdString(line) + QLatin1Char('\n');
    }
    const ListConventions& cv = lists[k].Conventions;
    preview +=
        QString::fromUtf8(w::kListReadAs)
            .arg(cv.Separator == ' ' ? QString::fromUtf8(w::kBlanks) : QString(cv.Separator))
            .arg(QChar(cv.DecimalMark))
            .arg(cv.Order == ColumnOrder::Yxz ? QStringLiteral("Y X Z") : QStringLiteral("X Y Z"))
            .arg(cv.Windows1250 ? QStringLiteral("Windows-1250") : QStringLiteral("UTF-8"))
            .arg(lists[k].Points.size()) +
        QStringLiteral("\n\n");
  }
  Preview->setPlainText(preview);
  if (!problem.isEmpty()) {
    Counts->setText(problem);
  } else if (read[0] && read[1]) {
    TSeznam paired;
    const PairingSummary s = PairPointLists(lists[0], lists[1], paired);
    Counts->setText(
        QString::fromUtf8(w::kListCounts).arg(s.Pairs).arg(s.Detail).arg(s.UnpairedTargets.size()));
  } else {
    Counts->setText(QString::fromUtf8(w::kChooseBothLists));
  }
  OkButton->setEnabled(problem.isEmpty() && read[0] && read[1]);
}

}  // namespace ternavo
