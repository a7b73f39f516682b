#include <QApplication>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include "adjustment/seznam.h"
#include "text/code_page.h"
#include "ui_test_support.h"

namespace ternavo::testing {
namespace {

const QString kUsed = QStringLiteral("         ANO");
const QString kUnused = QStringLiteral("         NE");
const QString kTooFew = QStringLiteral("Málo identických bodů !!");

// What the core itself shows for the same file and actions.
struct Reference {
  explicit Reference(const QString& path) { EXPECT_TRUE(seznam.LoadFromFile(path.toStdString())); }
  void Adjust(int type) {
    if (type == kGeneralAffine) seznam.AdjustAffine();
    if (type == kSimilarity) seznam.AdjustSimilarity();
    if (type == kCongruence) seznam.AdjustCongruence();
  }
  void Results() { seznam.ShowResults(grid, m0, point); }
  QString Protocol(int type) const {
    TextLines lines;
    seznam.WriteProtocol(lines, type);
    return QString::fromStdString(lines.Text());
  }
  TSeznam seznam;
  CellGrid grid{4};
  std::string m0;
  std::string point;
};

class MainWindowTest : public WindowTest {
 protected:
  void ExpectTableEquals(const CellGrid& expected) {
    ASSERT_EQ(main_->StringGrid1->ShownRowCount(), expected.RowCount());
    for (int row = 0; row < expected.RowCount(); ++row)
      for (int column = 0; column < 4; ++column)
        EXPECT_EQ(Cell(column, row), QString::fromStdString(expected.Cell(column, row)))
            << "cell " << column << "," << row;
  }
  void ExpectOnlyMessage(const QString& caption, const QString& text, MessageIcon icon) {
    ASSERT_EQ(dialogs_->messages.size(), 1u) << "messages shown";
    EXPECT_EQ(dialogs_->messages[0].caption, caption);
    EXPECT_EQ(dialogs_->messages[0].text, text);
    EXPECT_EQ(dialogs_->messages[0].icon, icon);
    dialogs_->messages.clear();
  }
  void ExpectPlainMessage(const QString& text) {
    ExpectOnlyMessage(QStringLiteral("Ternavo v2"), text, MessageIcon::None);
  }
};

TEST_F(MainWindowTest, TypicalRoadFromOpeningToSavedProtocol) {
  const QString path = WriteFile(QStringLiteral("síť.txt"), CoordinateFile(6, 3, 2));
  Open(path);
  EXPECT_EQ(main_->windowTitle(), QStringLiteral("Ternavo v2.0 ") + path);
  ExpectLook(true, false, false, false);
  EXPECT_EQ(main_->Label6->text(), QStringLiteral("6"));
  EXPECT_EQ(main_->Label8->text(), QStringLiteral("6"));
  ASSERT_EQ(main_->StringGrid1->ShownRowCount(), 7);
  const QString headings[] = {QStringLiteral("Číslo bodu"), QStringLiteral("m(0){n-1}"),
                              QStringLiteral("Poměr"), QStringLiteral("Použít")};
  for (int column = 0; column < 4; ++column) EXPECT_EQ(Cell(column, 0), headings[column]);
  for (int row = 1; row <= 6; ++row) {
    EXPECT_EQ(Cell(0, row), QString::number(PointNumber(row - 1)));
    EXPECT_EQ(Cell(1, row), QStringLiteral("/"));
    EXPECT_EQ(Cell(2, row), QStringLiteral("/"));
    EXPECT_EQ(Cell(3, row), kUsed);
  }

  ChooseType(kSimilarity);
  Click(main_->BitBtn1);
  EXPECT_TRUE(dialogs_->messages.empty());
  Reference reference(path);
  reference.Adjust(kSimilarity);
  reference.Results();
  ExpectTableEquals(reference.grid);
  EXPECT_EQ(main_->Label2->text(), QString::fromStdString(reference.m0));
  EXPECT_EQ(main_->Label4->text(), QString::number(PointNumber(3)));  // the blunder
  ExpectLook(true, true, true, true);
  EXPECT_FALSE(protocol_->isVisible());
  EXPECT_EQ(protocol_->ProtocolText(), reference.Protocol(kSimilarity));
  EXPECT_TRUE(protocol_->ProtocolText().startsWith(
      QStringLiteral("Program Ternavo v 2.0, Protokol o výpočtu.\nPodobnostní transformace\n")));

  // Switching a point off and on again by double-clicks.
  DoubleClickCell(3, 2);
  EXPECT_EQ(Cell(3, 2), kUnused);
  EXPECT_EQ(main_->Label8->text(), QStringLiteral("5"));
  for (int row = 1; row <= 6; ++row) {
    EXPECT_EQ(Cell(1, row), QStringLiteral("/"));
    EXPECT_EQ(Cell(2, row), QStringLiteral("/"));
  }
  ExpectLook(true, false, false, false);
  DoubleClickCell(3, 2);
  EXPECT_EQ(Cell(3, 2), kUsed);
  EXPECT_EQ(main_->Label8->text(), QStringLiteral("6"));
  ExpectLook(true, false, false, false);

  // Excluding the suspicious point shows the stored diagnostics without it.
  Click(main_->BitBtn1);
  ExpectLook(true, true, true, true);
  const QString m0Before = main_->Label2->text();
  Click(main_->SpeedButton1);
  EXPECT_EQ(Cell(3, 4), kUnused);
  EXPECT_EQ(Cell(1, 4), QStringLiteral("  /"));
  EXPECT_EQ(Cell(2, 4), QStringLiteral("  /"));
  EXPECT_EQ(main_->Label8->text(), QStringLiteral("5"));
  EXPECT_EQ(main_->Label2->text(), m0Before);
  reference.seznam.IdenticalPoints[3].Used = false;
  reference.Results();
  ExpectTableEquals(reference.grid);
  EXPECT_EQ(main_->Label4->text(), QString::fromStdString(reference.point));
  ExpectLook(true, false, false, false);

  Click(main_->BitBtn1);
  reference.Adjust(kSimilarity);
  const QStringList protocolLines = protocol_->ProtocolText().split(QLatin1Char('\n'));
  ASSERT_GT(protocolLines.size(), 4);
  EXPECT_EQ(protocolLines[4], QStringLiteral("101,104,107,113,116"));
  EXPECT_EQ(protocol_->ProtocolText(), reference.Protocol(kSimilarity));

  Click(main_->BitBtn2);
  ExpectPlainMessage(QStringLiteral("Transformace dokončena."));
  EXPECT_TRUE(protocol_->isVisible());
  TextLines section;
  reference.seznam.TransformDetailPoints(section);
  ASSERT_GT(section.Count(), 2u);
  const QString shown = protocol_->ProtocolText();
  EXPECT_EQ(shown, reference.Protocol(kSimilarity) + QString::fromStdString(section.Text()));

  const QString saved = folder_.filePath(QStringLiteral("protokol.txt"));
  dialogs_->saveAnswers.push_back(saved);
  Click(protocol_->ToolButton1);
  EXPECT_TRUE(dialogs_->messages.empty());
  EXPECT_EQ(dialogs_->lastSaveFilter, QStringLiteral("*.txt (*.txt)"));
  EXPECT_EQ(dialogs_->lastSaveSuffix, QStringLiteral("txt"));
  const std::string bytes = ReadBytes(saved);
  EXPECT_EQ(bytes, EncodeProtocolFile(shown.toStdString()));
  EXPECT_EQ(bytes.rfind("Program Ternavo v 2.0, Protokol o v\xFDpo\xE8tu.\r\nPodobnostn\xED ", 0), 0u);
  ASSERT_GE(bytes.size(), 2u);
  EXPECT_EQ(bytes.substr(bytes.size() - 2), "\r\n");
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    if (bytes[i] == '\n') {
      ASSERT_TRUE(i > 0 && bytes[i - 1] == '\r') << "bare LF at " << i;
    }
  }
}

TEST_F(MainWindowTest, LooksFollowEveryEvent) {
  // empty
  ExpectLook(false, true, true, false);
  EXPECT_EQ(main_->windowTitle(), QStringLiteral("Ternavo v2.0 "));
  const QString path = WriteFile(QStringLiteral("a.txt"), CoordinateFile(5, -1, 1));
  Open(path);
  ExpectLook(true, false, false, false);  // loaded
  ChooseType(kCongruence);
  Click(main_->BitBtn1);
  ExpectLook(true, true, true, true);  // computed
  const QString ratio = Cell(2, 1);
  ChooseType(kSimilarity);
  ExpectLook(true, false, false, true);  // type changed: table and memo untouched
  EXPECT_EQ(Cell(2, 1), ratio);
  EXPECT_TRUE(protocol_->ProtocolText().contains(QStringLiteral("Shodnostní Podobnostní")));
  Click(main_->BitBtn1);
  Click(main_->SpeedButton1);
  ExpectLook(true, false, false, false);  // changed
  Click(main_->BitBtn1);
  DoubleClickCell(3, 1);
  ExpectLook(true, false, false, false);  // changed
  // Loading again keeps the labels of the last computation and the small button.
  Click(main_->BitBtn1);
  const QString m0 = main_->Label2->text();
  const QString point = main_->Label4->text();
  Open(path);
  ExpectLook(true, false, false, true);
  EXPECT_EQ(main_->Label2->text(), m0);
  EXPECT_EQ(main_->Label4->text(), point);

  // not computed: every point in one plane leaves the affine key undetermined.
  Open(WriteFile(QStringLiteral("flat.txt"), CoordinateFile(5, -1, 1, true)));
  ChooseType(kGeneralAffine);
  Click(main_->BitBtn1);
  ASSERT_EQ(dialogs_->messages.size(), 1u);
  EXPECT_EQ(dialogs_->messages[0].caption, QStringLiteral("Ternavo v2"));
  EXPECT_EQ(dialogs_->messages[0].icon, MessageIcon::None);
  EXPECT_EQ(dialogs_->messages[0].text, QString::fromUtf8(kSingularAffineNotice));
  EXPECT_TRUE(dialogs_->messages[0].busyCursor) << "the notice comes during the computation";
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
  ExpectLook(true, false, false, false);
  EXPECT_EQ(main_->Label2->text(), QStringLiteral("-"));
  EXPECT_EQ(main_->Label4->text(), QStringLiteral("-"));
  for (int row = 1; row <= 5; ++row) {
    EXPECT_EQ(Cell(1, row), QStringLiteral("  /"));
    EXPECT_EQ(Cell(2, row), QStringLiteral("  /"));
    EXPECT_EQ(Cell(3, row), kUsed);
  }
  EXPECT_EQ(protocol_->ProtocolText(), QStringLiteral("Výpočet neproveden.\n"));
}

struct LeastPointsCase {
  int points;
  int type;
  bool refused;
};

void PrintTo(const LeastPointsCase& c, std::ostream* out) {
  *out << c.points << " points, type " << c.type;
}

class LeastPointsTest : public MainWindowTest,
                        public ::testing::WithParamInterface<LeastPointsCase> {};

TEST_P(LeastPointsTest, RefusesBelowTheLeastNumberOfPoints) {
  const LeastPointsCase& c = GetParam();
  Open(WriteFile(QStringLiteral("p.txt"), CoordinateFile(c.points, -1, 1)));
  ChooseType(c.type);
  Click(main_->BitBtn1);
  if (c.refused) {
    ExpectPlainMessage(kTooFew);
    ExpectLook(true, false, false, false);
    for (int row = 1; row <= c.points; ++row) {
      EXPECT_EQ(Cell(1, row), QStringLiteral("  /"));  // was "/" after loading
      EXPECT_EQ(Cell(2, row), QStringLiteral("  /"));
    }
  } else {
    EXPECT_TRUE(dialogs_->messages.empty());
    ExpectLook(true, true, true, true);
  }
  // Only a computation writes the m0 label.
  EXPECT_EQ(main_->Label2->text() == QStringLiteral("m(0) "), c.refused);
  for (int row = 1; row <= c.points; ++row) EXPECT_EQ(Cell(3, row), kUsed);
}

INSTANTIATE_TEST_SUITE_P(Types, LeastPointsTest,
                         ::testing::Values(LeastPointsCase{3, kGeneralAffine, true},
                                           LeastPointsCase{3, kSimilarity, false},
                                           LeastPointsCase{3, kCongruence, false},
                                           LeastPointsCase{4, kGeneralAffine, false},
                                           LeastPointsCase{2, kSimilarity, true}));

TEST_F(MainWindowTest, RefusedComputationBlanksDiagnosticsAndChangesNothingElse) {
  Open(WriteFile(QStringLiteral("r.txt"), CoordinateFile(3, -1, 1)));
  ChooseType(kSimilarity);
  Click(main_->BitBtn1);
  const QString m0 = main_->Label2->text();
  const QString point = main_->Label4->text();
  protocol_->ShowWithoutBlocking();
  ChooseType(kGeneralAffine);
  Click(main_->BitBtn1);
  ExpectPlainMessage(kTooFew);
  EXPECT_FALSE(protocol_->isVisible());
  for (int row = 1; row <= 3; ++row) {
    EXPECT_EQ(Cell(1, row), QStringLiteral("  /"));
    EXPECT_EQ(Cell(2, row), QStringLiteral("  /"));
  }
  EXPECT_EQ(main_->Label2->text(), m0);
  EXPECT_EQ(main_->Label4->text(), point);
  ExpectLook(true, false, false, true);
}

TEST_F(MainWindowTest, CancelledOpenEmptiesTheWindowButKeepsThePoints) {
  const QString path = WriteFile(QStringLiteral("c.txt"), CoordinateFile(4, -1, 1));
  Open(path);
  Open(std::nullopt);
  ExpectLook(false, false, false, false);
  EXPECT_EQ(main_->windowTitle(), QStringLiteral("Ternavo v2.0 "));
  EXPECT_EQ(Seznam->GetIdenticalCount(), 4);
  EXPECT_TRUE(dialogs_->messages.empty());
  Open(path);
  ExpectLook(true, false, false, false);
  EXPECT_EQ(Cell(0, 4), QString::number(PointNumber(3)));
}

TEST_F(MainWindowTest, FailedLoadShowsExactlyOneErrorBox) {
  Open(WriteFile(QStringLiteral("ok.txt"), CoordinateFile(8, -1, 2)));
  Open(WriteFile(QStringLiteral("bad.txt"), "3\n1 2 3 4\nnot a number\n"));
  ExpectOnlyMessage(QStringLiteral("Error"), QStringLiteral("Nesprávný formát souboru!!!"),
                    MessageIcon::Error);
  ExpectLook(false, false, false, false);
  EXPECT_EQ(main_->windowTitle(), QStringLiteral("Ternavo v2.0 "));
  Open(folder_.filePath(QStringLiteral("missing.txt")));
  ExpectOnlyMessage(QStringLiteral("Error"), QStringLiteral("Nesprávný formát souboru!!!"),
                    MessageIcon::Error);
}

TEST_F(MainWindowTest, FileWithoutIdenticalPoints) {
  Open(WriteFile(QStringLiteral("none.txt"), CoordinateFile(0, -1, 2)));
  ExpectLook(true, false, false, false);
  EXPECT_EQ(main_->StringGrid1->ShownRowCount(), 1);
  EXPECT_EQ(Cell(0, 0), QStringLiteral("Číslo bodu"));
  EXPECT_EQ(Cell(3, 0), QStringLiteral("Použít"));
  EXPECT_EQ(main_->Label6->text(), QStringLiteral("0"));
  EXPECT_EQ(main_->Label8->text(), QStringLiteral("0"));
  ChooseType(kSimilarity);
  Click(main_->BitBtn1);
  ExpectPlainMessage(kTooFew);
}

TEST_F(MainWindowTest, DoubleClickOutsideTheUseColumnChangesNothing) {
  Open(WriteFile(QStringLiteral("d.txt"), CoordinateFile(4, -1, 1)));
  ChooseType(kSimilarity);
  Click(main_->BitBtn1);
  const struct {
    int column, row;
  } cells[] = {{0, 1}, {1, 2}, {2, 3}, {3, 0}, {0, 0}};
  for (const auto& cell : cells) {
    if (cell.column == 0 && cell.row == 0) continue;  // the corner takes no clicks
    DoubleClickCell(cell.column, cell.row);
    EXPECT_EQ(Seznam->GetUsedCount(), 4) << cell.column << "," << cell.row;
    EXPECT_EQ(main_->Label8->text(), QStringLiteral("4"));
    ExpectLook(true, true, true, true);
    EXPECT_NE(Cell(1, 1), QStringLiteral("/"));
  }
  // The last row maps to the last point.
  DoubleClickCell(3, 4);
  EXPECT_FALSE(Seznam->IdenticalPoints[3].Used);
  EXPECT_TRUE(Seznam->IdenticalPoints[0].Used);
  EXPECT_EQ(Cell(3, 4), kUnused);
}

TEST_F(MainWindowTest, SmallButtonWithoutAnySuspiciousPointStillDisables) {
  Open(WriteFile(QStringLiteral("s.txt"), CoordinateFile(3, -1, 1)));
  ChooseType(kSimilarity);
  Click(main_->BitBtn1);  // with three points no diagnostic is valid
  const QString before = Cell(3, 1);
  EXPECT_EQ(main_->Label4->text(), QStringLiteral("-"));
  Click(main_->SpeedButton1);
  EXPECT_EQ(Seznam->GetUsedCount(), 3);
  EXPECT_EQ(Cell(3, 1), before);
  EXPECT_EQ(main_->Label8->text(), QStringLiteral("3"));
  ExpectLook(true, false, false, false);
}

TEST_F(MainWindowTest, TransformingTwiceAppendsTwoSectionsAndNeedsDetailPoints) {
  const QString path = WriteFile(QStringLiteral("t.txt"), CoordinateFile(5, -1, 3));
  Open(path);
  ChooseType(kCongruence);
  Click(main_->BitBtn1);
  const QString protocol = protocol_->ProtocolText();
  Click(main_->BitBtn2);
  Click(main_->BitBtn2);
  EXPECT_EQ(MessageTexts(), (std::vector<QString>{QStringLiteral("Transformace dokončena."),
                                                  QStringLiteral("Transformace dokončena.")}));
  EXPECT_FALSE(dialogs_->messages[0].busyCursor);
  Reference reference(path);
  reference.Adjust(kCongruence);
  TextLines section;
  reference.seznam.TransformDetailPoints(section);
  const QString once = QString::fromStdString(section.Text());
  EXPECT_EQ(protocol_->ProtocolText(), protocol + once + once);

  dialogs_->messages.clear();
  Open(WriteFile(QStringLiteral("no_detail.txt"), CoordinateFile(5, -1, 0)));
  Click(main_->BitBtn1);
  const QString computed = protocol_->ProtocolText();
  Click(main_->BitBtn2);
  ExpectPlainMessage(QStringLiteral("Nejsou podrobné body !"));
  EXPECT_EQ(protocol_->ProtocolText(), computed);
  EXPECT_FALSE(protocol_->isVisible());
}

TEST_F(MainWindowTest, ProtocolButtonShowsTheSameTextAfterClosing) {
  Open(WriteFile(QStringLiteral("b.txt"), CoordinateFile(4, -1, 1)));
  ChooseType(kSimilarity);
  Click(main_->BitBtn1);
  const QString text = protocol_->ProtocolText();
  Click(main_->BitBtn3);
  EXPECT_TRUE(protocol_->isVisible());
  EXPECT_TRUE(protocol_->close());
  EXPECT_FALSE(protocol_->isVisible());
  Click(main_->BitBtn3);
  EXPECT_TRUE(protocol_->isVisible());
  EXPECT_EQ(protocol_->ProtocolText(), text);
  // The next computation hides it again.
  Click(main_->BitBtn1);
  EXPECT_FALSE(protocol_->isVisible());
}

TEST_F(MainWindowTest, StatePicturesFollowTheUseOfEachRow) {
  Open(WriteFile(QStringLiteral("img.txt"), CoordinateFile(4, -1, 1)));
  DoubleClickCell(3, 3);
  QTest::qWait(20);
  const QImage image = main_->StringGrid1->viewport()->grab().toImage();
  for (int row = 1; row <= 4; ++row) {
    const QPoint corner = main_->StringGrid1->GridCellRect(3, row).topLeft();
    const QColor crossMiddle = image.pixelColor(corner + QPoint(11, 11));
    const QColor tickStroke = image.pixelColor(corner + QPoint(7, 14));
    if (row == 3) {
      EXPECT_GT(crossMiddle.red(), 180) << "red cross in row " << row;
      EXPECT_LT(crossMiddle.blue(), 80);
    } else {
      EXPECT_EQ(crossMiddle, QColor(Qt::white)) << "row " << row;
      EXPECT_GT(tickStroke.blue(), 150) << "blue tick in row " << row;
      EXPECT_LT(tickStroke.red(), 80);
    }
  }
  // The text starts right of the picture.
  EXPECT_EQ(Cell(3, 3), kUnused);
}

TEST_F(MainWindowTest, ControlsHaveTheirTextsAndPlaces) {
  main_->Panel1->show();  // lays out the radio group; the initial texts stay
  EXPECT_EQ(main_->centralWidget()->size(), QSize(618, 460));
  EXPECT_EQ(main_->size().width(), 618);
  EXPECT_FALSE(main_->windowFlags() & Qt::WindowMaximizeButtonHint);
  const struct {
    const char* name;
    QRect geometry;
  } places[] = {
      {"StringGrid1", {8, 8, 345, 441}},  {"Panel1", {368, 16, 241, 433}},
      {"RadioGroup1", {24, 16, 193, 89}}, {"SpeedButton1", {120, 280, 8, 8}},
      {"BitBtn1", {24, 312, 153, 41}},    {"BitBtn3", {184, 320, 32, 32}},
      {"BitBtn2", {16, 360, 209, 49}},    {"Image1", {520, 264, 24, 24}},
      {"Image2", {552, 264, 24, 24}},
  };
  for (const auto& place : places) {
    auto* widget = main_->findChild<QWidget*>(QString::fromLatin1(place.name));
    ASSERT_NE(widget, nullptr) << place.name;
    EXPECT_EQ(widget->geometry(), place.geometry) << place.name;
  }
  const struct {
    const char* name;
    const char* text;
    QPoint topLeft;
  } labels[] = {
      {"Label5", "Celkový počet bodů :", {20, 116}}, {"Label6", "n", {92, 132}},
      {"Label7", "Počet použitých bodů :", {20, 156}}, {"Label8", "X", {92, 180}},
      {"Label1", "Střední chyba jednotková", {20, 204}}, {"Label2", "m(0) ", {92, 228}},
      {"Label3", "Podezřelý bod :", {20, 260}},
  };
  for (const auto& label : labels) {
    auto* widget = main_->findChild<QLabel*>(QString::fromLatin1(label.name));
    ASSERT_NE(widget, nullptr) << label.name;
    EXPECT_EQ(widget->text(), QString::fromUtf8(label.text)) << label.name;
    EXPECT_EQ(widget->pos(), label.topLeft) << label.name;
    EXPECT_LE(widget->geometry().right(), main_->Panel1->contentsRect().right())
        << label.name << " runs out of the panel";
  }
  EXPECT_EQ(main_->Label4->text(), QStringLiteral("XXX"));
  EXPECT_EQ(main_->Label4->geometry().right() + 1, 117);
  EXPECT_LT(main_->Label4->x(), 92 + 4);
  EXPECT_EQ(main_->BitBtn1->text(), QStringLiteral("Přepočítat klíč"));
  EXPECT_EQ(main_->BitBtn2->text(), QStringLiteral("TRANSFORMOVAT"));
  for (QPushButton* button : {main_->BitBtn1, main_->BitBtn2})
    EXPECT_LE(button->sizeHint().width(), button->width()) << button->text().toStdString();
  EXPECT_TRUE(main_->BitBtn3->text().isEmpty());
  EXPECT_FALSE(main_->BitBtn3->icon().isNull());
  EXPECT_TRUE(main_->SpeedButton1->text().isEmpty());
  EXPECT_FALSE(main_->Image1->isVisible());
  EXPECT_EQ(main_->RadioGroup1->title(), QStringLiteral("Typ transformace"));
  const QString items[] = {QStringLiteral("     Obecná afinní"), QStringLiteral("     Podobnostní"),
                           QStringLiteral("     Shodnostní")};
  for (int i = 0; i < 3; ++i) {
    auto* item = main_->RadioGroup1->findChild<QRadioButton*>(QStringLiteral("RadioGroup1Item%1").arg(i));
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->text(), items[i]);
    EXPECT_EQ(item->isChecked(), i == 0);
    EXPECT_LE(item->sizeHint().width(), item->width()) << "item " << i << " is clipped";
  }
  const QList<QAction*> top = main_->MainMenu1->actions();
  ASSERT_EQ(top.size(), 2);
  EXPECT_EQ(top[0]->text(), QStringLiteral("Soubor"));
  EXPECT_EQ(top[1], main_->Npovda1);
  EXPECT_EQ(main_->Npovda1->text(), QStringLiteral("O programu"));
  EXPECT_EQ(main_->Npovda1->menu(), nullptr);
  const QList<QAction*> file = main_->Soubor1->actions();
  ASSERT_EQ(file.size(), 2);
  EXPECT_EQ(file[0], main_->Otevt1);
  EXPECT_EQ(file[0]->text(), QStringLiteral("Otevřít"));
  EXPECT_EQ(file[1], main_->Konec1);
  EXPECT_EQ(file[1]->text(), QStringLiteral("Konec"));
}

TEST_F(MainWindowTest, AboutBoxAndEnd) {
  TForm4& about = windows_->About();
  EXPECT_FALSE(about.isVisible());
  main_->Npovda1->trigger();
  EXPECT_TRUE(about.isVisible());
  EXPECT_EQ(about.windowTitle(), QStringLiteral("  O programu"));
  EXPECT_EQ(about.Label1->text(), QStringLiteral("Ternavo v2.0"));
  EXPECT_EQ(about.Label2->text(),
            QStringLiteral("Program výpočet transformačního klíče a transformaci 3D souřadnic  "
                           "obecnou afinní, podobnostní a shodnostní transformací  metodou MNČ. "));
  EXPECT_EQ(about.size(), QSize(401, 153));
  EXPECT_GE(about.Label2->height(), about.Label2->heightForWidth(about.Label2->width()))
      << "the description is clipped";
}

TEST_F(MainWindowTest, EndEndsTheEventLoopWhileTheOtherWindowsAreOpen) {
  protocol_->ShowWithoutBlocking();
  windows_->About().ShowWithoutBlocking();
  QTimer::singleShot(0, main_->Konec1, &QAction::trigger);
  QTimer watchdog;
  watchdog.setSingleShot(true);
  QObject::connect(&watchdog, &QTimer::timeout, [] { QCoreApplication::exit(7); });
  watchdog.start(5000);
  EXPECT_EQ(QCoreApplication::exec(), 0) << "the program went on running";
  EXPECT_FALSE(main_->isVisible());
}

TEST(ErrorReport, FullStopOnlyAfterALetterOrDigit) {
  const struct {
    const char* text;
    const char* shown;
  } cases[] = {
      {"Dělení nulou", "Dělení nulou."}, {"Chyba 5", "Chyba 5."}, {"Hotovo.", "Hotovo."},
      {"Pozor !", "Pozor !"},            {"Přetečení ý", "Přetečení ý."}, {"konec ", "konec "},
      {"", ""},
  };
  for (const auto& c : cases)
    EXPECT_EQ(ErrorReportText(QString::fromUtf8(c.text)), QString::fromUtf8(c.shown)) << c.text;
}

TEST_F(MainWindowTest, ErrorLeavingAHandlerIsReportedAndTheProgramGoesOn) {
  RunHandler(main_, [] { throw ArithmeticFault(FaultKind::Overflow, "Přetečení při výpočtu"); });
  RunHandler(main_, [] { throw std::bad_alloc(); });
  ASSERT_EQ(dialogs_->messages.size(), 2u);
  for (const ShownMessage& message : dialogs_->messages) {
    EXPECT_EQ(message.caption, QStringLiteral("Ternavo v2"));
    EXPECT_EQ(message.icon, MessageIcon::Error);
  }
  EXPECT_EQ(dialogs_->messages[0].text, QStringLiteral("Přetečení při výpočtu."));
  EXPECT_EQ(dialogs_->messages[1].text, QStringLiteral("Nedostatek paměti."));
  // A busy cursor does not outlive a computation that threw.
  RunHandler(main_, [] {
    BusyCursor busy;
    throw std::runtime_error("x");
  });
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

}  // namespace
}  // namespace ternavo::testing
