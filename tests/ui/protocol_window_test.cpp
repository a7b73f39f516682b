#include <sys/resource.h>
#include <unistd.h>

#include <csignal>

#include <QDir>
#include <QKeyEvent>
#include <QPlainTextEdit>

#include "ui_test_support.h"

namespace ternavo::testing {
namespace {

TextLines Lines(std::initializer_list<const char*> lines) {
  TextLines result;
  for (const char* line : lines) result.AppendLine(line);
  return result;
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
