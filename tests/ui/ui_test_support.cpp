#include "ui_test_support.h"

#include <cmath>
#include <cstdio>

#include <QFile>
#include <QHeaderView>

namespace ternavo::testing {

std::optional<QString> NextAnswer(Answers& answers) {
  if (answers.empty()) {
    ADD_FAILURE() << "unexpected file dialog";
    return std::nullopt;
  }
  const std::optional<QString> answer = answers.front();
  answers.pop_front();
  if (!answer) return std::nullopt;
  return *answer;
}

std::string CoordinateFile(int count, int blunderIndex, int detailCount, bool flat) {
  // target = T + s * Rz(kappa) * source
  const double scale = 1.0002, c = std::cos(0.3), s = std::sin(0.3);
  char line[160];
  std::snprintf(line, sizeof line, "%d\n", count);
  std::string text = line;
  for (int i = 0; i < count; ++i) {
    const double x = 100 + (137 * i) % 900;
    const double y = 50 + (311 * i + 90 * (i % 3)) % 800;
    const double z = flat ? 0.0 : 10 + (17 * i) % 40;
    const double noise = 0.004 * ((i * 7) % 5 - 2);
    const double tx = 5000 + scale * (c * x - s * y) + noise + (i == blunderIndex ? 0.8 : 0.0);
    std::snprintf(line, sizeof line, "%d %.4f %.4f %.4f\n%.4f %.4f %.4f\n", PointNumber(i), tx,
                  7000 + scale * (s * x + c * y) - noise, 200 + scale * z + noise / 2, x, y, z);
    text += line;
  }
  std::snprintf(line, sizeof line, "%d\n", detailCount);
  text += line;
  for (int i = 0; i < detailCount; ++i) {
    std::snprintf(line, sizeof line, "%d %.3f %.3f %.3f\n", 9001 + i, 300.5 + 10 * i,
                  400.25 - 5 * i, 20.0 + i);
    text += line;
  }
  return text;
}

std::string ReadBytes(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll().toStdString() : std::string();
}

void WindowTest::SetUp() {
  ASSERT_TRUE(folder_.isValid());
  auto dialogs = std::make_unique<ScriptedDialogs>();
  dialogs_ = dialogs.get();
  previousDialogs_ = SetDialogs(std::move(dialogs));
  OpenSettings()->clear();  // every test starts as on a first run
  windows_ = std::make_unique<ProgramWindows>();
  main_ = &windows_->Main();
  protocol_ = &windows_->Protocol();
  main_->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(main_));
}

QString WindowTest::WriteFile(const QString& name, const std::string& bytes) {
  const QString path = folder_.filePath(name);
  QFile file(path);
  EXPECT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(bytes.data(), static_cast<qint64>(bytes.size()));
  return path;
}

void WindowTest::ChooseType(int index) {
  auto* item =
      main_->RadioGroup1->findChild<QRadioButton*>(QStringLiteral("RadioGroup1Item%1").arg(index));
  ASSERT_NE(item, nullptr);
  QTest::mouseClick(item, Qt::LeftButton, {}, QPoint(6, item->height() / 2));
  ASSERT_EQ(main_->RadioGroup1ItemIndex(), index);
}

void WindowTest::DoubleClickCell(int column, int row) {
  PointTable* table = main_->StringGrid1;
  QWidget* target = table->viewport();
  QPoint point = table->GridCellRect(column, row).center();
  if (row == 0) {
    target = table->horizontalHeader()->viewport();
    point = QPoint(table->horizontalHeader()->sectionViewportPosition(column - 1) + 20, 12);
  } else if (column == 0) {
    target = table->verticalHeader()->viewport();
    point = QPoint(20, table->verticalHeader()->sectionViewportPosition(row - 1) + 12);
  }
  QTest::mouseClick(target, Qt::LeftButton, {}, point);
  QTest::mouseDClick(target, Qt::LeftButton, {}, point);
}

void WindowTest::ExpectLook(bool shown, bool transform, bool protocol, bool exclude) const {
  EXPECT_EQ(main_->StringGrid1->isVisible(), shown);
  EXPECT_EQ(main_->Panel1->isVisible(), shown);
  EXPECT_EQ(main_->BitBtn2->isEnabled(), transform);
  EXPECT_EQ(main_->BitBtn3->isEnabled(), protocol);
  EXPECT_EQ(main_->SpeedButton1->isEnabled(), exclude);
  EXPECT_TRUE(main_->BitBtn1->isEnabled());
}

void WindowTest::ExpectOnlyMessage(const QString& text, MessageIcon icon, const QString& caption) {
  ASSERT_EQ(dialogs_->messages.size(), 1u) << "messages shown";
  EXPECT_EQ(dialogs_->messages[0].caption, caption);
  EXPECT_EQ(dialogs_->messages[0].text, text);
  EXPECT_EQ(dialogs_->messages[0].icon, icon);
  dialogs_->messages.clear();
}

}  // namespace ternavo::testing
