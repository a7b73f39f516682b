// Internals of the iterative keys shared by the key code, the drivers and the
// tests: the outcome of one Gauss-Newton step and the convergence loop.
#pragma once

#include "adjustment/seznam.h"
#include "adjustment/split_value.h"

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
// It is absolute, not relative to the largest singular value: the keys have
// always dropped at this level, and a relative threshold would change which
// nearly singular keys are refused and so the printed results.
inline constexpr Extended kPseudoInverseThreshold = 1e-15L;
// Most steps one iteration runs.
inline constexpr int kMaxIterationSteps = 101;

StepOutcome RunSimilarityStep(TSeznam& s, Extended& m0);
StepOutcome RunCongruenceStep(TSeznam& s, Extended& m0);

// Free coefficients of one design row of the iterative keys: the three angle
// columns and the scale column, and the misclosure. The Y row's Phi
// coefficient (always 0) and the congruence key's scale column are never
// written or read.
template <class V>
struct DesignRowOf {
  V angle[3];
  V scale;
  V misclosure;
};
using DesignRow = DesignRowOf<Extended>;
using SplitDesignRow = DesignRowOf<SplitValue>;

// The first step of the leave-one-out runs of an iterative key. Every run
// starts from the same accepted key, so the design rows of its first step
// are those of the full point list at the same parameters: they are made
// once. The normal sums over the points before the left-out one are the same
// running sums in every run, so a worker carries them from one run to its
// next (its runs come in ascending order) and adds only the points after the
// left-out one. Every sum adds the same terms in the same order as the
// ordinary step of that run.
class LeaveOneOutFirstStep {
 public:
  // Rows of every used point of s at its working parameters, s with no
  // point left out, kept split. When making them raised a fault, or a value
  // did not split exactly, the runs take the ordinary step, which raises the
  // fault again where it belongs.
  LeaveOneOutFirstStep(const TSeznam& s, bool withScale);

  // One per worker: the normal sums of the points before `position`.
  struct Cursor {
    int32_t position = 0;
    Extended nn[7][7] = {};
    bool broken = false;
  };

  // The first step of the run that leaves out the used point at `position`
  // (counted among the used points of s from 0); t is a copy of s with that
  // point left out and the same working parameters.
  StepOutcome Run(Cursor& cursor, int32_t position, TSeznam& t, Extended& m0) const;
  // A later step of that run: the ordinary step, with the largest coordinate
  // magnitude and the count of the remaining points known.
  StepOutcome RunLater(int32_t position, TSeznam& t, Extended& m0) const;

 private:
  bool withScale_;
  bool usable_ = false;
  int32_t count_ = 0;
  std::vector<SplitDesignRow> rows_;
  Extended largest_ = 0;
  Extended secondLargest_ = 0;
  int32_t largestAt_ = -1;
};

// Steps until m0 stops falling: the last m0 must exceed 0.995 times the one
// before and 0.99 times the one before that (both strictly). A step that fits
// every point exactly ends the loop at once. On failure iterM0 is reset to 0.
// The ratios stop the loop once m0 has settled to half a percent, which on
// survey data is one or two steps after the key has stopped moving; a tighter
// test would only add steps, and the results users compare are those of
// exactly this test.
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
