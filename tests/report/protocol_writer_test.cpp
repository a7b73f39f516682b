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
  for (const PointData& p : points)
    s.IdenticalPoints.push_back(
        {std::to_string(p.number), 0, 0, 0, 0, 0, 0, p.used, p.m0Without, p.valid});
  return s;
}

// Elements that tell the renderings apart: general drops trailing zeros and
// turns to E below 1e-4; fixed 15/12 rounds at the 15th digit or the 12th
// decimal, whichever comes first, and pads; fixed 15/8 keeps 8 decimals.
void PutKey(TSeznam& s) {
  const Extended r[3][3] = {
      {1.0L, -1e-17L, 0.25L}, {-1e-17L, 0.5L, -0.125L}, {2.0L, 1e-5L, 700123.456789012345L}};
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) s.RotationMatrix->Put(i + 1, j + 1, r[i][j]);
  const Extended t[3] = {700123.456789012345L, -1040000.5L, 0};
  const Extended m[3] = {1, 1.000012L, 0.999999999999999L};
  for (int i = 1; i <= 3; ++i)
    s.TranslationVector->Put(i, 1, t[i - 1]), s.ScaleMatrix->Put(i, i, m[i - 1]);
  s.M0 = 0.0123456789L;
  s.KeyValid = true;
}

TEST(WriteProtocol, EveryLineForEveryType) {
  const std::pair<int32_t, const char*> types[] = {{0, "Obecná afinní transformace"},
                                                   {1, "Podobnostní transformace"},
                                                   {2, "Shodnostní Podobnostní transformace"},
                                                   {3, nullptr},
                                                   {-1, nullptr}};
  for (const auto& [type, typeLine] : types) {
    TSeznam s = MakeList(
        {{1, true, 0, false}, {2, false, 0, false}, {5, true, 0, false}, {-7, true, 0, false}});
    PutKey(s);
    TextLines memo;
    memo.AppendLine("left over from before");
    s.WriteProtocol(memo, type);
    std::vector<std::string> expected = {"Program Ternavo v 2.0, Protokol o výpočtu."};
    if (typeLine != nullptr) expected.push_back(typeLine);
    for (const char* line : {"",
                             "Použité identické body :",
                             "1,5,-7",
                             "",
                             "Transformační klíč :",
                             "  Matice Rotace :",
                             "1  -1E-17  0.25",
                             "0.000000000000  0.5  -0.125",
                             "2.000000000000  1E-5  700123.456789012",
                             "",
                             "  Vektor Translace :",
                             "700123.456789012000",
                             "-1040000.500000000000",
                             "0.000000000000",
                             "",
                             "  Měřítka v jednotlivých osách (x,y,z):",
                             "1.000000000000",
                             "1.000012000000",
                             "1.000000000000",
                             "",
                             "Střední chyba jednotková:  0.01234568"}) {
      expected.push_back(line);
    }
    EXPECT_EQ(memo.Lines(), expected) << "type " << type;
  }
}

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

using Table = std::vector<std::vector<std::string>>;
const std::vector<std::string> kHeadings = {"Číslo bodu", "m(0){n-1}", "Poměr", "Použít"};

Table Rows(const CellGrid& grid) {
  Table rows(grid.RowCount());
  for (int32_t r = 0; r < grid.RowCount(); ++r)
    for (int32_t c = 0; c < grid.ColumnCount(); ++c) rows[r].push_back(grid.Cell(c, r));
  return rows;
}

// The table after loading, then after a computation with a key (a switched-off
// point shows its state but never becomes the suspect), then without one.
TEST(ShowResults, TableBeforeAndAfter) {
  TSeznam s = MakeList({{101, true, 0.75L, true},
                        {-2, true, 0.25L, true},
                        {4, false, 0.01L, true},
                        {2147483647, true, 0.25L, true}});
  CellGrid grid(4);
  grid.SetRowCount(9);  // a longer table from before is cut
  grid.SetCell(1, 1, "0.1234");
  s.ShowPoints(grid);
  EXPECT_EQ(Rows(grid), (Table{kHeadings,
                               {"101", "/", "/", "         ANO"},
                               {"-2", "/", "/", "         ANO"},
                               {"4", "/", "/", "         NE"},
                               {"2147483647", "/", "/", "         ANO"}}));
  s.M0 = 0.5L;
  s.KeyValid = true;
  std::string m0Label = "m(0) ", pointLabel = "XXX";
  s.ShowResults(grid, m0Label, pointLabel);
  EXPECT_EQ(Rows(grid), (Table{kHeadings,
                               {"101", "0.7500", "1.500", "         ANO"},
                               {"-2", "0.2500", "0.500", "         ANO"},  // first of the lowest
                               {"4", "  /", "  /", "         NE"},
                               {"2147483647", "0.2500", "0.500", "         ANO"}}));
  EXPECT_EQ(m0Label, "0.5000");
  EXPECT_EQ(pointLabel, "-2");
  // Without a key: the numbers go, and a point switched off since is not
  // redrawn.
  s.KeyValid = false;
  s.IdenticalPoints[0].Used = false;
  s.ShowResults(grid, m0Label, pointLabel);
  EXPECT_EQ(Rows(grid), (Table{kHeadings,
                               {"101", "  /", "  /", "         ANO"},
                               {"-2", "  /", "  /", "         ANO"},
                               {"4", "  /", "  /", "         NE"},
                               {"2147483647", "  /", "  /", "         ANO"}}));
  EXPECT_EQ(m0Label, "-");
  EXPECT_EQ(pointLabel, "-");
  s.IdenticalPoints.clear();
  s.ShowPoints(grid);
  EXPECT_EQ(Rows(grid), Table{kHeadings});
}

TEST(ShowResults, CellsAndLabelsAtTheEdges) {
  struct Case {
    PointData point;
    Extended m0;
    const char *m0Cell, *ratioCell, *m0Label, *pointLabel;
  };
  const Case cases[] = {
      {{7, true, 0.003L, true}, 0, "0.0030", "  /", "0.0000", "7"},  // zero m0: no ratio
      {{7, true, 0.003L, false}, 0.2L, "  /", "  /", "0.2000", "-"},
      {{7, true, 123456.0L, true}, 1.0L, "123456.0000", "1.2346E005", "1.0000", "7"},
      {{7, true, 1.0L, true}, 1e15L, "1.0000", "0.000", "1E0015", "7"},
  };
  for (const Case& k : cases) {
    TSeznam s = MakeList({k.point});
    s.M0 = k.m0;
    s.KeyValid = true;
    CellGrid grid(4);
    std::string m0Label, pointLabel;
    s.ShowResults(grid, m0Label, pointLabel);
    EXPECT_EQ(grid.Cell(1, 1), k.m0Cell) << k.m0Label;
    EXPECT_EQ(grid.Cell(2, 1), k.ratioCell) << k.m0Label;
    EXPECT_EQ(m0Label, k.m0Label);
    EXPECT_EQ(pointLabel, k.pointLabel) << k.m0Label;
  }
}

}  // namespace
}  // namespace ternavo
