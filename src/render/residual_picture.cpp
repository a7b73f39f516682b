#include "render/residual_picture.h"

#include <algorithm>
#include <cmath>

#include <QFontMetricsF>
#include <QPainter>
#include <QPolygonF>

#include "render/fonts.h"
#include "report/residual_report.h"
#include "text/messages.h"
#include "text/number_format.h"

namespace ternavo {

const QColor kUnusedPointColour(120, 120, 120);
const QColor kSuspiciousColour(200, 0, 0);
const QColor kOutlierColour(200, 0, 0);

namespace {

// Narrower pictures get the short titles and a two-row legend.
constexpr double kFullWidth = 640;

const QColor kUsedColour(31, 78, 153);
const QColor kArrowColour(214, 72, 15);
const QColor kGridColour(225, 228, 234);

QString Q(const std::string& s) { return QString::fromStdString(s); }

// 1, 2 or 5 times a power of ten, at most `value`.
double NiceBelow(double value) {
  if (!(value > 0) || !std::isfinite(value)) return 1;
  const double power = std::pow(10.0, std::floor(std::log10(value)));
  const double mantissa = value / power;
  const double nice = mantissa >= 5 ? 5 : mantissa >= 2 ? 2 : 1;
  return nice * power;
}

// A tick or bar value with just the decimals its step needs.
QString Value(double v, double step) {
  const int decimals = std::clamp(static_cast<int>(-std::floor(std::log10(step) + 1e-9)), 0, 6);
  return Q(FormatFixed(static_cast<Extended>(v), 15, decimals));
}

QString ExaggerationText(double factor) {
  return Q(FormatFixed(static_cast<Extended>(factor), 15, factor >= 1 ? 0 : 4)) + "×";
}

void DrawArrow(QPainter& p, const QPointF& from, const QPointF& to) {
  const QLineF line(from, to);
  if (line.length() < 0.5) return;
  p.drawLine(line);
  const double head = std::min(7.0, line.length() / 2);
  const double angle = std::atan2(-line.dy(), line.dx());
  QPolygonF tip;
  tip << to << to - QPointF(std::cos(angle - 0.45) * head, -std::sin(angle - 0.45) * head)
      << to - QPointF(std::cos(angle + 0.45) * head, -std::sin(angle + 0.45) * head);
  p.setBrush(p.pen().color());
  p.drawPolygon(tip);
}

}  // namespace

void ResidualPicture::SetData(const KeyQuality& quality,
                              std::vector<std::array<Extended, 2>> targetXY, int suspicious,
                              std::vector<bool> outliers) {
  points_.clear();
  anyOutlier_ = false;
  for (std::size_t i = 0; i < quality.Residuals.size() && i < targetXY.size(); ++i) {
    const PointResidual& r = quality.Residuals[i];
    const bool outlier = i < outliers.size() && outliers[i];
    anyOutlier_ = anyOutlier_ || outlier;
    points_.push_back({r.Name, r.Used, outlier, static_cast<double>(targetXY[i][0]),
                       static_cast<double>(targetXY[i][1]), static_cast<double>(r.V[0]),
                       static_cast<double>(r.V[1]), r});
  }
  suspicious_ = suspicious;
}

void ResidualPicture::ClearData() {
  points_.clear();
  suspicious_ = -1;
  anyOutlier_ = false;
}

ResidualPicture::Frame ResidualPicture::Layout(const QRectF& area) const {
  Frame f;
  // Below this width the long title and the one-row legend do not fit.
  f.narrow = area.width() < kFullWidth;
  f.plot = area.adjusted(78, 52, -18, f.narrow ? -98 : -78);
  if (points_.empty() || f.plot.width() < 10 || f.plot.height() < 10) return f;
  double minX = points_[0].x, maxX = minX, minY = points_[0].y, maxY = minY;
  // The arrows are scaled to the points the key used: a switched-off
  // point's large residual would shrink them all to nothing.
  double maxV = 0, maxUsedV = 0;
  for (const Point& p : points_) {
    minX = std::min(minX, p.x), maxX = std::max(maxX, p.x);
    minY = std::min(minY, p.y), maxY = std::max(maxY, p.y);
    maxV = std::max(maxV, std::hypot(p.vx, p.vy));
    if (p.used) maxUsedV = std::max(maxUsedV, std::hypot(p.vx, p.vy));
  }
  if (maxUsedV > 0) maxV = maxUsedV;
  double spanX = maxX - minX, spanY = maxY - minY;
  const double span = std::max({spanX, spanY, 1.0});
  // A margin around the points leaves room for the arrows and the numbers.
  const double pad = 0.12 * span;
  spanX += 2 * pad, spanY += 2 * pad;
  const double whole = std::min(f.plot.width() / spanY, f.plot.height() / spanX);
  f.pixelsPerMetre = whole * zoom_;
  // Centre the data (moved by the pan) in the plot, one scale for both axes.
  f.minY = (minY + maxY) / 2 + panY_ - f.plot.width() / f.pixelsPerMetre / 2;
  f.maxX = (minX + maxX) / 2 + panX_ + f.plot.height() / f.pixelsPerMetre / 2;
  // The longest arrow gets about a sixth of the whole view.
  const double longest = std::min(f.plot.width(), f.plot.height()) / 6;
  f.exaggeration = maxV > 0 ? NiceBelow(longest / (maxV * whole)) : 1;
  f.barResidual = NiceBelow(90 / (f.exaggeration * f.pixelsPerMetre));
  return f;
}

QPointF ResidualPicture::DataAt(const QRectF& area, const QPointF& position) const {
  const Frame f = Layout(area);
  return {f.maxX - (position.y() - f.plot.top()) / f.pixelsPerMetre,
          f.minY + (position.x() - f.plot.left()) / f.pixelsPerMetre};
}

void ResidualPicture::ZoomAt(const QRectF& area, const QPointF& position, double factor) {
  if (points_.empty() || !(factor > 0)) return;
  const QPointF before = DataAt(area, position);
  zoom_ = std::clamp(zoom_ * factor, 1.0, 100000.0);
  if (zoom_ == 1.0) {
    panX_ = panY_ = 0;  // all the way out: the whole view again
    return;
  }
  const QPointF after = DataAt(area, position);
  panX_ += before.x() - after.x();
  panY_ += before.y() - after.y();
}

void ResidualPicture::PanBy(const QRectF& area, const QPointF& pixels) {
  if (points_.empty()) return;
  const double perMetre = Layout(area).pixelsPerMetre;
  panY_ -= pixels.x() / perMetre;
  panX_ += pixels.y() / perMetre;
}

QPointF ResidualPicture::PointPosition(const QRectF& area, int i) const {
  const Point& p = points_[static_cast<std::size_t>(i)];
  return Layout(area).Map(p.x, p.y);
}

int ResidualPicture::PointAt(const QRectF& area, const QPointF& position, double radius) const {
  const Frame f = Layout(area);
  int best = -1;
  double bestDistance = radius;
  for (std::size_t i = 0; i < points_.size(); ++i) {
    const double d = QLineF(position, f.Map(points_[i].x, points_[i].y)).length();
    if (d <= bestDistance) bestDistance = d, best = static_cast<int>(i);
  }
  return best;
}

QString ResidualPicture::PointText(int i) const {
  const Point& p = points_[static_cast<std::size_t>(i)];
  const std::vector<std::string> v = ResidualTexts(p.residual);
  QString marks;
  if (i == suspicious_) marks += messages::kPictureSuspicious;
  if (p.outlier) marks += messages::kPictureOutlier;
  QString text = QString(messages::kPicturePoint).arg(Q(p.name), marks);
  const char* const names[5] = {"vX", "vY", "vZ", "vXY", "vXYZ"};
  for (std::size_t k = 0; k < 5; ++k) text += QString("%1 = %2 m\n").arg(names[k], Q(v[k]));
  text += QString(messages::kPictureUsed) + UsedText(p.used);
  return text;
}

void ResidualPicture::Render(QPainter& painter, const QRectF& area) const {
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing);
  painter.fillRect(area, Qt::white);
  const Frame f = Layout(area);
  painter.setFont(SansFont(12, true));
  painter.setPen(Qt::black);
  painter.drawText(QRectF(area.left() + 10, area.top() + 6, area.width() - 20, 20),
                   Qt::AlignLeft | Qt::AlignVCenter,
                   f.narrow ? messages::kPictureTitleNarrow : messages::kPictureTitle);
  if (points_.empty()) {
    painter.setFont(SansFont(12));
    painter.drawText(area, Qt::AlignCenter, messages::kKeyNotComputed);
    painter.restore();
    return;
  }
  painter.setFont(SansFont(11));
  painter.drawText(QRectF(area.left() + 10, area.top() + 26, area.width() - 20, 18),
                   Qt::AlignLeft | Qt::AlignVCenter,
                   QString(f.narrow ? messages::kPictureArrowsNarrow : messages::kPictureArrows)
                       .arg(ExaggerationText(f.exaggeration)));

  // Grid, ticks and axis labels.
  const QRectF& plot = f.plot;
  const double xTop = f.maxX, xBottom = f.maxX - plot.height() / f.pixelsPerMetre;
  const double yLeft = f.minY, yRight = f.minY + plot.width() / f.pixelsPerMetre;
  const double step = NiceBelow((yRight - yLeft) / 4);
  painter.setPen(QPen(kGridColour, 1));
  painter.setBrush(Qt::NoBrush);
  for (double y = std::ceil(yLeft / step) * step; y <= yRight; y += step) {
    const double px = f.Map(0, y).x();
    painter.setPen(QPen(kGridColour, 1));
    painter.drawLine(QPointF(px, plot.top()), QPointF(px, plot.bottom()));
    painter.setPen(Qt::black);
    painter.drawText(QRectF(px - 60, plot.bottom() + 4, 120, 16), Qt::AlignHCenter | Qt::AlignTop,
                     Value(y, step));
  }
  for (double x = std::ceil(xBottom / step) * step; x <= xTop; x += step) {
    const double py = f.Map(x, 0).y();
    painter.setPen(QPen(kGridColour, 1));
    painter.drawLine(QPointF(plot.left(), py), QPointF(plot.right(), py));
    painter.setPen(Qt::black);
    painter.save();
    painter.translate(plot.left() - 6, py);
    painter.rotate(-90);
    painter.drawText(QRectF(-60, -16, 120, 16), Qt::AlignHCenter | Qt::AlignBottom, Value(x, step));
    painter.restore();
  }
  painter.setPen(QPen(QColor(90, 90, 90), 1));
  painter.drawRect(plot);
  painter.setPen(Qt::black);
  painter.setFont(SansFont(12, true));
  painter.drawText(QRectF(plot.left(), plot.bottom() + 20, plot.width(), 18), Qt::AlignHCenter,
                   "Y [m] →");
  painter.save();
  painter.translate(area.left() + 14, plot.center().y());
  painter.rotate(-90);
  painter.drawText(QRectF(-plot.height() / 2, -12, plot.height(), 18), Qt::AlignHCenter, "X [m] →");
  painter.restore();

  // Arrows first, points over them, numbers last.
  painter.setClipRect(plot);
  const double stretch = f.exaggeration;
  painter.setPen(QPen(kArrowColour, 1.6));
  for (const Point& p : points_) {
    const QPointF at = f.Map(p.x, p.y);
    const QPointF to = f.Map(p.x + p.vx * stretch, p.y + p.vy * stretch);
    DrawArrow(painter, at, to);
  }
  for (std::size_t i = 0; i < points_.size(); ++i) {
    const Point& p = points_[i];
    const QPointF at = f.Map(p.x, p.y);
    if (static_cast<int>(i) == suspicious_) {
      painter.setPen(QPen(kSuspiciousColour, 2));
      painter.setBrush(Qt::NoBrush);
      painter.drawEllipse(at, 9, 9);
    }
    if (p.outlier) {
      painter.setPen(QPen(kOutlierColour, 2));
      painter.setBrush(Qt::NoBrush);
      painter.drawRect(QRectF(at.x() - 12, at.y() - 12, 24, 24));
    }
    painter.setPen(QPen(p.used ? kUsedColour : kUnusedPointColour, 1.6));
    painter.setBrush(p.used ? QBrush(kUsedColour) : QBrush(Qt::white));
    painter.drawEllipse(at, 4.5, 4.5);
  }
  // Numbers that would overlap one already drawn are left out (the marked
  // points' first): a dense net stays readable, and the tooltip names each.
  painter.setFont(SansFont(11));
  const QFontMetricsF labelMetrics(painter.font());
  std::vector<std::size_t> order(points_.size());
  for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
  const auto marked = [this](std::size_t i) {
    return static_cast<int>(i) == suspicious_ || points_[i].outlier;
  };
  std::stable_partition(order.begin(), order.end(), marked);
  std::vector<QRectF> placed;
  labelsDrawn_ = 0;
  for (const std::size_t i : order) {
    const Point& p = points_[i];
    const QPointF at = f.Map(p.x, p.y);
    const QString name = Q(p.name);
    const QRectF box(at.x() + 8, at.y() - 18, labelMetrics.horizontalAdvance(name) + 2, 16);
    if (!box.intersects(plot)) continue;
    if (std::any_of(placed.begin(), placed.end(),
                    [&box](const QRectF& other) { return other.intersects(box); }))
      continue;
    placed.push_back(box);
    ++labelsDrawn_;
    painter.setPen(marked(i) ? kSuspiciousColour : QColor(40, 40, 40));
    painter.drawText(box, Qt::AlignLeft | Qt::AlignBottom, name);
  }
  painter.setClipping(false);

  // Scale bar of the arrows and the legend, below the axis label (on two
  // rows in a narrow picture).
  const double barY = area.bottom() - (f.narrow ? 36 : 16);
  const double barLength = f.barResidual * f.exaggeration * f.pixelsPerMetre;
  const double barLeft = plot.left();
  painter.setPen(QPen(kArrowColour, 2));
  painter.drawLine(QPointF(barLeft, barY), QPointF(barLeft + barLength, barY));
  painter.drawLine(QPointF(barLeft, barY - 4), QPointF(barLeft, barY + 4));
  painter.drawLine(QPointF(barLeft + barLength, barY - 4), QPointF(barLeft + barLength, barY + 4));
  painter.setPen(Qt::black);
  painter.drawText(QRectF(barLeft + barLength + 8, barY - 9, 220, 18),
                   Qt::AlignLeft | Qt::AlignVCenter,
                   QString("oprava %1 m").arg(Value(f.barResidual, f.barResidual)));
  // The legend, right-aligned after the bar's text: each entry its mark, then its text.
  struct Entry {
    QPen pen;
    QBrush brush;
    double radius;
    const char* text;
    bool square;
  };
  std::vector<Entry> entries = {
      {QPen(kUsedColour, 1.6), kUsedColour, 4.5, messages::kLegendUsed, false},
      {QPen(kUnusedPointColour, 1.6), Qt::white, 4.5, messages::kLegendOff, false},
      {QPen(kSuspiciousColour, 2), Qt::NoBrush, 8, messages::kLegendSuspicious, false}};
  if (anyOutlier_)
    entries.push_back({QPen(kOutlierColour, 2), Qt::NoBrush, 8, messages::kLegendOutlier, true});
  const QFontMetricsF metrics(painter.font());
  const auto width = [&](const Entry& e) {
    return 2 * e.radius + 4 + metrics.horizontalAdvance(QString::fromUtf8(e.text)) + 12;
  };
  double total = 0;
  for (const Entry& e : entries) total += width(e);
  const double barTextEnd =
      barLeft + barLength + 8 +
      metrics.horizontalAdvance(QString("oprava %1 m").arg(Value(f.barResidual, f.barResidual)));
  double x = f.narrow ? barLeft : std::max(barTextEnd + 16, area.right() - 6 - total);
  const double y = f.narrow ? area.bottom() - 14 : barY;
  for (const Entry& e : entries) {
    painter.setPen(e.pen);
    painter.setBrush(e.brush);
    const QPointF centre(x + e.radius, y);
    if (e.square) {
      painter.drawRect(QRectF(centre.x() - e.radius, y - e.radius, 2 * e.radius, 2 * e.radius));
    } else {
      painter.drawEllipse(centre, e.radius, e.radius);
    }
    painter.setPen(Qt::black);
    painter.drawText(QRectF(x + 2 * e.radius + 4, y - 9, width(e), 18),
                     Qt::AlignLeft | Qt::AlignVCenter, QString::fromUtf8(e.text));
    x += width(e);
  }
  painter.restore();
}

}  // namespace ternavo
