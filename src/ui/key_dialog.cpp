#include "ui/key_dialog.h"

#include <QDialogButtonBox>
#include <QFile>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "app/texts.h"
#include "ui/dialogs.h"

namespace ternavo {

namespace {

QString Text(const char* utf8) { return QString::fromUtf8(utf8); }

std::string LocalPath(const QLineEdit* edit) {
  return QFile::encodeName(edit->text().trimmed()).toStdString();
}

}  // namespace

KeyApplicationDialog::KeyApplicationDialog(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("KeyApplicationDialog"));
  setWindowTitle(Text(texts::window::kKeyDialogCaption));
  // A label above each file's name, with its button beside it.
  auto fileRows = [this](QGridLayout* grid, int line, const char* label, QLineEdit*& edit,
                         QPushButton*& button, const char* name) {
    auto* caption = new QLabel(Text(label), this);
    edit = new QLineEdit(this);
    edit->setObjectName(QString::fromLatin1(name) + QStringLiteral("Edit"));
    edit->setMinimumWidth(360);
    caption->setBuddy(edit);
    button = new QPushButton(Text(texts::window::kKeyDialogBrowse), this);
    button->setObjectName(QString::fromLatin1(name) + QStringLiteral("Button"));
    grid->addWidget(caption, line, 0, 1, 2);
    grid->addWidget(edit, line + 1, 0);
    grid->addWidget(button, line + 1, 1);
  };
  auto* inputs = new QGridLayout();
  fileRows(inputs, 0, texts::window::kKeyDialogKeyFile, KeyFileEdit, KeyFileButton, "KeyFile");
  fileRows(inputs, 2, texts::window::kKeyDialogPointsFile, PointsFileEdit, PointsFileButton,
           "PointsFile");
  auto* output = new QGridLayout();
  fileRows(output, 0, texts::window::kKeyDialogOutputFile, OutputFileEdit, OutputFileButton,
           "OutputFile");

  auto* direction = new QGroupBox(Text(texts::window::kKeyDialogDirection), this);
  ForwardButton = new QRadioButton(Text(texts::window::kKeyDialogForward), direction);
  ForwardButton->setObjectName(QStringLiteral("ForwardButton"));
  InverseButton = new QRadioButton(Text(texts::window::kKeyDialogInverse), direction);
  InverseButton->setObjectName(QStringLiteral("InverseButton"));
  ForwardButton->setChecked(true);
  auto* directionLayout = new QVBoxLayout(direction);
  directionLayout->addWidget(ForwardButton);
  directionLayout->addWidget(InverseButton);

  auto* buttons = new QDialogButtonBox(this);
  TransformButton =
      buttons->addButton(Text(texts::window::kKeyDialogTransform), QDialogButtonBox::AcceptRole);
  TransformButton->setObjectName(QStringLiteral("TransformButton"));
  TransformButton->setDefault(true);
  buttons->addButton(Text(texts::window::kCancelButton), QDialogButtonBox::RejectRole);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(inputs);
  layout->addWidget(direction);
  layout->addLayout(output);
  layout->addWidget(buttons);

  auto browseOpen = [this](QLineEdit* edit) {
    RunHandler(this, [this, edit] {
      if (const std::optional<QString> path = Dialogs().GetOpenFileName(this)) edit->setText(*path);
    });
  };
  connect(KeyFileButton, &QPushButton::clicked, this,
          [this, browseOpen] { browseOpen(KeyFileEdit); });
  connect(PointsFileButton, &QPushButton::clicked, this,
          [this, browseOpen] { browseOpen(PointsFileEdit); });
  connect(OutputFileButton, &QPushButton::clicked, this, [this] {
    RunHandler(this, [this] {
      if (const std::optional<QString> path = Dialogs().GetSaveFileName(
              this, QStringLiteral("*.txt (*.txt)"), QStringLiteral("txt")))
        OutputFileEdit->setText(*path);
    });
  });
  connect(buttons, &QDialogButtonBox::accepted, this,
          [this] { RunHandler(this, [this] { TransformClick(); }); });
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

KeyDirection KeyApplicationDialog::Direction() const {
  return InverseButton->isChecked() ? KeyDirection::Inverse : KeyDirection::Forward;
}

void KeyApplicationDialog::TransformClick() {
  for (const QLineEdit* edit : {KeyFileEdit, PointsFileEdit, OutputFileEdit}) {
    if (edit->text().trimmed().isEmpty()) {
      ShowPlainMessage(this, Text(texts::window::kKeyDialogIncomplete));
      return;
    }
  }
  KeyApplicationResult result;
  {
    BusyCursor busy;
    result =
        ApplyKeyToFile(LocalPath(KeyFileEdit), {LocalPath(PointsFileEdit), false, std::nullopt},
                       Direction(), KeyOutputForm::Section, LocalPath(OutputFileEdit));
  }
  if (!result.ok) {
    ShowErrorMessage(this, QString::fromStdString(result.message));
    return;
  }
  ShowPlainMessage(this, QString::fromStdString(result.message));
  accept();
}

}  // namespace ternavo
