#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cli/cli_app.h"

namespace ternavo {
namespace {

TEST(TransformDetailPointsInBlocks, SameLinesAsOneCall) {
  TSeznam s;
  for (int i = 1; i <= 3; ++i) {
    s.RotationMatrix->Put(i, i, 1);
    s.ScaleMatrix->Put(i, i, 2);
  }
  s.RotationMatrix->Put(1, 2, 0.5L);
  s.TranslationVector->Put(1, 1, 10);
  s.TranslationVector->Put(3, 1, -30);
  for (int j = 0; j < 7; ++j) s.DetailPoints.push_back({100 + j, 1.25L * j, -0.5L * j, 7.0L + j});

  TextLines whole;
  s.TransformDetailPoints(whole);
  ASSERT_EQ(whole.Count(), 10u);
  for (std::size_t block : {1u, 3u, 7u, 100u}) {
    std::vector<std::string> joined;
    int calls = 0;
    TransformDetailPointsInBlocks(s, block, [&](const TextLines& lines, std::size_t from) {
      ++calls;
      for (std::size_t i = from; i < lines.Count(); ++i) joined.push_back(lines[i]);
    });
    EXPECT_EQ(joined, whole.Lines()) << "block " << block;
    EXPECT_EQ(calls, static_cast<int>((7 + block - 1) / block)) << "block " << block;
    ASSERT_EQ(s.DetailPoints.size(), 7u);  // put back
    EXPECT_EQ(s.DetailPoints[6].Number, 106);
  }

  s.DetailPoints.clear();
  int calls = 0;
  TransformDetailPointsInBlocks(s, 4, [&](const TextLines&, std::size_t) { ++calls; });
  EXPECT_EQ(calls, 0);
}

}  // namespace
}  // namespace ternavo
