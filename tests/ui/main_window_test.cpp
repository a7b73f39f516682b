#include <cstdlib>

#include <QDropEvent>
#include <QLineEdit>
#include <QMenuBar>
#include <QMimeData>
#include <QProgressDialog>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSpinBox>
#include <QTextBrowser>
#include <QTimer>
#include <QUrl>

#include <functional>

#include "adjustment/seznam.h"
#include "report/coordinate_list.h"
#include "text/code_page.h"
#include "text/messages.h"
#include "ui/key_dialog.h"
#include "ui/residual_window.h"
#include "ui_test_support.h"

namespace ternavo::testing {
namespace {

const QString kUsed = QStringLiteral("         ANO");
const QString kUnused = QStringLiteral("         NE");
const QString kTooFew = QStringLiteral("Málo identických bodů !!");
const QString kBlank = QStringLiteral("  /");

// What the core itself shows for the same file and actions.
struct Reference {
  explicit Reference(const QString& path, int type) : type(type) {
    EXPECT_TRUE(seznam.LoadFromFile(path.toStdString()));
    Adjust();
  }
  void Adjust() {
    static constexpr void (TSeznam::*adjust[])() = {
        &TSeznam::AdjustAffine, &TSeznam::AdjustSimilarity, &TSeznam::AdjustCongruence};
    (seznam.*adjust[type])();
  }
  QString Protocol() const {
    TextLines lines;
    seznam.WriteProtocol(lines, type);
    return QString::fromStdString(lines.Text());
  }
  QString Detail() {
    TextLines section;
    seznam.TransformDetailPoints(section);
    EXPECT_GT(section.Count(), 2u);
    return QString::fromStdString(section.Text());
  }
  int type;
  TSeznam seznam;
};

class MainWindowTest : public WindowTest {
 protected:
  void ExpectTable(Reference& reference) {
    CellGrid expected{4};
    std::string m0, point;
    reference.seznam.ShowResults(expected, m0, point);
    ASSERT_EQ(main_->StringGrid1->ShownRowCount(), expected.RowCount());
    for (int row = 0; row < expected.RowCount(); ++row)
      for (int column = 0; column < 4; ++column)
        EXPECT_EQ(Cell(column, row), QString::fromStdString(expected.Cell(column, row)))
            << "cell " << column << "," << row;
    EXPECT_EQ(main_->Label2->text(), QString::fromStdString(m0));
    EXPECT_EQ(main_->Label4->text(), QString::fromStdString(point));
  }
  // The m0 and ratio columns of rows 1..rows.
  void ExpectDiagnostics(int rows, const QString& text) {
    for (int row = 1; row <= rows; ++row) {
      EXPECT_EQ(Cell(1, row), text) << "row " << row;
      EXPECT_EQ(Cell(2, row), text) << "row " << row;
    }
  }
  // Presses "Zrušit" as soon as the next computation's progress dialog shows;
  // `label` receives its text.
  void CancelNextComputation(QString* label = nullptr) {
    main_->ProgressDelay = std::chrono::milliseconds(0);
    // Runs inside the first event processing of the progress dialog.
    QTimer::singleShot(0, [this, label] {
      auto* dialog = main_->findChild<QProgressDialog*>(QStringLiteral("ProgressDialog"));
      ASSERT_NE(dialog, nullptr) << "no progress dialog came up";
      EXPECT_TRUE(dialog->isVisible());
      if (label) *label = dialog->labelText();
      if (const char* dir = std::getenv("TERNAVO_SCREENSHOT_DIR")) {
        dialog->grab().save(QString::fromLocal8Bit(dir) + QStringLiteral("/progress_dialog.png"));
      }
      dialog->cancel();
    });
  }
  void Compute(int count, int type, int detailCount = 1) {
    Open(WriteFile(QStringLiteral("%1.txt").arg(count), CoordinateFile(count, -1, detailCount)));
    ChooseType(type);
    Click(main_->BitBtn1);
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
  EXPECT_EQ(QStringList({Cell(0, 0), Cell(1, 0), Cell(2, 0), Cell(3, 0)}),
            QStringList({"Číslo bodu", "m(0){n-1}", "Poměr", "Použít"}));
  for (int row = 1; row <= 6; ++row) {
    EXPECT_EQ(Cell(0, row), QString::number(PointNumber(row - 1)));
    EXPECT_EQ(Cell(3, row), kUsed);
  }
  ExpectDiagnostics(6, QStringLiteral("/"));

  ChooseType(kSimilarity);
  Click(main_->BitBtn1);
  EXPECT_TRUE(dialogs_->messages.empty());
  Reference reference(path, kSimilarity);
  ExpectTable(reference);
  EXPECT_EQ(main_->Label4->text(), QString::number(PointNumber(3)));  // the blunder
  ExpectLook(true, true, true, true);
  EXPECT_FALSE(protocol_->isVisible());
  EXPECT_EQ(protocol_->ProtocolText(), reference.Protocol());

  // Off and on again by double-clicks.
  DoubleClickCell(3, 2);
  EXPECT_EQ(Cell(3, 2), kUnused);
  EXPECT_EQ(main_->Label8->text(), QStringLiteral("5"));
  ExpectDiagnostics(6, QStringLiteral("/"));
  ExpectLook(true, false, false, false);
  DoubleClickCell(3, 2);
  EXPECT_EQ(Cell(3, 2), kUsed);
  EXPECT_EQ(main_->Label8->text(), QStringLiteral("6"));

  // Excluding the suspicious point shows the stored diagnostics without it.
  Click(main_->BitBtn1);
  const QString m0 = main_->Label2->text();
  Click(main_->SpeedButton1);
  EXPECT_EQ(Cell(3, 4), kUnused);
  EXPECT_EQ(main_->Label8->text(), QStringLiteral("5"));
  reference.seznam.IdenticalPoints[3].Used = false;
  ExpectTable(reference);
  EXPECT_EQ(main_->Label2->text(), m0);
  ExpectLook(true, false, false, false);

  Click(main_->BitBtn1);
  reference.Adjust();
  EXPECT_EQ(protocol_->ProtocolText().section(QLatin1Char('\n'), 4, 4),
            QStringLiteral("101,104,107,113,116"));
  EXPECT_EQ(protocol_->ProtocolText(), reference.Protocol());
  Click(main_->BitBtn2);
  EXPECT_TRUE(dialogs_->messages.empty()) << "no box to confirm: the window opens anyway";
  EXPECT_EQ(protocol_->StatusText(), QStringLiteral("Transformace dokončena."));
  EXPECT_TRUE(protocol_->isVisible());
  const QString shown = protocol_->ProtocolText();
  EXPECT_EQ(shown, reference.Protocol() + reference.Detail());

  const QString saved = folder_.filePath(QStringLiteral("protokol.txt"));
  dialogs_->saveAnswers.push_back(saved);
  Click(protocol_->ToolButton1);
  EXPECT_TRUE(dialogs_->messages.empty());
  EXPECT_EQ(dialogs_->lastSaveFilter, QStringLiteral("*.txt (*.txt)"));
  EXPECT_EQ(dialogs_->lastSaveSuffix, QStringLiteral("txt"));
  const std::string bytes = ReadBytes(saved);
  EXPECT_EQ(bytes, EncodeProtocolFile(shown.toStdString()));
  EXPECT_EQ(bytes.rfind("Program Ternavo v 2.0, Protokol o v\xFDpo\xE8tu.\r\nPodobnostn\xED ", 0),
            0u);
}

TEST_F(MainWindowTest, LooksFollowEveryEvent) {
  ExpectLook(false, true, true, false);  // empty
  EXPECT_EQ(main_->windowTitle(), QStringLiteral("Ternavo v2.0 "));
  Compute(5, kCongruence);
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

  // Not computed: every point in one plane leaves the affine key undetermined.
  Open(WriteFile(QStringLiteral("flat.txt"), CoordinateFile(5, -1, 1, true)));
  ChooseType(kGeneralAffine);
  Click(main_->BitBtn1);
  ASSERT_EQ(dialogs_->messages.size(), 1u);
  EXPECT_TRUE(dialogs_->messages[0].busyCursor) << "the notice comes during the computation";
  ExpectOnlyMessage(QString::fromUtf8(messages::kSingularAffine));
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
  ExpectLook(true, false, false, false);
  EXPECT_EQ(main_->Label2->text(), QStringLiteral("-"));
  EXPECT_EQ(main_->Label4->text(), QStringLiteral("-"));
  EXPECT_EQ(main_->Label8->text(), QStringLiteral("5"));
  ExpectDiagnostics(5, kBlank);
  EXPECT_EQ(protocol_->ProtocolText(), QStringLiteral("Výpočet neproveden.\n"));
}

TEST_F(MainWindowTest, RefusesBelowTheLeastNumberOfPoints) {
  const struct {
    int points, type;
    bool refused;
  } cases[] = {{3, kGeneralAffine, true}, {4, kGeneralAffine, false}, {2, kSimilarity, true},
               {3, kSimilarity, false},   {3, kCongruence, false},    {0, kSimilarity, true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.points << " points, type " << c.type);
    Compute(c.points, c.type);
    if (c.refused) ExpectOnlyMessage(kTooFew);
    EXPECT_TRUE(dialogs_->messages.empty());
    EXPECT_EQ(main_->BitBtn2->isEnabled(), !c.refused);
  }
}

TEST_F(MainWindowTest, RefusedComputationBlanksDiagnosticsAndChangesNothingElse) {
  Compute(3, kSimilarity);
  const QString m0 = main_->Label2->text(), point = main_->Label4->text();
  protocol_->ShowWithoutBlocking();
  ChooseType(kGeneralAffine);
  Click(main_->BitBtn1);
  ExpectOnlyMessage(kTooFew);
  EXPECT_FALSE(protocol_->isVisible());
  ExpectDiagnostics(3, kBlank);
  EXPECT_EQ(main_->Label2->text(), m0);
  EXPECT_EQ(main_->Label4->text(), point);
  ExpectLook(true, false, false, true);
}

TEST_F(MainWindowTest, CancelledOpenLeavesTheWindowAsItWas) {
  Compute(4, kSimilarity);
  const QString title = main_->windowTitle(), protocol = protocol_->ProtocolText();
  Open(std::nullopt);
  ExpectLook(true, true, true, true);
  EXPECT_EQ(main_->windowTitle(), title);
  EXPECT_EQ(protocol_->ProtocolText(), protocol);
  EXPECT_TRUE(dialogs_->messages.empty());
}

// "Rezidua" and "Exportovat klíč…" belong to the key the protocol button shows.
TEST_F(MainWindowTest, ResidualAndExportItemsFollowTheProtocolButton) {
  auto expectItems = [this](bool enabled, const char* step) {
    EXPECT_EQ(main_->BitBtn3->isEnabled(), enabled) << step;
    EXPECT_EQ(main_->Rezidua1->isEnabled(), enabled) << step;
    EXPECT_EQ(main_->Exportovat1->isEnabled(), enabled) << step;
    EXPECT_EQ(main_->UlozitKlic1->isEnabled(), enabled) << step;
    EXPECT_EQ(main_->UlozitZpravu1->isEnabled(), enabled) << step;
    EXPECT_EQ(main_->Residuals->IsFilled(), enabled) << step;
  };
  EXPECT_FALSE(main_->Rezidua1->isEnabled());
  Compute(5, kSimilarity);
  expectItems(true, "computed");
  const QString exported = folder_.filePath(QStringLiteral("klic.txt"));
  dialogs_->saveAnswers.push_back(exported);
  main_->Exportovat1->trigger();
  EXPECT_TRUE(dialogs_->messages.empty());
  EXPECT_EQ(ReadBytes(exported).rfind("+proj=affine +xoff=", 0), 0u);
  const QString report = folder_.filePath(QStringLiteral("zprava.pdf"));
  dialogs_->saveAnswers.push_back(report);
  main_->UlozitZpravu1->trigger();
  EXPECT_TRUE(dialogs_->messages.empty());
  EXPECT_EQ(dialogs_->lastSaveProposed, folder_.filePath(QStringLiteral("5.pdf")));
  EXPECT_EQ(ReadBytes(report).rfind("%PDF-", 0), 0u);
  DoubleClickCell(3, 1);
  expectItems(false, "point switched off");
  Click(main_->BitBtn1);
  expectItems(true, "computed again");
  ChooseType(kCongruence);
  expectItems(false, "type changed");
  Click(main_->BitBtn1);
  Click(main_->SpeedButton1);
  expectItems(false, "suspicious point excluded");
}

// A key saved from the window, applied later through the dialog, writes what
// TRANSFORMOVAT appended; a bad choice leaves the dialog open and writes nothing.
TEST_F(MainWindowTest, SavedKeyAppliedThroughTheDialog) {
  Compute(6, kSimilarity, 3);
  const QString key = folder_.filePath(QStringLiteral("klic.json"));
  dialogs_->saveAnswers.push_back(key);
  main_->UlozitKlic1->trigger();
  EXPECT_TRUE(dialogs_->messages.empty());
  EXPECT_EQ(dialogs_->lastSaveProposed, folder_.filePath(QStringLiteral("6_klic.json")));
  Click(main_->BitBtn2);
  EXPECT_EQ(protocol_->StatusText(), QStringLiteral("Transformace dokončena."));
  const QString protocol = protocol_->ProtocolText();
  const QString section = protocol.mid(protocol.indexOf(QStringLiteral("\nTransformace podr")));

  const QString points = folder_.filePath(QStringLiteral("6.txt"));
  const QString output = folder_.filePath(QStringLiteral("body.txt"));
  // The detail points of 6.txt as a surveyor's list (heading Y X Z, ";", decimal comma).
  const QString list = WriteFile(QStringLiteral("seznam.csv"),
                                 "Číslo;Y;X;Z\n9001;400,250;300,500;20,000\n"
                                 "9002;395,250;310,500;21,000\n9003;390,250;320,500;22,000\n");
  const QString bad = WriteFile(QStringLiteral("spatny.csv"), "9001;1;2\n");
  const QString listOutput = folder_.filePath(QStringLiteral("body.csv"));
  struct Case {
    QString key, points, output;
    bool listIn, listOut;
    bool accepted;
    MessageIcon icon;
  };
  const Case cases[] = {
      {points, points, output, false, false, false, MessageIcon::Error},  // no key
      {key, points, QString(), false, false, false, MessageIcon::None},   // no output file
      {key, points, output, false, false, true, MessageIcon::None},
      {key, bad, listOutput, true, true, false, MessageIcon::Error},     // a list it cannot read
      {key, list, listOutput, false, true, false, MessageIcon::Error},   // a list as a file
      {key, points, listOutput, true, true, false, MessageIcon::Error},  // and the reverse
      {key, list, listOutput, true, true, true, MessageIcon::None},
  };
  for (const Case& c : cases) {
    bool accepted = false;
    dialogs_->dialogScript = [&](QDialog* shown) {
      auto* dialog = qobject_cast<KeyApplicationDialog*>(shown);
      EXPECT_NE(dialog, nullptr);
      if (!dialog) return false;
      dialog->KeyFileEdit->setText(c.key);
      dialog->PointsFileEdit->setText(c.points);
      dialog->OutputFileEdit->setText(c.output);
      (c.listIn ? dialog->PointListInput : dialog->CoordinateFileInput)->setChecked(true);
      (c.listOut ? dialog->ListOutput : dialog->SectionOutput)->setChecked(true);
      dialog->DecimalsBox->setValue(6);
      dialog->TransformButton->click();
      accepted = dialog->result() == QDialog::Accepted;
      return accepted;
    };
    main_->TransformovatKlicem1->trigger();
    EXPECT_EQ(accepted, c.accepted) << c.points.toStdString();
    ASSERT_EQ(dialogs_->messages.size(), 1u);
    EXPECT_EQ(dialogs_->messages[0].icon, c.icon);
    // A file of the other kind than chosen: the message says which choice reads it.
    EXPECT_EQ(dialogs_->messages[0].text.endsWith(QStringLiteral("zvolte „seznam souřadnic“.")),
              c.points == list && !c.listIn);
    EXPECT_EQ(dialogs_->messages[0].text.endsWith(QStringLiteral("zvolte „soubor souřadnic“.")),
              c.points == points && c.listIn);
    dialogs_->messages.clear();
    EXPECT_EQ(QFile::exists(c.output), c.accepted);
  }
  EXPECT_EQ(ReadBytes(output), EncodeProtocolFile(section.toStdString()));
  // The list the window saves with the key it computed, in the list's own form.
  std::string expected, error;
  ASSERT_TRUE(TransformedPointsList(*Seznam, {';', ',', ColumnOrder::Yxz}, 6, expected, error));
  EXPECT_EQ(ReadBytes(listOutput), expected);
  EXPECT_EQ(expected.substr(0, 5), "9001;");
}

// "Zrušit" in the progress dialog stops the diagnostics, not the key: the key,
// its protocol and residuals stay, the diagnostic columns read "  /" and the
// protocol says why.
TEST_F(MainWindowTest, CancelledDiagnosticsKeepTheKey) {
  const QString path = WriteFile(QStringLiteral("velka.txt"), CoordinateFile(1500, 7, 1));
  Open(path);
  DoubleClickCell(3, 2);  // a point the user switched off stays off
  QString label;
  CancelNextComputation(&label);
  ChooseType(kSimilarity);
  Click(main_->BitBtn1);
  EXPECT_TRUE(QRegularExpression(QStringLiteral("^Výpočet bez bodu \\d+ \\(\\d+ z 1499\\)$"))
                  .match(label)
                  .hasMatch())
      << label.toStdString();
  ASSERT_TRUE(Seznam->KeyValid);  // the same key as uncancelled: tested with the drivers
  EXPECT_EQ(Seznam->GetUsedCount(), 1499);
  EXPECT_FALSE(Seznam->IdenticalPoints[1].Used);
  ExpectDiagnostics(1500, kBlank);
  ExpectLook(true, true, true, false);
  EXPECT_TRUE(main_->Residuals->IsFilled());
  TextLines protocol;
  Seznam->WriteProtocol(protocol, kSimilarity);
  EXPECT_EQ(protocol_->ProtocolText(),
            QString::fromStdString(protocol.Text()) +
                QStringLiteral("\nStřední chyby jednotkové bez jednotlivých "
                               "bodů nebyly vypočteny (výpočet přerušen).\n"));
  EXPECT_EQ(main_->findChild<QProgressDialog*>(QStringLiteral("ProgressDialog")), nullptr);
  EXPECT_TRUE(dialogs_->messages.empty());
}

// What the labels, the buttons, the menu items and the protocol offer after
// each step: nothing that belongs to other points or another key.
TEST_F(MainWindowTest, OnlyTheFiguresOfThePointsOnScreenAreOffered) {
  const QString blunder = WriteFile(QStringLiteral("b.txt"), CoordinateFile(8, 3, 1));
  const QString three = WriteFile(QStringLiteral("3.txt"), CoordinateFile(3, -1, 1));
  const QString bad = WriteFile(QStringLiteral("bad.txt"), "3\n1 2 3 4\nx\n");
  const QString big = WriteFile(QStringLiteral("big.txt"), CoordinateFile(1500, -1, 1));
  enum Protocol { kEmpty, kKey, kKeyWithoutDiagnostics };
  const QString number = QStringLiteral("#");  // any number
  const QRegularExpression numeric(QStringLiteral("^\\d+([.,]\\d+)?$"));
  const struct {
    const char* step;
    std::function<void()> act;
    QString m0, point;  // `number`: an m0 of the key
    bool key;           // BitBtn2, BitBtn3, "Rezidua", "Exportovat klíč…"
    bool exclude;       // SpeedButton1
    Protocol protocol;
  } steps[] = {
      {"open", [&] { Open(blunder); }, "-", "-", false, false, kEmpty},
      {"compute", [&] { Click(main_->BitBtn1); }, number, "110", true, true, kKey},
      {"toggle", [&] { DoubleClickCell(3, 4); }, "-", "-", false, false, kKey},
      {"compute again", [&] { Click(main_->BitBtn1); }, number, number, true, true, kKey},
      {"toggle back", [&] { DoubleClickCell(3, 4); }, "-", "-", false, false, kKey},
      {"compute, exclude", [&] { Click(main_->BitBtn1), Click(main_->SpeedButton1); }, number,
       number, false, false, kKey},
      {"open another", [&] { Open(three); }, "-", "-", false, false, kEmpty},
      {"compute", [&] { Click(main_->BitBtn1); }, number, "-", true, true, kKey},
      {"failed open", [&] { Open(bad), dialogs_->messages.clear(); }, "-", "-", false, false,
       kEmpty},
      {"open, cancel",
       [&] {
         Open(big);
         CancelNextComputation();
         Click(main_->BitBtn1);
       },
       number, "-", true, false, kKeyWithoutDiagnostics},
  };
  ChooseType(kSimilarity);
  for (const auto& step : steps) {
    SCOPED_TRACE(step.step);
    step.act();
    EXPECT_TRUE(dialogs_->messages.empty());
    for (const auto& [label, expected] :
         {std::pair{main_->Label2, step.m0}, {main_->Label4, step.point}}) {
      if (expected == number) {
        EXPECT_TRUE(numeric.match(label->text()).hasMatch()) << label->text().toStdString();
      } else {
        EXPECT_EQ(label->text(), expected);
      }
    }
    EXPECT_EQ(main_->BitBtn2->isEnabled(), step.key);
    EXPECT_EQ(main_->BitBtn3->isEnabled(), step.key);
    EXPECT_EQ(main_->Rezidua1->isEnabled(), step.key);
    EXPECT_EQ(main_->Exportovat1->isEnabled(), step.key);
    EXPECT_EQ(main_->Residuals->IsFilled(), step.key);
    EXPECT_EQ(main_->SpeedButton1->isEnabled(), step.exclude);
    const QString text = protocol_->ProtocolText();
    EXPECT_EQ(text.isEmpty(), step.protocol == kEmpty);
    EXPECT_EQ(text.startsWith(QStringLiteral("Program Ternavo")), step.protocol != kEmpty);
    EXPECT_EQ(text.contains(QStringLiteral("nebyly vypočteny")),
              step.protocol == kKeyWithoutDiagnostics);
  }
}

TEST_F(MainWindowTest, FailedLoadShowsExactlyOneErrorBox) {
  const QString format = QStringLiteral("Nesprávný formát souboru!!!");
  Open(WriteFile(QStringLiteral("ok.txt"), CoordinateFile(8, -1, 2)));
  Open(WriteFile(QStringLiteral("bad.txt"), "3\n1 2 3 4\nnot a number\n"));
  ExpectOnlyMessage(format, MessageIcon::Error, QStringLiteral("Error"));
  ExpectLook(false, false, false, false);
  EXPECT_EQ(main_->windowTitle(), QStringLiteral("Ternavo v2.0 "));
  const QString missing = folder_.filePath(QStringLiteral("missing.txt"));
  Open(missing);
  ExpectOnlyMessage(
      QStringLiteral("Soubor \"%1\" nelze otevřít: soubor nebo složka neexistuje").arg(missing),
      MessageIcon::Error, QStringLiteral("Error"));
}

TEST_F(MainWindowTest, DoubleClicksOutsideTheUseColumnAndTheProtocolButton) {
  Compute(4, kSimilarity);
  const QString text = protocol_->ProtocolText();
  for (const auto& [column, row] : {std::pair{0, 1}, {1, 2}, {2, 3}, {3, 0}}) {
    DoubleClickCell(column, row);
    EXPECT_EQ(Seznam->GetUsedCount(), 4) << column << "," << row;
    ExpectLook(true, true, true, true);
  }
  Click(main_->BitBtn3);
  EXPECT_TRUE(protocol_->close());
  Click(main_->BitBtn3);  // shows the same text again after closing
  EXPECT_TRUE(protocol_->isVisible());
  EXPECT_EQ(protocol_->ProtocolText(), text);
  DoubleClickCell(3, 4);  // the last row maps to the last point
  EXPECT_FALSE(Seznam->IdenticalPoints[3].Used);
  EXPECT_TRUE(Seznam->IdenticalPoints[0].Used);
  EXPECT_EQ(Cell(3, 4), kUnused);
  Click(main_->BitBtn1);  // the next computation hides the protocol
  EXPECT_FALSE(protocol_->isVisible());
}

TEST_F(MainWindowTest, SmallButtonWithoutAnySuspiciousPointStillDisables) {
  Compute(3, kSimilarity);  // with three points no diagnostic is valid
  EXPECT_EQ(main_->Label4->text(), QStringLiteral("-"));
  Click(main_->SpeedButton1);
  EXPECT_EQ(Seznam->GetUsedCount(), 3);
  EXPECT_EQ(Cell(3, 1), kUsed);
  ExpectLook(true, false, false, false);
}

TEST_F(MainWindowTest, TransformingTwiceAppendsTwoSectionsAndNeedsDetailPoints) {
  Compute(5, kCongruence, 3);
  const QString protocol = protocol_->ProtocolText();
  Click(main_->BitBtn2);
  Click(main_->BitBtn2);
  EXPECT_TRUE(dialogs_->messages.empty());
  const QString once = Reference(folder_.filePath(QStringLiteral("5.txt")), kCongruence).Detail();
  EXPECT_EQ(protocol_->ProtocolText(), protocol + once + once);
  dialogs_->messages.clear();
  Compute(6, kCongruence, 0);
  const QString computed = protocol_->ProtocolText();
  Click(main_->BitBtn2);
  ExpectOnlyMessage(QStringLiteral("Nejsou podrobné body !"));
  EXPECT_EQ(protocol_->ProtocolText(), computed);
  EXPECT_FALSE(protocol_->isVisible());
}

TEST_F(MainWindowTest, ControlsAndAboutBoxHaveTheirTextsUnclipped) {
  main_->Panel1->show();  // lays out the radio group; the initial texts stay
  EXPECT_EQ(main_->centralWidget()->size(), QSize(618, 460));
  auto item = [this](int i) {
    return main_->RadioGroup1->findChild<QRadioButton*>(QStringLiteral("RadioGroup1Item%1").arg(i));
  };
  const std::pair<QWidget*, const char*> texts[] = {{main_->Label5, "Celkový počet bodů :"},
                                                    {main_->Label6, "n"},
                                                    {main_->Label7, "Počet použitých bodů :"},
                                                    {main_->Label8, "X"},
                                                    {main_->Label1, "Střední chyba jednotková"},
                                                    {main_->Label2, "m(0) "},
                                                    {main_->Label3, "Podezřelý bod :"},
                                                    {main_->Label4, "XXX"},
                                                    {main_->BitBtn1, "Přepočítat klíč"},
                                                    {main_->BitBtn2, "TRANSFORMOVAT"},
                                                    {item(0), "     Obecná afinní"},
                                                    {item(1), "     Podobnostní"},
                                                    {item(2), "     Shodnostní"}};
  for (const auto& [widget, text] : texts) {
    ASSERT_NE(widget, nullptr) << text;
    const auto* label = qobject_cast<QLabel*>(widget);
    EXPECT_EQ(label ? label->text() : qobject_cast<QAbstractButton*>(widget)->text(),
              QString::fromUtf8(text));
    EXPECT_LE(widget->geometry().right(), main_->Panel1->contentsRect().right()) << text;
    if (!label) {
      EXPECT_LE(widget->sizeHint().width(), widget->width()) << text << " is clipped";
    }
  }
  EXPECT_TRUE(item(0)->isChecked());
  EXPECT_EQ(main_->RadioGroup1->title(), QStringLiteral("Typ transformace"));
  EXPECT_FALSE(main_->BitBtn3->icon().isNull());
  ASSERT_EQ(main_->MainMenu1->actions().size(), 4);
  // The texts as shown, without the mnemonic marks (their places are tested with the keyboard).
  auto shown = [](const QAction* action) {
    return QString(action->text()).remove(QLatin1Char('&'));
  };
  EXPECT_EQ(shown(main_->MainMenu1->actions()[0]), QStringLiteral("Soubor"));
  EXPECT_EQ(main_->MainMenu1->actions()[1], main_->Rezidua1);
  EXPECT_EQ(main_->MainMenu1->actions()[2], main_->Navod1);
  EXPECT_EQ(main_->MainMenu1->actions()[3], main_->Npovda1);
  QList<QAction*> items = main_->Soubor1->actions();
  items.removeIf([](const QAction* item) { return item->isSeparator(); });
  EXPECT_EQ(items, (QList<QAction*>{main_->Otevt1, main_->OtevritSeznamy1, main_->Exportovat1,
                                    main_->UlozitKlic1, main_->UlozitZpravu1, main_->UlozitBody1,
                                    main_->TransformovatKlicem1, main_->Konec1}));
  EXPECT_EQ(shown(main_->Otevt1), QStringLiteral("Otevřít"));
  EXPECT_EQ(shown(main_->Konec1), QStringLiteral("Konec"));
  EXPECT_EQ(shown(main_->Npovda1), QStringLiteral("O programu"));

  main_->Npovda1->trigger();
  TForm4& about = windows_->About();
  EXPECT_TRUE(about.isVisible());
  EXPECT_EQ(about.windowTitle(), QStringLiteral("  O programu"));
  EXPECT_EQ(about.Label1->text(), QStringLiteral("Ternavo v2.0"));
  EXPECT_EQ(about.Label2->text(),
            QStringLiteral("Program výpočet transformačního klíče a transformaci 3D souřadnic  "
                           "obecnou afinní, podobnostní a shodnostní transformací  metodou MNČ. "));
  EXPECT_GE(about.Label2->height(), about.Label2->heightForWidth(about.Label2->width()))
      << "the description is clipped";
}

TEST_F(MainWindowTest, EndEndsTheEventLoopWhileTheOtherWindowsAreOpen) {
  protocol_->ShowWithoutBlocking();
  main_->Residuals->show();
  windows_->About().ShowWithoutBlocking();
  QTimer::singleShot(0, main_->Konec1, &QAction::trigger);
  QTimer::singleShot(5000, [] { QCoreApplication::exit(7); });  // watchdog
  EXPECT_EQ(QCoreApplication::exec(), 0) << "the program went on running";
  EXPECT_FALSE(main_->isVisible());
  EXPECT_FALSE(main_->Residuals->isVisible());
}

// `ternavo FILE`, a dropped file, the recent files, and what the next run
// remembers: type, last folder, recent files, window size.
TEST_F(MainWindowTest, DesktopHabitsAndWhatTheNextRunRemembers) {
  const QString first = WriteFile(QStringLiteral("a&b.txt"), CoordinateFile(4, -1, 1));
  const QString second = WriteFile(QStringLiteral("druhý.txt"), CoordinateFile(5, -1, 1));
  EXPECT_TRUE(main_->StartHint->isVisible());
  EXPECT_FALSE(main_->OpenFromCommandLine({QStringLiteral("ternavo")}));
  ASSERT_TRUE(main_->OpenFromCommandLine({QStringLiteral("ternavo"), first}));
  EXPECT_EQ(main_->windowTitle(), QStringLiteral("Ternavo v2.0 ") + first);
  EXPECT_FALSE(main_->StartHint->isVisible());

  QMimeData mime;
  mime.setUrls({QUrl::fromLocalFile(second)});
  QDragEnterEvent enter(QPoint(100, 100), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(main_, &enter);
  EXPECT_TRUE(enter.isAccepted());
  QDropEvent drop(QPointF(100, 100), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(main_, &drop);
  EXPECT_TRUE(drop.isAccepted());
  QApplication::processEvents();
  EXPECT_EQ(main_->windowTitle(), QStringLiteral("Ternavo v2.0 ") + second);
  EXPECT_EQ(main_->RecentFiles(), QStringList({second, first}));
  ASSERT_EQ(main_->findChildren<QAction*>(QStringLiteral("RecentFile2")).size(), 1);
  EXPECT_EQ(main_->findChild<QAction*>(QStringLiteral("RecentFile2"))->text(),
            QStringLiteral("&2 a&&b.txt   (%1)").arg(folder_.path()));

  ChooseType(kCongruence);
  main_->resize(900, 700);
  main_->close();
  windows_.reset();  // the next run
  windows_ = std::make_unique<ProgramWindows>();
  main_ = &windows_->Main();
  protocol_ = &windows_->Protocol();
  EXPECT_EQ(main_->RadioGroup1ItemIndex(), kCongruence);
  EXPECT_EQ(main_->size(), QSize(900, 700));
  EXPECT_EQ(main_->RecentFiles(), QStringList({second, first}));
  dialogs_->openAnswers.push_back(std::nullopt);
  main_->Otevt1->trigger();
  EXPECT_EQ(dialogs_->lastOpenDirectory, folder_.path());

  main_->findChild<QAction*>(QStringLiteral("RecentFile2"))->trigger();
  EXPECT_EQ(main_->windowTitle(), QStringLiteral("Ternavo v2.0 ") + first);
  EXPECT_EQ(main_->RecentFiles(), QStringList({first, second}));
  ASSERT_TRUE(QFile::remove(second));  // a file gone since: said, and off the list
  main_->findChild<QAction*>(QStringLiteral("RecentFile2"))->trigger();
  ASSERT_EQ(dialogs_->messages.size(), 1u);
  dialogs_->messages.clear();
  EXPECT_EQ(main_->RecentFiles(), QStringList({first}));
}

TEST_F(MainWindowTest, AboutBoxClosesWithEscapeAndTheGuideIsFound) {
  main_->Npovda1->trigger();
  TForm4& about = windows_->About();
  ASSERT_TRUE(about.isVisible());
  QTest::keyClick(&about, Qt::Key_Escape);
  EXPECT_FALSE(about.isVisible());
  main_->Navod1->trigger();
  auto* guide = main_->findChild<QTextBrowser*>(QStringLiteral("GuideWindow"));
  ASSERT_NE(guide, nullptr);
  EXPECT_TRUE(guide->isVisible());
  EXPECT_TRUE(guide->toPlainText().contains(QStringLiteral("Postup práce")));
}

TEST(ErrorReport, FullStopOnlyAfterALetterOrDigit) {
  const char* cases[][2] = {{"Dělení nulou", "Dělení nulou."},
                            {"Chyba 5", "Chyba 5."},
                            {"Hotovo.", "Hotovo."},
                            {"Pozor !", "Pozor !"},
                            {"Přetečení ý", "Přetečení ý."},
                            {"konec ", "konec "},
                            {"", ""}};
  for (const auto& c : cases)
    EXPECT_EQ(ErrorReportText(QString::fromUtf8(c[0])), QString::fromUtf8(c[1])) << c[0];
}

TEST_F(MainWindowTest, ErrorLeavingAHandlerIsReportedAndTheProgramGoesOn) {
  RunHandler(main_, [] { throw ArithmeticFault(FaultKind::Overflow, "Přetečení při výpočtu"); });
  ExpectOnlyMessage(QStringLiteral("Přetečení při výpočtu."), MessageIcon::Error);
  RunHandler(main_, [] { throw std::bad_alloc(); });
  ExpectOnlyMessage(QStringLiteral("Nedostatek paměti."), MessageIcon::Error);
  RunHandler(main_, [] {
    BusyCursor busy;
    throw std::runtime_error("x");
  });
  EXPECT_EQ(QApplication::overrideCursor(), nullptr) << "a busy cursor outlived a throw";
}

}  // namespace
}  // namespace ternavo::testing
