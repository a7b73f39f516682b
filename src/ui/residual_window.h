// The residual window "Rezidua": the residuals on the identical points and
// the precision of the key's parameters as tables, and a plan view of the
// points with their residuals drawn as exaggerated arrows.
#pragma once

#include <array>
#include <vector>

#include <QString>
#include <QWidget>

#include "adjustment/key_quality.h"
#include "text/text_lines.h"

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

  // Points to draw (the key's residuals with their target positions); the
  // suspicious point's index or -1.
  void SetData(const KeyQuality& quality, std::vector<std::array<Extended, 2>> targetXY,
               int suspicious);
  void ClearData();
  bool HasData() const { return !points_.empty(); }

  // Draws the whole picture into `area` (the window, a PNG or an SVG).
  void Render(QPainter& painter, const QRectF& area) const;
  // The tooltip text of the point drawn nearest to `position` (within a few
  // pixels of the widget's own picture), or an empty text.
  QString ToolTipAt(const QPointF& position) const;
  // Widget position of point i in the widget's own picture.
  QPointF PointPosition(int i) const;
  // Residual exaggeration of the arrows in the widget's own picture.
  double Exaggeration() const { return Layout(QRectF(rect())).exaggeration; }

  QSize sizeHint() const override { return {520, 440}; }

 protected:
  void paintEvent(QPaintEvent* event) override;
  bool event(QEvent* event) override;

 private:
  struct Point {
    std::string name;
    bool used;
    double x, y;    // target X (north), target Y (east)
    double vx, vy;  // residuals in X and Y
    PointResidual residual;
  };
  struct Frame {
    QRectF plot;                // the drawing area inside the axes
    double minY = 0, maxX = 0;  // the data at the plot's top-left corner
    double pixelsPerMetre = 1;
    double exaggeration = 1;
    double barResidual = 0;  // residual length of the arrow scale bar
    QPointF Map(double x, double y) const {
      return {plot.left() + (y - minY) * pixelsPerMetre, plot.top() + (maxX - x) * pixelsPerMetre};
    }
  };
  Frame Layout(const QRectF& area) const;

  std::vector<Point> points_;
  int suspicious_ = -1;
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

  QLabel* SummaryLabel = nullptr;
  QTableWidget* ResidualTable = nullptr;
  QTableWidget* ParameterTable = nullptr;
  ResidualPlot* Plot = nullptr;
  QPushButton* AppendButton = nullptr;
  QPushButton* CsvButton = nullptr;
  QPushButton* PictureButton = nullptr;

 signals:
  // "Připojit do protokolu": the section to append below the protocol.
  void AppendToProtocol(const ternavo::TextLines& section);

 private:
  void SetButtonsEnabled(bool enabled);
  KeyQuality quality_;
};

// Filters and suffixes of the two save dialogs.
extern const char* const kResidualCsvFilter;      // "*.csv (*.csv)"
extern const char* const kResidualPictureFilter;  // PNG or SVG

}  // namespace ternavo
