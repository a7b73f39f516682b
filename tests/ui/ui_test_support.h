// Scripted dialogs, a fixture with the program's three windows, coordinate
// files and mouse helpers for the window tests.
#pragma once

#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <QString>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "ui/dialogs.h"
#include "ui/form1.h"
#include "ui/form2.h"
#include "ui/form4.h"
#include "ui/point_table.h"
#include "ui/program.h"

namespace ternavo::testing {

struct ShownMessage {
  QString caption;
  QString text;
  MessageIcon icon;
  bool busyCursor;  // the wait cursor was up while the box showed
};

// Answers the dialogs from queues and records every message box.
class ScriptedDialogs : public UserDialogs {
 public:
  void ShowMessage(QWidget* parent, const QString& caption, const QString& text,
                   MessageIcon icon) override;
  std::optional<QString> GetOpenFileName(QWidget* parent) override;
  std::optional<QString> GetSaveFileName(QWidget* parent, const QString& filter,
                                         const QString& defaultSuffix) override;

  std::deque<std::optional<QString>> openAnswers;
  std::deque<std::optional<QString>> saveAnswers;
  std::vector<ShownMessage> messages;
  QString lastSaveFilter;
  QString lastSaveSuffix;
  int openRequests = 0;
};

// An identical point of a generated file and its exact target.
struct GeneratedPoint {
  int number;
  double sourceX, sourceY, sourceZ;
};

// A coordinate file: `count` identical points related by one similarity key
// (small deterministic noise, a blunder of 0.8 in X at `blunderIndex` if
// >= 0), then `detailCount` detail points. `flat` puts every point in one plane.
std::string CoordinateFile(int count, int blunderIndex, int detailCount, bool flat = false);
int PointNumber(int index);  // number of generated identical point `index`

class WindowTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Writes a file into the test's folder and returns its path.
  QString WriteFile(const QString& name, const std::string& bytes);
  // "Soubor" / "Otevřít" answered with `path` (nothing: cancel).
  void Open(const std::optional<QString>& path);
  void ChooseType(int index);
  void Click(QWidget* button);
  // Double-click on grid cell (column, row): a click first, as a user does.
  void DoubleClickCell(int column, int row);

  QString Cell(int column, int row) const;
  std::vector<QString> MessageTexts() const;

  // Expected look: grid and panel shown; BitBtn2, BitBtn3, SpeedButton1 enabled.
  void ExpectLook(bool shown, bool transform, bool protocol, bool exclude) const;

  QTemporaryDir folder_;
  ScriptedDialogs* dialogs_ = nullptr;
  std::unique_ptr<UserDialogs> previousDialogs_;
  std::unique_ptr<ProgramWindows> windows_;
  TForm1* main_ = nullptr;
  TForm2* protocol_ = nullptr;
};

// Bytes of a file; empty when it cannot be read.
std::string ReadBytes(const QString& path);

}  // namespace ternavo::testing
