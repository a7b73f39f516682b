// The plan view of the identical points with their residuals drawn as
// exaggerated arrows: target X up, target Y to the right. Drawn with a plain
// QPainter, so the residual window, a picture file and the printed report
// show the same picture.
#pragma once

#include <array>
#include <vector>

#include <QColor>
#include <QPointF>
#include <QRectF>
#include <QString>

#include "adjustment/key_quality.h"

class QPainter;

namespace ternavo {

// Colours the windows share with the picture.
extern const QColor kUnusedPointColour;
extern const QColor kSuspiciousColour;
extern const QColor kOutlierColour;

class ResidualPicture {
 public:
  // Points to draw (the key's residuals with their target positions), the
  // suspicious point's index or -1, and which points the test found to be
  // outliers (empty: none).
  void SetData(const KeyQuality& quality, std::vector<std::array<Extended, 2>> targetXY,
               int suspicious, std::vector<bool> outliers = {});
  void ClearData();
  bool HasData() const { return !points_.empty(); }

  // Draws the whole picture into `area`.
  void Render(QPainter& painter, const QRectF& area) const;
  // Position of point i in a picture drawn into `area`.
  QPointF PointPosition(const QRectF& area, int i) const;
  // The point drawn nearest to `position`, within `radius`; -1 for none.
  int PointAt(const QRectF& area, const QPointF& position, double radius) const;
  // The description of point i: number, marks, residuals, use.
  QString PointText(int i) const;
  // Residual exaggeration of the arrows in a picture drawn into `area`.
  double Exaggeration(const QRectF& area) const { return Layout(area).exaggeration; }

  // The view: 1 and no shift show every point. Zooming keeps the spot under
  // `position` in place; panning moves the picture by `pixels`. The arrows
  // keep the exaggeration of the whole view, so they grow with the zoom.
  void ZoomAt(const QRectF& area, const QPointF& position, double factor);
  void PanBy(const QRectF& area, const QPointF& pixels);
  void ResetView() { zoom_ = 1, panX_ = 0, panY_ = 0; }
  double Zoom() const { return zoom_; }
  // Target X and Y shown at `position` of a picture drawn into `area`.
  QPointF DataAt(const QRectF& area, const QPointF& position) const;
  // Points whose numbers were drawn in the last picture (the others would
  // have overlapped; their tooltips still name them).
  int LabelsDrawn() const { return labelsDrawn_; }

 private:
  struct Point {
    std::string name;
    bool used;
    bool outlier;
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
    bool narrow = false;     // short titles, the legend on a row of its own
    QPointF Map(double x, double y) const {
      return {plot.left() + (y - minY) * pixelsPerMetre, plot.top() + (maxX - x) * pixelsPerMetre};
    }
  };
  Frame Layout(const QRectF& area) const;

  std::vector<Point> points_;
  int suspicious_ = -1;
  bool anyOutlier_ = false;
  double zoom_ = 1, panX_ = 0, panY_ = 0;  // panX_ along target X, panY_ along Y [m]
  mutable int labelsDrawn_ = 0;
};

}  // namespace ternavo
