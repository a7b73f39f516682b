// "Otevřít seznamy souřadnic…" and "Uložit transformované body…" in the window.
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QSpinBox>

#include "ui/lists_dialog.h"
#include "ui_test_support.h"

namespace ternavo::testing {
namespace {

const QString kExamples = QStringLiteral(TERNAVO_SOURCE_DIR "/examples/");

class ListsWindowTest : public WindowTest {
 protected:
  // Chooses both lists through the dialog's file buttons and presses OK.
  void OpenLists(const QString& source, const QString& target, QString* counts = nullptr) {
    dialogs_->dialogScript = [&](QDialog* dialog) {
      auto* lists = dynamic_cast<ListsDialog*>(dialog);
      if (!lists) return false;
      dialogs_->openAnswers = {source, target};
      lists->Browse[0]->click();
      lists->Browse[1]->click();
      if (counts) *counts = lists->Counts->text();
      if (const char* dir = std::getenv("TERNAVO_SCREENSHOT_DIR"); dir && counts) {
        lists->resize(760, 520);
        lists->grab().save(QString::fromLocal8Bit(dir) + QStringLiteral("/lists_dialog.png"));
      }
      return lists->OkButton->isEnabled();
    };
    main_->OtevritSeznamy1->trigger();
  }
};

TEST_F(ListsWindowTest, OpenComputeAndSaveTheTransformedPoints) {
  QString counts;
  OpenLists(kExamples + "cadastral_source.csv", kExamples + "cadastral_target.csv", &counts);
  EXPECT_EQ(counts, QString::fromUtf8("Identické body (páry): 10    Podrobné body: 14    "
                                      "Body cílového seznamu bez páru: 1"));
  EXPECT_EQ(Cell(0, 1), QStringLiteral("600110013101"));
  ASSERT_EQ(dialogs_->messages.size(), 1u);  // the unpaired target point
  EXPECT_TRUE(dialogs_->messages[0].text.endsWith(QStringLiteral("(1): 600110013199")));

  // A pair that cannot be read changes nothing the window shows.
  dialogs_->messages.clear();
  OpenLists(kExamples + "site_source.txt", QStringLiteral("/nonexistent/list.txt"));
  EXPECT_EQ(Cell(0, 1), QStringLiteral("600110013101"));
  EXPECT_TRUE(dialogs_->messages.empty());

  EXPECT_FALSE(main_->UlozitBody1->isEnabled());
  Click(main_->BitBtn1);
  ASSERT_TRUE(main_->UlozitBody1->isEnabled());
  const QString out = QDir(folder_.path()).filePath(QStringLiteral("out.csv"));
  dialogs_->saveAnswers = {out};
  dialogs_->dialogScript = [](QDialog* dialog) {
    auto* decimals = dialog->findChild<QSpinBox*>(QStringLiteral("Decimals"));
    if (!decimals) return false;
    decimals->setValue(2);
    return true;
  };
  main_->UlozitBody1->trigger();
  const std::string bytes = ReadBytes(out);
  // The target list's conventions: Y;X;Z, a decimal comma, CR LF; two decimals.
  const QString first = QString::fromStdString(bytes.substr(0, bytes.find('\n') + 1));
  EXPECT_TRUE(
      QRegularExpression(QStringLiteral("^600110014201;7430\\d\\d,\\d\\d;10444\\d\\d,\\d\\d;"
                                        "2\\d\\d,\\d\\d\r\n$"))
          .match(first)
          .hasMatch())
      << first.toStdString();
}

}  // namespace
}  // namespace ternavo::testing
