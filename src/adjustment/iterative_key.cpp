// The similarity (7 parameters) and congruence (6 parameters) keys by
// Gauss-Newton iteration.
//
// One step linearises the model at the current unknowns, solves the normal
// equations with the pseudo-inverse and applies the correction. The design
// matrix has fixed zeros and ones (the translation columns, the Y row's Phi
// column), so it is kept as a compact table of its free coefficients and
// every product with it is streamed: each sum adds the same non-zero terms
// in the same order as the full matrix product would, and the skipped
// products with structural zeros leave an accumulator unchanged. The sines
// and cosines are computed once per step; the same angle gives the same
// values, so the coefficients are those of the angle-taking routines.
#include <cmath>
#include <vector>

#include "adjustment/key_iteration.h"
#include "geometry/geometry.h"

namespace ternavo {

namespace {

// Adds the products of one design row of equation kEq (0 X, 1 Y, 2 Z) to the
// upper half of N = A^T A. Free columns: 0, 1, 2 (angles) and 6 (scale);
// column 3 + kEq holds 1; the Y row has no Phi term.
template <bool kWithScale, int kEq>
inline void AddToNormal(Extended (&nn)[7][7], const DesignRow& d) {
  constexpr bool kHasPhi = kEq != 1;
  constexpr int kT = 3 + kEq;
  nn[0][0] += d.angle[0] * d.angle[0];
  if (kHasPhi) nn[0][1] += d.angle[0] * d.angle[1];
  nn[0][2] += d.angle[0] * d.angle[2];
  nn[0][kT] += d.angle[0] * 1;
  if (kWithScale) nn[0][6] += d.angle[0] * d.scale;
  if (kHasPhi) {
    nn[1][1] += d.angle[1] * d.angle[1];
    nn[1][2] += d.angle[1] * d.angle[2];
    nn[1][kT] += d.angle[1] * 1;
    if (kWithScale) nn[1][6] += d.angle[1] * d.scale;
  }
  nn[2][2] += d.angle[2] * d.angle[2];
  nn[2][kT] += d.angle[2] * 1;
  if (kWithScale) nn[2][6] += d.angle[2] * d.scale;
  nn[kT][kT] += 1 * 1;
  if (kWithScale) {
    nn[kT][6] += 1 * d.scale;
    nn[6][6] += d.scale * d.scale;
  }
}

// Adds column r of Q A^T times l(r) to dx, for a row of equation kEq.
template <bool kWithScale, int kEq>
inline void AddToCorrection(Extended (&dx)[7], const Extended* qd, const DesignRow& d) {
  constexpr int kUnknowns = kWithScale ? 7 : 6;
  for (int i = 0; i < kUnknowns; ++i) {
    const Extended* qi = qd + kUnknowns * i;
    Extended qa = 0;
    qa += qi[0] * d.angle[0];
    if (kEq != 1) qa += qi[1] * d.angle[1];
    qa += qi[2] * d.angle[2];
    qa += qi[3 + kEq] * 1;
    if (kWithScale) qa += qi[6] * d.scale;
    dx[i] += qa * d.misclosure;
  }
}

// Residual (A dx)(r) - l(r) of a row of equation kEq.
template <bool kWithScale, int kEq>
inline Extended Residual(const Extended (&dx)[7], const DesignRow& d) {
  Extended adx = 0;
  adx += d.angle[0] * dx[0];
  if (kEq != 1) adx += d.angle[1] * dx[1];
  adx += d.angle[2] * dx[2];
  adx += 1 * dx[3 + kEq];
  if (kWithScale) adx += d.scale * dx[6];
  return adx + (-d.misclosure);
}

template <bool kWithScale>
inline void AddPointToNormal(Extended (&nn)[7][7], const DesignRow* d) {
  AddToNormal<kWithScale, 0>(nn, d[0]);
  AddToNormal<kWithScale, 1>(nn, d[1]);
  AddToNormal<kWithScale, 2>(nn, d[2]);
}

// The parameters a step linearises at.
struct StepPoint {
  Extended m;
  RotationTrig trig;
  Extended tX, tY, tZ;
};

template <bool kWithScale>
StepPoint MakeStepPoint(const TSeznam& s) {
  return {kWithScale ? s.IterScale : 1.0L, MakeTrig(s.IterOmega, s.IterPhi, s.IterKappa),
          s.IterTranslationX, s.IterTranslationY, s.IterTranslationZ};
}

// Rows 3k-2, 3k-1, 3k of A for a used point (X, Y, Z equations).
template <bool kWithScale>
inline void MakeRows(const TIdentickyBod& p, const StepPoint& at, DesignRow* row) {
  const Extended x = p.SourceX;
  const Extended y = p.SourceY;
  const Extended z = p.SourceZ;
  const Extended m = at.m;
  const RotationTrig& trig = at.trig;
  DesignRow& rx = row[0];
  rx.angle[0] = DXdOmega(x, y, z, m, trig);
  rx.angle[1] = DXdPhi(x, y, z, m, trig);
  rx.angle[2] = DXdKappa(x, y, z, m, trig);
  rx.scale = kWithScale ? DXdScale(x, y, z, m, trig) : 0;
  rx.misclosure = ModelX(x, y, z, m, trig, at.tX) - p.TargetX;
  DesignRow& ry = row[1];
  ry.angle[0] = DYdOmega(x, y, z, m, trig);
  ry.angle[1] = 0;
  ry.angle[2] = DYdKappa(x, y, z, m, trig);
  ry.scale = kWithScale ? DYdScale(x, y, z, m, trig) : 0;
  ry.misclosure = ModelY(x, y, z, m, trig, at.tY) - p.TargetY;
  DesignRow& rz = row[2];
  rz.angle[0] = DZdOmega(x, y, z, m, trig);
  rz.angle[1] = DZdPhi(x, y, z, m, trig);
  rz.angle[2] = DZdKappa(x, y, z, m, trig);
  rz.scale = kWithScale ? DZdScale(x, y, z, m, trig) : 0;
  rz.misclosure = ModelZ(x, y, z, m, trig, at.tZ) - p.TargetZ;
}

// A row range of the design matrix.
struct RowSpan {
  const DesignRow* begin;
  const DesignRow* end;
};

// The rest of a step once N (upper half) is summed over the n used points
// whose rows are `first` followed by `second`: pseudo-inverse, correction,
// residuals, m0. The guard has watched everything the step did so far.
template <bool kWithScale>
StepOutcome FinishStep(TSeznam& s, int32_t n, const Extended (&nn)[7][7], RowSpan first,
                       RowSpan second, FpGuard& guard, Extended& m0) {
  constexpr int kUnknowns = kWithScale ? 7 : 6;
  Matice normal(kUnknowns, kUnknowns);
  for (int i = 0; i < kUnknowns; ++i) {
    for (int j = i; j < kUnknowns; ++j) {
      normal.Put(i + 1, j + 1, nn[i][j]);
      normal.Put(j + 1, i + 1, nn[i][j]);
    }
  }

  bool ok = false;
  MaticePtr q = normal.PseudoInverse(kPseudoInverseThreshold, ok);
  if (!q) {
    guard.Check();
    m0 = 0;
    return StepOutcome::Failed;
  }
  const Extended* qd = q->Data();  // kUnknowns x kUnknowns, row-major

  // dx = (Q A^T) l, one column of Q A^T per design row.
  Extended dx[7] = {0, 0, 0, 0, 0, 0, 0};
  for (const RowSpan& span : {first, second}) {
    for (const DesignRow* d = span.begin; d != span.end; d += 3) {
      AddToCorrection<kWithScale, 0>(dx, qd, d[0]);
      AddToCorrection<kWithScale, 1>(dx, qd, d[1]);
      AddToCorrection<kWithScale, 2>(dx, qd, d[2]);
    }
  }

  // v = A dx + (-l), from the design rows as built above.
  Extended vv = 0;
  for (const RowSpan& span : {first, second}) {
    for (const DesignRow* d = span.begin; d != span.end; d += 3) {
      const Extended vx = Residual<kWithScale, 0>(dx, d[0]);
      vv += vx * vx;
      const Extended vy = Residual<kWithScale, 1>(dx, d[1]);
      vv += vy * vy;
      const Extended vz = Residual<kWithScale, 2>(dx, d[2]);
      vv += vz * vz;
    }
  }
  const Extended step = std::sqrt(vv / static_cast<Extended>(3 * n - kUnknowns));
  guard.Check();

  s.IterOmega -= dx[0];
  s.IterPhi -= dx[1];
  s.IterKappa -= dx[2];
  s.IterTranslationX -= dx[3];
  s.IterTranslationY -= dx[4];
  s.IterTranslationZ -= dx[5];
  if (kWithScale) {
    s.IterScale -= dx[6];
  } else {
    s.IterScale = 1;
  }
  m0 = step;
  return vv == 0 ? StepOutcome::ExactFit : StepOutcome::Solved;
}

// The design rows of a step, kept per thread from one step to the next.
std::vector<DesignRow>& RowBuffer(std::size_t rows) {
  thread_local std::vector<DesignRow> buffer;
  if (buffer.size() < rows) buffer.resize(rows);
  return buffer;
}

template <bool kWithScale>
StepOutcome RunStep(TSeznam& s, Extended& m0) {
  const int32_t n = s.GetUsedCount();
  if (n < 3 || n > kMaxUsedPoints) return StepOutcome::Skipped;

  FpGuard guard;
  const StepPoint at = MakeStepPoint<kWithScale>(s);
  // The rows of the used points, and their products into N as they are made.
  DesignRow* const rows = RowBuffer(static_cast<std::size_t>(3) * static_cast<std::size_t>(n)).data();
  Extended nn[7][7] = {};
  DesignRow* row = rows;
  for (const TIdentickyBod& p : s.IdenticalPoints) {
    if (!p.Used) continue;
    MakeRows<kWithScale>(p, at, row);
    AddPointToNormal<kWithScale>(nn, row);
    row += 3;
  }
  return FinishStep<kWithScale>(s, n, nn, RowSpan{rows, row}, RowSpan{row, row}, guard, m0);
}

}  // namespace

StepOutcome RunSimilarityStep(TSeznam& s, Extended& m0) { return RunStep<true>(s, m0); }

StepOutcome RunCongruenceStep(TSeznam& s, Extended& m0) { return RunStep<false>(s, m0); }

void TSeznam::SimilarityStep(Extended& m0) { RunSimilarityStep(*this, m0); }

void TSeznam::CongruenceStep(Extended& m0) { RunCongruenceStep(*this, m0); }

LeaveOneOutFirstStep::LeaveOneOutFirstStep(const TSeznam& s, bool withScale)
    : withScale_(withScale), count_(s.GetUsedCount()) {
  if (count_ < 4 || count_ > kMaxUsedPoints) return;
  rows_.resize(static_cast<std::size_t>(3) * static_cast<std::size_t>(count_));
  FpGuard guard;
  DesignRow* row = rows_.data();
  if (withScale) {
    const StepPoint at = MakeStepPoint<true>(s);
    for (const TIdentickyBod& p : s.IdenticalPoints) {
      if (!p.Used) continue;
      MakeRows<true>(p, at, row);
      row += 3;
    }
  } else {
    const StepPoint at = MakeStepPoint<false>(s);
    for (const TIdentickyBod& p : s.IdenticalPoints) {
      if (!p.Used) continue;
      MakeRows<false>(p, at, row);
      row += 3;
    }
  }
  usable_ = guard.Raised() == 0;
}

namespace {

template <bool kWithScale>
StepOutcome RunFirstStep(const std::vector<DesignRow>& rows, int32_t count,
                         LeaveOneOutFirstStep::Cursor& cursor, int32_t position, TSeznam& t,
                         Extended& m0) {
  const DesignRow* const all = rows.data();
  if (cursor.position > position) cursor = LeaveOneOutFirstStep::Cursor{};
  {
    FpGuard guard;
    for (; cursor.position < position; ++cursor.position) {
      AddPointToNormal<kWithScale>(cursor.nn, all + 3 * cursor.position);
    }
    if (guard.Raised() != 0) cursor.broken = true;
  }
  if (cursor.broken) return RunStep<kWithScale>(t, m0);

  FpGuard guard;
  Extended nn[7][7];
  for (int i = 0; i < 7; ++i) {
    for (int j = 0; j < 7; ++j) nn[i][j] = cursor.nn[i][j];
  }
  const DesignRow* const after = all + 3 * (position + 1);
  const DesignRow* const end = all + 3 * count;
  for (const DesignRow* d = after; d != end; d += 3) AddPointToNormal<kWithScale>(nn, d);
  return FinishStep<kWithScale>(t, count - 1, nn, RowSpan{all, all + 3 * position},
                                RowSpan{after, end}, guard, m0);
}

}  // namespace

StepOutcome LeaveOneOutFirstStep::Run(Cursor& cursor, int32_t position, TSeznam& t,
                                      Extended& m0) const {
  if (!usable_ || position < 0 || position >= count_) {
    return withScale_ ? RunStep<true>(t, m0) : RunStep<false>(t, m0);
  }
  return withScale_ ? RunFirstStep<true>(rows_, count_, cursor, position, t, m0)
                    : RunFirstStep<false>(rows_, count_, cursor, position, t, m0);
}

bool TSeznam::IterateSimilarity() {
  return IterateUntilConverged(IterM0, [this](Extended& m0) { return RunSimilarityStep(*this, m0); });
}

bool TSeznam::IterateCongruence() {
  return IterateUntilConverged(IterM0, [this](Extended& m0) { return RunCongruenceStep(*this, m0); });
}

}  // namespace ternavo
