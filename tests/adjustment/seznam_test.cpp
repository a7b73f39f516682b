#include "adjustment/seznam.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

namespace ternavo {
namespace {

// A list whose Used flags follow the pattern ('1' used, '0' not).
TSeznam ListWithUsed(const std::string& pattern) {
  TSeznam s;
  s.SetIdenticalCount(static_cast<int32_t>(pattern.size()));
  for (std::size_t i = 0; i < pattern.size(); ++i) s.IdenticalPoints[i].Used = pattern[i] == '1';
  return s;
}

std::string UsedPattern(const TSeznam& s) {
  std::string out;
  for (const TIdentickyBod& p : s.IdenticalPoints) out += p.Used ? '1' : '0';
  return out;
}

TEST(SeznamTest, CopyOwnsItsKeyMatrices) {
  TSeznam a;
  a.SetIdenticalCount(2);
  a.IdenticalPoints[1].TargetY = 7.5L;
  a.RotationMatrix->Put(2, 3, 4.25L);
  a.LeftOutIndex = 1;
  a.IterOmega = 0.5L;
  TSeznam b(a);
  b.RotationMatrix->Put(2, 3, -1.0L);
  b.IdenticalPoints[1].TargetY = 0;
  EXPECT_EQ(a.RotationMatrix->Get(2, 3), 4.25L);
  EXPECT_EQ(a.IdenticalPoints[1].TargetY, 7.5L);
  EXPECT_EQ(b.LeftOutIndex, 1);
  EXPECT_EQ(b.IterOmega, 0.5L);
  TSeznam c;
  c = a;
  a.TranslationVector->Put(3, 1, 9.0L);
  EXPECT_EQ(c.TranslationVector->Get(3, 1), 0.0L);
  EXPECT_EQ(c.RotationMatrix->Get(2, 3), 4.25L);
  EXPECT_NE(c.RotationMatrix.get(), a.RotationMatrix.get());
  EXPECT_EQ(c.GetIdenticalCount(), 2);
}

TEST(SeznamTest, ResizingKeepsRecordsZeroesAddedOnesAndRefusesNegativeCounts) {
  TSeznam s;
  s.IdenticalPoints = {{}, {"42", 1, 2, 3, 4, 5, 6, true, 0.25L, true}};
  s.DetailPoints = {{"7", 1, 2, 3}};
  s.SetIdenticalCount(4);
  s.SetDetailCount(3);
  ASSERT_EQ(s.GetIdenticalCount(), 4);
  for (std::size_t i = 1; i < 4; ++i) {
    const TIdentickyBod& p = s.IdenticalPoints[i];
    const bool kept = i == 1;
    EXPECT_EQ(p.Name, kept ? "42" : "0");
    EXPECT_EQ(p.TargetX, kept ? 1 : 0);
    EXPECT_EQ(p.SourceZ, kept ? 6 : 0);
    EXPECT_EQ(p.Used, kept);
    EXPECT_EQ(p.M0Without, kept ? 0.25L : 0);
    EXPECT_EQ(p.M0WithoutValid, kept);
  }
  EXPECT_EQ(s.DetailPoints[0].Z, 3.0L);
  EXPECT_EQ(s.DetailPoints[2].Name, "0");
  EXPECT_THROW(s.SetIdenticalCount(-1), std::out_of_range);
  EXPECT_THROW(s.SetDetailCount(-2147483647 - 1), std::out_of_range);
  EXPECT_EQ(s.GetIdenticalCount(), 4);
  EXPECT_EQ(s.GetDetailCount(), 3);
  s.SetIdenticalCount(0);
  s.SetDetailCount(0);
  EXPECT_EQ(s.GetIdenticalCount() + s.GetDetailCount(), 0);
}

TEST(SeznamTest, LeaveOutWalkVisitsEveryUsedPointOnceInAscendingOrder) {
  const std::pair<const char*, std::vector<int32_t>> cases[] = {
      {"", {}},          {"000", {}},  {"1", {0}}, {"111", {0, 1, 2}}, {"01101", {1, 2, 4}},
      {"10010", {0, 3}}, {"0001", {3}}};
  for (const auto& [used, expectedVisits] : cases) {
    TSeznam s = ListWithUsed(used);
    std::vector<int32_t> visited;
    if (s.LeaveOutFirst()) {
      do {
        visited.push_back(s.LeftOutIndex);
        // Exactly the point left out is off; all others as they were.
        std::string expected = used;
        expected[static_cast<std::size_t>(s.LeftOutIndex)] = '0';
        EXPECT_EQ(UsedPattern(s), expected);
      } while (s.LeaveOutNext());
    }
    EXPECT_EQ(visited, expectedVisits) << used;
    s.LeaveOut(-1);
    EXPECT_EQ(UsedPattern(s), used);
    EXPECT_EQ(s.LeftOutIndex, -1);
  }
}

TEST(SeznamTest, LeaveOutSteps) {
  TSeznam all = ListWithUsed("1111111");  // leaving one out puts back the previous one
  all.LeaveOut(3);
  EXPECT_EQ(UsedPattern(all), "1110111");
  all.LeaveOut(5);
  EXPECT_EQ(UsedPattern(all), "1111101");
  EXPECT_EQ(all.LeftOutIndex, 5);
  EXPECT_EQ(all.GetUsedCount(), 6);
  all.LeaveOut(-1);
  EXPECT_EQ(UsedPattern(all), "1111111");
  EXPECT_EQ(all.LeftOutIndex, -1);
  all.IdenticalPoints[0].Used = false;  // restoring twice spares a switched-off point
  all.LeaveOut(-1);
  EXPECT_EQ(UsedPattern(all), "0111111");

  TSeznam last = ListWithUsed("1101");  // the last point stays left out until restored
  last.LeaveOut(3);
  EXPECT_FALSE(last.LeaveOutNext());
  EXPECT_EQ(last.LeftOutIndex, 3);
  EXPECT_EQ(UsedPattern(last), "1100");

  TSeznam none = ListWithUsed("11100");  // no used point after it: restored
  none.LeaveOut(2);
  EXPECT_FALSE(none.LeaveOutNext());
  EXPECT_EQ(none.LeftOutIndex, -1);
  EXPECT_EQ(UsedPattern(none), "11100");

  TSeznam s = ListWithUsed("0011");  // Next with nothing left out starts at the first used
  EXPECT_TRUE(s.LeaveOutNext());
  EXPECT_EQ(s.LeftOutIndex, 2);
  s.LeaveOut(3);  // First restores whatever was left out before it starts
  EXPECT_TRUE(s.LeaveOutFirst());
  EXPECT_EQ(s.LeftOutIndex, 2);
  EXPECT_EQ(UsedPattern(s), "0001");
}

TEST(SeznamTest, FindSuspiciousPointPicksTheSmallestValidUsedM0) {
  struct Case {
    const char* name;
    std::vector<TIdentickyBod> points;  // only Used, M0Without and M0WithoutValid matter
    int32_t expected;
  };
  const auto P = [](bool used, bool valid, Extended m0) {
    return TIdentickyBod{"0", 0, 0, 0, 0, 0, 0, used, m0, valid};
  };
  const Case cases[] = {{"empty", {}, -1},
                        {"smallest wins", {P(1, 1, 3), P(1, 1, 1), P(1, 1, 2)}, 1},
                        {"tie goes to lower index", {P(1, 1, 5), P(1, 1, 2), P(1, 1, 2)}, 1},
                        {"all zero: first", {P(1, 1, 0), P(1, 1, 0)}, 0},
                        {"unused ignored", {P(0, 1, 0.1L), P(1, 1, 1)}, 1},
                        {"invalid ignored", {P(1, 0, 0.1L), P(1, 1, 1)}, 1},
                        {"none valid", {P(1, 0, 1), P(0, 1, 1)}, -1},
                        {"limit never chosen", {P(1, 1, 2147483647.0L)}, -1},
                        {"just below limit", {P(1, 1, 2147483646.5L)}, 0},
                        {"huge values skipped", {P(1, 1, 1e30L), P(1, 1, 7)}, 1}};
  for (const Case& c : cases) {
    TSeznam s;
    s.IdenticalPoints = c.points;
    EXPECT_EQ(s.FindSuspiciousPoint(), c.expected) << c.name;
  }
}

}  // namespace
}  // namespace ternavo
