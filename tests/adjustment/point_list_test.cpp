#include "adjustment/point_list.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace ternavo {
namespace {

// One read point as "name x y z" (coordinates as %.6Lg), the points joined by "|".
std::string Points(const PointList& list) {
  std::string out;
  for (const ListedPoint& p : list.Points) {
    char buffer[128];
    std::snprintf(buffer, sizeof buffer, " %.6Lg %.6Lg %.6Lg", p.X, p.Y, p.Z);
    if (!out.empty()) out += "|";
    out += p.Name + buffer;
  }
  return out;
}

struct ReadCase {
  const char* what;
  std::string bytes;
  std::optional<ColumnOrder> order;
  std::string points;  // as Points() writes them; "" when the list is wrong
  std::string error;   // after the file name and "řádek"
  char separator = ' ';
  char mark = '.';
};

TEST(PointListReader, Rules) {
  const std::string e = "Seznam souřadnic \"s.txt\", řádek ";
  const ReadCase cases[] = {
      {"blanks and tabs, remarks ignored",
       "1  10.5\t20 30 kód x\n\n# note\nP12 1 2 3\n",
       {},
       "1 10.5 20 30|P12 1 2 3",
       ""},
      {"semicolons, decimal comma, heading Y X Z",
       "Číslo;Y;X;Z\n0012; 2,5 ;1,25;3;kód\n",
       {},
       "0012 1.25 2.5 3",
       "",
       ';',
       ','},
      {"explicit order overrides the heading", "Číslo;Y;X;Z\nA;1;2;3\n", ColumnOrder::Xyz,
       "A 1 2 3", "", ';'},
      {"yxz chosen", "A 1 2 3\n", ColumnOrder::Yxz, "A 2 1 3", ""},
      {"commas", "name,x,y,z\r\nB,1.5,2,3\r\n", {}, "B 1.5 2 3", "", ','},
      {"blanks with decimal comma", "C 1,5 2,5 3\n", {}, "C 1.5 2.5 3", "", ' ', ','},
      {"byte-order mark",
       "\xEF\xBB\xBF"
       "D 1 2 3\n",
       {},
       "D 1 2 3",
       ""},
      {"Windows-1250 names",
       "\x8A"
       "\xE8"
       "1 1 2 3\n",
       {},
       "Šč1 1 2 3",
       ""},
      {"missing coordinate",
       "A 1 2 3\nB 1 2\n",
       {},
       "",
       e + "2: chybí souřadnice (bod potřebuje název a tři souřadnice)."},
      {"text for a number",
       "A 1 2 3\n\nB 1 x2 3\n",
       {},
       "",
       e + "3: \"x2\" na místě souřadnice není číslo."},
      {"first line half numbers is no heading",
       "A 1 y 3\n",
       {},
       "",
       e + "1: \"y\" na místě souřadnice není číslo."},
      {"duplicate name",
       "A 1 2 3\nB 1 2 3\nA 4 5 6\n",
       {},
       "",
       e + "3: bod \"A\" je v seznamu podruhé (poprvé na řádku 1)."},
      {"names compared exactly",
       "A 1 2 3\na 1 2 3\n012 1 2 3\n12 1 2 3\n",
       {},
       "A 1 2 3|a 1 2 3|012 1 2 3|12 1 2 3",
       ""},
      {"empty name", "A;1;2;3\n ;1;2;3\n", {}, "", e + "2: prázdný název bodu.", ';'},
      {"long name",
       "A 1 2 3\n" + std::string(65, 'N') + " 1 2 3\n",
       {},
       "",
       e + "2: název bodu je delší než 64 znaků."},
      {"no points",
       "# nothing\nBod X Y Z\n",
       {},
       "",
       "Seznam souřadnic \"s.txt\" neobsahuje žádný bod."},
  };
  for (const ReadCase& c : cases) {
    SCOPED_TRACE(c.what);
    PointList list;
    list.Points.push_back({"kept", 1, 2, 3, 1});
    const ListReadResult r = ParsePointList(c.bytes, "s.txt", c.order, list);
    EXPECT_EQ(r.Loaded, c.error.empty());
    EXPECT_EQ(r.Error, c.error);
    if (!r.Loaded) {
      EXPECT_EQ(Points(list), "kept 1 2 3");  // nothing half-read
      continue;
    }
    EXPECT_EQ(Points(list), c.points);
    EXPECT_EQ(list.Conventions.Separator, c.separator);
    EXPECT_EQ(list.Conventions.DecimalMark, c.mark);
  }
}

TEST(PointListPairing, OrderDetailAndUnpaired) {
  PointList source, target;
  ASSERT_TRUE(ParsePointList("D1 0 0 0\nB 1 1 1\nA 2 2 2\nD2 3 3 3\n", "s", {}, source).Loaded);
  ASSERT_TRUE(ParsePointList("A 20 20 20\nX 9 9 9\nB 10 10 10\nY 8 8 8\n", "t", {}, target).Loaded);
  TSeznam s;
  const PairingSummary summary = PairPointLists(source, target, s);
  ASSERT_EQ(s.GetIdenticalCount(), 2);
  EXPECT_EQ(s.IdenticalPoints[0].Name, "B");  // source order
  EXPECT_EQ(s.IdenticalPoints[0].TargetX, 10);
  EXPECT_EQ(s.IdenticalPoints[0].SourceX, 1);
  EXPECT_TRUE(s.IdenticalPoints[1].Used);
  ASSERT_EQ(s.GetDetailCount(), 2);
  EXPECT_EQ(s.DetailPoints[1].Name, "D2");
  EXPECT_EQ(summary.UnpairedTargets, (std::vector<std::string>{"X", "Y"}));
  EXPECT_EQ(UnpairedNotice(summary),
            "Body cílového seznamu bez bodu ve výchozím seznamu (2): X, Y");
}

}  // namespace
}  // namespace ternavo
