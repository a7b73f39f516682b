#include "ui_test_support.h"

#include <cmath>
#include <cstdio>

#include <QApplication>
#include <QFile>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

namespace ternavo::testing {

void ScriptedDialogs::ShowMessage(QWidget*, const QString& caption, const QString& text,
                                  MessageIcon icon) {
  const QCursor* cursor = QApplication::overrideCursor();
  messages.push_back({caption, text, icon, cursor && cursor->shape() == Qt::WaitCursor});
}

std::optional<QString> ScriptedDialogs::GetOpenFileName(QWidget*) {
  ++openRequests;
  if (openAnswers.empty()) {
    ADD_FAILURE() << "unexpected open dialog";
    return std::nullopt;
  }
  const bool cancelled = !openAnswers.front().has_value();
  const QString path = cancelled ? QString() : *openAnswers.front();
  openAnswers.pop_front();
  if (cancelled) return std::nullopt;
  return path;
}

std::optional<QString> ScriptedDialogs::GetSaveFileName(QWidget*, const QString& filter,
                                                        const QString& defaultSuffix) {
  lastSaveFilter = filter;
  lastSaveSuffix = defaultSuffix;
  if (saveAnswers.empty()) {
    ADD_FAILURE() << "unexpected save dialog";
    return std::nullopt;
  }
  const bool cancelled = !saveAnswers.front().has_value();
  const QString path = cancelled ? QString() : *saveAnswers.front();
  saveAnswers.pop_front();
  if (cancelled) return std::nullopt;
  return path;
}

int PointNumber(int index) { return 101 + 3 * index; }

std::string CoordinateFile(int count, int blunderIndex, int detailCount, bool flat) {
  // target = T + s * Rz(kappa) * source
  const double kappa = 0.3;
  const double scale = 1.0002;
  const double c = std::cos(kappa);
  const double s = std::sin(kappa);
  std::string text;
  char line[160];
  std::snprintf(line, sizeof line, "%d\n", count);
  text += line;
  for (int i = 0; i < count; ++i) {
    const double x = 100 + (137 * i) % 900;
    const double y = 50 + (311 * i + 90 * (i % 3)) % 800;
    const double z = flat ? 0.0 : 10 + (17 * i) % 40;
    const double noise = 0.004 * ((i * 7) % 5 - 2);
    double tx = 5000 + scale * (c * x - s * y) + noise;
    const double ty = 7000 + scale * (s * x + c * y) - noise;
    const double tz = 200 + scale * z + noise / 2;
    if (i == blunderIndex) tx += 0.8;
    std::snprintf(line, sizeof line, "%d %.4f %.4f %.4f\n%.4f %.4f %.4f\n", PointNumber(i), tx,
                  ty, tz, x, y, z);
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

void WindowTest::SetUp() {
  ASSERT_TRUE(folder_.isValid());
  auto dialogs = std::make_unique<ScriptedDialogs>();
  dialogs_ = dialogs.get();
  previousDialogs_ = SetDialogs(std::move(dialogs));
  windows_ = std::make_unique<ProgramWindows>();
  main_ = &windows_->Main();
  protocol_ = &windows_->Protocol();
  main_->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(main_));
}

void WindowTest::TearDown() {
  windows_.reset();
  SetDialogs(std::move(previousDialogs_));
  dialogs_ = nullptr;
}

QString WindowTest::WriteFile(const QString& name, const std::string& bytes) {
  const QString path = folder_.filePath(name);
  QFile file(path);
  EXPECT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(bytes.data(), static_cast<qint64>(bytes.size()));
  return path;
}

void WindowTest::Open(const std::optional<QString>& path) {
  dialogs_->openAnswers.push_back(path);
  main_->Otevt1->trigger();
}

void WindowTest::ChooseType(int index) {
  auto* item = main_->RadioGroup1->findChild<QRadioButton*>(QStringLiteral("RadioGroup1Item%1").arg(index));
  ASSERT_NE(item, nullptr);
  QTest::mouseClick(item, Qt::LeftButton, {}, QPoint(6, item->height() / 2));
  ASSERT_EQ(main_->RadioGroup1ItemIndex(), index);
}

void WindowTest::Click(QWidget* button) {
  ASSERT_TRUE(button->isVisible());
  QTest::mouseClick(button, Qt::LeftButton, {}, button->rect().center());
}

void WindowTest::DoubleClickCell(int column, int row) {
  PointTable* table = main_->StringGrid1;
  QWidget* target = table->viewport();
  QPoint point;
  if (row == 0) {
    target = table->horizontalHeader()->viewport();
    point = QPoint(table->horizontalHeader()->sectionViewportPosition(column - 1) + 20, 12);
  } else if (column == 0) {
    target = table->verticalHeader()->viewport();
    point = QPoint(20, table->verticalHeader()->sectionViewportPosition(row - 1) + 12);
  } else {
    point = table->GridCellRect(column, row).center();
  }
  QTest::mouseClick(target, Qt::LeftButton, {}, point);
  QTest::mouseDClick(target, Qt::LeftButton, {}, point);
}

QString WindowTest::Cell(int column, int row) const {
  return main_->StringGrid1->ShownText(column, row);
}

std::vector<QString> WindowTest::MessageTexts() const {
  std::vector<QString> texts;
  for (const ShownMessage& message : dialogs_->messages) texts.push_back(message.text);
  return texts;
}

void WindowTest::ExpectLook(bool shown, bool transform, bool protocol, bool exclude) const {
  EXPECT_EQ(main_->StringGrid1->isVisible(), shown);
  EXPECT_EQ(main_->Panel1->isVisible(), shown);
  EXPECT_EQ(main_->BitBtn2->isEnabled(), transform);
  EXPECT_EQ(main_->BitBtn3->isEnabled(), protocol);
  EXPECT_EQ(main_->SpeedButton1->isEnabled(), exclude);
  EXPECT_TRUE(main_->BitBtn1->isEnabled());
}

std::string ReadBytes(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return {};
  return file.readAll().toStdString();
}

}  // namespace ternavo::testing
