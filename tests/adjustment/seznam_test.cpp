#include "adjustment/seznam.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

namespace ternavo {
namespace {

void ExpectZeroMatrix(const MaticePtr& m, uint16_t rows, uint16_t cols) {
  ASSERT_NE(m, nullptr);
  ASSERT_EQ(m->Rows(), rows);
  ASSERT_EQ(m->Cols(), cols);
  for (int i = 1; i <= rows; ++i)
    for (int j = 1; j <= cols; ++j) EXPECT_EQ(m->Get(i, j), 0.0L) << i << "," << j;
}

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

TEST(SeznamTest, CreateGivesZeroKeyAndNoPointLeftOut) {
  TSeznam s;
  ExpectZeroMatrix(s.RotationMatrix, 3, 3);
  ExpectZeroMatrix(s.ScaleMatrix, 3, 3);
  ExpectZeroMatrix(s.TranslationVector, 3, 1);
  EXPECT_EQ(s.LeftOutIndex, -1);
  EXPECT_FALSE(s.KeyValid);
  EXPECT_EQ(s.GetIdenticalCount(), 0);
  EXPECT_EQ(s.GetDetailCount(), 0);
  EXPECT_EQ(s.GetUsedCount(), 0);
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

TEST(SeznamTest, ResizingKeepsRecordsAndZeroesAddedOnes) {
  TSeznam s;
  s.SetIdenticalCount(2);
  s.IdenticalPoints[1] = {42, 1, 2, 3, 4, 5, 6, true, 0.25L, true};
  s.SetDetailCount(1);
  s.DetailPoints[0] = {7, 1, 2, 3};

  s.SetIdenticalCount(4);
  s.SetDetailCount(3);
  ASSERT_EQ(s.GetIdenticalCount(), 4);
  EXPECT_EQ(s.IdenticalPoints[1].Number, 42);
  EXPECT_EQ(s.IdenticalPoints[1].SourceZ, 6.0L);
  EXPECT_TRUE(s.IdenticalPoints[1].M0WithoutValid);
  for (int i : {2, 3}) {
    const TIdentickyBod& p = s.IdenticalPoints[static_cast<std::size_t>(i)];
    EXPECT_EQ(p.Number, 0);
    EXPECT_EQ(p.TargetX, 0.0L);
    EXPECT_EQ(p.SourceZ, 0.0L);
    EXPECT_FALSE(p.Used);
    EXPECT_EQ(p.M0Without, 0.0L);
    EXPECT_FALSE(p.M0WithoutValid);
  }
  EXPECT_EQ(s.DetailPoints[0].Z, 3.0L);
  EXPECT_EQ(s.DetailPoints[2].Number, 0);
  EXPECT_EQ(s.GetUsedCount(), 1);

  s.SetIdenticalCount(0);
  s.SetDetailCount(0);
  EXPECT_EQ(s.GetIdenticalCount(), 0);
  EXPECT_EQ(s.GetDetailCount(), 0);
}

TEST(SeznamTest, NegativeCountIsARangeErrorAndChangesNothing) {
  TSeznam s;
  s.SetIdenticalCount(3);
  s.SetDetailCount(2);
  EXPECT_THROW(s.SetIdenticalCount(-1), std::out_of_range);
  EXPECT_THROW(s.SetDetailCount(-2147483647 - 1), std::out_of_range);
  EXPECT_EQ(s.GetIdenticalCount(), 3);
  EXPECT_EQ(s.GetDetailCount(), 2);
}

TEST(SeznamTest, LeaveOutPutsBackThePreviousPoint) {
  TSeznam s = ListWithUsed("1111111");
  s.LeaveOut(3);
  EXPECT_EQ(UsedPattern(s), "1110111");
  EXPECT_EQ(s.LeftOutIndex, 3);
  s.LeaveOut(5);
  EXPECT_EQ(UsedPattern(s), "1111101");
  EXPECT_EQ(s.LeftOutIndex, 5);
  EXPECT_EQ(s.GetUsedCount(), 6);
  s.LeaveOut(-1);
  EXPECT_EQ(UsedPattern(s), "1111111");
  EXPECT_EQ(s.LeftOutIndex, -1);
  // Restoring twice does not disturb a point the user switched off.
  s.IdenticalPoints[0].Used = false;
  s.LeaveOut(-1);
  EXPECT_EQ(UsedPattern(s), "0111111");
}

struct WalkCase {
  const char* used;
  std::vector<int32_t> visited;
};

class LeaveOutWalkTest : public ::testing::TestWithParam<WalkCase> {};

TEST_P(LeaveOutWalkTest, VisitsEveryUsedPointOnceInAscendingOrder) {
  const WalkCase& c = GetParam();
  TSeznam s = ListWithUsed(c.used);
  std::vector<int32_t> visited;
  if (s.LeaveOutFirst()) {
    do {
      visited.push_back(s.LeftOutIndex);
      // Exactly the point left out is off; all others as they were.
      std::string expected = c.used;
      expected[static_cast<std::size_t>(s.LeftOutIndex)] = '0';
      EXPECT_EQ(UsedPattern(s), expected);
    } while (s.LeaveOutNext());
  }
  EXPECT_EQ(visited, c.visited);
  s.LeaveOut(-1);
  EXPECT_EQ(UsedPattern(s), c.used);
  EXPECT_EQ(s.LeftOutIndex, -1);
}

INSTANTIATE_TEST_SUITE_P(Walks, LeaveOutWalkTest,
                         ::testing::Values(WalkCase{"", {}}, WalkCase{"000", {}},
                                           WalkCase{"1", {0}}, WalkCase{"111", {0, 1, 2}},
                                           WalkCase{"01101", {1, 2, 4}},
                                           WalkCase{"10010", {0, 3}},
                                           WalkCase{"0001", {3}}));

TEST(LeaveOutStepTest, LastPointStaysLeftOutUntilRestored) {
  TSeznam s = ListWithUsed("1101");
  s.LeaveOut(3);
  EXPECT_FALSE(s.LeaveOutNext());
  EXPECT_EQ(s.LeftOutIndex, 3);
  EXPECT_EQ(UsedPattern(s), "1100");
}

TEST(LeaveOutStepTest, NoUsedPointAfterTheLeftOutOneRestoresIt) {
  TSeznam s = ListWithUsed("11100");
  s.LeaveOut(2);
  EXPECT_FALSE(s.LeaveOutNext());
  EXPECT_EQ(s.LeftOutIndex, -1);
  EXPECT_EQ(UsedPattern(s), "11100");
}

TEST(LeaveOutStepTest, NextWithNothingLeftOutStartsAtTheFirstUsedPoint) {
  TSeznam s = ListWithUsed("0011");
  EXPECT_TRUE(s.LeaveOutNext());
  EXPECT_EQ(s.LeftOutIndex, 2);
  // First restores whatever was left out before it starts.
  s.LeaveOut(3);
  EXPECT_TRUE(s.LeaveOutFirst());
  EXPECT_EQ(s.LeftOutIndex, 2);
  EXPECT_EQ(UsedPattern(s), "0001");
}

struct SuspectPoint {
  bool used;
  bool valid;
  Extended m0Without;
};

struct SuspectCase {
  const char* name;
  std::vector<SuspectPoint> points;
  int32_t expected;
};

class FindSuspiciousPointTest : public ::testing::TestWithParam<SuspectCase> {};

TEST_P(FindSuspiciousPointTest, PicksTheSmallestValidUsedM0) {
  const SuspectCase& c = GetParam();
  TSeznam s;
  s.SetIdenticalCount(static_cast<int32_t>(c.points.size()));
  for (std::size_t i = 0; i < c.points.size(); ++i) {
    s.IdenticalPoints[i].Used = c.points[i].used;
    s.IdenticalPoints[i].M0WithoutValid = c.points[i].valid;
    s.IdenticalPoints[i].M0Without = c.points[i].m0Without;
  }
  EXPECT_EQ(s.FindSuspiciousPoint(), c.expected) << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FindSuspiciousPointTest,
    ::testing::Values(
        SuspectCase{"empty", {}, -1},
        SuspectCase{"smallest wins", {{true, true, 3}, {true, true, 1}, {true, true, 2}}, 1},
        SuspectCase{"tie goes to lower index", {{true, true, 5}, {true, true, 2}, {true, true, 2}}, 1},
        SuspectCase{"all zero: first", {{true, true, 0}, {true, true, 0}}, 0},
        SuspectCase{"unused ignored", {{false, true, 0.1L}, {true, true, 1}}, 1},
        SuspectCase{"invalid ignored", {{true, false, 0.1L}, {true, true, 1}}, 1},
        SuspectCase{"none valid", {{true, false, 1}, {false, true, 1}}, -1},
        SuspectCase{"limit never chosen", {{true, true, 2147483647.0L}}, -1},
        SuspectCase{"just below limit", {{true, true, 2147483646.5L}}, 0},
        SuspectCase{"huge values skipped", {{true, true, 1e30L}, {true, true, 7}}, 1}),
    [](const auto& info) {
      std::string n = info.param.name;
      for (char& ch : n)
        if (ch == ' ' || ch == ':') ch = '_';
      return n;
    });

}  // namespace
}  // namespace ternavo
