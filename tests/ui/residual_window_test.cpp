#include <clocale>
#include <cmath>

#include <QDoubleSpinBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTableWidget>
#include <QWheelEvent>

#include "report/residual_report.h"
#include "ui/residual_window.h"
#include "ui_test_support.h"

namespace ternavo::testing {
namespace {

class ResidualWindowTest : public WindowTest {
 protected:
  // Eight points of one similarity key with a blunder at index 2; index 5 switched off.
  void Compute(TSeznam& s) {
    const QString path = WriteFile("points.txt", CoordinateFile(8, 2, 3));
    ASSERT_TRUE(s.LoadFromFile(path.toStdString()));
    s.IdenticalPoints[5].Used = false;
    s.AdjustSimilarity();
    ASSERT_TRUE(s.KeyValid);
  }
};

TEST_F(ResidualWindowTest, FillsSavesAndClears) {
  TSeznam s;
  Compute(s);
  ResidualWindow window;
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  EXPECT_EQ(window.windowTitle(), "Rezidua");
  EXPECT_FALSE(window.CsvButton->isEnabled());

  window.Fill(s, kSimilarity);
  ASSERT_TRUE(window.IsFilled());
  EXPECT_EQ(window.ResidualTable->rowCount(), 8);
  EXPECT_EQ(window.ResidualTable->item(5, 6)->text(), "NE");
  EXPECT_EQ(window.ResidualTable->item(2, 0)->text(), QString::number(PointNumber(2)));
  EXPECT_EQ(window.ParameterTable->rowCount(), 7);
  // The test columns: the blunder is the outlier, the switched-off point has no test.
  EXPECT_EQ(window.ResidualTable->item(2, 9)->text(), "ODLEHLÝ");
  EXPECT_EQ(window.ResidualTable->item(5, 9)->text(), "nepoužit");
  EXPECT_EQ(window.ResidualTable->item(0, 9)->text(), "vyhovuje");
  EXPECT_TRUE(window.TestLabel->text().contains(QString("Odlehlé body: %1").arg(PointNumber(2))));
  EXPECT_FALSE(window.TestLabel->text().contains("χ²"));
  window.SigmaSpin->setValue(0.01);  // tests again, now with the test of m0
  EXPECT_TRUE(window.TestLabel->text().contains("χ²"));
  EXPECT_TRUE(window.Tests().Global.Made);
  EXPECT_EQ(window.ParameterTable->item(0, 0)->text(), "Omega");
  for (QPushButton* b : {window.AppendButton, window.CsvButton, window.PictureButton})
    EXPECT_TRUE(b->isEnabled());

  // Hovering over a point names it; the blunder is the suspicious point and an outlier.
  const QString tip = window.Plot->ToolTipAt(window.Plot->PointPosition(2));
  EXPECT_TRUE(tip.startsWith(
      QString("Bod %1 (podezřelý) (odlehlý podle testu)\nvX = ").arg(PointNumber(2))))
      << tip.toStdString();
  EXPECT_TRUE(window.Plot->ToolTipAt(QPointF(-50, -50)).isEmpty());
  EXPECT_GE(window.Plot->Exaggeration(), 1);

  // The button hands over exactly the report section.
  std::vector<std::string> appended;
  QObject::connect(&window, &ResidualWindow::AppendToProtocol,
                   [&](const TextLines& lines) { appended = lines.Lines(); });
  Click(window.AppendButton);
  TextLines expected;
  const KeyQuality quality = ComputeKeyQuality(s, kSimilarity);
  WriteResidualReport(quality, expected);
  WriteOutlierTestReport(quality, ComputeOutlierTests(s, quality, {0.05L, true, 0.01L}), expected);
  EXPECT_EQ(appended, expected.Lines());

  const QString csv = folder_.filePath("rezidua.csv");
  dialogs_->saveAnswers.push_back(csv);
  Click(window.CsvButton);
  EXPECT_EQ(ReadBytes(csv), ResidualTableCsv(ComputeKeyQuality(s, kSimilarity)));
  for (const char* name : {"plan.png", "plan.svg"}) {
    dialogs_->saveAnswers.push_back(folder_.filePath(name));
    Click(window.PictureButton);
    const std::string bytes = ReadBytes(folder_.filePath(name));
    EXPECT_EQ(bytes.substr(0, 4), name[5] == 'p' ? "\x89PNG" : "<?xm") << name;
  }
  EXPECT_TRUE(dialogs_->messages.empty());

  window.Clear();
  EXPECT_FALSE(window.IsFilled());
  EXPECT_EQ(window.ResidualTable->rowCount(), 0);
  EXPECT_EQ(window.ParameterTable->rowCount(), 0);
  EXPECT_FALSE(window.Plot->HasData());
  EXPECT_FALSE(window.PictureButton->isEnabled());

  // A picture of the window for the documentation, when asked for.
  const QByteArray shots = qgetenv("TERNAVO_SCREENSHOT_DIR");
  if (!shots.isEmpty()) {
    std::setlocale(LC_NUMERIC, "");  // the user's decimal separator
    window.Fill(s, kSimilarity);
    QTest::qWait(300);
    window.grab().save(QString::fromLocal8Bit(shots) + "/residual_window.png");
    std::setlocale(LC_NUMERIC, "C");
  }
}

}  // namespace
}  // namespace ternavo::testing

namespace ternavo::testing {
namespace {

// Arrows scaled by the used points; zoom about the cursor, pan by dragging,
// the whole view again; overlapping numbers thinned out.
TEST_F(ResidualWindowTest, PlotForRealData) {
  TSeznam s;
  ASSERT_TRUE(s.LoadFromFile(WriteFile("many.txt", CoordinateFile(400, -1, 1)).toStdString()));
  s.AdjustSimilarity();
  ASSERT_TRUE(s.KeyValid);
  ResidualWindow window;
  window.resize(1000, 700);
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  window.Fill(s, kSimilarity);
  ResidualPlot* plot = window.Plot;
  const double exaggeration = plot->Exaggeration();
  // A switched-off point far off the key (its residual is not adjusted) leaves the scale.
  s.IdenticalPoints[7].TargetX += 50;
  s.IdenticalPoints[7].Used = false;
  s.AdjustSimilarity();
  window.Fill(s, kSimilarity);
  EXPECT_EQ(plot->Exaggeration(), exaggeration);

  plot->grab();
  const int labelsWhole = plot->LabelsDrawn();
  EXPECT_GT(labelsWhole, 0);
  EXPECT_LT(labelsWhole, 400) << "400 numbers cannot all fit without overlapping";

  const QPointF cursor = plot->PointPosition(20);
  QWheelEvent wheel(cursor, plot->mapToGlobal(cursor), QPoint(), QPoint(0, 480), Qt::NoButton,
                    Qt::NoModifier, Qt::NoScrollPhase, false);
  QApplication::sendEvent(plot, &wheel);
  EXPECT_NEAR(plot->Zoom(), std::pow(1.25, 4), 1e-9);
  EXPECT_NEAR(QLineF(plot->PointPosition(20), cursor).length(), 0, 1e-6) << "zoom about the cursor";
  EXPECT_EQ(plot->Exaggeration(), exaggeration) << "the arrows grow with the zoom";
  QTest::mousePress(plot, Qt::LeftButton, {}, QPoint(300, 300));
  QTest::mouseMove(plot, QPoint(340, 270));
  QTest::mouseRelease(plot, Qt::LeftButton, {}, QPoint(340, 270));
  EXPECT_NEAR(QLineF(plot->PointPosition(20), cursor + QPointF(40, -30)).length(), 0, 1e-6);
  Click(window.WholeViewButton);
  EXPECT_EQ(plot->Zoom(), 1.0);
  plot->grab();
  EXPECT_EQ(plot->LabelsDrawn(), labelsWhole);
}

}  // namespace
}  // namespace ternavo::testing
