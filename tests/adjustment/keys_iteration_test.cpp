// The Gauss-Newton steps and the convergence loop of the iterative keys.
#include <gtest/gtest.h>

#include <vector>

#include "keys_test_support.h"

namespace ternavo::testing {
namespace {

constexpr StepOutcome kOk = StepOutcome::Solved;
constexpr StepOutcome kFail = StepOutcome::Failed;
constexpr StepOutcome kExact = StepOutcome::ExactFit;

TEST(KeysIterationTest, ConvergenceFollowsTheScriptedM0) {
  using Script = std::vector<std::pair<Extended, StepOutcome>>;
  Script shrinking;  // falls 2 % every step: never converges
  for (Extended m = 100; shrinking.size() < 120; m *= 0.98L) shrinking.push_back({m, kOk});
  struct Case {
    const char* name;
    Script script;
    bool converged;
    int steps;
    Extended finalM0;
  };
  const Case cases[] = {
      {"falls, then levels", {{100, kOk}, {50, kOk}, {49.9L, kOk}, {49.8L, kOk}}, true, 4, 49.8L},
      {"rising counts as converged", {{1, kOk}, {2, kOk}, {3, kOk}}, true, 3, 3},
      {"ratio exactly 0.995 is not enough",
       {{100, kOk}, {100, kOk}, {99.5L, kOk}, {99.5L, kOk}},
       true,
       4,
       99.5L},
      {"ratio exactly 0.99 is not enough",
       {{100, kOk}, {99.4L, kOk}, {99, kOk}, {99, kOk}},
       true,
       4,
       99},
      {"a failed step needs three good ones after it",
       {{10, kOk}, {0, kFail}, {9.99L, kOk}, {9.98L, kOk}, {9.97L, kOk}},
       true,
       5,
       9.97L},
      {"exact fit at once", {{0, kExact}}, true, 1, 0},
      {"exact fit later", {{5, kOk}, {1, kOk}, {0, kExact}}, true, 3, 0},
      {"never levels off", shrinking, false, 101, 0},
      {"every step fails", Script(120, {0, kFail}), false, 101, 0},
  };
  for (const Case& c : cases) {
    Extended iterM0 = 123;
    int steps = 0;
    const bool converged = IterateUntilConverged(iterM0, [&](Extended& m0) {
      const auto& [scripted, outcome] = c.script.at(static_cast<std::size_t>(steps++));
      m0 = scripted;
      return outcome;
    });
    EXPECT_EQ(converged, c.converged) << c.name;
    EXPECT_EQ(steps, c.steps) << c.name;
    EXPECT_EQ(iterM0, c.finalM0) << c.name;
  }
}

// Identical coordinates in both systems and the key already exact: every
// misclosure is 0, so the first step fits exactly and ends the loop.
TEST(KeysIterationTest, ExactFitIsAcceptedAtOnce) {
  for (bool withScale : {true, false}) {
    TSeznam s;
    for (int k = 0; k < 5; ++k) AddPoint(s, k, 10 * k, 3 - k, k * k, 10 * k, 3 - k, k * k);
    s.IterScale = 1;
    s.IterM0 = 5;
    EXPECT_TRUE(withScale ? s.IterateSimilarity() : s.IterateCongruence()) << withScale;
    EXPECT_EQ(s.IterM0, 0) << withScale;
    EXPECT_EQ(s.IterOmega, 0) << withScale;
    EXPECT_EQ(s.IterScale, 1) << withScale;
  }
}

}  // namespace
}  // namespace ternavo::testing
