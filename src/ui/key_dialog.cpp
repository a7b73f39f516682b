#include "ui/key_dialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFile>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>
#include <cstddef>
#include <iterator>

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

  // The points file and what it is: the choice is the user's (a coordinate
  // file can look like a list with a heading, and the reverse). Each set of
  // choices has a box of its own, which keeps them apart for the keyboard.
  auto* points = new QGroupBox(this);
  auto* pointsGrid = new QGridLayout();
  fileRows(pointsGrid, 0, texts::window::kKeyDialogPointsFile, PointsFileEdit, PointsFileButton,
           "PointsFile");
  CoordinateFileInput = new QRadioButton(Text(texts::window::kKeyDialogCoordinateFile), points);
  CoordinateFileInput->setObjectName(QStringLiteral("CoordinateFileInput"));
  PointListInput = new QRadioButton(Text(texts::window::kKeyDialogPointList), points);
  PointListInput->setObjectName(QStringLiteral("PointListInput"));
  CoordinateFileInput->setChecked(true);
  ColumnOrderBox = new QComboBox(points);
  ColumnOrderBox->setObjectName(QStringLiteral("ColumnOrderBox"));
  ColumnOrderBox->addItems(
      {Text(texts::window::kOrderByHeading), QStringLiteral("X Y Z"), QStringLiteral("Y X Z")});
  ColumnOrderBox->setEnabled(false);
  connect(PointListInput, &QRadioButton::toggled, ColumnOrderBox, &QWidget::setEnabled);
  auto* pointsLayout = new QVBoxLayout(points);
  pointsLayout->addLayout(pointsGrid);
  pointsLayout->addWidget(CoordinateFileInput);
  auto* listRow = new QHBoxLayout();
  listRow->addWidget(PointListInput);
  listRow->addWidget(ColumnOrderBox);
  listRow->addStretch();
  pointsLayout->addLayout(listRow);

  auto* direction = new QGroupBox(Text(texts::window::kKeyDialogDirection), this);
  ForwardButton = new QRadioButton(Text(texts::window::kKeyDialogForward), direction);
  ForwardButton->setObjectName(QStringLiteral("ForwardButton"));
  InverseButton = new QRadioButton(Text(texts::window::kKeyDialogInverse), direction);
  InverseButton->setObjectName(QStringLiteral("InverseButton"));
  ForwardButton->setChecked(true);
  auto* directionLayout = new QVBoxLayout(direction);
  directionLayout->addWidget(ForwardButton);
  directionLayout->addWidget(InverseButton);

  auto* form = new QGroupBox(Text(texts::window::kKeyDialogOutput), this);
  SectionOutput = new QRadioButton(Text(texts::window::kKeyDialogSectionOutput), form);
  SectionOutput->setObjectName(QStringLiteral("SectionOutput"));
  ListOutput = new QRadioButton(Text(texts::window::kKeyDialogListOutput), form);
  ListOutput->setObjectName(QStringLiteral("ListOutput"));
  SectionOutput->setChecked(true);
  DecimalsBox = new QSpinBox(form);
  DecimalsBox->setObjectName(QStringLiteral("DecimalsBox"));
  DecimalsBox->setRange(0, kMaxListDecimals);
  DecimalsBox->setValue(kDefaultListDecimals);
  DecimalsBox->setEnabled(false);
  auto* decimalsLabel = new QLabel(Text(texts::window::kDecimalsLabel), form);
  decimalsLabel->setBuddy(DecimalsBox);
  decimalsLabel->setEnabled(false);
  connect(ListOutput, &QRadioButton::toggled, DecimalsBox, &QWidget::setEnabled);
  connect(ListOutput, &QRadioButton::toggled, decimalsLabel, &QWidget::setEnabled);
  auto* output = new QGridLayout();
  fileRows(output, 0, texts::window::kKeyDialogOutputFile, OutputFileEdit, OutputFileButton,
           "OutputFile");
  auto* formLayout = new QVBoxLayout(form);
  formLayout->addWidget(SectionOutput);
  auto* decimalsRow = new QHBoxLayout();
  decimalsRow->addWidget(ListOutput);
  decimalsRow->addWidget(decimalsLabel);
  decimalsRow->addWidget(DecimalsBox);
  decimalsRow->addStretch();
  formLayout->addLayout(decimalsRow);
  formLayout->addLayout(output);

  auto* buttons = new QDialogButtonBox(this);
  TransformButton =
      buttons->addButton(Text(texts::window::kKeyDialogTransform), QDialogButtonBox::AcceptRole);
  TransformButton->setObjectName(QStringLiteral("TransformButton"));
  TransformButton->setDefault(true);
  buttons->addButton(Text(texts::window::kCancelButton), QDialogButtonBox::RejectRole);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(inputs);
  layout->addWidget(points);
  layout->addWidget(direction);
  layout->addWidget(form);
  layout->addWidget(buttons);
  // Tab goes through the dialog top down.
  QWidget* const order[] = {KeyFileEdit,         KeyFileButton,    PointsFileEdit, PointsFileButton,
                            CoordinateFileInput, PointListInput,   ColumnOrderBox, ForwardButton,
                            InverseButton,       SectionOutput,    ListOutput,     DecimalsBox,
                            OutputFileEdit,      OutputFileButton, TransformButton};
  for (std::size_t i = 1; i < std::size(order); ++i) setTabOrder(order[i - 1], order[i]);

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
      const QString filter = ListOutput->isChecked() ? QStringLiteral("*.txt *.csv (*.txt *.csv)")
                                                     : QStringLiteral("*.txt (*.txt)");
      if (const std::optional<QString> path =
              Dialogs().GetSaveFileName(this, filter, QStringLiteral("txt")))
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

KeyInput KeyApplicationDialog::Input() const {
  KeyInput input{LocalPath(PointsFileEdit), PointListInput->isChecked(), std::nullopt};
  if (input.pointList && ColumnOrderBox->currentIndex() == 1) input.order = ColumnOrder::Xyz;
  if (input.pointList && ColumnOrderBox->currentIndex() == 2) input.order = ColumnOrder::Yxz;
  return input;
}

KeyOutputForm KeyApplicationDialog::OutputForm() const {
  return ListOutput->isChecked() ? KeyOutputForm::CoordinateList : KeyOutputForm::Section;
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
    result = ApplyKeyToFile(LocalPath(KeyFileEdit), Input(), Direction(), OutputForm(),
                            LocalPath(OutputFileEdit), DecimalsBox->value());
  }
  if (!result.ok) {
    ShowErrorMessage(this, QString::fromStdString(result.message));
    return;
  }
  ShowPlainMessage(this, QString::fromStdString(result.message));
  accept();
}

}  // namespace ternavo
