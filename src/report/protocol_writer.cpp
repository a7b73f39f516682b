// The protocol of a key computation and the texts of the point table:
// TSeznam::WriteProtocol, ShowPoints and ShowResults, declared with the
// point records in adjustment/seznam.h.
#include <string>

#include "adjustment/seznam.h"
#include "text/messages.h"
#include "text/number_format.h"
#include "version.h"

namespace ternavo {

namespace {

namespace m = messages;

const char* const kUsedText = m::kPointUsedCell;
const char* const kUnusedText = m::kPointUnusedCell;
// The table after loading shows a bare slash; after a computation, two blanks first.
const char* const kNoValueAfterLoad = messages::kNoValue;
const char* const kNoValue = messages::kNoDiagnostic;
const std::string kNoLabel = "-";

void WriteHeadings(CellGrid& grid) {
  for (int32_t column = 0; column < 4; ++column)
    grid.SetCell(column, 0, m::kPointTableHeadings[column]);
}

std::string TypeLine(int32_t t, bool& known) {
  known = true;
  switch (t) {
    case kGeneralAffine: return m::kProtocolAffine;
    case kSimilarity: return m::kProtocolSimilarity;
    case kCongruence: return m::kProtocolCongruence;
    default: known = false; return {};
  }
}

}  // namespace

void TSeznam::WriteProtocol(TextLines& memo, int32_t t) const {
  const Matice& r = *RotationMatrix;
  const Matice& tr = *TranslationVector;
  const Matice& s = *ScaleMatrix;

  memo.Clear();
  memo.AppendLine(m::kProtocolProgram + std::string(kVersion) + m::kProtocolTitle);
  bool known = false;
  std::string typeLine = TypeLine(t, known);
  if (known) memo.AppendLine(std::move(typeLine));
  memo.AppendLine("");
  memo.AppendLine(m::kProtocolUsedPoints);

  std::string used;
  for (const TIdentickyBod& point : IdenticalPoints) {
    if (!point.Used) continue;
    if (!used.empty()) used += ',';
    used += point.Name;
  }
  memo.AppendLine(std::move(used));

  memo.AppendLine("");
  memo.AppendLine(m::kProtocolKey);
  memo.AppendLine(m::kProtocolRotation);
  // The first element of the first row in the general rendering and of the
  // other rows in the fixed one: that is the layout users compare their
  // earlier protocols with, so it stays as it always was.
  memo.AppendLine(FormatGeneral(r.Get(1, 1)) + "  " + FormatGeneral(r.Get(1, 2)) + "  " +
                  FormatGeneral(r.Get(1, 3)));
  for (int32_t row = 2; row <= 3; ++row) {
    memo.AppendLine(FormatFixed(r.Get(row, 1), 15, 12) + "  " + FormatGeneral(r.Get(row, 2)) +
                    "  " + FormatGeneral(r.Get(row, 3)));
  }
  memo.AppendLine("");
  memo.AppendLine(m::kProtocolTranslation);
  for (int32_t row = 1; row <= 3; ++row) memo.AppendLine(FormatFixed(tr.Get(row, 1), 15, 12));
  memo.AppendLine("");
  memo.AppendLine(m::kProtocolScales);
  for (int32_t i = 1; i <= 3; ++i) memo.AppendLine(FormatFixed(s.Get(i, i), 15, 12));
  memo.AppendLine("");
  memo.AppendLine(m::kProtocolM0 + FormatFixed(M0, 15, 8));
}

void TSeznam::ShowPoints(CellGrid& grid) const {
  const int32_t n = GetIdenticalCount();
  grid.SetRowCount(n + 1);
  WriteHeadings(grid);
  for (int32_t i = 0; i < n; ++i) {
    const TIdentickyBod& point = IdenticalPoints[static_cast<std::size_t>(i)];
    grid.SetCell(0, i + 1, point.Name);
    grid.SetCell(1, i + 1, kNoValueAfterLoad);
    grid.SetCell(2, i + 1, kNoValueAfterLoad);
    grid.SetCell(3, i + 1, point.Used ? kUsedText : kUnusedText);
  }
}

void TSeznam::ShowResults(CellGrid& grid, std::string& m0Label, std::string& pointLabel) const {
  const int32_t n = GetIdenticalCount();
  grid.SetRowCount(n + 1);
  WriteHeadings(grid);

  if (!KeyValid) {
    // Number and state cells keep what the table showed before.
    for (int32_t row = 1; row <= n; ++row) {
      grid.SetCell(1, row, kNoValue);
      grid.SetCell(2, row, kNoValue);
    }
    m0Label = kNoLabel;
    pointLabel = kNoLabel;
    return;
  }

  for (int32_t i = 0; i < n; ++i) {
    const TIdentickyBod& point = IdenticalPoints[static_cast<std::size_t>(i)];
    const int32_t row = i + 1;
    grid.SetCell(0, row, point.Name);
    if (point.Used) {
      grid.SetCell(3, row, kUsedText);
      grid.SetCell(1, row, point.M0WithoutValid ? FormatFixed(point.M0Without, 10, 4) : kNoValue);
      // No ratio to a zero m0 (a key that fits its points exactly).
      grid.SetCell(
          2, row,
          point.M0WithoutValid && M0 > 0 ? FormatFixed(point.M0Without / M0, 5, 3) : kNoValue);
    } else {
      grid.SetCell(3, row, kUnusedText);
      grid.SetCell(1, row, kNoValue);
      grid.SetCell(2, row, kNoValue);
    }
  }

  m0Label = FormatFixed(M0, 15, 4);
  const int32_t suspicious = FindSuspiciousPoint();
  pointLabel =
      suspicious >= 0 ? IdenticalPoints[static_cast<std::size_t>(suspicious)].Name : kNoLabel;
}

}  // namespace ternavo
