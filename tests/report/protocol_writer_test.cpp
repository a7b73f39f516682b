#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "adjustment/seznam.h"

namespace ternavo {
namespace {

// The test program never sets a locale: numbers come with a decimal point.

struct PointData {
  int32_t number;
  bool used;
  Extended m0Without;
  bool valid;
};

TSeznam MakeList(const std::vector<PointData>& points) {
  TSeznam s;
  for (const PointData& p : points) {
    TIdentickyBod b;
    b.Number = p.number;
    b.Used = p.used;
    b.M0Without = p.m0Without;
    b.M0WithoutValid = p.valid;
    s.IdenticalPoints.push_back(b);
  }
  return s;
}

// Elements that tell the renderings apart: general drops trailing zeros and
// turns to E below 1e-4; fixed 15/12 rounds at the 15th digit or the 12th
// decimal, whichever comes first, and pads; fixed 15/8 keeps 8 decimals.
void PutKey(TSeznam& s) {
  const Extended r[3][3] = {{1.0L, -1e-17L, 0.25L},
                            {-1e-17L, 0.5L, -0.125L},
                            {2.0L, 1e-5L, 700123.456789012345L}};
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) s.RotationMatrix->Put(i + 1, j + 1, r[i][j]);
  s.TranslationVector->Put(1, 1, 700123.456789012345L);
  s.TranslationVector->Put(2, 1, -1040000.5L);
  s.TranslationVector->Put(3, 1, 0.0L);
  s.ScaleMatrix->Put(1, 1, 1.0L);
  s.ScaleMatrix->Put(2, 2, 1.000012L);
  s.ScaleMatrix->Put(3, 3, 0.999999999999999L);
  s.M0 = 0.0123456789L;
  s.KeyValid = true;
}

struct TypeCase {
  int32_t type;
  const char* line2;  // nullptr: no type line
};

class WriteProtocolByType : public ::testing::TestWithParam<TypeCase> {};

TEST_P(WriteProtocolByType, EveryLine) {
  TSeznam s = MakeList({{1, true, 0, false}, {2, false, 0, false}, {5, true, 0, false},
                        {-7, true, 0, false}});
  PutKey(s);
  TextLines memo;
  memo.AppendLine("left over from before");
  s.WriteProtocol(memo, GetParam().type);

  std::vector<std::string> expected = {"Program Ternavo v 2.0, Protokol o výpočtu."};
  if (GetParam().line2 != nullptr) expected.push_back(GetParam().line2);
  for (const char* line : {"", "Použité identické body :", "1,5,-7", "", "Transformační klíč :",
                           "  Matice Rotace :", "1  -1E-17  0.25", "0.000000000000  0.5  -0.125",
                           "2.000000000000  1E-5  700123.456789012", "", "  Vektor Translace :",
                           "700123.456789012000", "-1040000.500000000000", "0.000000000000", "",
                           "  Měřítka v jednotlivých osách (x,y,z):", "1.000000000000",
                           "1.000012000000", "1.000000000000", "",
                           "Střední chyba jednotková:  0.01234568"}) {
    expected.push_back(line);
  }
  EXPECT_EQ(memo.Lines(), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Types, WriteProtocolByType,
    ::testing::Values(TypeCase{0, "Obecná afinní transformace"},
                      TypeCase{1, "Podobnostní transformace"},
                      TypeCase{2, "Shodnostní Podobnostní transformace"}, TypeCase{3, nullptr},
                      TypeCase{-1, nullptr}));

TEST(WriteProtocol, NoUsedPointAndZeroM0) {
  TSeznam s = MakeList({{3, false, 0, false}, {4, false, 0, false}});
  PutKey(s);
  s.M0 = 0;
  TextLines memo;
  s.WriteProtocol(memo, 1);
  ASSERT_EQ(memo.Count(), 23u);
  EXPECT_EQ(memo[3], "Použité identické body :");
  EXPECT_EQ(memo[4], "");
  EXPECT_EQ(memo[22], "Střední chyba jednotková:  0.00000000");
}

const std::vector<std::string> kHeadings = {"Číslo bodu", "m(0){n-1}", "Poměr", "Použít"};

std::vector<std::vector<std::string>> Rows(const CellGrid& grid) {
  std::vector<std::vector<std::string>> rows;
  for (int32_t r = 0; r < grid.RowCount(); ++r) {
    std::vector<std::string> row;
    for (int32_t c = 0; c < grid.ColumnCount(); ++c) row.push_back(grid.Cell(c, r));
    rows.push_back(row);
  }
  return rows;
}

TEST(ShowPoints, TableAfterLoadingReplacesEveryRow) {
  TSeznam s = MakeList(
      {{101, true, 0.5L, true}, {-2, false, 0, false}, {2147483647, true, 0, false}});
  CellGrid grid(4);
  grid.SetRowCount(9);  // a longer table from before is cut
  grid.SetCell(1, 1, "0.1234");
  s.ShowPoints(grid);
  const std::vector<std::vector<std::string>> expected = {
      kHeadings,
      {"101", "/", "/", "         ANO"},
      {"-2", "/", "/", "         NE"},
      {"2147483647", "/", "/", "         ANO"},
  };
  EXPECT_EQ(Rows(grid), expected);

  s.IdenticalPoints.clear();
  s.ShowPoints(grid);
  EXPECT_EQ(Rows(grid), std::vector<std::vector<std::string>>{kHeadings});
}

TEST(ShowResults, WithKeyEveryKindOfRow) {
  TSeznam s = MakeList({
      {1, true, 0.75L, true},   // ratio 1.5
      {2, true, 0.25L, true},   // lowest: the suspicious point
      {3, true, 0.1L, false},   // used, no valid leave-one-out
      {4, false, 0.01L, true},  // switched off: never shown, never suspicious
      {5, true, 0.25L, true},   // ties with 2 but comes later
  });
  s.M0 = 0.5L;
  s.KeyValid = true;
  CellGrid grid(4);
  std::string m0Label = "m(0) ";
  std::string pointLabel = "XXX";
  s.ShowResults(grid, m0Label, pointLabel);
  const std::vector<std::vector<std::string>> expected = {
      kHeadings,
      {"1", "0.7500", "1.500", "         ANO"},
      {"2", "0.2500", "0.500", "         ANO"},
      {"3", "  /", "  /", "         ANO"},
      {"4", "  /", "  /", "         NE"},
      {"5", "0.2500", "0.500", "         ANO"},
  };
  EXPECT_EQ(Rows(grid), expected);
  EXPECT_EQ(m0Label, "0.5000");
  EXPECT_EQ(pointLabel, "2");
}

TEST(ShowResults, CellsAndLabelsAtTheEdges) {
  struct Case {
    const char* what;
    PointData point;
    Extended m0;
    const char* m0Cell;
    const char* ratioCell;
    const char* m0Label;
    const char* pointLabel;
  };
  const Case cases[] = {
      {"zero m0: no ratio", {7, true, 0.003L, true}, 0, "0.0030", "  /", "0.0000", "7"},
      {"no valid point: no suspect", {7, true, 0.003L, false}, 0.2L, "  /", "  /", "0.2000", "-"},
      {"large ratio", {7, true, 123456.0L, true}, 1.0L, "123456.0000", "1.2346E005", "1.0000", "7"},
      {"huge m0", {7, true, 1.0L, true}, 1e15L, "1.0000", "0.000", "1E0015", "7"},
  };
  for (const Case& k : cases) {
    TSeznam s = MakeList({k.point});
    s.M0 = k.m0;
    s.KeyValid = true;
    CellGrid grid(4);
    std::string m0Label, pointLabel;
    s.ShowResults(grid, m0Label, pointLabel);
    EXPECT_EQ(grid.Cell(1, 1), k.m0Cell) << k.what;
    EXPECT_EQ(grid.Cell(2, 1), k.ratioCell) << k.what;
    EXPECT_EQ(m0Label, k.m0Label) << k.what;
    EXPECT_EQ(pointLabel, k.pointLabel) << k.what;
  }
}

TEST(ShowResults, WithoutKeyKeepsNumbersAndStates) {
  TSeznam s = MakeList({{1, true, 0.3L, true}, {2, true, 0.2L, true}});
  CellGrid grid(4);
  s.ShowPoints(grid);
  // Switched off after the table was drawn: without a key the state cell
  // is not redrawn.
  s.IdenticalPoints[1].Used = false;
  s.KeyValid = false;
  std::string m0Label = "0.1000";
  std::string pointLabel = "2";
  s.ShowResults(grid, m0Label, pointLabel);
  const std::vector<std::vector<std::string>> expected = {
      kHeadings,
      {"1", "  /", "  /", "         ANO"},
      {"2", "  /", "  /", "         ANO"},
  };
  EXPECT_EQ(Rows(grid), expected);
  EXPECT_EQ(m0Label, "-");
  EXPECT_EQ(pointLabel, "-");
}

}  // namespace
}  // namespace ternavo
