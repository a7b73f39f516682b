// Internals of the iterative keys shared by the key code, the drivers and the
// tests: the outcome of one Gauss-Newton step and the convergence loop.
#pragma once

#include "adjustment/seznam.h"

namespace ternavo {

enum class StepOutcome {
  Skipped,   // too few (or too many) used points: nothing changed
  Failed,    // no pseudo-inverse: m0 = 0, unknowns unchanged
  Solved,    // correction applied, m0 written
  ExactFit,  // correction applied and m0 is 0 or at the rounding level
};

// An m0 below this share of the largest coordinate magnitude of the used
// points is rounding noise: the key fits exactly.
inline constexpr Extended kPerfectFitRatio = 1e-14L;

// Threshold below which singular values of the normal matrix are dropped.
inline constexpr Extended kPseudoInverseThreshold = 1e-15L;
// Most steps one iteration runs.
inline constexpr int kMaxIterationSteps = 101;

StepOutcome RunSimilarityStep(TSeznam& s, Extended& m0);
StepOutcome RunCongruenceStep(TSeznam& s, Extended& m0);

// Steps until m0 stops falling: the last m0 must exceed 0.995 times the one
// before and 0.99 times the one before that (both strictly). A step that fits
// every point exactly ends the loop at once. On failure iterM0 is reset to 0.
template <class Step>
bool IterateUntilConverged(Extended& iterM0, Step&& step) {
  iterM0 = 0;
  Extended previous = 0;
  Extended beforePrevious = 0;
  if (step(iterM0) == StepOutcome::ExactFit) return true;
  int count = 0;
  for (;;) {
    if (previous > 0 && beforePrevious > 0 && iterM0 / previous > 0.995L &&
        iterM0 / beforePrevious > 0.99L) {
      return true;
    }
    if (count >= kMaxIterationSteps - 1) {
      iterM0 = 0;
      return false;
    }
    beforePrevious = previous;
    previous = iterM0;
    const StepOutcome outcome = step(iterM0);
    ++count;
    if (outcome == StepOutcome::ExactFit) return true;
  }
}

}  // namespace ternavo
