#include <sys/resource.h>
#include <unistd.h>

#include <csignal>
#include <functional>

#include <QApplication>
#include <QDir>
#include <QKeyEvent>
#include <QFile>
#include <QPlainTextEdit>
#include <QTest>
#include <QToolButton>

#include "text/code_page.h"
#include "ui_test_support.h"

namespace ternavo::testing {
namespace {

// Key presses carrying the characters, as a keyboard with Czech keys sends them.
void TypeText(QWidget* widget, const QString& text) {
  for (const QChar character : text) {
    QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(character));
    QApplication::sendEvent(widget, &press);
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(character));
    QApplication::sendEvent(widget, &release);
  }
}

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
  void Save(const QString& path) {
    dialogs_->saveAnswers.push_back(path);
    Click(protocol_->ToolButton1);
  }
};

TEST_F(ProtocolWindowTest, StartsReadOnlyAndExactlyOneOfTheTwoPencilsIsPressed) {
  EXPECT_EQ(protocol_->windowTitle(), QStringLiteral("Protokol"));
  EXPECT_TRUE(protocol_->Memo1->toPlainText().isEmpty());
  EXPECT_TRUE(protocol_->Memo1->isReadOnly());
  EXPECT_TRUE(protocol_->ToolButton4->isChecked());
  EXPECT_FALSE(protocol_->ToolButton2->isChecked());
  struct Step {
    QToolButton* button;
    bool readOnly;
  };
  const Step steps[] = {{protocol_->ToolButton2, false}, {protocol_->ToolButton2, false},
                        {protocol_->ToolButton4, true},  {protocol_->ToolButton4, true},
                        {protocol_->ToolButton2, false}};
  for (const Step& step : steps) {
    Click(step.button);
    EXPECT_EQ(protocol_->Memo1->isReadOnly(), step.readOnly);
    EXPECT_EQ(protocol_->ToolButton2->isChecked(), !step.readOnly);
    EXPECT_EQ(protocol_->ToolButton4->isChecked(), step.readOnly);
  }
}

TEST_F(ProtocolWindowTest, TypedTextIsSavedAsTypedInTheCodePage) {
  protocol_->SetProtocol(Lines({"Řádek 1", "Řádek 2"}));
  Click(protocol_->ToolButton2);
  protocol_->Memo1->moveCursor(QTextCursor::End);
  TypeText(protocol_->Memo1, QStringLiteral("žluťoučký"));
  const QString path = folder_.filePath(QStringLiteral("typed.txt"));
  Save(path);
  EXPECT_TRUE(dialogs_->messages.empty());
  EXPECT_EQ(ReadBytes(path), "\xD8\xE1\x64\x65k 1\r\n\xD8\xE1\x64\x65k 2\r\n\x9Elu\x9Do\x75\xE8k\xFD");
}

TEST_F(ProtocolWindowTest, EmptyTextGivesAnEmptyFileAndSavingAgainOverwrites) {
  const QString path = folder_.filePath(QStringLiteral("p.txt"));
  Save(path);
  ASSERT_TRUE(QFile::exists(path));
  EXPECT_EQ(ReadBytes(path), "");
  protocol_->SetProtocol(Lines({"a", "", "b"}));
  Save(path);
  EXPECT_EQ(ReadBytes(path), "a\r\n\r\nb\r\n");
  protocol_->SetProtocol(Lines({"c"}));
  Save(path);
  EXPECT_EQ(ReadBytes(path), "c\r\n");
  EXPECT_TRUE(dialogs_->messages.empty());
  // Cancel writes nothing.
  dialogs_->saveAnswers.push_back(std::nullopt);
  protocol_->SetProtocol(Lines({"d"}));
  Click(protocol_->ToolButton1);
  EXPECT_EQ(ReadBytes(path), "c\r\n");
}

TEST_F(ProtocolWindowTest, AppendedLinesGoBelowTheEditedText) {
  protocol_->SetProtocol(Lines({"první", "druhý"}));
  protocol_->AppendProtocol(Lines({"třetí"}));
  EXPECT_EQ(protocol_->ProtocolText(), QStringLiteral("první\ndruhý\ntřetí\n"));
  // The user removed the last line break: the next lines still start on a line of their own.
  Click(protocol_->ToolButton2);
  protocol_->Memo1->moveCursor(QTextCursor::End);
  QTest::keyClick(protocol_->Memo1, Qt::Key_Backspace);
  TypeText(protocol_->Memo1, QStringLiteral("!"));
  protocol_->AppendProtocol(Lines({"čtvrtý"}));
  EXPECT_EQ(protocol_->ProtocolText(), QStringLiteral("první\ndruhý\ntřetí!\nčtvrtý\n"));
  protocol_->SetProtocol(TextLines());
  protocol_->AppendProtocol(Lines({"x"}));
  EXPECT_EQ(protocol_->ProtocolText(), QStringLiteral("x\n"));
}

struct SaveFailure {
  const char* name;
  // Prepares the failure and returns the path to save to; `undo` restores.
  std::function<QString(const QString& folder, std::function<void()>& undo)> prepare;
  bool needsUnprivileged;
};

void PrintTo(const SaveFailure& failure, std::ostream* out) { *out << failure.name; }

class FailedSaveTest : public ProtocolWindowTest,
                       public ::testing::WithParamInterface<SaveFailure> {};

TEST_P(FailedSaveTest, ReportsTheReasonAndKeepsTheOldFile) {
  const SaveFailure& failure = GetParam();
  if (failure.needsUnprivileged && geteuid() == 0) GTEST_SKIP() << "root writes anyway";
  std::function<void()> undo = [] {};
  const QString path = failure.prepare(folder_.path(), undo);
  const std::string old = ReadBytes(path);
  protocol_->SetProtocol(Lines({"Nový protokol", std::string(20000, 'x').c_str()}));
  const QString memo = protocol_->ProtocolText();
  Save(path);
  undo();
  ASSERT_EQ(dialogs_->messages.size(), 1u);
  EXPECT_EQ(dialogs_->messages[0].caption, QStringLiteral("Ternavo v2"));
  EXPECT_EQ(dialogs_->messages[0].icon, MessageIcon::Error);
  EXPECT_TRUE(dialogs_->messages[0].text.startsWith(QStringLiteral("Soubor \"")))
      << dialogs_->messages[0].text.toStdString();
  EXPECT_TRUE(dialogs_->messages[0].text.contains(QStringLiteral("nelze uložit: ")));
  EXPECT_EQ(ReadBytes(path), old);
  EXPECT_EQ(protocol_->ProtocolText(), memo);
  EXPECT_TRUE(protocol_->isVisible());
  // No temporary file is left behind.
  EXPECT_LE(QDir(QFileInfo(path).path()).entryList(QDir::Files | QDir::Hidden).size(), 1);
}

QString WriteOld(const QString& path) {
  QFile file(path);
  EXPECT_TRUE(file.open(QIODevice::WriteOnly));
  file.write("stary protokol\r\n");
  return path;
}

INSTANTIATE_TEST_SUITE_P(
    Causes, FailedSaveTest,
    ::testing::Values(
        SaveFailure{"MissingFolder",
                    [](const QString& folder, std::function<void()>&) {
                      return folder + QStringLiteral("/chybí/p.txt");
                    },
                    false},
        SaveFailure{"FullDisk",
                    [](const QString& folder, std::function<void()>& undo) {
                      const QString path = WriteOld(folder + QStringLiteral("/p.txt"));
                      // A file-size limit fails the writes as a full disk does.
                      rlimit saved{};
                      getrlimit(RLIMIT_FSIZE, &saved);
                      rlimit small = saved;
                      small.rlim_cur = 4096;
                      auto previous = std::signal(SIGXFSZ, SIG_IGN);
                      setrlimit(RLIMIT_FSIZE, &small);
                      undo = [saved, previous] {
                        setrlimit(RLIMIT_FSIZE, &saved);
                        std::signal(SIGXFSZ, previous);
                      };
                      return path;
                    },
                    false},
        SaveFailure{"ReadOnlyFolder",
                    [](const QString& folder, std::function<void()>& undo) {
                      const QString sub = folder + QStringLiteral("/ro");
                      QDir().mkpath(sub);
                      const QString path = WriteOld(sub + QStringLiteral("/p.txt"));
                      QFile::setPermissions(sub, QFile::ReadOwner | QFile::ExeOwner);
                      undo = [sub] {
                        QFile::setPermissions(sub, QFile::ReadOwner | QFile::WriteOwner |
                                                       QFile::ExeOwner);
                      };
                      return path;
                    },
                    true},
        SaveFailure{"ReadOnlyFile",
                    [](const QString& folder, std::function<void()>& undo) {
                      const QString path = WriteOld(folder + QStringLiteral("/p.txt"));
                      QFile::setPermissions(path, QFile::ReadOwner);
                      undo = [path] {
                        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
                      };
                      return path;
                    },
                    true}),
    [](const ::testing::TestParamInfo<SaveFailure>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace ternavo::testing
