// Progress reports of the leave-one-out runs and their cancelling: a
// cancelled computation keeps its key but stores no diagnostics.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>
#include <utility>
#include <vector>

#include "adjustment/progress.h"
#include "keys_test_support.h"

namespace ternavo::testing {
namespace {

struct ProgressCase {
  TTypTransformace type;
  int points;
  int cancelAfter;  // reports answered true before the first false; -1: never cancel
};

// Readable, stable test names: "type1_n30_cancel2", "type0_n30_never".
void PrintTo(const ProgressCase& c, std::ostream* os) {
  *os << "type" << c.type << "_n" << c.points << "_";
  if (c.cancelAfter < 0) {
    *os << "never";
  } else {
    *os << "cancel" << c.cancelAfter;
  }
}

class ProgressTest : public ::testing::TestWithParam<ProgressCase> {};

TEST_P(ProgressTest, ReportsFromTheCallingThreadAndCancelKeepsTheKey) {
  const ProgressCase c = GetParam();
  TSeznam s = GridData(c.points, 40 + static_cast<uint64_t>(c.points));
  s.IdenticalPoints[1].Used = false;  // switched off by the user
  for (TIdentickyBod& p : s.IdenticalPoints) p.M0Without = 3.5L, p.M0WithoutValid = true;
  const TSeznam before = s;
  TSeznam plain = s;
  RunDriver(plain, c.type);

  const std::thread::id caller = std::this_thread::get_id();
  std::vector<std::pair<int, int>> calls;
  bool otherThread = false;
  bool pointsUsed = true;
  ProgressSink sink(
      [&](int done, int total, int point) {
        otherThread = otherThread || std::this_thread::get_id() != caller;
        pointsUsed = pointsUsed && point >= 0 && point < c.points &&
                     before.IdenticalPoints[static_cast<std::size_t>(point)].Used;
        calls.emplace_back(done, total);
        return c.cancelAfter < 0 || static_cast<int>(calls.size()) <= c.cancelAfter;
      },
      std::chrono::milliseconds(0));
  RunDriver(s, c.type);

  EXPECT_FALSE(otherThread);
  EXPECT_TRUE(pointsUsed) << "a report named a point that is not in use";
  ASSERT_FALSE(calls.empty());
  for (std::size_t k = 0; k < calls.size(); ++k) {
    EXPECT_EQ(calls[k].second, c.points - 1);
    EXPECT_GE(calls[k].first, k == 0 ? 1 : calls[k - 1].first + 1);
    EXPECT_LE(calls[k].first, calls[k].second);
  }
  EXPECT_EQ(s.LeftOutIndex, -1);
  EXPECT_TRUE(s.KeyValid);
  EXPECT_EQ(s.M0, plain.M0);
  for (int i = 1; i <= 3; ++i) {
    EXPECT_EQ(s.TranslationVector->Get(i, 1), plain.TranslationVector->Get(i, 1));
    for (int j = 1; j <= 3; ++j)
      EXPECT_EQ(s.RotationMatrix->Get(i, j), plain.RotationMatrix->Get(i, j));
  }
  if (c.cancelAfter < 0) {
    EXPECT_FALSE(sink.Cancelled());
    for (std::size_t i = 0; i < s.IdenticalPoints.size(); ++i) {
      EXPECT_EQ(s.IdenticalPoints[i].M0Without, plain.IdenticalPoints[i].M0Without) << i;
    }
    return;
  }
  EXPECT_TRUE(sink.Cancelled());
  EXPECT_EQ(static_cast<int>(calls.size()), c.cancelAfter + 1);
  for (std::size_t i = 0; i < s.IdenticalPoints.size(); ++i) {
    EXPECT_EQ(s.IdenticalPoints[i].Used, before.IdenticalPoints[i].Used) << i;
    EXPECT_FALSE(s.IdenticalPoints[i].M0WithoutValid) << i;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Drivers, ProgressTest,
    ::testing::Values(ProgressCase{kGeneralAffine, 200, -1}, ProgressCase{kSimilarity, 200, -1},
                      ProgressCase{kGeneralAffine, 200, 0}, ProgressCase{kSimilarity, 200, 2},
                      ProgressCase{kCongruence, 200, 1},
                      // four used points: the walk of the iterative keys is sequential
                      ProgressCase{kSimilarity, 5, 1}, ProgressCase{kCongruence, 5, -1}),
    [](const auto& info) { return ::testing::PrintToString(info.param); });

}  // namespace
}  // namespace ternavo::testing
