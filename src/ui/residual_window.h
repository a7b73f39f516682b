// The residual window "Rezidua": the residuals on the identical points and
// the precision of the key's parameters as tables, and a plan view of the
// points with their residuals drawn as exaggerated arrows.
#pragma once

#include <array>
#include <optional>
#include <vector>

#include <QString>
#include <QWidget>

#include "adjustment/key_quality.h"
#include "adjustment/outlier_test.h"
#include "render/residual_picture.h"
#include "text/text_lines.h"

class QDoubleSpinBox;
class QLabel;
class QPainter;
class QPushButton;
class QTableWidget;

namespace ternavo {

// The plan view: target X up, target Y to the right.
class ResidualPlot : public QWidget {
  Q_OBJECT

 public:
  explicit ResidualPlot(QWidget* parent = nullptr);

  // Points to draw (the key's residuals with their target positions), the
  // suspicious point's index or -1, and the outliers of the test.
  void SetData(const KeyQuality& quality, std::vector<std::array<Extended, 2>> targetXY,
               int suspicious, std::vector<bool> outliers = {});
  void ClearData();
  bool HasData() const { return picture_.HasData(); }

  // Draws the whole picture into `area` (the window, a PNG or an SVG).
  void Render(QPainter& painter, const QRectF& area) const { picture_.Render(painter, area); }
  // The tooltip text of the point drawn nearest to `position` (within a few
  // pixels of the widget's own picture), or an empty text.
  QString ToolTipAt(const QPointF& position) const;
  // Widget position of point i in the widget's own picture.
  QPointF PointPosition(int i) const;
  // Residual exaggeration of the arrows in the widget's own picture.
  double Exaggeration() const { return picture_.Exaggeration(QRectF(rect())); }
  // The wheel zooms about the cursor, a drag pans; this shows every point again.
  void ResetView();
  double Zoom() const { return picture_.Zoom(); }
  int LabelsDrawn() const { return picture_.LabelsDrawn(); }

  QSize sizeHint() const override { return {520, 440}; }

 protected:
  void paintEvent(QPaintEvent* event) override;
  bool event(QEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  ResidualPicture picture_;
  std::optional<QPointF> dragFrom_;
};

class ResidualWindow : public QWidget {
  Q_OBJECT

 public:
  explicit ResidualWindow(QWidget* parent = nullptr);

  // Shows the residuals and precision of the key just computed (the caller
  // runs it after a successful computation: KeyValid). Without a key it
  // clears the window.
  void Fill(const TSeznam& seznam, TTypTransformace type);
  // Empties the tables and the picture and disables the buttons.
  void Clear();
  bool IsFilled() const { return quality_.Valid; }

  // The report section, as WriteResidualReport writes it.
  TextLines ReportSection() const;

  // Handlers of the three buttons; the sender is ignored.
  void AppendButtonClick(QObject* sender);
  void CsvButtonClick(QObject* sender);
  void PictureButtonClick(QObject* sender);

  // Writes the picture: SVG when the name ends in ".svg", PNG otherwise.
  // Throws std::runtime_error with a text for the user when it fails.
  void SavePicture(const QString& path) const;

  // The level of the outlier tests (percent) and the a-priori sigma (metres,
  // 0: not given); changing either tests again.
  QDoubleSpinBox* AlphaSpin = nullptr;
  QDoubleSpinBox* SigmaSpin = nullptr;
  QLabel* TestLabel = nullptr;
  TestSettings Settings() const;
  const OutlierTests& Tests() const { return tests_; }

  QLabel* SummaryLabel = nullptr;
  QTableWidget* ResidualTable = nullptr;
  QTableWidget* ParameterTable = nullptr;
  ResidualPlot* Plot = nullptr;
  QPushButton* AppendButton = nullptr;
  QPushButton* CsvButton = nullptr;
  QPushButton* PictureButton = nullptr;
  QPushButton* WholeViewButton = nullptr;

 signals:
  // "Připojit do protokolu": the section to append below the protocol.
  void AppendToProtocol(const ternavo::TextLines& section);

 private:
  void SetButtonsEnabled(bool enabled);
  // Runs the tests with the window's settings and shows them.
  void ShowTests();
  KeyQuality quality_;
  TSeznam points_;  // the computation the window shows, for testing again
  int suspicious_ = -1;
  OutlierTests tests_;
};

// Filters and suffixes of the two save dialogs.
extern const char* const kResidualCsvFilter;      // "*.csv (*.csv)"
extern const char* const kResidualPictureFilter;  // PNG or SVG

}  // namespace ternavo
