#include <sys/resource.h>
#include <unistd.h>

#include <csignal>
#include <functional>

#include <QDir>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QTextBlock>
#include <QTimer>

#include "text/code_page.h"
#include "ui_test_support.h"

namespace ternavo::testing {
namespace {

TextLines Lines(std::initializer_list<const char*> lines) {
  TextLines result;
  for (const char* line : lines) result.AppendLine(line);
  return result;
}

// A section too long to go in at once, long enough for several slices even
// on a fast machine: "bod 1", "bod 2", ..., then `tail`.
TextLines LongSection(std::initializer_list<const char*> tail = {}) {
  TextLines result;
  const std::size_t count = 4 * TForm2::kSynchronousAppendLines;
  for (std::size_t i = 1; i <= count; ++i) result.AppendLine("bod " + std::to_string(i));
  for (const char* line : tail) result.AppendLine(line);
  return result;
}

// What the memo holds after `lines` went in at once below `before`.
QString AppendedAtOnce(const QString& before, const TextLines& lines) {
  QPlainTextEdit memo;
  memo.setPlainText(before);
  QTextCursor cursor(memo.document());
  cursor.movePosition(QTextCursor::End);
  cursor.insertText(QStringLiteral("\n") + QString::fromStdString(lines.Text()));
  return memo.toPlainText();
}

class ProtocolWindowTest : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    protocol_->ShowWithoutBlocking();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(protocol_));
  }
  void Save(const std::optional<QString>& path) {
    dialogs_->saveAnswers.push_back(path);
    Click(protocol_->ToolButton1);
  }
  // Key presses carrying the characters, as a keyboard with Czech keys sends them.
  void TypeAtEnd(const QString& text, bool backspaceFirst = false) {
    protocol_->Memo1->moveCursor(QTextCursor::End);
    if (backspaceFirst) QTest::keyClick(protocol_->Memo1, Qt::Key_Backspace);
    for (const QChar character : text) {
      for (QEvent::Type type : {QEvent::KeyPress, QEvent::KeyRelease}) {
        QKeyEvent event(type, Qt::Key_unknown, Qt::NoModifier, QString(character));
        QApplication::sendEvent(protocol_->Memo1, &event);
      }
    }
  }
  // Spins the event loop until the memo holds every line.
  void FinishFromEventLoop() {
    QElapsedTimer clock;
    clock.start();
    while (protocol_->IsAppending() && clock.elapsed() < 60000) QApplication::processEvents();
    EXPECT_FALSE(protocol_->IsAppending());
  }
  // The save failed with one error box and changed neither the file nor the window.
  void ExpectFailedSave(const QString& path, const std::string& oldBytes) {
    ASSERT_EQ(dialogs_->messages.size(), 1u);
    const ShownMessage& message = dialogs_->messages[0];
    EXPECT_EQ(message.caption, QStringLiteral("Ternavo v2"));
    EXPECT_EQ(message.icon, MessageIcon::Error);
    EXPECT_TRUE(message.text.startsWith(QStringLiteral("Soubor \""))) << message.text.toStdString();
    EXPECT_TRUE(message.text.contains(QStringLiteral("nelze uložit: ")));
    EXPECT_EQ(ReadBytes(path), oldBytes);
    EXPECT_EQ(protocol_->ProtocolText(),
              QStringLiteral("Nový protokol\n") + QString(20000, 'x') + '\n');
    EXPECT_TRUE(protocol_->isVisible());
    // No temporary file is left behind.
    EXPECT_LE(QDir(QFileInfo(path).path()).entryList(QDir::Files | QDir::Hidden).size(), 1);
    dialogs_->messages.clear();
  }
};

TEST_F(ProtocolWindowTest, StartsReadOnlyAndExactlyOneOfTheTwoPencilsIsPressed) {
  EXPECT_EQ(protocol_->windowTitle(), QStringLiteral("Protokol"));
  EXPECT_TRUE(protocol_->Memo1->toPlainText().isEmpty());
  QToolButton* const write = protocol_->ToolButton2;
  QToolButton* const read = protocol_->ToolButton4;
  for (QToolButton* button :
       {static_cast<QToolButton*>(nullptr), write, write, read, read, write}) {
    if (button) Click(button);  // none: as started
    const bool readOnly = button != write;
    EXPECT_EQ(protocol_->Memo1->isReadOnly(), readOnly);
    EXPECT_EQ(write->isChecked(), !readOnly);
    EXPECT_EQ(read->isChecked(), readOnly);
  }
}

TEST_F(ProtocolWindowTest, SavesTypedTextInTheCodePageOverwritesAndCancelWritesNothing) {
  const QString path = folder_.filePath(QStringLiteral("p.txt"));
  Save(path);
  ASSERT_TRUE(QFile::exists(path));
  EXPECT_EQ(ReadBytes(path), "");
  protocol_->SetProtocol(Lines({"Řádek 1", "", "Řádek 2"}));
  Click(protocol_->ToolButton2);
  TypeAtEnd(QStringLiteral("žluťoučký"));
  Save(path);
  EXPECT_EQ(ReadBytes(path),
            "\xD8\xE1\x64\x65k 1\r\n\r\n\xD8\xE1\x64\x65k 2\r\n\x9Elu\x9Do\x75\xE8k\xFD");
  protocol_->SetProtocol(Lines({"c"}));
  Save(path);
  protocol_->SetProtocol(Lines({"d"}));
  Save(std::nullopt);
  EXPECT_EQ(ReadBytes(path), "c\r\n");
  EXPECT_TRUE(dialogs_->messages.empty());
}

TEST_F(ProtocolWindowTest, AppendedLinesGoBelowTheEditedText) {
  protocol_->SetProtocol(Lines({"první", "druhý"}));
  protocol_->AppendProtocol(Lines({"třetí"}));
  EXPECT_EQ(protocol_->ProtocolText(), QStringLiteral("první\ndruhý\ntřetí\n"));
  // The user removed the last line break: the next lines still start on a line of their own.
  Click(protocol_->ToolButton2);
  TypeAtEnd(QStringLiteral("!"), true);
  protocol_->AppendProtocol(Lines({"čtvrtý"}));
  EXPECT_EQ(protocol_->ProtocolText(), QStringLiteral("první\ndruhý\ntřetí!\nčtvrtý\n"));
  protocol_->SetProtocol(TextLines());
  protocol_->AppendProtocol(Lines({"x"}));
  EXPECT_EQ(protocol_->ProtocolText(), QStringLiteral("x\n"));
}

TEST_F(ProtocolWindowTest, LongSectionShowsAtOnceAndGoesInWholeFromTheEventLoop) {
  // The last line left without its line break, then a long section with
  // characters the memo reads back changed, and a short one queued behind.
  protocol_->SetProtocol(Lines({"první", "druhý"}));
  Click(protocol_->ToolButton2);
  TypeAtEnd(QStringLiteral("!"), true);
  Click(protocol_->ToolButton4);
  const TextLines section = LongSection({"a\rb", "c\r", "\xC2\xA0\xC3\xBA\xE2\x80\xA9x"});
  const TextLines queued = Lines({"za", "ní"});
  QWidget* const viewport = protocol_->Memo1->viewport();
  const Qt::CursorShape idle = viewport->cursor().shape();

  protocol_->AppendProtocol(section);
  ASSERT_TRUE(protocol_->IsAppending());
  const QTextDocument* const document = protocol_->Memo1->document();
  EXPECT_EQ(document->findBlockByNumber(1).text(), QStringLiteral("druhý!"));
  EXPECT_EQ(document->findBlockByNumber(2).text(), QStringLiteral("bod 1"));
  EXPECT_LT(document->blockCount(), static_cast<int>(section.Count()));
  EXPECT_EQ(viewport->cursor().shape(), Qt::BusyCursor);
  protocol_->AppendProtocol(queued);
  const QString whole =
      AppendedAtOnce(QStringLiteral("první\ndruhý!"), section) + QString::fromUtf8("za\nní\n");
  EXPECT_EQ(protocol_->ProtocolText(), whole);

  // The event loop turns between slices while lines are still going in.
  int turnsWhileAppending = 0;
  QTimer probe;
  QObject::connect(&probe, &QTimer::timeout,
                   [&] { turnsWhileAppending += protocol_->IsAppending(); });
  probe.start(0);
  FinishFromEventLoop();
  EXPECT_GE(turnsWhileAppending, 1);
  EXPECT_EQ(protocol_->Memo1->toPlainText(), whole);
  EXPECT_EQ(protocol_->ProtocolText(), whole);
  EXPECT_EQ(viewport->cursor().shape(), idle);
}

TEST_F(ProtocolWindowTest, SaveEditAndNewProtocolWhileLinesAreStillGoingIn) {
  const TextLines section = LongSection();
  std::string saved = "hlava\r\n";
  for (const std::string& line : section.Lines()) saved += line + "\r\n";
  const QString path = folder_.filePath(QStringLiteral("p.txt"));

  // A save takes every line without waiting for them.
  protocol_->SetProtocol(Lines({"hlava"}));
  protocol_->AppendProtocol(section);
  Save(path);
  EXPECT_TRUE(protocol_->IsAppending());
  EXPECT_EQ(ReadBytes(path), saved);

  // Edit mode puts every line in first.
  Click(protocol_->ToolButton2);
  EXPECT_FALSE(protocol_->IsAppending());
  EXPECT_FALSE(protocol_->Memo1->isReadOnly());
  EXPECT_EQ(protocol_->Memo1->document()->blockCount(), static_cast<int>(section.Count()) + 2);
  // ... and so does an append in edit mode.
  protocol_->AppendProtocol(section);
  EXPECT_FALSE(protocol_->IsAppending());
  EXPECT_EQ(protocol_->Memo1->document()->blockCount(), 2 * static_cast<int>(section.Count()) + 2);

  // A new protocol drops the lines still waiting.
  Click(protocol_->ToolButton4);
  protocol_->AppendProtocol(section);
  ASSERT_TRUE(protocol_->IsAppending());
  protocol_->SetProtocol(Lines({"nový"}));
  EXPECT_FALSE(protocol_->IsAppending());
  FinishFromEventLoop();
  EXPECT_EQ(protocol_->ProtocolText(), QStringLiteral("nový\n"));
  EXPECT_TRUE(dialogs_->messages.empty());
}

TEST_F(ProtocolWindowTest, FailedSaveReportsTheReasonAndKeepsTheOldFile) {
  protocol_->SetProtocol(Lines({"Nový protokol", std::string(20000, 'x').c_str()}));
  const QString path = folder_.filePath(QStringLiteral("p.txt"));
  const std::string old = "stary protokol\r\n";
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(old.c_str()) > 0);
  file.close();

  Save(folder_.filePath(QStringLiteral("chybí/p.txt")));
  ExpectFailedSave(folder_.filePath(QStringLiteral("chybí/p.txt")), "");

  // A file-size limit fails the writes as a full disk does.
  rlimit saved{};
  getrlimit(RLIMIT_FSIZE, &saved);
  rlimit small = saved;
  small.rlim_cur = 4096;
  const auto previous = std::signal(SIGXFSZ, SIG_IGN);
  setrlimit(RLIMIT_FSIZE, &small);
  Save(path);
  setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, previous);
  ExpectFailedSave(path, old);

  if (geteuid() == 0) GTEST_SKIP() << "root writes to protected files and folders anyway";
  for (const QString& locked : {path, folder_.path()}) {  // a protected file, a protected folder
    QFile::setPermissions(locked, QFile::ReadOwner | QFile::ExeOwner);
    Save(path);
    QFile::setPermissions(locked, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    ExpectFailedSave(path, old);
  }
}

}  // namespace
}  // namespace ternavo::testing

namespace ternavo::testing {
namespace {

// Text the user typed and did not save is asked about before anything
// replaces it; "No" leaves it and stops the action.
TEST_F(ProtocolWindowTest, UnsavedEditsAreAskedAboutBeforeTheyAreReplaced) {
  const QString path = WriteFile(QStringLiteral("síť.txt"), CoordinateFile(5, -1, 1));
  struct Trigger {
    const char* name;
    std::function<void()> act;
    std::function<bool()> replaced;  // the action went ahead
  };
  const Trigger triggers[] = {
      {"compute", [&] { Click(main_->BitBtn1); },
       [&] { return !protocol_->ProtocolText().contains(QStringLiteral("poznámka")); }},
      {"open",
       [&] {
         dialogs_->openAnswers.push_back(path);
         main_->Otevt1->trigger();
       },
       [&] { return dialogs_->openAnswers.empty(); }},
      {"end", [&] { main_->Konec1->trigger(); }, [&] { return !main_->isVisible(); }},
  };
  for (const Trigger& trigger : triggers) {
    for (const bool yes : {false, true}) {
      SCOPED_TRACE(::testing::Message() << trigger.name << (yes ? ", yes" : ", no"));
      main_->show();
      dialogs_->openAnswers = {path};
      main_->Otevt1->trigger();
      Click(main_->BitBtn1);
      Click(main_->BitBtn1);  // a protocol the program wrote is replaced without a question
      EXPECT_TRUE(dialogs_->questions.empty());
      protocol_->ShowWithoutBlocking();
      const QString computed = protocol_->ProtocolText();
      Click(protocol_->ToolButton2);
      TypeAtEnd(QStringLiteral("poznámka"));
      protocol_->AppendProtocol(Lines({"podrobné body"}));  // the program's lines keep the edit
      ASSERT_TRUE(protocol_->HasUnsavedEdits());
      dialogs_->confirmAnswers = {yes};
      trigger.act();
      EXPECT_EQ(
          dialogs_->questions,
          std::vector<QString>{QStringLiteral("Protokol obsahuje neuložené úpravy.\nZahodit je?")});
      EXPECT_EQ(trigger.replaced(), yes);
      if (!yes) {
        EXPECT_EQ(protocol_->ProtocolText(), computed + "poznámka\npodrobné body\n");
      }
      dialogs_->questions.clear();
      dialogs_->openAnswers.clear();
      protocol_->SetProtocol(TextLines());
      protocol_->ToolButton4Click(nullptr);
    }
  }
}

TEST_F(ProtocolWindowTest, UndoRedoAndTheSaveProposesANameBesideTheCoordinateFile) {
  dialogs_->openAnswers = {WriteFile(QStringLiteral("síť.body.txt"), CoordinateFile(5, -1, 1))};
  main_->Otevt1->trigger();
  Click(main_->BitBtn1);
  protocol_->ShowWithoutBlocking();
  const QString computed = protocol_->ProtocolText();
  Click(protocol_->ToolButton2);
  TypeAtEnd(QStringLiteral("ab"));
  QTest::keyClick(protocol_->Memo1, Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(protocol_->ProtocolText(), computed);
  EXPECT_FALSE(protocol_->HasUnsavedEdits());
  QTest::keyClick(protocol_->Memo1, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_EQ(protocol_->ProtocolText(), computed + "ab");
  EXPECT_TRUE(protocol_->HasUnsavedEdits());
  const QString saved = folder_.filePath(QStringLiteral("p.txt"));
  Save(saved);
  EXPECT_EQ(dialogs_->lastSaveProposed, folder_.filePath(QStringLiteral("síť.body_protokol.txt")));
  EXPECT_FALSE(protocol_->HasUnsavedEdits()) << "saved edits are no longer asked about";
  EXPECT_EQ(ReadBytes(saved).size(), EncodeProtocolFile((computed + "ab").toStdString()).size());
}

}  // namespace
}  // namespace ternavo::testing

namespace ternavo::testing {
namespace {

// Printed and PDF pages: a long protocol runs over several pages; a
// cancelled print dialog prints nothing.
TEST_F(ProtocolWindowTest, PrintsAndSavesAsPdf) {
  TextLines lines;
  for (int i = 1; i <= 200; ++i) lines.AppendLine("Řádek " + std::to_string(i));
  protocol_->SetProtocol(lines);
  const auto pages = [](const QString& path) {
    const std::string bytes = ReadBytes(path);
    EXPECT_EQ(bytes.rfind("%PDF", 0), 0u) << path.toStdString();
    std::size_t count = 0;
    for (std::size_t at = bytes.find("/Type /Page\n"); at != std::string::npos;
         at = bytes.find("/Type /Page\n", at + 1))
      ++count;
    return count;
  };
  const QString pdf = folder_.filePath(QStringLiteral("p.pdf"));
  dialogs_->saveAnswers.push_back(pdf);
  Click(protocol_->PdfButton);
  EXPECT_TRUE(dialogs_->messages.empty());
  EXPECT_GE(pages(pdf), 3u);

  const QString printed = folder_.filePath(QStringLiteral("tisk.pdf"));
  for (const bool accept : {false, true}) {
    dialogs_->dialogScript = [&](QDialog* dialog) {
      auto* print = qobject_cast<QPrintDialog*>(dialog);
      EXPECT_NE(print, nullptr);
      if (!print) return false;
      print->printer()->setOutputFormat(QPrinter::PdfFormat);
      print->printer()->setOutputFileName(printed);
      return accept;
    };
    Click(protocol_->PrintButton);
    EXPECT_EQ(QFile::exists(printed), accept);
  }
  EXPECT_GE(pages(printed), 3u);
  EXPECT_TRUE(dialogs_->messages.empty());
}

}  // namespace
}  // namespace ternavo::testing
