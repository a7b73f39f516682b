#include "ui/form1.h"

#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QCloseEvent>
#include <QDialogButtonBox>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QFormLayout>
#include <QFrame>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLayout>
#include <QMenuBar>
#include <QMimeData>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>
#include <QSpinBox>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>

#include <limits>
#include <stdexcept>

#include "app/key_application.h"
#include "app/protocol_saver.h"
#include "app/texts.h"
#include "render/pdf_report.h"
#include "report/coordinate_list.h"
#include "text/number_format.h"
#include "ui/computation_progress.h"
#include "ui/dialogs.h"
#include "ui/form2.h"
#include "ui/form4.h"
#include "ui/guide_window.h"
#include "ui/key_dialog.h"
#include "ui/keyboard.h"
#include "ui/lists_dialog.h"
#include "ui/looks.h"
#include "ui/point_table.h"
#include "ui/residual_window.h"
#include "ui/settings.h"
#include "version.h"

// Pictures live in the static library: make sure its resources are linked in.
static void InitWindowPictures() { Q_INIT_RESOURCE(ternavo); }

namespace ternavo {

std::unique_ptr<TSeznam> Seznam;
TForm1* Form1 = nullptr;

namespace {

// "Ternavo v2.0 ", with the trailing blank.
QString MainCaption() {
  return QString::fromUtf8(texts::kApplicationTitlePrefix) + QString::fromUtf8(kVersion) +
         QLatin1Char(' ');
}
constexpr int kLabel4RightEdge = 117;
constexpr QSize kClientSize(618, 460);

QLabel* MakeLabel(QWidget* parent, const char* name, const QString& text, int left, int top) {
  auto* label = new QLabel(text, parent);
  label->setObjectName(QString::fromLatin1(name));
  label->move(left, top);
  label->adjustSize();
  return label;
}

QPushButton* MakeButton(QWidget* parent, const char* name, const QString& text,
                        const QRect& geometry) {
  auto* button = new QPushButton(text, parent);
  button->setObjectName(QString::fromLatin1(name));
  button->setGeometry(geometry);
  button->setAutoDefault(false);
  return button;
}

}  // namespace

TForm1::TForm1(QWidget* parent) : QMainWindow(parent) {
  InitWindowPictures();
  setObjectName(QStringLiteral("Form1"));
  setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowSystemMenuHint | Qt::WindowMinMaxButtonsHint |
                 Qt::WindowCloseButtonHint);
  setFont(SansFont(11));
  CreateControls();
  ConnectHandlers();
  FormCreate(this);
}

TForm1::~TForm1() {
  FormDestroy(this);
  // The table shows grid_, which goes before the base class deletes the children.
  delete StringGrid1;
  StringGrid1 = nullptr;
  delete Residuals;
  Residuals = nullptr;
}

void TForm1::CreateControls() {
  auto* client = new QWidget(this);
  client->setObjectName(QStringLiteral("ClientArea"));
  // The usual size is the smallest; a larger window gives the table the room.
  client->setMinimumSize(kClientSize);
  setCentralWidget(client);

  MainMenu1 = menuBar();
  MainMenu1->setObjectName(QStringLiteral("MainMenu1"));
  // Alt+S, O, K and Alt+P; F10 opens the menu bar.
  Soubor1 = MainMenu1->addMenu(QString::fromUtf8(texts::window::kFileMenu));
  Soubor1->setObjectName(QStringLiteral("Soubor1"));
  Otevt1 = Soubor1->addAction(QString::fromUtf8(texts::window::kOpenItem));
  Otevt1->setObjectName(QStringLiteral("Otevt1"));
  Otevt1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
  OtevritSeznamy1 = Soubor1->addAction(QString::fromUtf8(texts::window::kOpenListsItem));
  OtevritSeznamy1->setObjectName(QStringLiteral("OtevritSeznamy1"));
  OtevritSeznamy1->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_O));
  // Both forms of the key for other programs, into one text file.
  Exportovat1 = Soubor1->addAction(QString::fromUtf8(texts::kExportKeyItem));
  Exportovat1->setObjectName(QStringLiteral("Exportovat1"));
  Exportovat1->setEnabled(false);
  // The key kept for later, and a kept key applied; the latter needs no open file.
  UlozitKlic1 = Soubor1->addAction(QString::fromUtf8(texts::kSaveKeyItem));
  UlozitKlic1->setObjectName(QStringLiteral("UlozitKlic1"));
  UlozitKlic1->setEnabled(false);
  UlozitZpravu1 = Soubor1->addAction(QString::fromUtf8(texts::kSaveReportItem));
  UlozitZpravu1->setObjectName(QStringLiteral("UlozitZpravu1"));
  UlozitZpravu1->setEnabled(false);
  UlozitBody1 = Soubor1->addAction(QString::fromUtf8(texts::window::kSavePointsItem));
  UlozitBody1->setObjectName(QStringLiteral("UlozitBody1"));
  UlozitBody1->setEnabled(false);
  TransformovatKlicem1 = Soubor1->addAction(QString::fromUtf8(texts::kApplyKeyItem));
  TransformovatKlicem1->setObjectName(QStringLiteral("TransformovatKlicem1"));
  // The recently opened files come between these separators (RebuildRecentMenu).
  recentSeparator_ = Soubor1->addSeparator();
  recentSeparator_->setVisible(false);
  Konec1 = Soubor1->addAction(QString::fromUtf8(texts::window::kEndItem));
  Konec1->setObjectName(QStringLiteral("Konec1"));
  Konec1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
  // The residual window's item, enabled with the protocol button once a key exists.
  Rezidua1 = MainMenu1->addAction(QString::fromUtf8(texts::kResidualsItem));
  Rezidua1->setObjectName(QStringLiteral("Rezidua1"));
  Rezidua1->setEnabled(false);
  Navod1 = MainMenu1->addAction(QString::fromUtf8(texts::window::kGuideItem));
  Navod1->setObjectName(QStringLiteral("Navod1"));
  Navod1->setShortcut(QKeySequence(Qt::Key_F1));
  Npovda1 = MainMenu1->addAction(QString::fromUtf8(texts::window::kAboutItem));
  Npovda1->setObjectName(QStringLiteral("Npovda1"));
  setAcceptDrops(true);

  Residuals = new ResidualWindow();
  Residuals->setObjectName(QStringLiteral("ResidualWindow"));
  // Only the main window keeps the program running.
  Residuals->setAttribute(Qt::WA_QuitOnClose, false);
  connect(Residuals, &ResidualWindow::AppendToProtocol, this, [](const TextLines& lines) {
    if (Form2) Form2->AppendProtocol(lines);
  });

  Bevel1 = new QFrame(client);
  Bevel1->setObjectName(QStringLiteral("Bevel1"));
  Bevel1->setFrameStyle(QFrame::HLine | QFrame::Sunken);
  Bevel1->setFixedHeight(2);

  StringGrid1 = new PointTable(
      grid_,
      [this](QPainter* painter, int column, int row, const QRect& rect) {
        StringGrid1DrawCell(painter, column, row, rect);
      },
      client);
  StringGrid1->setObjectName(QStringLiteral("StringGrid1"));
  StringGrid1->setMinimumSize(345, 441);
  StringGrid1->setFont(CondensedFont(13, true));
  StringGrid1->setAccessibleName(QString::fromUtf8(texts::window::kPointTableName));
  StringGrid1->setAccessibleDescription(QString::fromUtf8(texts::window::kPointTableDescription));

  Panel1 = new QFrame(client);
  Panel1->setObjectName(QStringLiteral("Panel1"));
  Panel1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  Panel1->setLineWidth(3);
  Panel1->setFixedSize(241, 433);
  Panel1->setFont(SansFont(11, true));

  RadioGroup1 = new QGroupBox(QString::fromUtf8(texts::window::kTypeGroup), Panel1);
  RadioGroup1->setObjectName(QStringLiteral("RadioGroup1"));
  RadioGroup1->setGeometry(24, 16, 193, 89);
  auto* radioLayout = new QVBoxLayout(RadioGroup1);
  radioLayout->setContentsMargins(8, 4, 8, 4);
  radioLayout->setSpacing(0);
  radioItems_ = new QButtonGroup(this);
  radioItems_->setExclusive(true);
  const QString items[] = {QString::fromUtf8(texts::window::kTypeAffine),
                           QString::fromUtf8(texts::window::kTypeSimilarity),
                           QString::fromUtf8(texts::window::kTypeCongruence)};
  for (int i = 0; i < 3; ++i) {
    auto* item = new QRadioButton(items[i], RadioGroup1);
    item->setObjectName(QStringLiteral("RadioGroup1Item%1").arg(i));
    radioLayout->addWidget(item);
    radioItems_->addButton(item, i);
  }
  radioItems_->button(0)->setChecked(true);

  Label5 = MakeLabel(Panel1, "Label5", QString::fromUtf8(texts::window::kIdenticalCountCaption), 20,
                     116);
  Label6 = MakeLabel(Panel1, "Label6", QStringLiteral("n"), 92, 132);
  Label7 =
      MakeLabel(Panel1, "Label7", QString::fromUtf8(texts::window::kUsedCountCaption), 20, 156);
  Label8 = MakeLabel(Panel1, "Label8", QStringLiteral("X"), 92, 180);
  Label1 = MakeLabel(Panel1, "Label1", QString::fromUtf8(texts::window::kM0LabelCaption), 20, 204);
  Label2 = MakeLabel(Panel1, "Label2", QStringLiteral("m(0) "), 92, 228);
  Label3 = MakeLabel(Panel1, "Label3", QString::fromUtf8(texts::window::kSuspiciousLabelCaption),
                     20, 260);
  Label4 = MakeLabel(Panel1, "Label4", QString(), 92, 288);
  Label4->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  SetValueLabel(Label4, QStringLiteral("XXX"));

  SpeedButton1 = MakeButton(Panel1, "SpeedButton1", QString(), QRect(120, 280, 8, 8));
  SpeedButton1->setEnabled(false);
  SpeedButton1->setFocusPolicy(Qt::NoFocus);
  SpeedButton1->setToolTip(QString::fromUtf8(texts::window::kExcludeSuspiciousTip));
  SpeedButton1->setAccessibleName(QString::fromUtf8(texts::window::kExcludeSuspiciousTip));

  BitBtn1 = MakeButton(Panel1, "BitBtn1", QString::fromUtf8(texts::window::kRecomputeButton),
                       QRect(24, 312, 153, 41));
  BitBtn1->setIcon(QIcon(QStringLiteral(":/pictures/recompute.png")));
  BitBtn1->setIconSize(QSize(18, 18));

  BitBtn3 = MakeButton(Panel1, "BitBtn3", QString(), QRect(184, 320, 32, 32));
  QIcon protocolIcon;
  protocolIcon.addPixmap(QPixmap(QStringLiteral(":/pictures/protocol.png")), QIcon::Normal);
  protocolIcon.addPixmap(QPixmap(QStringLiteral(":/pictures/protocol_disabled.png")),
                         QIcon::Disabled);
  BitBtn3->setIcon(protocolIcon);
  BitBtn3->setIconSize(QSize(24, 24));
  BitBtn3->setToolTip(QString::fromUtf8(texts::window::kShowProtocolTip));
  BitBtn3->setAccessibleName(QString::fromUtf8(texts::window::kShowProtocolTip));

  BitBtn2 = MakeButton(Panel1, "BitBtn2", QString::fromUtf8(texts::window::kTransformButton),
                       QRect(16, 360, 209, 49));
  BitBtn2->setIcon(QIcon(QStringLiteral(":/pictures/all.png")));
  BitBtn2->setIconSize(QSize(18, 18));

  Image1 = new QLabel(client);
  Image1->setObjectName(QStringLiteral("Image1"));
  Image1->setPixmap(QPixmap(QStringLiteral(":/pictures/used.png")));
  Image1->setGeometry(520, 264, 24, 24);
  Image1->hide();
  Image2 = new QLabel(client);
  Image2->setObjectName(QStringLiteral("Image2"));
  Image2->setPixmap(QPixmap(QStringLiteral(":/pictures/unused.png")));
  Image2->setGeometry(552, 264, 24, 24);
  Image2->hide();

  // At the usual size the table is at 8, 8 (345 x 441) and the panel at 368, 16.
  StartHint = new QLabel(QString::fromUtf8(texts::window::kStartHint), client);
  StartHint->setObjectName(QStringLiteral("StartHint"));
  StartHint->setAlignment(Qt::AlignCenter);
  StartHint->setWordWrap(true);
  StartHint->setFont(SansFont(13));
  StartHint->setStyleSheet(QStringLiteral("color: palette(dark);"));

  auto* rows = new QVBoxLayout(client);
  rows->setContentsMargins(0, 0, 0, 0);
  rows->setSpacing(0);
  rows->addWidget(Bevel1);
  auto* columns = new QHBoxLayout();
  columns->setContentsMargins(8, 6, 9, 11);
  columns->setSpacing(15);
  columns->addWidget(StartHint, 1);
  columns->addWidget(StringGrid1, 1);
  auto* panelColumn = new QVBoxLayout();
  panelColumn->setContentsMargins(0, 8, 0, 0);
  panelColumn->addWidget(Panel1);
  panelColumn->addStretch(1);
  columns->addLayout(panelColumn);
  rows->addLayout(columns, 1);
  resize(kClientSize.width(), kClientSize.height() + MainMenu1->sizeHint().height());
}

void TForm1::ConnectHandlers() {
  connect(Otevt1, &QAction::triggered, this,
          [this] { RunHandler(this, [this] { Otevt1Click(Otevt1); }); });
  connect(OtevritSeznamy1, &QAction::triggered, this,
          [this] { RunHandler(this, [this] { OtevritSeznamy1Click(OtevritSeznamy1); }); });
  connect(UlozitBody1, &QAction::triggered, this,
          [this] { RunHandler(this, [this] { UlozitBody1Click(UlozitBody1); }); });
  connect(Konec1, &QAction::triggered, this,
          [this] { RunHandler(this, [this] { Konec1Click(Konec1); }); });
  connect(Npovda1, &QAction::triggered, this,
          [this] { RunHandler(this, [this] { Npovda1Click(Npovda1); }); });
  connect(Navod1, &QAction::triggered, this, [this] { RunHandler(this, [this] { ShowGuide(); }); });
  connect(Rezidua1, &QAction::triggered, this,
          [this] { RunHandler(this, [this] { Rezidua1Click(Rezidua1); }); });
  connect(Exportovat1, &QAction::triggered, this,
          [this] { RunHandler(this, [this] { Exportovat1Click(Exportovat1); }); });
  connect(UlozitKlic1, &QAction::triggered, this,
          [this] { RunHandler(this, [this] { UlozitKlic1Click(UlozitKlic1); }); });
  connect(UlozitZpravu1, &QAction::triggered, this,
          [this] { RunHandler(this, [this] { UlozitZpravu1Click(UlozitZpravu1); }); });
  connect(TransformovatKlicem1, &QAction::triggered, this, [this] {
    RunHandler(this, [this] { TransformovatKlicem1Click(TransformovatKlicem1); });
  });
  connect(radioItems_, &QButtonGroup::idToggled, this, [this](int, bool checked) {
    if (checked) RunHandler(this, [this] { RadioGroup1Click(RadioGroup1); });
  });
  connect(BitBtn1, &QPushButton::clicked, this,
          [this] { RunHandler(this, [this] { BitBtn1Click(BitBtn1); }); });
  connect(BitBtn2, &QPushButton::clicked, this,
          [this] { RunHandler(this, [this] { BitBtn2Click(BitBtn2); }); });
  connect(BitBtn3, &QPushButton::clicked, this,
          [this] { RunHandler(this, [this] { BitBtn3Click(BitBtn3); }); });
  connect(SpeedButton1, &QPushButton::clicked, this,
          [this] { RunHandler(this, [this] { SpeedButton1Click(SpeedButton1); }); });
  connect(StringGrid1, &QAbstractItemView::doubleClicked, this,
          [this] { RunHandler(this, [this] { StringGrid1DblClick(StringGrid1); }); });
  // The keyboard's double-click: the same handler decides whether the cell toggles.
  connect(StringGrid1, &PointTable::CellKeyActivated, this,
          [this] { RunHandler(this, [this] { StringGrid1DblClick(StringGrid1); }); });
  PressOnEnter({BitBtn1, BitBtn2, BitBtn3});
  // F10 opens the first menu, as in most desktop programs.
  connect(new QShortcut(QKeySequence(Qt::Key_F10), this), &QShortcut::activated, this,
          [this] { MainMenu1->setActiveAction(Soubor1->menuAction()); });
}

void TForm1::FormCreate(QObject* /*sender*/) {
  UsedBitmap = Image1->pixmap();
  UnusedBitmap = Image2->pixmap();
  Seznam = std::make_unique<TSeznam>();
  workflow_ = std::make_unique<Workflow>(*Seznam, grid_);
  ResetMainWindow();
}

void TForm1::FormDestroy(QObject* /*sender*/) {
  workflow_.reset();
  Seznam.reset();
  if (Form1 == this) Form1 = nullptr;
}

void TForm1::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  // A window placed from the settings stays where it was.
  if (!centred_) {
    centred_ = true;
    CentreOnScreen(this);
  }
}

void TForm1::ResetMainWindow() {
  StringGrid1->hide();
  StartHint->show();
  grid_.SetRowCount(2);
  RefreshGrid();
  setWindowTitle(MainCaption());
  Panel1->hide();
}

TTypTransformace TForm1::RadioGroup1ItemIndex() const { return radioItems_->checkedId(); }

void TForm1::SetRadioGroup1ItemIndex(TTypTransformace index) {
  if (QAbstractButton* item = radioItems_->button(index)) item->setChecked(true);
}

void TForm1::RefreshGrid() {
  if (StringGrid1) StringGrid1->Refresh();
}

void TForm1::SetValueLabel(QLabel* label, const QString& text) {
  label->setText(text);
  label->adjustSize();
  // The suspicious-point label grows to the left, towards its button.
  if (label == Label4) label->move(kLabel4RightEdge - label->width(), label->y());
}

void TForm1::SetCountLabel(QLabel* label, int32_t value) {
  SetValueLabel(label, QString::fromStdString(FormatInteger(value)));
}

void TForm1::SetResultLabels(const std::string& m0, const std::string& point) {
  SetValueLabel(Label2, QString::fromStdString(m0));
  SetValueLabel(Label4, QString::fromStdString(point));
  // The point the label names is marked in the table and scrolled into view.
  const int suspicious = point == "-" ? -1 : Seznam->FindSuspiciousPoint();
  StringGrid1->MarkRow(suspicious >= 0 ? suspicious + 1 : -1);
}

void TForm1::SetComputedControls(bool enabled) {
  BitBtn2->setEnabled(enabled);
  SetProtocolButton(enabled);
  SpeedButton1->setEnabled(enabled);
}

void TForm1::SetProtocolButton(bool enabled) {
  BitBtn3->setEnabled(enabled);
  // The residuals and the export belong to the key the protocol shows.
  Rezidua1->setEnabled(enabled);
  Exportovat1->setEnabled(enabled);
  UlozitKlic1->setEnabled(enabled);
  UlozitZpravu1->setEnabled(enabled);
  UlozitBody1->setEnabled(enabled);
  if (!enabled) Residuals->Clear();
}

void TForm1::Otevt1Click(QObject* /*sender*/) {
  if (Form2 && !Form2->ConfirmDiscardEdits(this)) return;
  // A cancelled dialog leaves the window as it was.
  const std::optional<QString> path =
      Dialogs().GetOpenFileName(this, OpenSettings()->value(settings::kLastFolder).toString());
  if (!path) return;
  OpenFile(*path);
}

void TForm1::OpenAfterQuestion(const QString& path) {
  if (Form2 && !Form2->ConfirmDiscardEdits(this)) return;
  OpenFile(path);
}

bool TForm1::OpenFromCommandLine(const QStringList& arguments) {
  if (arguments.size() < 2 || arguments[1].isEmpty()) return false;
  return OpenFile(QFileInfo(arguments[1]).absoluteFilePath());
}

void TForm1::dragEnterEvent(QDragEnterEvent* event) {
  const QList<QUrl> urls = event->mimeData()->urls();
  if (urls.size() == 1 && urls[0].isLocalFile()) event->acceptProposedAction();
}

void TForm1::dropEvent(QDropEvent* event) {
  const QList<QUrl> urls = event->mimeData()->urls();
  if (urls.size() != 1 || !urls[0].isLocalFile()) return;
  event->acceptProposedAction();
  const QString path = urls[0].toLocalFile();
  // The drag's source waits for the drop to end: the file opens afterwards.
  QTimer::singleShot(0, this, [this, path] { RunHandler(this, [&] { OpenAfterQuestion(path); }); });
}

QStringList TForm1::RecentFiles() const { return recentFiles_; }

void TForm1::RememberFile(const QString& path, bool loaded) {
  if (loaded) {
    recentFiles_ = WithRecentFile(recentFiles_, path);
  } else {
    recentFiles_.removeAll(path);
  }
  auto settings = OpenSettings();
  settings->setValue(settings::kRecentFiles, recentFiles_);
  if (loaded) settings->setValue(settings::kLastFolder, QFileInfo(path).absolutePath());
  RebuildRecentMenu();
}

void TForm1::RebuildRecentMenu() {
  for (QAction* item : RecentFileItems) delete item;
  RecentFileItems.clear();
  for (int i = 0; i < recentFiles_.size(); ++i) {
    const QString path = recentFiles_[i];
    // "&1 síť.txt   (/home/…/zakázky)": the number is the item's key.
    QString shown = QFileInfo(path).fileName() + QStringLiteral("   (") +
                    QFileInfo(path).absolutePath() + QLatin1Char(')');
    shown.replace(QLatin1Char('&'), QStringLiteral("&&"));
    auto* item = new QAction(QStringLiteral("&%1 ").arg(i + 1) + shown, Soubor1);
    item->setObjectName(QStringLiteral("RecentFile%1").arg(i + 1));
    item->setToolTip(path);
    connect(item, &QAction::triggered, this,
            [this, path] { RunHandler(this, [&] { OpenAfterQuestion(path); }); });
    Soubor1->insertAction(Konec1, item);
    RecentFileItems.push_back(item);
  }
  if (!RecentFileItems.isEmpty()) {
    auto* after = new QAction(Soubor1);
    after->setSeparator(true);
    Soubor1->insertAction(Konec1, after);
    RecentFileItems.push_back(after);
  }
  recentSeparator_->setVisible(!recentFiles_.isEmpty());
}

void TForm1::RestoreSettings() {
  auto settings = OpenSettings();
  const int type = settings->value(settings::kType, kGeneralAffine).toInt();
  if (type >= kGeneralAffine && type <= kCongruence) SetRadioGroup1ItemIndex(type);
  recentFiles_ = settings->value(settings::kRecentFiles).toStringList();
  while (recentFiles_.size() > kRecentFileCount) recentFiles_.removeLast();
  RebuildRecentMenu();
  if (restoreGeometry(settings->value(settings::kMainWindow).toByteArray())) centred_ = true;
  if (Form2) Form2->RestoreSize(settings->value(settings::kProtocolWindow).toByteArray());
  Residuals->restoreGeometry(settings->value(settings::kResidualWindow).toByteArray());
}

void TForm1::SaveSettings() const {
  auto settings = OpenSettings();
  settings->setValue(settings::kType, RadioGroup1ItemIndex());
  settings->setValue(settings::kMainWindow, saveGeometry());
  if (Form2) settings->setValue(settings::kProtocolWindow, Form2->saveGeometry());
  settings->setValue(settings::kResidualWindow, Residuals->saveGeometry());
}

void TForm1::ShowGuide() {
  if (!guide_) guide_ = MakeGuideWindow(this);
  guide_->show();
  guide_->raise();
  guide_->activateWindow();
}

bool TForm1::OpenFile(const QString& path) {
  ResetMainWindow();
  // Nothing of the points read before belongs to what comes now.
  SetResultLabels("-", "-");
  SetComputedControls(false);
  if (Form2) {
    Form2->SetProtocol(TextLines());
    Form2->SetInputFiles({});
  }
  OpenResult opened;
  {
    BusyCursor busy;
    opened = workflow_->Open(QFile::encodeName(path).toStdString());
  }
  if (opened.outcome != OpenOutcome::Loaded) {
    if (opened.outcome == OpenOutcome::CannotOpen) RememberFile(path, false);
    ShowErrorMessage(this, QString::fromStdString(opened.message));
    return false;
  }
  RememberFile(path, true);
  StartHint->hide();
  if (Form2) Form2->SetInputFiles(workflow_->InputFiles());
  setWindowTitle(MainCaption() + path);
  RefreshGrid();
  StringGrid1->show();
  SetCountLabel(Label6, Seznam->GetIdenticalCount());
  SetCountLabel(Label8, Seznam->GetIdenticalCount());
  Panel1->show();
  return true;
}

void TForm1::Konec1Click(QObject* /*sender*/) { close(); }

void TForm1::closeEvent(QCloseEvent* event) {
  if (Form2 && !Form2->ConfirmDiscardEdits(this)) {
    event->ignore();
    return;
  }
  event->accept();
  SaveSettings();
  // The program ends with its main window: every other window goes with it.
  for (QWidget* window : QApplication::topLevelWidgets()) {
    if (window != this && window->isVisible()) window->close();
  }
}

void TForm1::Npovda1Click(QObject* /*sender*/) {
  if (Form4) Form4->ShowWithoutBlocking();
}

void TForm1::RadioGroup1Click(QObject* /*sender*/) {
  BitBtn2->setEnabled(false);
  SetProtocolButton(false);
  OpenSettings()->setValue(settings::kType, RadioGroup1ItemIndex());
}

void TForm1::Rezidua1Click(QObject* /*sender*/) {
  Residuals->show();
  Residuals->raise();
  Residuals->activateWindow();
}

void TForm1::Exportovat1Click(QObject* /*sender*/) {
  const std::optional<QString> path = Dialogs().GetSaveFileName(
      this, QString::fromLatin1(kProtocolFileFilter), QString::fromLatin1(kProtocolFileSuffix));
  if (!path) return;
  std::string error;
  if (!workflow_->SaveKeyExport(QFile::encodeName(*path).toStdString(), error))
    throw std::runtime_error(error);
}

void TForm1::UlozitKlic1Click(QObject* /*sender*/) {
  // Proposed beside the coordinate file, after its name.
  QString proposed;
  if (!workflow_->LoadedPath().empty()) {
    const QFileInfo coordinates(QFile::decodeName(workflow_->LoadedPath().c_str()));
    proposed = coordinates.absoluteDir().filePath(coordinates.completeBaseName() +
                                                  QString::fromUtf8(texts::kKeyFileNameSuffix));
  }
  const std::optional<QString> path = Dialogs().GetSaveFileName(
      this, QStringLiteral("*.json (*.json)"), QStringLiteral("json"), proposed);
  if (!path) return;
  std::string error;
  if (!SaveKeyFile(*Seznam, RadioGroup1ItemIndex(), workflow_->InputFiles(),
                   QFile::encodeName(*path).toStdString(), error))
    throw std::runtime_error(error);
}

void TForm1::OtevritSeznamy1Click(QObject* /*sender*/) {
  ListsDialog dialog(this);
  if (!Dialogs().RunDialog(&dialog)) return;
  OpenLists(dialog.Source(), dialog.Target());
}

bool TForm1::OpenLists(const ListChoice& source, const ListChoice& target) {
  ListsOpenResult opened;
  {
    BusyCursor busy;
    opened = workflow_->OpenLists(source, target);
  }
  if (opened.open.outcome != OpenOutcome::Loaded) {
    ShowErrorMessage(this, QString::fromStdString(opened.open.message));
    return false;
  }
  SetResultLabels("-", "-");
  SetComputedControls(false);
  if (Form2) {
    Form2->SetProtocol(TextLines());
    Form2->SetInputFiles(workflow_->InputFiles());
  }
  StartHint->hide();
  setWindowTitle(MainCaption() + QFile::decodeName(source.path.c_str()) + QStringLiteral(" + ") +
                 QFile::decodeName(target.path.c_str()));
  RefreshGrid();
  StringGrid1->show();
  SetCountLabel(Label6, Seznam->GetIdenticalCount());
  SetCountLabel(Label8, Seznam->GetIdenticalCount());
  Panel1->show();
  if (!opened.notice.empty()) {
    Dialogs().ShowMessage(this, QString::fromUtf8(texts::window::kListsCaption),
                          QString::fromStdString(opened.notice), MessageIcon::None);
  }
  return true;
}

void TForm1::UlozitBody1Click(QObject* /*sender*/) {
  QDialog ask(this);
  ask.setObjectName(QStringLiteral("DecimalsDialog"));
  ask.setWindowTitle(QString::fromUtf8(texts::window::kDecimalsCaption));
  auto* decimals = new QSpinBox(&ask);
  decimals->setObjectName(QStringLiteral("Decimals"));
  decimals->setRange(0, kMaxListDecimals);
  decimals->setValue(kDefaultListDecimals);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &ask);
  connect(buttons, &QDialogButtonBox::accepted, &ask, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, &ask, &QDialog::reject);
  auto* layout = new QFormLayout(&ask);
  layout->addRow(QString::fromUtf8(texts::window::kDecimalsLabel), decimals);
  layout->addRow(buttons);
  if (!Dialogs().RunDialog(&ask)) return;
  const std::optional<QString> path =
      Dialogs().GetSaveFileName(this, QString::fromUtf8(texts::window::kPointsFilter), {});
  if (!path) return;
  std::string error;
  BusyCursor busy;
  if (!workflow_->SaveTransformedPoints(QFile::encodeName(*path).toStdString(), decimals->value(),
                                        error)) {
    ShowErrorMessage(this, QString::fromStdString(error));
  }
}

void TForm1::UlozitZpravu1Click(QObject* /*sender*/) {
  QString proposed;
  if (!workflow_->LoadedPath().empty()) {
    const QFileInfo coordinates(QFile::decodeName(workflow_->LoadedPath().c_str()));
    proposed = coordinates.absoluteDir().filePath(coordinates.completeBaseName() + ".pdf");
  }
  const std::optional<QString> path = Dialogs().GetSaveFileName(this, QStringLiteral("PDF (*.pdf)"),
                                                                QStringLiteral("pdf"), proposed);
  if (!path) return;
  BusyCursor busy;
  PdfReportInput input;
  input.source = workflow_->LoadedPath();
  input.type = RadioGroup1ItemIndex();
  // The protocol as the protocol window shows it, the tests as the residual
  // window sets them.
  QStringList lines = Form2->ProtocolText().split('\n');
  if (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast();
  for (const QString& line : lines) input.protocol.AppendLine(line.toStdString());
  input.tests = Residuals->Settings();
  const std::string bytes = PdfReportBytes(*Seznam, input);
  ProtocolFileWriter file;
  if (!file.Open(QFile::encodeName(*path).toStdString(), workflow_->InputFiles()) ||
      !file.AppendBytes(bytes) || !file.Commit())
    throw std::runtime_error(file.Error());
}

void TForm1::TransformovatKlicem1Click(QObject* /*sender*/) {
  KeyApplicationDialog dialog(this);
  Dialogs().RunDialog(&dialog);
}

void TForm1::BitBtn1Click(QObject* /*sender*/) {
  // A computation replaces the protocol; a refused one leaves it.
  if (Seznam->GetUsedCount() >= Workflow::LeastUsedPoints(RadioGroup1ItemIndex()) &&
      !Form2->ConfirmDiscardEdits(this))
    return;
  Form2->hide();
  KeyResult key;
  {
    BusyCursor busy;
    ComputationProgress progress(this, ProgressDelay);
    key = workflow_->RecomputeKey(RadioGroup1ItemIndex(),
                                  [&progress](int done, int total, const std::string& point) {
                                    return progress.Update(done, total, point);
                                  });
  }
  RefreshGrid();
  if (key.outcome == KeyOutcome::Refused) {
    ShowPlainMessage(this, QString::fromUtf8(texts::kTooFewUsedPoints));
    return;
  }
  SetResultLabels(key.m0Label, key.pointLabel);
  // Stopped diagnostics leave the key: everything but the small button,
  // which has no suspicious point to act on.
  const bool keyMade = key.outcome == KeyOutcome::Computed || key.outcome == KeyOutcome::Cancelled;
  SetComputedControls(keyMade);
  if (key.outcome == KeyOutcome::Cancelled) SpeedButton1->setEnabled(false);
  if (keyMade) Residuals->Fill(*Seznam, RadioGroup1ItemIndex());
  Form2->SetProtocol(key.protocol);
}

void TForm1::SpeedButton1Click(QObject* /*sender*/) {
  std::string m0Label;
  std::string pointLabel;
  if (workflow_->ExcludeSuspiciousPoint(m0Label, pointLabel)) {
    RefreshGrid();
    SetResultLabels(m0Label, pointLabel);
  }
  SetComputedControls(false);
  SetCountLabel(Label8, Seznam->GetUsedCount());
}

void TForm1::StringGrid1DblClick(QObject* /*sender*/) {
  const QPoint cell = StringGrid1->CurrentGridCell();
  if (cell.x() != 3 || !workflow_->TogglePoint(cell.y())) return;
  RefreshGrid();
  // The last computation's figures no longer belong to the points in use.
  SetResultLabels("-", "-");
  SetCountLabel(Label8, Seznam->GetUsedCount());
  SetComputedControls(false);
}

void TForm1::StringGrid1DrawCell(QPainter* painter, int column, int row, const QRect& rect) {
  if (column != 3 || row < 1 || !Seznam) return;
  const auto index = static_cast<std::size_t>(row - 1);
  if (index >= Seznam->IdenticalPoints.size() || rect.isEmpty()) return;
  painter->drawPixmap(rect.topLeft(),
                      Seznam->IdenticalPoints[index].Used ? UsedBitmap : UnusedBitmap);
}

void TForm1::BitBtn3Click(QObject* /*sender*/) { Form2->ShowWithoutBlocking(); }

void TForm1::BitBtn2Click(QObject* /*sender*/) {
  bool transformed = false;
  {
    BusyCursor busy;
    // The window takes the section whole: one append, however long.
    transformed = workflow_->TransformDetailPoints(
        [](const TextLines& lines, std::size_t) { Form2->AppendProtocol(lines); },
        std::numeric_limits<std::size_t>::max());
  }
  if (!transformed) {
    ShowPlainMessage(this, QString::fromUtf8(texts::kNoDetailPoints));
    return;
  }
  // The protocol window opens anyway: its status line says it, no box to confirm.
  Form2->ShowStatus(QString::fromUtf8(texts::kTransformDone));
  Form2->ShowWithoutBlocking();
}

}  // namespace ternavo
