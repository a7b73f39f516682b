// The residual report: residuals on the identical points, the precision of
// the key's parameters and the key's convention, as a protocol section, as
// table rows for the residual window and as a CSV table.
#pragma once

#include <string>
#include <vector>

#include "adjustment/key_quality.h"
#include "adjustment/outlier_test.h"
#include "text/text_lines.h"

namespace ternavo {

// One parameter as the report shows it: name, value and standard deviation,
// both with their units ("0,123456789012 rad  7,85980892 gon", "0,1234 mgon").
struct ParameterText {
  std::string Name;
  std::string Value;
  std::string Sigma;
};

std::vector<ParameterText> ParameterTexts(const KeyQuality& q);

// The residual columns of one point: vX, vY, vZ, vXY, vXYZ (fixed 15/4).
std::vector<std::string> ResidualTexts(const PointResidual& r);

// "ANO" / "NE".
const char* UsedText(bool used);

// "Konvence :  ..." for the key's type.
std::string ConventionLine(TTypTransformace type);

// Appends the section (an empty line first); nothing when q is not Valid.
void WriteResidualReport(const KeyQuality& q, TextLines& lines);

// A fraction as a percentage: "5,00 %".
std::string PercentText(Extended fraction, int decimals);

// A p-value with four decimals, "< 0,0001" below.
std::string PValueText(Extended p);
// "p = 0,1234" or "p < 0,0001".
std::string PValueClause(Extended p);

// The test columns of one point: F, p and the verdict, or "/", "/" and the
// reason there is no test.
std::vector<std::string> PointTestTexts(const PointTest& t);

// The verdict of the test of m0.
const char* GlobalVerdictText(GlobalVerdict v);

// Appends the block of the outlier tests (an empty line first): the level,
// the correction, the critical value, a line per point, the test of m0 when
// made, and how each quantity is computed. Nothing when t is not Valid.
// Without `pointLines` the column heading and the point lines are left out
// (for a report that shows them in a table).
void WriteOutlierTestReport(const KeyQuality& q, const OutlierTests& t, TextLines& lines,
                            bool pointLines = true);

// The residual table as a spreadsheet reads it in the user's settings:
// UTF-8 with a byte-order mark, ";" between fields, the locale's decimal
// separator, CR LF line ends, a heading row first. Empty when q is not Valid.
std::string ResidualTableCsv(const KeyQuality& q);

}  // namespace ternavo
