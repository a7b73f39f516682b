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

// An extended value kept as the sum of two doubles, hi (the value rounded to
// double) and lo (the rest, at most 11 significant bits): hi + lo gives the
// value back exactly, and two double loads and an addition cost less than
// one load of an 80-bit value. Exact for every finite value within the
// double range whose rest is not below it (the split raises the overflow or
// underflow flag otherwise). A value equal to its hi keeps lo = -0, so that
// hi + lo keeps the sign of a zero.
struct SplitValue {
  double hi;
  double lo;
};

inline Extended ValueOf(Extended v) { return v; }
inline Extended ValueOf(const SplitValue& v) {
  return static_cast<Extended>(v.hi) + static_cast<Extended>(v.lo);
}
inline void StoreValue(Extended& to, Extended v) { to = v; }

// Extended is the x87 80-bit format and the compiler takes GNU x87 asm.
#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__)) && __LDBL_MANT_DIG__ == 64
#define TERNAVO_X87_ASM 1
#endif

inline void StoreValue(SplitValue& to, Extended v) {
#ifdef TERNAVO_X87_ASM
  // The same operations as below, written out: hi is rounded on its way to
  // memory and read back from there, and lo goes to memory straight from
  // the x87 register, where the compiler's own code passes both halves
  // through vector registers on the way.
  asm("fstl %0\n\tfsubrl %0\n\tfchs\n\tfstpl %1" : "=m"(to.hi), "=m"(to.lo) : "t"(v) : "st");
#else
  const double hi = static_cast<double>(v);
  to.hi = hi;
  to.lo = static_cast<double>(-(hi - v));
#endif
}

// A split value read where it is used. ValueOf lets the compiler rebuild a
// loop's constant once, outside the loop, and read it back from an 80-bit
// spill slot at every pass, and on x87 an 80-bit load costs several
// additions; here the rebuild stays where it is written. It rounds as
// hi + lo does.
inline Extended Operand(Extended v) { return v; }
inline Extended Operand(const SplitValue& v) {
#ifdef TERNAVO_X87_ASM
  Extended r;
  asm volatile("fldl %1\n\tfaddl %2" : "=t"(r) : "m"(v.hi), "m"(v.lo));
  return r;
#else
  return ValueOf(v);
#endif
}

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
