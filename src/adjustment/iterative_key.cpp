// The similarity (7 parameters) and congruence (6 parameters) keys by
// Gauss-Newton iteration.
//
// The model of a point with source coordinates x (metres) and target X:
//   X = t + m R(omega, phi, kappa) x,   R = R_y(phi) R_x(omega) R_z(kappa)
// with the angles in radians, t in metres and the scale m (1 for the
// congruence key). One Gauss-Newton step at the unknowns p = (omega, phi,
// kappa, tX, tY, tZ[, m]):
//   A = d(model)/dp (3n x u),  l = model(p) - X,  N = A^T A,
//   dx = N^+ A^T l,  p <- p - dx,
//   v = A dx - l,  m0 = sqrt(v^T v / (3n - u)),
// N^+ the pseudo-inverse. The model's values and derivatives are those of
// geometry.h.
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
#include <algorithm>
#include <cmath>
#include <type_traits>
#include <vector>

#include "adjustment/key_iteration.h"
#include "geometry/geometry.h"

namespace ternavo {

namespace {

// Adds the products of the design rows [begin, end) (whole points) to the
// upper half of N = A^T A. Free columns: 0, 1, 2 (angles) and 6 (scale);
// column 3 + e holds 1 in the row of equation e (0 X, 1 Y, 2 Z); the Y row
// has no Phi term. Every element is its own sum over the rows in order, so
// they are summed a few at a time in registers, one pass over the rows each.
template <bool kWithScale, class Row>
void AddToNormal(Extended (&nn)[7][7], const Row* begin, const Row* end) {
  {
    Extended n00 = nn[0][0], n01 = nn[0][1], n02 = nn[0][2];
    for (const Row* d = begin; d != end; d += 3) {
      n00 += ValueOf(d[0].angle[0]) * ValueOf(d[0].angle[0]);
      n01 += ValueOf(d[0].angle[0]) * ValueOf(d[0].angle[1]);
      n02 += ValueOf(d[0].angle[0]) * ValueOf(d[0].angle[2]);
      n00 += ValueOf(d[1].angle[0]) * ValueOf(d[1].angle[0]);
      n02 += ValueOf(d[1].angle[0]) * ValueOf(d[1].angle[2]);
      n00 += ValueOf(d[2].angle[0]) * ValueOf(d[2].angle[0]);
      n01 += ValueOf(d[2].angle[0]) * ValueOf(d[2].angle[1]);
      n02 += ValueOf(d[2].angle[0]) * ValueOf(d[2].angle[2]);
    }
    nn[0][0] = n00, nn[0][1] = n01, nn[0][2] = n02;
  }
  {
    Extended n11 = nn[1][1], n12 = nn[1][2], n22 = nn[2][2];
    for (const Row* d = begin; d != end; d += 3) {
      n11 += ValueOf(d[0].angle[1]) * ValueOf(d[0].angle[1]);
      n12 += ValueOf(d[0].angle[1]) * ValueOf(d[0].angle[2]);
      n22 += ValueOf(d[0].angle[2]) * ValueOf(d[0].angle[2]);
      n22 += ValueOf(d[1].angle[2]) * ValueOf(d[1].angle[2]);
      n11 += ValueOf(d[2].angle[1]) * ValueOf(d[2].angle[1]);
      n12 += ValueOf(d[2].angle[1]) * ValueOf(d[2].angle[2]);
      n22 += ValueOf(d[2].angle[2]) * ValueOf(d[2].angle[2]);
    }
    nn[1][1] = n11, nn[1][2] = n12, nn[2][2] = n22;
  }
  if (kWithScale) {
    Extended n06 = nn[0][6], n16 = nn[1][6], n26 = nn[2][6], n66 = nn[6][6];
    for (const Row* d = begin; d != end; d += 3) {
      n06 += ValueOf(d[0].angle[0]) * ValueOf(d[0].scale);
      n16 += ValueOf(d[0].angle[1]) * ValueOf(d[0].scale);
      n26 += ValueOf(d[0].angle[2]) * ValueOf(d[0].scale);
      n66 += ValueOf(d[0].scale) * ValueOf(d[0].scale);
      n06 += ValueOf(d[1].angle[0]) * ValueOf(d[1].scale);
      n26 += ValueOf(d[1].angle[2]) * ValueOf(d[1].scale);
      n66 += ValueOf(d[1].scale) * ValueOf(d[1].scale);
      n06 += ValueOf(d[2].angle[0]) * ValueOf(d[2].scale);
      n16 += ValueOf(d[2].angle[1]) * ValueOf(d[2].scale);
      n26 += ValueOf(d[2].angle[2]) * ValueOf(d[2].scale);
      n66 += ValueOf(d[2].scale) * ValueOf(d[2].scale);
    }
    nn[0][6] = n06, nn[1][6] = n16, nn[2][6] = n26, nn[6][6] = n66;
  }
  // The translation columns: the row of equation e only. Their diagonal
  // element adds 1 per row; it holds a whole number far below 2^64, so
  // adding the count of rows at once gives the same value.
  const Extended points = static_cast<Extended>((end - begin) / 3);
  for (int e = 0; e < 3; ++e) {
    const int c = 3 + e;
    Extended a0 = nn[0][c], a1 = nn[1][c], a2 = nn[2][c], sc = nn[c][6];
    for (const Row* d = begin + e; d < end; d += 3) {
      a0 += ValueOf(d->angle[0]) * 1;
      if (e != 1) a1 += ValueOf(d->angle[1]) * 1;
      a2 += ValueOf(d->angle[2]) * 1;
      if (kWithScale) sc += 1 * ValueOf(d->scale);
    }
    nn[0][c] = a0, nn[1][c] = a1, nn[2][c] = a2, nn[c][6] = sc;
    nn[c][c] += points;
  }
}

// Adds the columns of Q A^T times l of the rows [begin, end) to dx. Each
// element of dx is its own sum over the rows in order, so they are summed one
// after the other: the sum and its row of Q stay in registers. An element of
// Q A^T begins with its first product rather than 0 plus it: the two differ
// only in the sign of a zero when every product is zero, and a zero times l
// added to a sum that is never -0 leaves the sum as it was.
template <bool kWithScale, class Row>
inline void AddToCorrection(Extended (&dx)[7], const Extended* qd, const Row* begin,
                            const Row* end) {
  constexpr int kUnknowns = kWithScale ? 7 : 6;
  for (int i = 0; i < kUnknowns; ++i) {
    const Extended* qi = qd + kUnknowns * i;
    const Extended q0 = qi[0], q1 = qi[1], q2 = qi[2], q3 = qi[3], q4 = qi[4], q5 = qi[5];
    const Extended q6 = kWithScale ? qi[6] : 0;
    Extended sum = dx[i];
    for (const Row* d = begin; d != end; d += 3) {
      // X row: every column; Y row: no Phi; the translation column holds 1.
      Extended qa = q0 * ValueOf(d[0].angle[0]);
      qa += q1 * ValueOf(d[0].angle[1]);
      qa += q2 * ValueOf(d[0].angle[2]);
      qa += q3 * 1;
      if (kWithScale) qa += q6 * ValueOf(d[0].scale);
      sum += qa * ValueOf(d[0].misclosure);
      qa = q0 * ValueOf(d[1].angle[0]);
      qa += q2 * ValueOf(d[1].angle[2]);
      qa += q4 * 1;
      if (kWithScale) qa += q6 * ValueOf(d[1].scale);
      sum += qa * ValueOf(d[1].misclosure);
      qa = q0 * ValueOf(d[2].angle[0]);
      qa += q1 * ValueOf(d[2].angle[1]);
      qa += q2 * ValueOf(d[2].angle[2]);
      qa += q5 * 1;
      if (kWithScale) qa += q6 * ValueOf(d[2].scale);
      sum += qa * ValueOf(d[2].misclosure);
    }
    dx[i] = sum;
  }
}

// Points per block of rows worked through while it is in the fastest cache.
constexpr std::ptrdiff_t kBlockPoints = 64;

// Residual (A dx)(r) - l(r) of a row of equation kEq.
// The sum begins with its first product rather than 0 plus it: they differ
// only in the sign of a zero, and the residual is only ever squared.
template <bool kWithScale, int kEq, class Row>
inline Extended Residual(const Extended (&dx)[7], const Row& d) {
  Extended adx = ValueOf(d.angle[0]) * dx[0];
  if (kEq != 1) adx += ValueOf(d.angle[1]) * dx[1];
  adx += ValueOf(d.angle[2]) * dx[2];
  adx += 1 * dx[3 + kEq];
  if (kWithScale) adx += ValueOf(d.scale) * dx[6];
  return adx + (-ValueOf(d.misclosure));
}

// The parameters a step linearises at, with the products of sines and
// cosines the derivatives share, each formed as the derivative routines
// form it.
struct StepPoint {
  Extended m;
  RotationTrig t;
  Extended tX, tY, tZ;
  Extended ms, mc;         // m sin Phi, m cos Phi
  Extended r11, r12, r13;  // the rotation matrix
  Extended r21, r22, r23;
  Extended r31, r32, r33;
  Extended phiX, phiY;  // x and y factors of dX/dPhi
  Extended kappaX;      // x factor of dX/dKappa (its y factor is r11)
  Extended kappaZX;     // x factor of dZ/dKappa (its y factor is r31)
};

// The same values split: two double loads and an addition instead of a load
// of an 80-bit value in the inner loop.
struct SplitStepPoint {
  SplitValue m;
  struct {
    SplitValue so, co, sp, cp, sk, ck;
  } t;
  SplitValue tX, tY, tZ;
  SplitValue ms, mc;
  SplitValue r11, r12, r13;
  SplitValue r21, r22, r23;
  SplitValue r31, r32, r33;
  SplitValue phiX, phiY;
  SplitValue kappaX;
  SplitValue kappaZX;
};

SplitStepPoint Split(const StepPoint& a) {
  SplitStepPoint b;
  StoreValue(b.m, a.m);
  StoreValue(b.t.so, a.t.so);
  StoreValue(b.t.co, a.t.co);
  StoreValue(b.t.sp, a.t.sp);
  StoreValue(b.t.cp, a.t.cp);
  StoreValue(b.t.sk, a.t.sk);
  StoreValue(b.t.ck, a.t.ck);
  StoreValue(b.tX, a.tX);
  StoreValue(b.tY, a.tY);
  StoreValue(b.tZ, a.tZ);
  StoreValue(b.ms, a.ms);
  StoreValue(b.mc, a.mc);
  StoreValue(b.r11, a.r11);
  StoreValue(b.r12, a.r12);
  StoreValue(b.r13, a.r13);
  StoreValue(b.r21, a.r21);
  StoreValue(b.r22, a.r22);
  StoreValue(b.r23, a.r23);
  StoreValue(b.r31, a.r31);
  StoreValue(b.r32, a.r32);
  StoreValue(b.r33, a.r33);
  StoreValue(b.phiX, a.phiX);
  StoreValue(b.phiY, a.phiY);
  StoreValue(b.kappaX, a.kappaX);
  StoreValue(b.kappaZX, a.kappaZX);
  return b;
}

template <bool kWithScale>
StepPoint MakeStepPoint(const TSeznam& s) {
  StepPoint a;
  a.m = kWithScale ? s.IterScale : 1.0L;
  a.t = MakeTrig(s.IterOmega, s.IterPhi, s.IterKappa);
  a.tX = s.IterTranslationX;
  a.tY = s.IterTranslationY;
  a.tZ = s.IterTranslationZ;
  const RotationTrig& t = a.t;
  a.ms = a.m * t.sp;
  a.mc = a.m * t.cp;
  a.r11 = RotationElement(t, 1, 1);
  a.r12 = RotationElement(t, 1, 2);
  a.r13 = RotationElement(t, 1, 3);
  a.r21 = RotationElement(t, 2, 1);
  a.r22 = RotationElement(t, 2, 2);
  a.r23 = RotationElement(t, 2, 3);
  a.r31 = RotationElement(t, 3, 1);
  a.r32 = RotationElement(t, 3, 2);
  a.r33 = RotationElement(t, 3, 3);
  a.phiX = -t.sp * t.ck - t.so * t.cp * t.sk;
  a.phiY = -t.sp * t.sk + t.so * t.cp * t.ck;
  a.kappaX = -t.cp * t.sk - t.so * t.sp * t.ck;
  a.kappaZX = -t.sp * t.sk + t.so * t.cp * t.ck;
  return a;
}

// Rows 3k-2, 3k-1, 3k of A for a used point (X, Y, Z equations): the values
// of DXdOmega ... ModelZ (geometry.h). Only exact identities are used: a
// product with a negated factor is the negated product, and a product or sum
// does not depend on the order of its two operands. A product that several
// values share is formed again for each group that uses it, from the same
// operands, which gives the same value: that is cheaper than keeping it in
// an 80-bit spill slot, since the point's coordinates take three of the
// eight x87 registers.
template <bool kWithScale, class Point, class Row>
[[gnu::always_inline]] inline void MakeRows(const TIdentickyBod& p, const Point& a, Row* row) {
  const Extended x = p.SourceX;
  const Extended y = p.SourceY;
  const Extended z = p.SourceZ;
  // Without a scale m is exactly 1, and 1 times a value is that value.
  auto m = [&a] { return kWithScale ? Operand(a.m) : 1.0L; };
  const auto& t = a.t;
  Row& rx = row[0];
  Row& ry = row[1];
  Row& rz = row[2];
  StoreValue(ry.angle[2],
             m() * (-((x * Operand(t.co)) * Operand(t.ck)) - (y * Operand(t.co)) * Operand(t.sk)));
  {
    const Extended xcosk = (x * Operand(t.co)) * Operand(t.sk);  // -x co sk = -xcosk
    const Extended ycock = (y * Operand(t.co)) * Operand(t.ck);
    const Extended zso = z * Operand(t.so);
    StoreValue(rx.angle[0], Operand(a.ms) * (-xcosk + ycock + zso));
    StoreValue(rz.angle[0], Operand(a.mc) * (xcosk - ycock - zso));
  }
  {
    const Extended zco = z * Operand(t.co);
    StoreValue(rx.angle[1],
               m() * (x * Operand(a.phiX) + y * Operand(a.phiY) - zco * Operand(t.cp)));
    StoreValue(ry.angle[0],
               m() * (x * Operand(t.so) * Operand(t.sk) - y * Operand(t.so) * Operand(t.ck) + zco));
    const Extended xr11yr12 = x * Operand(a.r11) + y * Operand(a.r12);
    StoreValue(rz.angle[1], m() * (xr11yr12 - zco * Operand(t.sp)));
    const Extended sX = xr11yr12 + Operand(a.r13) * z;
    if (kWithScale) StoreValue(rx.scale, sX);
    StoreValue(rx.misclosure, (Operand(a.tX) + m() * sX) - p.TargetX);
  }
  StoreValue(rx.angle[2], m() * (x * Operand(a.kappaX) + y * Operand(a.r11)));
  StoreValue(rz.angle[2], m() * (x * Operand(a.kappaZX) + y * Operand(a.r31)));
  {
    const Extended sY = Operand(a.r21) * x + Operand(a.r22) * y + Operand(a.r23) * z;
    if (kWithScale) StoreValue(ry.scale, sY);
    StoreValue(ry.misclosure, (Operand(a.tY) + m() * sY) - p.TargetY);
  }
  {
    const Extended sZ = Operand(a.r31) * x + Operand(a.r32) * y + Operand(a.r33) * z;
    if (kWithScale) StoreValue(rz.scale, sZ);
    StoreValue(rz.misclosure, (Operand(a.tZ) + m() * sZ) - p.TargetZ);
  }
}

// A row range of the design matrix.
template <class Row>
struct RowSpan {
  const Row* begin;
  const Row* end;
};

// The largest coordinate magnitude of the used points: the scale of the
// rounding noise in m0.
Extended LargestCoordinate(const TSeznam& s) {
  Extended largest = 0;
  for (const TIdentickyBod& p : s.IdenticalPoints) {
    if (!p.Used) continue;
    for (const Extended c : {p.SourceX, p.SourceY, p.SourceZ, p.TargetX, p.TargetY, p.TargetZ}) {
      largest = std::max(largest, std::fabs(c));
    }
  }
  return largest;
}

// The rest of a step once N (upper half) is summed over the n used points
// whose rows are `first` followed by `second`: pseudo-inverse, correction,
// residuals, m0. The guard has watched everything the step did so far.
// `largest`, when given, is LargestCoordinate(s).
template <bool kWithScale, class Row>
StepOutcome FinishStep(TSeznam& s, int32_t n, const Extended (&nn)[7][7], RowSpan<Row> first,
                       RowSpan<Row> second, FpGuard& guard, Extended& m0, const Extended* largest) {
  constexpr int kUnknowns = kWithScale ? 7 : 6;
  // An overflow in the normal equations ends the step here, before the
  // decomposition could spin on infinities and report non-convergence.
  guard.Check();
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

  // dx = (Q A^T) l, one column of Q A^T per design row, a block of rows at
  // a time.
  Extended dx[7] = {0, 0, 0, 0, 0, 0, 0};
  for (const RowSpan<Row>& span : {first, second}) {
    for (const Row* d = span.begin; d != span.end;) {
      const Row* const stop = span.end - d > 3 * kBlockPoints ? d + 3 * kBlockPoints : span.end;
      AddToCorrection<kWithScale>(dx, qd, d, stop);
      d = stop;
    }
  }

  // v = A dx + (-l), from the design rows as built above.
  Extended vv = 0;
  for (const RowSpan<Row>& span : {first, second}) {
    for (const Row* d = span.begin; d != span.end; d += 3) {
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
  // An m0 at the rounding level of the coordinates is a perfect fit: on
  // exact data it only keeps shrinking and would never settle.
  return vv == 0 || step < kPerfectFitRatio * (largest ? *largest : LargestCoordinate(s))
             ? StepOutcome::ExactFit
             : StepOutcome::Solved;
}

// The design rows of a step, kept per thread from one step to the next.
template <class Row>
std::vector<Row>& RowBuffer(std::size_t rows) {
  thread_local std::vector<Row> buffer;
  if (buffer.size() < rows) buffer.resize(rows);
  return buffer;
}

// Makes the rows of the n used points of s into `rows` and adds their
// products to nn, a block of rows at a time while it is in the fastest
// cache.
template <bool kWithScale, class Row>
Row* MakeRowsAndNormal(const TSeznam& s, Row* const rows, Extended (&nn)[7][7]) {
  Row* row = rows;
  Row* blockStart = rows;
  auto make = [&](const auto& at) {
    for (const TIdentickyBod& p : s.IdenticalPoints) {
      if (!p.Used) continue;
      MakeRows<kWithScale>(p, at, row);
      row += 3;
      if (row - blockStart == 3 * kBlockPoints) {
        AddToNormal<kWithScale>(nn, blockStart, row);
        blockStart = row;
      }
    }
  };
  if constexpr (std::is_same_v<Row, SplitDesignRow>) {
    make(Split(MakeStepPoint<kWithScale>(s)));
  } else {
    make(MakeStepPoint<kWithScale>(s));
  }
  AddToNormal<kWithScale>(nn, blockStart, row);
  return row;
}

// `usedCount`, when not negative, is s.GetUsedCount().
template <bool kWithScale>
StepOutcome RunStep(TSeznam& s, Extended& m0, const Extended* largest = nullptr,
                    int32_t usedCount = -1) {
  const int32_t n = usedCount >= 0 ? usedCount : s.GetUsedCount();
  if (n < 3 || n > kMaxUsedPoints) return StepOutcome::Skipped;
  const std::size_t rowCount = static_cast<std::size_t>(3) * static_cast<std::size_t>(n);

  // The rows are kept split; the values, and so every sum, are the same.
  // When making them raised a fault or a value did not split exactly, the
  // step starts again on rows of extended values, which raises its faults
  // where they belong.
  {
    SplitDesignRow* const rows = RowBuffer<SplitDesignRow>(rowCount).data();
    Extended nn[7][7] = {};
    SplitDesignRow* end = nullptr;
    if (SplitCleanly([&] { end = MakeRowsAndNormal<kWithScale>(s, rows, nn); })) {
      FpGuard guard;
      return FinishStep<kWithScale>(s, n, nn, RowSpan<SplitDesignRow>{rows, end},
                                    RowSpan<SplitDesignRow>{end, end}, guard, m0, largest);
    }
  }
  FpGuard guard;
  DesignRow* const rows = RowBuffer<DesignRow>(rowCount).data();
  Extended nn[7][7] = {};
  DesignRow* const end = MakeRowsAndNormal<kWithScale>(s, rows, nn);
  return FinishStep<kWithScale>(s, n, nn, RowSpan<DesignRow>{rows, end},
                                RowSpan<DesignRow>{end, end}, guard, m0, largest);
}

}  // namespace

StepOutcome RunSimilarityStep(TSeznam& s, Extended& m0) { return RunStep<true>(s, m0); }

StepOutcome RunCongruenceStep(TSeznam& s, Extended& m0) { return RunStep<false>(s, m0); }

void TSeznam::SimilarityStep(Extended& m0) { RunSimilarityStep(*this, m0); }

void TSeznam::CongruenceStep(Extended& m0) { RunCongruenceStep(*this, m0); }

LeaveOneOutFirstStep::LeaveOneOutFirstStep(const TSeznam& s, bool withScale)
    : withScale_(withScale), count_(s.GetUsedCount()) {
  {
    // The largest coordinate magnitude with each point left out: that of all
    // used points, or the second largest point's for the point holding it.
    // A maximum is exact, so it does not depend on the order taken.
    FpGuard quiet;
    int32_t position = 0;
    for (const TIdentickyBod& p : s.IdenticalPoints) {
      if (!p.Used) continue;
      Extended own = 0;
      for (const Extended c : {p.SourceX, p.SourceY, p.SourceZ, p.TargetX, p.TargetY, p.TargetZ}) {
        own = std::max(own, std::fabs(c));
      }
      if (own > largest_) {
        secondLargest_ = largest_;
        largest_ = own;
        largestAt_ = position;
      } else if (own > secondLargest_) {
        secondLargest_ = own;
      }
      ++position;
    }
  }
  if (count_ < 4 || count_ > kMaxUsedPoints) return;
  rows_.resize(static_cast<std::size_t>(3) * static_cast<std::size_t>(count_));
  usable_ = SplitCleanly([&] {
    SplitDesignRow* row = rows_.data();
    if (withScale) {
      const SplitStepPoint at = Split(MakeStepPoint<true>(s));
      for (const TIdentickyBod& p : s.IdenticalPoints) {
        if (!p.Used) continue;
        MakeRows<true>(p, at, row);
        row += 3;
      }
    } else {
      const SplitStepPoint at = Split(MakeStepPoint<false>(s));
      for (const TIdentickyBod& p : s.IdenticalPoints) {
        if (!p.Used) continue;
        MakeRows<false>(p, at, row);
        row += 3;
      }
    }
  });
}

namespace {

template <bool kWithScale>
StepOutcome RunFirstStep(const std::vector<SplitDesignRow>& rows, int32_t count,
                         LeaveOneOutFirstStep::Cursor& cursor, int32_t position, TSeznam& t,
                         Extended& m0, const Extended* largest) {
  const SplitDesignRow* const all = rows.data();
  if (cursor.position > position) cursor = LeaveOneOutFirstStep::Cursor{};
  {
    FpGuard guard;
    AddToNormal<kWithScale>(cursor.nn, all + 3 * cursor.position, all + 3 * position);
    cursor.position = position;
    if (guard.Raised() != 0) cursor.broken = true;
  }
  if (cursor.broken) return RunStep<kWithScale>(t, m0, largest);

  FpGuard guard;
  Extended nn[7][7];
  for (int i = 0; i < 7; ++i) {
    for (int j = 0; j < 7; ++j) nn[i][j] = cursor.nn[i][j];
  }
  const SplitDesignRow* const after = all + 3 * (position + 1);
  const SplitDesignRow* const end = all + 3 * count;
  for (const SplitDesignRow* d = after; d != end;) {
    const SplitDesignRow* const stop = end - d > 3 * kBlockPoints ? d + 3 * kBlockPoints : end;
    AddToNormal<kWithScale>(nn, d, stop);
    d = stop;
  }
  return FinishStep<kWithScale>(t, count - 1, nn, RowSpan<SplitDesignRow>{all, all + 3 * position},
                                RowSpan<SplitDesignRow>{after, end}, guard, m0, largest);
}

}  // namespace

StepOutcome LeaveOneOutFirstStep::Run(Cursor& cursor, int32_t position, TSeznam& t,
                                      Extended& m0) const {
  if (position < 0 || position >= count_ || count_ > kMaxUsedPoints) {
    return withScale_ ? RunStep<true>(t, m0) : RunStep<false>(t, m0);
  }
  const Extended largest = position == largestAt_ ? secondLargest_ : largest_;
  if (!usable_) {
    return withScale_ ? RunStep<true>(t, m0, &largest) : RunStep<false>(t, m0, &largest);
  }
  return withScale_ ? RunFirstStep<true>(rows_, count_, cursor, position, t, m0, &largest)
                    : RunFirstStep<false>(rows_, count_, cursor, position, t, m0, &largest);
}

StepOutcome LeaveOneOutFirstStep::RunLater(int32_t position, TSeznam& t, Extended& m0) const {
  if (position < 0 || position >= count_ || count_ > kMaxUsedPoints) {
    return withScale_ ? RunStep<true>(t, m0) : RunStep<false>(t, m0);
  }
  const Extended largest = position == largestAt_ ? secondLargest_ : largest_;
  return withScale_ ? RunStep<true>(t, m0, &largest, count_ - 1)
                    : RunStep<false>(t, m0, &largest, count_ - 1);
}

bool TSeznam::IterateSimilarity() {
  return IterateUntilConverged(IterM0,
                               [this](Extended& m0) { return RunSimilarityStep(*this, m0); });
}

bool TSeznam::IterateCongruence() {
  return IterateUntilConverged(IterM0,
                               [this](Extended& m0) { return RunCongruenceStep(*this, m0); });
}

}  // namespace ternavo
