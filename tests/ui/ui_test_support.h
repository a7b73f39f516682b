// Scripted dialogs, a fixture with the program's windows, coordinate files
// and mouse helpers for the window tests.
#pragma once

#include <deque>
#include <functional>
#include <optional>

#include <gtest/gtest.h>
#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include "ui/dialogs.h"
#include "ui/form1.h"
#include "ui/form2.h"
#include "ui/form4.h"
#include "ui/point_table.h"
#include "ui/program.h"
#include "ui/settings.h"

namespace ternavo::testing {

struct ShownMessage {
  QString caption, text;
  MessageIcon icon;
  bool busyCursor;  // the wait cursor was up while the box showed
};

using Answers = std::deque<std::optional<QString>>;  // nullopt: cancel
std::optional<QString> NextAnswer(Answers& answers);

// Answers the dialogs from queues and records every message box.
class ScriptedDialogs : public UserDialogs {
 public:
  void ShowMessage(QWidget*, const QString& caption, const QString& text,
                   MessageIcon icon) override {
    const QCursor* cursor = QApplication::overrideCursor();
    messages.push_back({caption, text, icon, cursor && cursor->shape() == Qt::WaitCursor});
  }
  std::optional<QString> GetOpenFileName(QWidget*, const QString& directory = {}) override {
    lastOpenDirectory = directory;
    return NextAnswer(openAnswers);
  }
  std::optional<QString> GetSaveFileName(QWidget*, const QString& filter,
                                         const QString& defaultSuffix,
                                         const QString& proposed = {}) override {
    lastSaveFilter = filter;
    lastSaveSuffix = defaultSuffix;
    lastSaveProposed = proposed;
    return NextAnswer(saveAnswers);
  }
  // A program dialog is handed to `dialogScript` instead of its event loop.
  bool RunDialog(QDialog* dialog) override { return dialogScript && dialogScript(dialog); }
  std::function<bool(QDialog*)> dialogScript;
  // Records the question and answers it from `confirmAnswers` (No when empty).
  bool Confirm(QWidget*, const QString& text) override {
    questions.push_back(text);
    if (confirmAnswers.empty()) return false;
    const bool yes = confirmAnswers.front();
    confirmAnswers.pop_front();
    return yes;
  }
  Answers openAnswers, saveAnswers;
  std::deque<bool> confirmAnswers;
  std::vector<ShownMessage> messages;
  std::vector<QString> questions;
  QString lastSaveFilter, lastSaveSuffix, lastSaveProposed, lastOpenDirectory;
};

// `count` identical points related by one similarity key (small noise, a
// blunder of 0.8 in X at `blunderIndex` if >= 0), then `detailCount` detail
// points. `flat` puts every point in one plane.
std::string CoordinateFile(int count, int blunderIndex, int detailCount, bool flat = false);
inline int PointNumber(int index) { return 101 + 3 * index; }  // of identical point `index`
std::string ReadBytes(const QString& path);                    // empty when unreadable

class WindowTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override {
    windows_.reset();
    SetDialogs(std::move(previousDialogs_));
  }
  QString WriteFile(const QString& name, const std::string& bytes);
  void Open(const std::optional<QString>& path) {  // "Otevřít" answered with `path`
    dialogs_->openAnswers.push_back(path);
    main_->Otevt1->trigger();
  }
  void ChooseType(int index);
  void Click(QWidget* button) {
    ASSERT_TRUE(button->isVisible());
    QTest::mouseClick(button, Qt::LeftButton, {}, button->rect().center());
  }
  void DoubleClickCell(int column, int row);  // preceded by a click, as a user does
  QString Cell(int column, int row) const { return main_->StringGrid1->ShownText(column, row); }
  // Grid and panel shown; BitBtn2, BitBtn3, SpeedButton1 enabled.
  void ExpectLook(bool shown, bool transform, bool protocol, bool exclude) const;
  // Exactly one message box, then forgets it.
  void ExpectOnlyMessage(const QString& text, MessageIcon icon = MessageIcon::None,
                         const QString& caption = QStringLiteral("Ternavo v2"));

  QTemporaryDir folder_;
  ScriptedDialogs* dialogs_ = nullptr;
  std::unique_ptr<UserDialogs> previousDialogs_;
  std::unique_ptr<ProgramWindows> windows_;
  TForm1* main_ = nullptr;
  TForm2* protocol_ = nullptr;
};

}  // namespace ternavo::testing
