#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>

#include "ui/key_dialog.h"

#include "ui_test_support.h"

namespace ternavo::testing {
namespace {

class KeyboardTest : public WindowTest {
 protected:
  struct Look {
    QStringList cells;
    QString usedCount;
    bool transform, protocol, exclude;
    bool operator==(const Look&) const = default;
  };
  Look Now() const {
    Look look{{},
              main_->Label8->text(),
              main_->BitBtn2->isEnabled(),
              main_->BitBtn3->isEnabled(),
              main_->SpeedButton1->isEnabled()};
    for (int row = 0; row < main_->StringGrid1->ShownRowCount(); ++row)
      for (int column = 0; column < 4; ++column) look.cells << Cell(column, row);
    return look;
  }
  void OpenAndCompute() {
    Open(WriteFile(QStringLiteral("body.txt"), CoordinateFile(6, 2, 1)));
    ChooseType(kSimilarity);
    Click(main_->BitBtn1);
    ASSERT_TRUE(main_->BitBtn2->isEnabled());
  }
  void SelectCell(int column, int row) {
    QTest::mouseClick(main_->StringGrid1->viewport(), Qt::LeftButton, {},
                      main_->StringGrid1->GridCellRect(column, row).center());
    ASSERT_EQ(main_->StringGrid1->CurrentGridCell(), QPoint(column, row));
  }
};

TEST_F(KeyboardTest, MenusCarryTheirMnemonicsAndShortcuts) {
  EXPECT_EQ(main_->Soubor1->title(), QStringLiteral("&Soubor"));
  EXPECT_EQ(main_->Otevt1->text(), QStringLiteral("&Otevřít"));
  EXPECT_EQ(main_->Konec1->text(), QStringLiteral("&Konec"));
  EXPECT_EQ(main_->Npovda1->text(), QStringLiteral("O &programu"));
  EXPECT_EQ(main_->Otevt1->shortcut(), QKeySequence(QStringLiteral("Ctrl+O")));
  EXPECT_EQ(main_->Konec1->shortcut(), QKeySequence(QStringLiteral("Ctrl+Q")));
  EXPECT_EQ(protocol_->ToolButton1->shortcut(), QKeySequence(QStringLiteral("Ctrl+S")));

  // Ctrl+O reaches the open dialog (answered with cancel).
  main_->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(main_));
  dialogs_->openAnswers.push_back(std::nullopt);
  QTest::keySequence(main_, QKeySequence(QStringLiteral("Ctrl+O")));
  EXPECT_TRUE(dialogs_->openAnswers.empty()) << "Ctrl+O did not open";
}

// Tab walks "Transformovat klíčem…" top down, through each set of choices
// (a list chosen enables its column order, a list output its decimals).
TEST_F(KeyboardTest, TabWalksTheKeyDialogTopDown) {
  KeyApplicationDialog d;
  d.show();
  QApplication::setActiveWindow(&d);
  QTest::mouseClick(d.PointListInput, Qt::LeftButton);
  QTest::mouseClick(d.ListOutput, Qt::LeftButton);
  ASSERT_TRUE(d.PointListInput->isChecked() && d.ListOutput->isChecked());
  d.KeyFileEdit->setFocus();
  const QWidget* const order[] = {d.KeyFileButton,    d.PointsFileEdit, d.PointsFileButton,
                                  d.PointListInput,   d.ColumnOrderBox, d.ForwardButton,
                                  d.ListOutput,       d.DecimalsBox,    d.OutputFileEdit,
                                  d.OutputFileButton, d.TransformButton};
  for (const QWidget* next : order) {
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    ASSERT_EQ(QApplication::focusWidget(), next) << next->objectName().toStdString();
  }
}

// Space, Enter and F2 on a "Použít" cell do what a double-click does there,
// and nothing on the other columns.
TEST_F(KeyboardTest, KeysOnAUsedCellToggleLikeADoubleClick) {
  OpenAndCompute();
  DoubleClickCell(3, 2);
  const Look afterDoubleClick = Now();
  DoubleClickCell(3, 2);
  const Look restored = Now();
  ASSERT_NE(afterDoubleClick, restored);

  for (const Qt::Key key : {Qt::Key_Space, Qt::Key_Return, Qt::Key_Enter, Qt::Key_F2}) {
    SCOPED_TRACE(QKeySequence(key).toString().toStdString());
    Click(main_->BitBtn1);
    SelectCell(1, 2);
    const Look computed = Now();
    QTest::keyClick(main_->StringGrid1, key);
    EXPECT_EQ(Now(), computed) << "a diagnostic cell changed something";
    SelectCell(3, 2);
    QTest::keyClick(main_->StringGrid1, key);
    EXPECT_EQ(Now(), afterDoubleClick);
    QTest::keyClick(main_->StringGrid1, key);
    EXPECT_EQ(Now(), restored);
  }
  EXPECT_TRUE(dialogs_->messages.empty());
}

TEST_F(KeyboardTest, EnterPressesTheFocusedButton) {
  OpenAndCompute();
  main_->BitBtn3->setFocus();
  QTest::keyClick(main_->BitBtn3, Qt::Key_Return);
  EXPECT_TRUE(protocol_->isVisible());
}

}  // namespace
}  // namespace ternavo::testing
