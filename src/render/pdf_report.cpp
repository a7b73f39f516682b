#include "render/pdf_report.h"

#include <stdexcept>

#include <QAbstractTextDocumentLayout>
#include <QBuffer>
#include <QDateTime>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QTextDocument>

#include "adjustment/key_quality.h"
#include "render/residual_picture.h"
#include "report/residual_report.h"
#include "text/messages.h"
#include "text/number_format.h"
#include "version.h"

namespace ternavo {

namespace {

namespace m = messages;

constexpr int kDpi = 300;
// The picture is drawn in these logical units and scaled to the page width,
// so its pixel-sized fonts keep their proportions.
constexpr double kPictureWidth = 760;
constexpr double kPictureHeight = 720;

QString Q(const std::string& s) { return QString::fromStdString(s); }
QString H(const std::string& s) { return Q(s).toHtmlEscaped(); }

std::string TypeText(TTypTransformace type) {
  switch (type) {
    case kGeneralAffine: return m::kReportTypeAffine;
    case kSimilarity: return m::kReportTypeSimilarity;
    case kCongruence: return m::kReportTypeCongruence;
    default: return FormatInteger(type);
  }
}

std::string Numbers(const TSeznam& s, bool used) {
  std::string out;
  for (const TIdentickyBod& p : s.IdenticalPoints) {
    if (p.Used != used) continue;
    if (!out.empty()) out += ", ";
    out += p.Name;
  }
  return out.empty() ? m::kReportNone : out;
}

QString Pre(const TextLines& lines) {
  QString text;
  for (std::size_t i = 0; i < lines.Count(); ++i) text += H(lines[i]) + "\n";
  return "<pre style=\"white-space: pre-wrap; font-family: 'DejaVu Sans Mono'; "
         "font-size: 7.5pt;\">" +
         text + "</pre>";
}

// Numbers right-aligned; the first column and a trailing text column (`textLast`) left.
QString Row(const QStringList& cells, bool heading, const QString& style = {},
            bool textLast = true) {
  QString row = "<tr>";
  for (int i = 0; i < cells.size(); ++i) {
    const bool left = i == 0 || (textLast && i == cells.size() - 1);
    const QString align = heading ? "center" : left ? "left" : "right";
    row += QString("<%1 align=\"%2\"%3>%4</%1>")
               .arg(heading ? "th" : "td", align, style.isEmpty() ? "" : " style=\"" + style + "\"",
                    cells[i]);
  }
  return row + "</tr>";
}

QString Table(const QString& rows) {
  return "<table border=\"1\" cellspacing=\"0\" cellpadding=\"3\" "
         "style=\"border-collapse: collapse; border-color: #999999;\">" +
         rows + "</table>";
}

QString Html(const TSeznam& s, const PdfReportInput& input, const KeyQuality& q,
             const OutlierTests& t) {
  QString html = "<html><body style=\"font-family: 'DejaVu Sans'; font-size: 9pt;\">";
  html += QString("<h2>%1</h2>").arg(H(m::kReportTitle));
  QString header;
  for (const auto& [caption, value] : PdfReportHeader(s, input)) {
    header += QString("<tr><td><b>%1:</b></td><td>%2</td></tr>").arg(H(caption), H(value));
  }
  html += "<table cellspacing=\"0\" cellpadding=\"2\">" + header + "</table>";

  html += QString("<h3>%1</h3>").arg(H(m::kReportProtocol)) + Pre(input.protocol);

  html += QString("<h3>%1</h3>").arg(H(m::kReportResiduals));
  QStringList columns;
  for (const char* c : m::kResidualTableColumns) columns << c;
  columns << m::kTestColumnF << m::kTestColumnP << m::kTestColumnVerdict;
  QString rows = Row(columns, true);
  for (std::size_t i = 0; i < q.Residuals.size(); ++i) {
    const PointResidual& r = q.Residuals[i];
    QStringList cells = {H(r.Name)};
    for (const std::string& v : ResidualTexts(r)) cells << H(v);
    cells << UsedText(r.Used);
    for (const std::string& v : PointTestTexts(t.Points[i])) cells << H(v);
    const bool outlier = t.Points[i].Outlier;
    if (outlier) cells.last() = "<b>" + cells.last() + "</b>";
    rows += Row(cells, false, outlier ? "color: #c00000;" : !r.Used ? "color: #777777;" : "");
  }
  html += Table(rows);

  html += QString("<h3>%1</h3>").arg(H(m::kReportPrecision));
  rows = Row(
      {m::kParameterTableColumns[0], m::kParameterTableColumns[1], m::kParameterTableColumns[2]},
      true);
  for (const ParameterText& p : ParameterTexts(q))
    rows += Row({H(p.Name), H(p.Value), H(p.Sigma)}, false, {}, false);
  html += Table(rows);
  // One block per line: a block is drawn whole on every page it touches
  // (clipped), so a block across a page break would leave hidden text behind.
  html +=
      (QString("<p>") + H(m::kRedundancyLine) + "%1</p><p>" + H(m::kReportM0) + "%2 m</p><p>%3</p>")
          .arg(H(FormatInteger(q.Redundancy)), H(FormatFixed(q.M0, 15, 8)),
               H(ConventionLine(q.Type)));

  html += QString("<h3>%1</h3>").arg(H(m::kReportTests));
  TextLines tests;
  WriteOutlierTestReport(q, t, tests, false);
  TextLines body;  // without the empty line and the heading the block starts with
  for (std::size_t i = 2; i < tests.Count(); ++i) body.AppendLine(tests[i]);
  html += Pre(body);
  html += "</body></html>";
  return html;
}

}  // namespace

std::vector<std::pair<std::string, std::string>> PdfReportHeader(const TSeznam& s,
                                                                 const PdfReportInput& input) {
  const std::string when =
      input.dateTime.empty()
          ? QDateTime::currentDateTime().toString("d. M. yyyy  H:mm:ss").toStdString()
          : input.dateTime;
  return {{m::kReportProgram, std::string("Ternavo ") + kVersion},
          {m::kReportDate, when},
          {m::kReportSource, input.source},
          {m::kReportType, TypeText(input.type)},
          {m::kReportUsed, Numbers(s, true)},
          {m::kReportOff, Numbers(s, false)},
          {m::kReportUnits, m::kReportUnitsText}};
}

std::string PdfReportBytes(const TSeznam& s, const PdfReportInput& input) {
  const KeyQuality q = ComputeKeyQuality(s, input.type);
  if (!q.Valid) throw std::runtime_error(m::kReportNoKey);
  const OutlierTests t = ComputeOutlierTests(s, q, input.tests);

  QBuffer buffer;
  buffer.open(QIODevice::WriteOnly);
  {
    QPdfWriter writer(&buffer);
    writer.setResolution(kDpi);
    writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                     QMarginsF(18, 15, 18, 15), QPageLayout::Millimeter));
    writer.setTitle(QString("Ternavo %1: %2").arg(kVersion, m::kReportTitle));
    writer.setCreator(QString("Ternavo %1").arg(kVersion));

    const double width = writer.width();
    const double height = writer.height();
    const double footer = kDpi * 0.3;  // room for the page number
    const double bodyHeight = height - footer;

    QTextDocument document;
    document.documentLayout()->setPaintDevice(&writer);
    QFont bodyFont(QStringLiteral("DejaVu Sans"));
    bodyFont.setPointSizeF(9);
    // No ligatures: "afinní" must stay searchable as typed, not with an "fi" glyph.
    bodyFont.setStyleStrategy(QFont::PreferNoShaping);
    document.setDefaultFont(bodyFont);
    document.setPageSize(QSizeF(width, bodyHeight));
    document.setHtml(Html(s, input, q, t));
    const int textPages = document.pageCount();
    const int pages = textPages + 1;

    QPainter painter;
    if (!painter.begin(&writer)) throw std::runtime_error(m::kReportFailed);
    QFont footerFont(QStringLiteral("DejaVu Sans"));
    footerFont.setPointSizeF(7.5);
    const auto pageFooter = [&](int page) {
      painter.setFont(footerFont);
      painter.setPen(Qt::black);
      painter.drawText(QRectF(0, height - footer * 0.8, width, footer * 0.8),
                       Qt::AlignRight | Qt::AlignBottom,
                       QString(m::kReportPage).arg(page).arg(pages));
      painter.drawText(QRectF(0, height - footer * 0.8, width, footer * 0.8),
                       Qt::AlignLeft | Qt::AlignBottom,
                       QString("Ternavo %1  ·  %2").arg(kVersion, Q(input.source)));
    };
    for (int page = 0; page < textPages; ++page) {
      if (page > 0) writer.newPage();
      painter.save();
      painter.translate(0, -page * bodyHeight);
      document.drawContents(&painter, QRectF(0, page * bodyHeight, width, bodyHeight));
      painter.restore();
      pageFooter(page + 1);
    }

    // The residual picture on a page of its own, drawn as the window draws it.
    writer.newPage();
    QFont headingFont(QStringLiteral("DejaVu Sans"));
    headingFont.setBold(true);
    headingFont.setPointSizeF(12);
    painter.setFont(headingFont);
    painter.drawText(QRectF(0, 0, width, kDpi * 0.35), Qt::AlignLeft | Qt::AlignTop,
                     m::kReportPicture);
    ResidualPicture picture;
    std::vector<std::array<Extended, 2>> xy;
    std::vector<bool> outliers;
    for (std::size_t i = 0; i < s.IdenticalPoints.size(); ++i) {
      xy.push_back({s.IdenticalPoints[i].TargetX, s.IdenticalPoints[i].TargetY});
      outliers.push_back(t.Points[i].Outlier);
    }
    picture.SetData(q, std::move(xy), s.FindSuspiciousPoint(), std::move(outliers));
    const double scale = width / kPictureWidth;
    painter.save();
    painter.translate(0, kDpi * 0.45);
    painter.scale(scale, scale);
    picture.Render(painter, QRectF(0, 0, kPictureWidth, kPictureHeight));
    painter.restore();
    pageFooter(pages);
    if (!painter.end()) throw std::runtime_error(m::kReportFailed);
  }
  return buffer.data().toStdString();
}

}  // namespace ternavo
