#include "ui/form2.h"

#include <cstring>
#include <stdexcept>
#include <vector>

#include <QButtonGroup>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>
#include <QPdfWriter>
#include <QPlainTextEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QSaveFile>
#include <QStatusBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include "app/protocol_saver.h"
#include "app/texts.h"
#include "ui/dialogs.h"
#include "ui/looks.h"

namespace ternavo {

TForm2* Form2 = nullptr;

const char* const kProtocolFileFilter = "*.txt (*.txt)";
const char* const kProtocolFileSuffix = "txt";

namespace {

// A long append goes in slices of about this many milliseconds, the time
// looked at after every chunk of this many lines.
constexpr qint64 kSliceMs = 30;
constexpr std::size_t kLinesPerChunk = 2000;

// Where the chunk of up to `lines` lines starting at `from` ends (just past
// its last '\n'; the text ends with one).
std::size_t ChunkEnd(const std::string& text, std::size_t from, std::size_t lines) {
  const char* const data = text.data();
  const char* const end = data + text.size();
  const char* at = data + from;
  for (std::size_t i = 0; i < lines && at < end; ++i) {
    const void* lineBreak = std::memchr(at, '\n', static_cast<std::size_t>(end - at));
    at = lineBreak ? static_cast<const char*>(lineBreak) + 1 : end;
  }
  return static_cast<std::size_t>(at - data);
}

// The text as the memo gives it back once inserted: each of its line breaks
// ("\r\n" being one) reads as '\n', a no-break space as a space.
QString AsMemoReturnsIt(QString text) {
  QChar* const data = text.data();
  const qsizetype size = text.size();
  qsizetype out = 0;
  for (qsizetype i = 0; i < size; ++i) {
    QChar c = data[i];
    switch (c.unicode()) {
      case u'\r':
        if (i + 1 < size && data[i + 1] == u'\n') ++i;
        c = u'\n';
        break;
      case QChar::LineSeparator:
      case QChar::ParagraphSeparator:
      case 0xFDD0:  // frame start
      case 0xFDD1:  // frame end
        c = u'\n';
        break;
      case QChar::Nbsp: c = u' '; break;
      default: break;
    }
    data[out++] = c;
  }
  text.truncate(out);
  return text;
}

QToolButton* MakeTextButton(QToolBar* bar, const char* name, const char* text, const char* tip) {
  auto* button = new QToolButton(bar);
  button->setObjectName(QString::fromLatin1(name));
  button->setText(QString::fromUtf8(text));
  button->setToolButtonStyle(Qt::ToolButtonTextOnly);
  button->setAutoRaise(true);
  button->setFixedHeight(24);
  button->setToolTip(QString::fromUtf8(tip));
  button->setAccessibleName(button->toolTip());
  bar->addWidget(button);
  return button;
}

QToolButton* MakeToolButton(QToolBar* bar, const char* name, const char* picture,
                            const QString& tip) {
  auto* button = new QToolButton(bar);
  button->setObjectName(QString::fromLatin1(name));
  button->setIcon(QIcon(QString::fromLatin1(picture)));
  button->setIconSize(QSize(16, 16));
  button->setFixedSize(24, 24);
  button->setAutoRaise(true);
  button->setToolTip(tip);
  bar->addWidget(button);
  return button;
}

}  // namespace

TForm2::TForm2(QWidget* parent) : QWidget(parent, Qt::Window) {
  setObjectName(QStringLiteral("Form2"));
  setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                 Qt::WindowCloseButtonHint);
  // Closing only hides it, and it never keeps the program running.
  setAttribute(Qt::WA_QuitOnClose, false);
  setWindowTitle(QString::fromUtf8(texts::window::kProtocolCaption));
  setFont(SansFont(11));
  resize(544, 375);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);

  ToolBar1 = new QToolBar(this);
  ToolBar1->setObjectName(QStringLiteral("ToolBar1"));
  ToolBar1->setFixedHeight(33);
  ToolBar1->setMovable(false);
  ToolBar1->setFloatable(false);
  ToolBar1->setContentsMargins(2, 2, 2, 2);
  ToolBar1->setStyleSheet(QStringLiteral("QToolBar { border: 1px solid palette(mid); }"));
  layout->addWidget(ToolBar1);

  ToolButton1 = MakeToolButton(ToolBar1, "ToolButton1", ":/pictures/save.png",
                               QString::fromUtf8(texts::window::kSaveTip));
  ToolButton1->setAccessibleName(QString::fromUtf8(texts::window::kSaveTip));
  ToolButton1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
  ToolButton3 = new QWidget(ToolBar1);
  ToolButton3->setObjectName(QStringLiteral("ToolButton3"));
  ToolButton3->setFixedWidth(8);
  ToolBar1->addWidget(ToolButton3);
  ToolButton2 = MakeToolButton(ToolBar1, "ToolButton2", ":/pictures/edit.png",
                               QString::fromUtf8(texts::window::kEditTip));
  ToolButton4 = MakeToolButton(ToolBar1, "ToolButton4", ":/pictures/readonly.png",
                               QString::fromUtf8(texts::window::kReadOnlyTip));
  ToolButton2->setAccessibleName(ToolButton2->toolTip());
  ToolButton4->setAccessibleName(ToolButton4->toolTip());
  ToolButton2->setCheckable(true);
  ToolButton4->setCheckable(true);
  editGroup_ = new QButtonGroup(this);
  editGroup_->setExclusive(true);
  editGroup_->addButton(ToolButton2);
  editGroup_->addButton(ToolButton4);
  ToolButton4->setChecked(true);

  // Printing and PDF, right of the pencils.
  auto* printSeparator = new QWidget(ToolBar1);
  printSeparator->setFixedWidth(8);
  ToolBar1->addWidget(printSeparator);
  PrintButton =
      MakeTextButton(ToolBar1, "PrintButton", texts::window::kPrintItem, texts::window::kPrintTip);
  PrintButton->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_P));
  PdfButton =
      MakeTextButton(ToolBar1, "PdfButton", texts::window::kPdfItem, texts::window::kPdfTip);

  Memo1 = new QPlainTextEdit(this);
  Memo1->setObjectName(QStringLiteral("Memo1"));
  Memo1->setFont(SansFont(13));
  Memo1->setReadOnly(true);
  Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  Memo1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  Memo1->setLineWrapMode(QPlainTextEdit::WidgetWidth);
  Memo1->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
  // Undo is for the user's edits: it is on only while the text is editable.
  Memo1->setUndoRedoEnabled(false);
  layout->addWidget(Memo1);
  StatusBar1 = new QStatusBar(this);
  StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
  StatusBar1->setSizeGripEnabled(false);
  StatusBar1->hide();  // only while it has something to say
  layout->addWidget(StatusBar1);

  appendTimer_ = new QTimer(this);
  appendTimer_->setInterval(0);
  connect(appendTimer_, &QTimer::timeout, this, [this] { InsertPending(kSliceMs); });

  connect(ToolButton1, &QToolButton::clicked, this,
          [this] { RunHandler(this, [this] { ToolButton1Click(ToolButton1); }); });
  connect(ToolButton2, &QToolButton::clicked, this,
          [this] { RunHandler(this, [this] { ToolButton2Click(ToolButton2); }); });
  connect(ToolButton4, &QToolButton::clicked, this,
          [this] { RunHandler(this, [this] { ToolButton4Click(ToolButton4); }); });
  connect(PrintButton, &QToolButton::clicked, this,
          [this] { RunHandler(this, [this] { PrintButtonClick(PrintButton); }); });
  connect(PdfButton, &QToolButton::clicked, this,
          [this] { RunHandler(this, [this] { PdfButtonClick(PdfButton); }); });
}

void TForm2::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (!centred_) {
    centred_ = true;
    CentreOnScreen(this);
  }
}

void TForm2::ShowWithoutBlocking() {
  show();
  raise();
  activateWindow();
}

void TForm2::ShowStatus(const QString& text) {
  StatusBar1->showMessage(text);
  StatusBar1->setVisible(!text.isEmpty());
}

QString TForm2::StatusText() const { return StatusBar1->currentMessage(); }

bool TForm2::RestoreSize(const QByteArray& geometry) {
  if (!restoreGeometry(geometry)) return false;
  centred_ = true;
  return true;
}

void TForm2::SetProtocol(const TextLines& lines) {
  ShowStatus(QString());
  DropPending();
  Memo1->setPlainText(QString::fromStdString(lines.Text()));
  Memo1->document()->setModified(false);
}

bool TForm2::HasUnsavedEdits() const { return Memo1->document()->isModified(); }

bool TForm2::ConfirmDiscardEdits(QWidget* parent) {
  if (!HasUnsavedEdits()) return true;
  return Dialogs().Confirm(parent, QString::fromUtf8(texts::window::kDiscardEditsQuestion));
}

QString TForm2::ProposedFileName() const {
  if (inputFiles_.empty()) return {};
  const QFileInfo coordinates(QFile::decodeName(inputFiles_.front().c_str()));
  return coordinates.absoluteDir().filePath(coordinates.completeBaseName() +
                                            QString::fromUtf8(texts::window::kProtocolNameSuffix));
}

void TForm2::AppendProtocol(const TextLines& lines) {
  if (lines.Count() == 0) return;
  if (IsAppending()) {
    // Behind the lines still waiting; they end with a line break.
    pending_.erase(0, pendingFrom_);
    pendingFrom_ = 0;
    pending_ += lines.Text();
    if (!Memo1->isReadOnly()) FinishAppending();
    return;
  }
  // A line the user left without its line break still ends before the new ones.
  const bool lineBreakFirst = !Memo1->document()->lastBlock().text().isEmpty();
  if (lines.Count() <= kSynchronousAppendLines) {
    QString text = QString::fromStdString(lines.Text());
    if (lineBreakFirst) text.prepend(QLatin1Char('\n'));
    // The program's own lines are no edit of the user's.
    const bool edited = HasUnsavedEdits();
    QTextCursor cursor(Memo1->document());
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(text);
    Memo1->document()->setModified(edited);
    return;
  }
  pending_ = lines.Text();
  pendingFrom_ = 0;
  if (!Memo1->isReadOnly()) {
    // Nobody types into a text that is still growing.
    BusyCursor busy;
    InsertPending(-1, lineBreakFirst);
    return;
  }
  QWidget* const viewport = Memo1->viewport();
  idleCursorSet_ = viewport->testAttribute(Qt::WA_SetCursor);
  idleCursor_ = viewport->cursor();
  viewport->setCursor(Qt::BusyCursor);
  busyCursorShown_ = true;
  InsertPending(kSliceMs, lineBreakFirst);
  if (IsAppending()) appendTimer_->start();
}

void TForm2::FinishAppending() {
  if (!IsAppending()) return;
  BusyCursor busy;
  InsertPending(-1);
}

void TForm2::InsertPending(qint64 budgetMs, bool lineBreakFirst) {
  QElapsedTimer clock;
  clock.start();
  const bool edited = HasUnsavedEdits();
  QTextCursor cursor(Memo1->document());
  cursor.movePosition(QTextCursor::End);
  // One layout update for the whole slice.
  cursor.beginEditBlock();
  if (lineBreakFirst) cursor.insertText(QString(QLatin1Char('\n')));
  while (IsAppending()) {
    const std::size_t end = ChunkEnd(pending_, pendingFrom_, kLinesPerChunk);
    cursor.insertText(QString::fromUtf8(pending_.data() + pendingFrom_,
                                        static_cast<qsizetype>(end - pendingFrom_)));
    pendingFrom_ = end;
    if (budgetMs >= 0 && clock.elapsed() >= budgetMs) break;
  }
  cursor.endEditBlock();
  Memo1->document()->setModified(edited);
  if (!IsAppending()) DropPending();
}

void TForm2::DropPending() {
  appendTimer_->stop();
  std::string().swap(pending_);
  pendingFrom_ = 0;
  if (!busyCursorShown_) return;
  busyCursorShown_ = false;
  if (idleCursorSet_)
    Memo1->viewport()->setCursor(idleCursor_);
  else
    Memo1->viewport()->unsetCursor();
}

QString TForm2::ProtocolText() const {
  QString text = Memo1->toPlainText();
  text.replace(QChar::LineSeparator, QLatin1Char('\n'));
  if (IsAppending())
    text += AsMemoReturnsIt(QString::fromUtf8(
        pending_.data() + pendingFrom_, static_cast<qsizetype>(pending_.size() - pendingFrom_)));
  return text;
}

void TForm2::ToolButton1Click(QObject* /*sender*/) {
  const std::optional<QString> path =
      Dialogs().GetSaveFileName(this, QString::fromLatin1(kProtocolFileFilter),
                                QString::fromLatin1(kProtocolFileSuffix), ProposedFileName());
  if (!path) return;
  SaveProtocolFile(*path, ProtocolText(), inputFiles_);
  Memo1->document()->setModified(false);
}

void TForm2::ToolButton2Click(QObject* /*sender*/) {
  FinishAppending();
  ToolButton2->setChecked(true);
  ToolButton4->setChecked(false);
  Memo1->setReadOnly(false);
  Memo1->setUndoRedoEnabled(true);
}

void TForm2::ToolButton4Click(QObject* /*sender*/) {
  ToolButton2->setChecked(false);
  ToolButton4->setChecked(true);
  Memo1->setReadOnly(true);
  Memo1->setUndoRedoEnabled(false);
}

void TForm2::PrintProtocol(QPagedPaintDevice& device) const {
  QTextDocument document;
  QFont mono = QFontDatabase::systemFont(QFontDatabase::FixedFont);
  mono.setPointSizeF(9);
  document.setDefaultFont(mono);
  QString text = ProtocolText();
  if (text.endsWith(QLatin1Char('\n'))) text.chop(1);
  document.setPlainText(text);
  // Without a page size of its own the document is laid out on the device's
  // pages, with the page number at the foot of each.
  document.print(&device);
}

void TForm2::PrintButtonClick(QObject* /*sender*/) {
  FinishAppending();
  QPrinter printer(QPrinter::HighResolution);
  printer.setDocName(QString::fromUtf8(texts::window::kProtocolCaption));
  QPrintDialog dialog(&printer, this);
  dialog.setWindowTitle(QString::fromUtf8(texts::window::kPrintTip));
  if (!Dialogs().RunDialog(&dialog)) return;
  BusyCursor busy;
  PrintProtocol(printer);
}

void TForm2::PdfButtonClick(QObject* /*sender*/) {
  QString proposed = ProposedFileName();
  if (proposed.endsWith(QStringLiteral(".txt")))
    proposed.replace(proposed.size() - 3, 3, QStringLiteral("pdf"));
  const std::optional<QString> path = Dialogs().GetSaveFileName(
      this, QStringLiteral("*.pdf (*.pdf)"), QStringLiteral("pdf"), proposed);
  if (!path) return;
  FinishAppending();
  BusyCursor busy;
  SaveProtocolPdf(*path, *this);
}

void SaveProtocolPdf(const QString& path, const TForm2& protocol) {
  QSaveFile file(path);
  if (file.open(QIODevice::WriteOnly)) {
    {
      QPdfWriter writer(&file);
      writer.setTitle(QString::fromUtf8(texts::window::kProtocolCaption));
      writer.setCreator(QStringLiteral("Ternavo"));
      writer.setPageSize(QPageSize(QPageSize::A4));
      writer.setPageMargins(QMarginsF(15, 15, 15, 15), QPageLayout::Millimeter);
      protocol.PrintProtocol(writer);
    }
    if (file.commit()) return;
  }
  ThrowCannotSave(path, file.errorString());
}

void SaveProtocolFile(const QString& path, const QString& text,
                      const std::vector<std::string>& keep) {
  std::string error;
  if (!SaveProtocolText(QFile::encodeName(path).toStdString(), text.toStdString(), error, keep))
    throw std::runtime_error(error);
}

}  // namespace ternavo
