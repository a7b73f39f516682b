#include "ui/residual_window.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include <QApplication>
#include <QBuffer>
#include <QFile>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QHelpEvent>
#include <QImage>
#include <QImageWriter>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QSaveFile>
#include <QSplitter>
#include <QSvgGenerator>
#include <QTableWidget>
#include <QToolTip>
#include <QVBoxLayout>

#include "report/residual_report.h"
#include "text/number_format.h"
#include "ui/dialogs.h"
#include "ui/looks.h"

namespace ternavo {

const char* const kResidualCsvFilter = "*.csv (*.csv)";
const char* const kResidualPictureFilter = "PNG (*.png);;SVG (*.svg)";

namespace {

const QColor kUsedColour(31, 78, 153);
const QColor kUnusedColour(120, 120, 120);
const QColor kArrowColour(214, 72, 15);
const QColor kSuspiciousColour(200, 0, 0);
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

QTableWidget* MakeTable(const QStringList& headings, QWidget* parent) {
  auto* table = new QTableWidget(0, static_cast<int>(headings.size()), parent);
  table->setHorizontalHeaderLabels(headings);
  table->verticalHeader()->setVisible(false);
  table->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table->setSelectionBehavior(QAbstractItemView::SelectRows);
  table->setAlternatingRowColors(true);
  table->setFont(SansFont(12));
  table->horizontalHeader()->setFont(SansFont(12, true));
  table->verticalHeader()->setDefaultSectionSize(20);
  return table;
}

QTableWidgetItem* Item(const QString& text, Qt::Alignment alignment = Qt::AlignRight) {
  auto* item = new QTableWidgetItem(text);
  item->setTextAlignment(alignment | Qt::AlignVCenter);
  return item;
}

}  // namespace

// --- the plan view ------------------------------------------------------------

ResidualPlot::ResidualPlot(QWidget* parent) : QWidget(parent) {
  setObjectName("ResidualPlot");
  setMinimumSize(360, 320);
  setMouseTracking(true);
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void ResidualPlot::SetData(const KeyQuality& quality, std::vector<std::array<Extended, 2>> targetXY,
                           int suspicious) {
  points_.clear();
  for (std::size_t i = 0; i < quality.Residuals.size() && i < targetXY.size(); ++i) {
    const PointResidual& r = quality.Residuals[i];
    points_.push_back({r.Name, r.Used, static_cast<double>(targetXY[i][0]),
                       static_cast<double>(targetXY[i][1]), static_cast<double>(r.V[0]),
                       static_cast<double>(r.V[1]), r});
  }
  suspicious_ = suspicious;
  update();
}

void ResidualPlot::ClearData() {
  points_.clear();
  suspicious_ = -1;
  update();
}

ResidualPlot::Frame ResidualPlot::Layout(const QRectF& area) const {
  Frame f;
  f.plot = area.adjusted(78, 52, -18, -78);
  if (points_.empty() || f.plot.width() < 10 || f.plot.height() < 10) return f;
  double minX = points_[0].x, maxX = minX, minY = points_[0].y, maxY = minY;
  double maxV = 0;
  for (const Point& p : points_) {
    minX = std::min(minX, p.x), maxX = std::max(maxX, p.x);
    minY = std::min(minY, p.y), maxY = std::max(maxY, p.y);
    maxV = std::max(maxV, std::hypot(p.vx, p.vy));
  }
  double spanX = maxX - minX, spanY = maxY - minY;
  const double span = std::max({spanX, spanY, 1.0});
  // A margin around the points leaves room for the arrows and the numbers.
  const double pad = 0.12 * span;
  spanX += 2 * pad, spanY += 2 * pad;
  f.pixelsPerMetre = std::min(f.plot.width() / spanY, f.plot.height() / spanX);
  // Centre the data in the plot, one scale for both axes.
  f.minY = (minY + maxY) / 2 - f.plot.width() / f.pixelsPerMetre / 2;
  f.maxX = (minX + maxX) / 2 + f.plot.height() / f.pixelsPerMetre / 2;
  // The longest arrow gets about a sixth of the picture.
  const double longest = std::min(f.plot.width(), f.plot.height()) / 6;
  f.exaggeration = maxV > 0 ? NiceBelow(longest / (maxV * f.pixelsPerMetre)) : 1;
  f.barResidual = NiceBelow(90 / (f.exaggeration * f.pixelsPerMetre));
  return f;
}

QPointF ResidualPlot::PointPosition(int i) const {
  const Point& p = points_[static_cast<std::size_t>(i)];
  return Layout(QRectF(rect())).Map(p.x, p.y);
}

QString ResidualPlot::ToolTipAt(const QPointF& position) const {
  const Frame f = Layout(QRectF(rect()));
  int best = -1;
  double bestDistance = 9;
  for (std::size_t i = 0; i < points_.size(); ++i) {
    const double d = QLineF(position, f.Map(points_[i].x, points_[i].y)).length();
    if (d <= bestDistance) bestDistance = d, best = static_cast<int>(i);
  }
  if (best < 0) return {};
  const Point& p = points_[static_cast<std::size_t>(best)];
  const std::vector<std::string> v = ResidualTexts(p.residual);
  QString text = QString("Bod %1%2\n").arg(Q(p.name), best == suspicious_ ? " (podezřelý)" : "");
  const char* const names[5] = {"vX", "vY", "vZ", "vXY", "vXYZ"};
  for (std::size_t k = 0; k < 5; ++k) text += QString("%1 = %2 m\n").arg(names[k], Q(v[k]));
  text += QString("použit: ") + UsedText(p.used);
  return text;
}

void ResidualPlot::Render(QPainter& painter, const QRectF& area) const {
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing);
  painter.fillRect(area, Qt::white);
  const Frame f = Layout(area);
  painter.setFont(SansFont(12, true));
  painter.setPen(Qt::black);
  painter.drawText(QRectF(area.left() + 10, area.top() + 6, area.width() - 20, 20),
                   Qt::AlignLeft | Qt::AlignVCenter,
                   "Půdorys identických bodů v cílové soustavě: osa X nahoru, osa Y doprava");
  if (points_.empty()) {
    painter.setFont(SansFont(12));
    painter.drawText(area, Qt::AlignCenter, "Klíč není vypočten.");
    painter.restore();
    return;
  }
  painter.setFont(SansFont(11));
  painter.drawText(
      QRectF(area.left() + 10, area.top() + 26, area.width() - 20, 18),
      Qt::AlignLeft | Qt::AlignVCenter,
      QString("Šipky: opravy (vY, vX) zvětšené %1, od cílové polohy k poloze podle klíče")
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
    painter.setPen(QPen(p.used ? kUsedColour : kUnusedColour, 1.6));
    painter.setBrush(p.used ? QBrush(kUsedColour) : QBrush(Qt::white));
    painter.drawEllipse(at, 4.5, 4.5);
  }
  painter.setFont(SansFont(11));
  for (std::size_t i = 0; i < points_.size(); ++i) {
    const Point& p = points_[i];
    const QPointF at = f.Map(p.x, p.y);
    painter.setPen(static_cast<int>(i) == suspicious_ ? kSuspiciousColour : QColor(40, 40, 40));
    painter.drawText(QRectF(at.x() + 8, at.y() - 18, 80, 16), Qt::AlignLeft | Qt::AlignBottom,
                     Q(p.name));
  }
  painter.setClipping(false);

  // Scale bar of the arrows and the legend, below the axis label.
  const double barY = area.bottom() - 16;
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
  double x = std::max(barLeft + barLength + 120, plot.right() - 280);
  const double y = barY;
  // One legend entry: its mark, then its text.
  const auto entry = [&](const QPen& pen, const QBrush& brush, double radius, double width,
                         const char* text) {
    painter.setPen(pen);
    painter.setBrush(brush);
    painter.drawEllipse(QPointF(x, y), radius, radius);
    painter.setPen(Qt::black);
    painter.drawText(QRectF(x + radius + 3.5, y - 9, width, 18), Qt::AlignLeft | Qt::AlignVCenter,
                     QString::fromUtf8(text));
    x += 80;
  };
  entry(QPen(kUsedColour, 1.6), kUsedColour, 4.5, 70, "použitý");
  entry(QPen(kUnusedColour, 1.6), Qt::white, 4.5, 70, "vypnutý");
  entry(QPen(kSuspiciousColour, 2), Qt::NoBrush, 8, 90, "podezřelý");
  painter.restore();
}

void ResidualPlot::paintEvent(QPaintEvent* /*event*/) {
  QPainter painter(this);
  Render(painter, QRectF(rect()));
}

bool ResidualPlot::event(QEvent* event) {
  if (event->type() == QEvent::ToolTip) {
    auto* help = static_cast<QHelpEvent*>(event);
    const QString text = ToolTipAt(help->pos());
    if (text.isEmpty()) {
      QToolTip::hideText();
      event->ignore();
    } else {
      QToolTip::showText(help->globalPos(), text, this);
    }
    return true;
  }
  return QWidget::event(event);
}

// --- the window ----------------------------------------------------------------

ResidualWindow::ResidualWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
  setObjectName("ResidualWindow");
  setWindowTitle("Rezidua");
  resize(1240, 700);

  SummaryLabel = new QLabel(this);
  SummaryLabel->setObjectName("SummaryLabel");
  SummaryLabel->setFont(SansFont(12));
  SummaryLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
  ResidualTable = MakeTable(
      {"Číslo bodu", "vX [m]", "vY [m]", "vZ [m]", "vXY [m]", "vXYZ [m]", "Použit"}, this);
  ResidualTable->setObjectName("ResidualTable");
  ResidualTable->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
  ParameterTable = MakeTable({"Parametr", "Hodnota", "Směrodatná odchylka"}, this);
  ParameterTable->setObjectName("ParameterTable");
  ParameterTable->horizontalHeader()->setStretchLastSection(true);
  Plot = new ResidualPlot(this);

  AppendButton = new QPushButton("Připojit do protokolu", this);
  AppendButton->setObjectName("AppendButton");
  CsvButton = new QPushButton("Uložit tabulku CSV…", this);
  CsvButton->setObjectName("CsvButton");
  PictureButton = new QPushButton("Uložit obrázek…", this);
  PictureButton->setObjectName("PictureButton");
  for (QPushButton* b : {AppendButton, CsvButton, PictureButton}) b->setFont(SansFont(12));

  auto* left = new QWidget(this);
  auto* leftLayout = new QVBoxLayout(left);
  leftLayout->setContentsMargins(0, 0, 0, 0);
  auto heading = [left](const char* text) {
    auto* label = new QLabel(text, left);
    label->setFont(SansFont(12, true));
    return label;
  };
  leftLayout->addWidget(heading("Opravy na identických bodech"));
  leftLayout->addWidget(ResidualTable, 3);
  leftLayout->addWidget(heading("Přesnost parametrů"));
  leftLayout->addWidget(ParameterTable, 2);
  leftLayout->addWidget(SummaryLabel);

  auto* splitter = new QSplitter(Qt::Horizontal, this);
  splitter->addWidget(left);
  splitter->addWidget(Plot);
  splitter->setStretchFactor(0, 5);
  splitter->setStretchFactor(1, 6);
  splitter->setChildrenCollapsible(false);
  splitter->setSizes({600, 640});

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(AppendButton);
  buttons->addStretch(1);
  buttons->addWidget(CsvButton);
  buttons->addWidget(PictureButton);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(splitter, 1);
  layout->addLayout(buttons);

  connect(AppendButton, &QPushButton::clicked, this, [this] { AppendButtonClick(AppendButton); });
  connect(CsvButton, &QPushButton::clicked, this, [this] { CsvButtonClick(CsvButton); });
  connect(PictureButton, &QPushButton::clicked, this,
          [this] { PictureButtonClick(PictureButton); });
  Clear();
}

void ResidualWindow::SetButtonsEnabled(bool enabled) {
  for (QPushButton* b : {AppendButton, CsvButton, PictureButton}) b->setEnabled(enabled);
}

void ResidualWindow::Clear() {
  quality_ = KeyQuality();
  ResidualTable->setRowCount(0);
  ParameterTable->setRowCount(0);
  SummaryLabel->clear();
  Plot->ClearData();
  SetButtonsEnabled(false);
}

void ResidualWindow::Fill(const TSeznam& seznam, TTypTransformace type) {
  Clear();
  quality_ = ComputeKeyQuality(seznam, type);
  if (!quality_.Valid) return;
  const int suspicious = seznam.FindSuspiciousPoint();

  const std::vector<PointResidual>& residuals = quality_.Residuals;
  ResidualTable->setRowCount(static_cast<int>(residuals.size()));
  for (int row = 0; row < static_cast<int>(residuals.size()); ++row) {
    const PointResidual& r = residuals[static_cast<std::size_t>(row)];
    ResidualTable->setItem(row, 0, Item(Q(r.Name)));
    const std::vector<std::string> v = ResidualTexts(r);
    for (int k = 0; k < 5; ++k)
      ResidualTable->setItem(row, k + 1, Item(Q(v[static_cast<std::size_t>(k)])));
    ResidualTable->setItem(row, 6, Item(UsedText(r.Used), Qt::AlignHCenter));
    const bool marked = row == suspicious;
    for (int column = 0; column < 7; ++column) {
      QTableWidgetItem* item = ResidualTable->item(row, column);
      if (!r.Used) item->setForeground(kUnusedColour);
      if (marked) {
        item->setBackground(QColor(255, 226, 222));
        item->setToolTip("Podezřelý bod");
      }
    }
  }

  const std::vector<ParameterText> parameters = ParameterTexts(quality_);
  ParameterTable->setRowCount(static_cast<int>(parameters.size()));
  for (int row = 0; row < static_cast<int>(parameters.size()); ++row) {
    const ParameterText& p = parameters[static_cast<std::size_t>(row)];
    ParameterTable->setItem(row, 0, Item(Q(p.Name), Qt::AlignLeft));
    ParameterTable->setItem(row, 1, Item(Q(p.Value)));
    ParameterTable->setItem(row, 2, Item(Q(p.Sigma)));
  }
  ParameterTable->resizeColumnsToContents();

  SummaryLabel->setText(QString("r = 3n - u = %1     m0 = %2 m\n%3")
                            .arg(Q(FormatInteger(quality_.Redundancy)),
                                 Q(FormatFixed(quality_.M0, 15, 4)), Q(ConventionLine(type))));

  std::vector<std::array<Extended, 2>> xy;
  xy.reserve(seznam.IdenticalPoints.size());
  for (const TIdentickyBod& p : seznam.IdenticalPoints) xy.push_back({p.TargetX, p.TargetY});
  Plot->SetData(quality_, std::move(xy), suspicious);
  SetButtonsEnabled(true);
}

TextLines ResidualWindow::ReportSection() const {
  TextLines lines;
  WriteResidualReport(quality_, lines);
  return lines;
}

void ResidualWindow::AppendButtonClick(QObject* /*sender*/) {
  if (!IsFilled()) return;
  emit AppendToProtocol(ReportSection());
}

void ResidualWindow::CsvButtonClick(QObject* /*sender*/) {
  RunHandler(this, [this] {
    if (!IsFilled()) return;
    const std::optional<QString> path = Dialogs().GetSaveFileName(this, kResidualCsvFilter, "csv");
    if (!path) return;
    const std::string csv = ResidualTableCsv(quality_);
    QSaveFile file(*path);
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(csv.data(), static_cast<qint64>(csv.size())) !=
            static_cast<qint64>(csv.size()) ||
        !file.commit()) {
      throw std::runtime_error(
          QString("Soubor \"%1\" nelze uložit: %2").arg(*path, file.errorString()).toStdString());
    }
  });
}

void ResidualWindow::PictureButtonClick(QObject* /*sender*/) {
  RunHandler(this, [this] {
    if (!IsFilled()) return;
    const std::optional<QString> path =
        Dialogs().GetSaveFileName(this, kResidualPictureFilter, "png");
    if (path) SavePicture(*path);
  });
}

void ResidualWindow::SavePicture(const QString& path) const {
  const QSize size = Plot->size().expandedTo(QSize(900, 720));
  QSaveFile file(path);
  bool ok = file.open(QIODevice::WriteOnly);
  if (ok && path.endsWith(".svg", Qt::CaseInsensitive)) {
    QSvgGenerator svg;
    svg.setOutputDevice(&file);
    svg.setSize(size);
    svg.setViewBox(QRect(QPoint(0, 0), size));
    svg.setTitle("Rezidua");
    QPainter painter;
    ok = painter.begin(&svg);
    if (ok) {
      Plot->Render(painter, QRectF(QPointF(0, 0), size));
      ok = painter.end();
    }
  } else if (ok) {
    QImage image(size * 2, QImage::Format_RGB32);
    image.setDevicePixelRatio(2);
    QPainter painter(&image);
    Plot->Render(painter, QRectF(QPointF(0, 0), size));
    painter.end();
    ok = QImageWriter(&file, "png").write(image);
  }
  if (!ok || !file.commit()) {
    throw std::runtime_error(
        QString("Soubor \"%1\" nelze uložit: %2").arg(path, file.errorString()).toStdString());
  }
}

}  // namespace ternavo
