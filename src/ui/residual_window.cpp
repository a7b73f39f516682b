#include "ui/residual_window.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include <QApplication>
#include <QBuffer>
#include <QDoubleSpinBox>
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

#include "app/texts.h"
#include "report/residual_report.h"
#include "text/number_format.h"
#include "ui/dialogs.h"
#include "ui/looks.h"

namespace ternavo {

const char* const kResidualCsvFilter = "*.csv (*.csv)";
const char* const kResidualPictureFilter = "PNG (*.png);;SVG (*.svg)";

namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }

// Columns of the outlier test in the residual table.
constexpr int kFColumn = 7;
constexpr int kVerdictColumn = 9;
const QColor kSuspiciousRow(255, 226, 222);

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
                           int suspicious, std::vector<bool> outliers) {
  picture_.SetData(quality, std::move(targetXY), suspicious, std::move(outliers));
  update();
}

void ResidualPlot::ClearData() {
  picture_.ClearData();
  update();
}

QPointF ResidualPlot::PointPosition(int i) const {
  return picture_.PointPosition(QRectF(rect()), i);
}

QString ResidualPlot::ToolTipAt(const QPointF& position) const {
  const int i = picture_.PointAt(QRectF(rect()), position, 9);
  return i < 0 ? QString() : picture_.PointText(i);
}

void ResidualPlot::ResetView() {
  picture_.ResetView();
  update();
}

void ResidualPlot::wheelEvent(QWheelEvent* event) {
  // One notch of a wheel (120) zooms by a quarter.
  picture_.ZoomAt(QRectF(rect()), event->position(),
                  std::pow(1.25, event->angleDelta().y() / 120.0));
  update();
  event->accept();
}

void ResidualPlot::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return QWidget::mousePressEvent(event);
  dragFrom_ = event->position();
  setCursor(Qt::ClosedHandCursor);
}

void ResidualPlot::mouseMoveEvent(QMouseEvent* event) {
  if (!dragFrom_) return QWidget::mouseMoveEvent(event);
  picture_.PanBy(QRectF(rect()), event->position() - *dragFrom_);
  dragFrom_ = event->position();
  update();
}

void ResidualPlot::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton || !dragFrom_) return QWidget::mouseReleaseEvent(event);
  dragFrom_.reset();
  unsetCursor();
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
  setWindowTitle(texts::window::kResidualCaption);
  resize(1240, 700);

  SummaryLabel = new QLabel(this);
  SummaryLabel->setObjectName("SummaryLabel");
  SummaryLabel->setFont(SansFont(12));
  SummaryLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
  QStringList residualColumns;
  for (const char* c : messages::kResidualTableColumns) residualColumns << c;
  residualColumns << messages::kTestColumnF << messages::kTestColumnP
                  << messages::kTestColumnVerdict;
  ResidualTable = MakeTable(residualColumns, this);
  ResidualTable->setObjectName("ResidualTable");
  // Ten columns: each as wide as its texts, the verdict takes what is left.
  ResidualTable->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
  ResidualTable->horizontalHeader()->setStretchLastSection(true);
  for (int column = kFColumn; column <= kVerdictColumn; ++column) {
    ResidualTable->horizontalHeaderItem(column)->setToolTip(texts::window::kTestTip);
  }

  AlphaSpin = new QDoubleSpinBox(this);
  AlphaSpin->setObjectName("AlphaSpin");
  AlphaSpin->setRange(0.1, 50);
  AlphaSpin->setDecimals(1);
  AlphaSpin->setSingleStep(1);
  AlphaSpin->setSuffix(" %");
  AlphaSpin->setValue(static_cast<double>(kDefaultTestAlpha * 100));
  SigmaSpin = new QDoubleSpinBox(this);
  SigmaSpin->setObjectName("SigmaSpin");
  SigmaSpin->setRange(0, 1000);
  SigmaSpin->setDecimals(4);
  SigmaSpin->setSingleStep(0.001);
  SigmaSpin->setSuffix(" m");
  SigmaSpin->setSpecialValueText(texts::window::kSigmaNotGiven);
  SigmaSpin->setValue(0);
  for (QDoubleSpinBox* spin : {AlphaSpin, SigmaSpin}) spin->setFont(SansFont(12));
  TestLabel = new QLabel(this);
  TestLabel->setObjectName("TestLabel");
  TestLabel->setFont(SansFont(12));
  TestLabel->setWordWrap(true);
  TestLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
  ParameterTable =
      MakeTable({messages::kParameterTableColumns[0], messages::kParameterTableColumns[1],
                 messages::kParameterTableColumns[2]},
                this);
  ParameterTable->setObjectName("ParameterTable");
  ParameterTable->horizontalHeader()->setStretchLastSection(true);
  Plot = new ResidualPlot(this);

  AppendButton = new QPushButton(texts::window::kAppendButton, this);
  AppendButton->setObjectName("AppendButton");
  CsvButton = new QPushButton(texts::window::kCsvButton, this);
  CsvButton->setObjectName("CsvButton");
  PictureButton = new QPushButton(texts::window::kPictureButton, this);
  WholeViewButton = new QPushButton(QString::fromUtf8(texts::window::kWholeViewButton), this);
  WholeViewButton->setObjectName("WholeViewButton");
  WholeViewButton->setToolTip(QString::fromUtf8(texts::window::kWholeViewTip));
  connect(WholeViewButton, &QPushButton::clicked, Plot, &ResidualPlot::ResetView);
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
  leftLayout->addWidget(heading(texts::window::kResidualHeading));
  leftLayout->addWidget(ResidualTable, 3);
  leftLayout->addWidget(heading(texts::window::kTestHeading));
  auto* settings = new QHBoxLayout;
  auto caption = [left](const char* text) {
    auto* label = new QLabel(text, left);
    label->setFont(SansFont(12));
    return label;
  };
  settings->addWidget(caption(texts::window::kAlphaCaption));
  settings->addWidget(AlphaSpin);
  settings->addSpacing(16);
  settings->addWidget(caption(texts::window::kSigmaCaption));
  settings->addWidget(SigmaSpin);
  settings->addStretch(1);
  leftLayout->addLayout(settings);
  leftLayout->addWidget(TestLabel);
  leftLayout->addWidget(heading(texts::window::kPrecisionHeading));
  leftLayout->addWidget(ParameterTable, 2);
  leftLayout->addWidget(SummaryLabel);

  auto* splitter = new QSplitter(Qt::Horizontal, this);
  splitter->addWidget(left);
  splitter->addWidget(Plot);
  splitter->setStretchFactor(0, 5);
  splitter->setStretchFactor(1, 6);
  splitter->setChildrenCollapsible(false);
  splitter->setSizes({700, 540});

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(AppendButton);
  buttons->addStretch(1);
  buttons->addWidget(WholeViewButton);
  buttons->addWidget(CsvButton);
  buttons->addWidget(PictureButton);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(splitter, 1);
  layout->addLayout(buttons);

  for (QDoubleSpinBox* spin : {AlphaSpin, SigmaSpin}) {
    connect(spin, &QDoubleSpinBox::valueChanged, this, [this] {
      if (IsFilled()) ShowTests();
    });
  }
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
  points_ = TSeznam();
  suspicious_ = -1;
  tests_ = OutlierTests();
  TestLabel->clear();
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
  points_ = seznam;
  suspicious_ = seznam.FindSuspiciousPoint();
  const int suspicious = suspicious_;

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
      if (!r.Used) item->setForeground(kUnusedPointColour);
      if (marked) {
        item->setBackground(kSuspiciousRow);
        item->setToolTip(texts::window::kSuspiciousTip);
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

  ShowTests();
  SetButtonsEnabled(true);
}

TestSettings ResidualWindow::Settings() const {
  TestSettings settings;
  settings.Alpha = static_cast<Extended>(AlphaSpin->value()) / 100;
  settings.HasSigma = SigmaSpin->value() > 0;
  settings.Sigma = static_cast<Extended>(SigmaSpin->value());
  return settings;
}

void ResidualWindow::ShowTests() {
  tests_ = ComputeOutlierTests(points_, quality_, Settings());
  std::vector<bool> outliers(quality_.Residuals.size(), false);
  QStringList outlierNumbers;
  QFont bold = ResidualTable->font();
  bold.setBold(true);
  for (int row = 0; row < ResidualTable->rowCount(); ++row) {
    const std::size_t i = static_cast<std::size_t>(row);
    const PointTest& t = tests_.Points[i];
    const std::vector<std::string> cells = PointTestTexts(t);
    for (int k = 0; k < 3; ++k) {
      ResidualTable->setItem(
          row, kFColumn + k,
          Item(Q(cells[static_cast<std::size_t>(k)]), k == 2 ? Qt::AlignLeft : Qt::AlignRight));
    }
    outliers[i] = t.Outlier;
    // The test cells take the row's look (switched off, suspicious); an
    // outlier's number and verdict are red and bold.
    const bool suspicious = row == suspicious_;
    for (int column : {0, kFColumn, kFColumn + 1, kVerdictColumn}) {
      QTableWidgetItem* item = ResidualTable->item(row, column);
      const bool marked = t.Outlier && (column == 0 || column == kVerdictColumn);
      item->setFont(marked ? bold : ResidualTable->font());
      item->setForeground(marked                       ? QBrush(kOutlierColour)
                          : quality_.Residuals[i].Used ? QBrush()
                                                       : QBrush(kUnusedPointColour));
      if (suspicious) item->setBackground(kSuspiciousRow);
      item->setToolTip(marked       ? texts::window::kOutlierTip
                       : suspicious ? texts::window::kSuspiciousTip
                                    : "");
    }
    if (t.Outlier) outlierNumbers << Q(quality_.Residuals[i].Name);
  }

  QString text = QString(texts::window::kTestAlphaLine)
                     .arg(Q(PercentText(tests_.AlphaPoint, 4)), Q(FormatInteger(tests_.UsedCount)));
  text += tests_.HasCritical
              ? QString(texts::window::kTestCritical)
                    .arg(Q(FormatInteger(tests_.Df2)), Q(FormatFixed(tests_.Critical, 15, 3)))
              : QString(texts::window::kTestNoRedundancy);
  text += "\n";
  text += outlierNumbers.isEmpty()
              ? QString(texts::window::kNoOutlier)
              : QString(texts::window::kOutliers).arg(outlierNumbers.join(", "));
  const GlobalTest& g = tests_.Global;
  if (g.Made) {
    text += QString(texts::window::kGlobalTestLine)
                .arg(Q(FormatFixed(g.Chi2, 15, 3)), Q(FormatInteger(g.Df)),
                     Q(FormatFixed(g.Lower, 15, 3)), Q(FormatFixed(g.Upper, 15, 3)),
                     Q(PValueClause(g.P)), GlobalVerdictText(g.Verdict));
  } else if (g.Requested) {
    text += texts::window::kGlobalNoTest;
  }
  TestLabel->setText(text);

  std::vector<std::array<Extended, 2>> xy;
  xy.reserve(points_.IdenticalPoints.size());
  for (const TIdentickyBod& p : points_.IdenticalPoints) xy.push_back({p.TargetX, p.TargetY});
  Plot->SetData(quality_, std::move(xy), suspicious_, std::move(outliers));
}

TextLines ResidualWindow::ReportSection() const {
  TextLines lines;
  WriteResidualReport(quality_, lines);
  WriteOutlierTestReport(quality_, tests_, lines);
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
      ThrowCannotSave(*path, file.errorString());
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
    ThrowCannotSave(path, file.errorString());
  }
}

}  // namespace ternavo
