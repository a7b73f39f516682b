#include "geometry/geometry.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

#include "text/messages.h"

namespace ternavo {

namespace {

// Below this sine of the angle at the first point the triangle is a line as
// far as the data can tell: its frame would be rounding noise.
constexpr Extended kCollinearSine = 1e-12L;

[[noreturn]] void ThrowDegenerate() {
  throw ArithmeticFault(FaultKind::DivisionByZero, messages::kDegeneratePoints);
}

}  // namespace

// ---------------------------------------------------------------------------
// Vectors. Inputs are copies, so an output may alias an input.

Extended VectorLength(TVektor v) {
  Extended sum = 0;
  sum += v.x * v.x;
  sum += v.y * v.y;
  sum += v.z * v.z;
  return sqrtl(sum);
}

void UnitVector(TVektor v, TVektor& r) {
  FpGuard guard;
  const Extended length = VectorLength(v);
  // A zero vector has no direction; never let it become NaNs.
  if (length == 0) ThrowDegenerate();
  TVektor u;
  u.x = v.x / length;
  u.y = v.y / length;
  u.z = v.z / length;
  r = u;
  guard.Check();
}

void ScaleVector(TVektor v, Extended k, TVektor& r) {
  r.x = k * v.x;
  r.y = k * v.y;
  r.z = k * v.z;
}

void SubtractVectors(TVektor a, TVektor b, TVektor& r) {
  r.x = a.x - b.x;
  r.y = a.y - b.y;
  r.z = a.z - b.z;
}

Extended DotProduct(TVektor a, TVektor b) {
  Extended sum = 0;
  sum += a.x * b.x;
  sum += a.y * b.y;
  sum += a.z * b.z;
  return sum;
}

void CrossProduct(TVektor a, TVektor b, TVektor& r) {
  r.x = a.y * b.z - a.z * b.y;
  r.y = a.z * b.x - a.x * b.z;
  r.z = a.x * b.y - a.y * b.x;
}

void VectorsToColumns(TVektor a, TVektor b, TVektor w, Array3x3& out) {
  for (int i = 1; i <= 3; ++i) {
    out[i - 1][0] = a[i];
    out[i - 1][1] = b[i];
    out[i - 1][2] = w[i];
  }
}

// ---------------------------------------------------------------------------
// Rotation matrix and angles

RotationTrig MakeTrig(Extended omega, Extended phi, Extended kappa) {
  RotationTrig t;
  t.so = sinl(omega);
  t.co = cosl(omega);
  t.sp = sinl(phi);
  t.cp = cosl(phi);
  t.sk = sinl(kappa);
  t.ck = cosl(kappa);
  return t;
}

void RotationFromTrig(Matice& m, const RotationTrig& t) {
  for (int row = 1; row <= 3; ++row) {
    for (int col = 1; col <= 3; ++col) m.Put(row, col, RotationElement(t, row, col));
  }
}

void RotationFromAngles(Matice& m, Extended omega, Extended phi, Extended kappa) {
  FpGuard guard;
  RotationFromTrig(m, MakeTrig(omega, phi, kappa));
  guard.Check();
}

// The one-argument arc tangents pick the triple with cos Omega > 0. Where a
// denominator is exactly zero (an angle at a right angle, or Omega at +-pi/2
// where only Phi + Kappa or Phi - Kappa is defined) the two-argument arc
// tangent gives angles that still rebuild the matrix.
void AnglesFromRotation(const Matice& m, Extended& omega, Extended& phi, Extended& kappa) {
  FpGuard guard;
  const Extended m13 = m.Get(1, 3);
  const Extended m21 = m.Get(2, 1);
  const Extended m22 = m.Get(2, 2);
  const Extended m23 = m.Get(2, 3);
  const Extended m33 = m.Get(3, 3);

  Extended p;
  if (m33 != 0) {
    p = atanl(-m13 / m33);
    if (!(m33 >= 0)) p = p + kPi;
  } else {
    p = atan2l(-m13, m33);
  }

  Extended k;
  if (m22 != 0) {
    k = atanl(-m21 / m22);
    if (!(m22 >= 0)) k = k + kPi;
  } else {
    k = m21 == 0 ? 0 : atan2l(-m21, m22);
  }

  Extended o;
  if (m33 != 0) {
    const Extended q = m33 / cosl(p);
    o = atanl(m23 / q);
    if (!(q >= 0)) o = o + kPi;
  } else {
    // Phi at +-pi/2 leaves cos Omega = |M13|; Omega at +-pi/2 leaves 0.
    o = atan2l(m23, fabsl(m13));
    if (m13 == 0) {
      // Only Phi + sin(Omega) Kappa is defined; put it all into Phi.
      k = 0;
      p = atan2l(m.Get(3, 1), m.Get(1, 1));
      if (p < -kPi / 2) p = p + 2 * kPi;
    }
  }

  omega = o;
  phi = p;
  kappa = k;
  guard.Check();
}

// ---------------------------------------------------------------------------
// Closed-form starting values

MaticePtr FrameFromPoints(TVektor p1, TVektor p2, TVektor p3) {
  FpGuard guard;
  TVektor u;
  TVektor v;
  TVektor n;
  SubtractVectors(p2, p1, u);
  UnitVector(u, u);
  SubtractVectors(p3, p1, v);
  UnitVector(v, v);
  TVektor along;
  ScaleVector(u, DotProduct(u, v), along);
  SubtractVectors(v, along, v);
  // v was a unit vector, so what is left of it is the sine of the angle at p1.
  if (VectorLength(v) <= kCollinearSine) ThrowDegenerate();
  UnitVector(v, v);
  CrossProduct(u, v, n);
  UnitVector(n, n);

  Array3x3 columns;
  VectorsToColumns(u, v, n, columns);
  MaticePtr frame = Matice::Create(3, 3);
  for (int i = 1; i <= 3; ++i) {
    for (int j = 1; j <= 3; ++j) frame->Put(i, j, columns[i - 1][j - 1]);
  }
  guard.Check();
  return frame;
}

Extended ScaleFromPoints(TVektor a1, TVektor a2, TVektor a3, TVektor b1, TVektor b2, TVektor b3) {
  FpGuard guard;
  const TVektor a[3] = {a1, a2, a3};
  const TVektor b[3] = {b1, b2, b3};
  Extended ratio[3];
  // Sides 1-2, 2-3, 3-1.
  for (int i = 0; i < 3; ++i) {
    const int j = (i + 1) % 3;
    TVektor da;
    TVektor db;
    SubtractVectors(a[i], a[j], da);
    SubtractVectors(b[i], b[j], db);
    const Extended lengthA = VectorLength(da);
    if (lengthA == 0) ThrowDegenerate();
    ratio[i] = VectorLength(db) / lengthA;
  }
  const Extended scale = (ratio[0] + ratio[1] + ratio[2]) / 3;
  guard.Check();
  return scale;
}

void KeyFromThreePoints(TVektor a1, TVektor a2, TVektor a3, TVektor b1, TVektor b2, TVektor b3,
                        MaticePtr& r, TVektor& t, Extended& m) {
  FpGuard guard;
  MaticePtr fa = FrameFromPoints(a1, a2, a3);
  MaticePtr fb = FrameFromPoints(b1, b2, b3);
  MaticePtr faT = fa->Transpose();
  MaticePtr product = fb->Multiply(*faT);
  MaticePtr rotation = product->Transpose();
  const Extended scale = ScaleFromPoints(b1, b2, b3, a1, a2, a3);

  MaticePtr scaled = rotation->Scale(-scale);
  MaticePtr source = Matice::Create(3, 1);
  MaticePtr target = Matice::Create(3, 1);
  for (int i = 1; i <= 3; ++i) {
    source->Put(i, 1, b1[i]);
    target->Put(i, 1, a1[i]);
  }
  MaticePtr image = scaled->Multiply(*source);
  MaticePtr shift = image->Add(*target);
  TVektor translation;
  for (int i = 1; i <= 3; ++i) translation[i] = shift->Get(i, 1);
  guard.Check();

  // The outputs change only once everything has been computed.
  r = std::move(rotation);
  t = translation;
  m = scale;
}

void OrthonormalizeVectors(TVektor c1, TVektor c2, TVektor c3, TVektor& o1, TVektor& o2,
                           TVektor& o3) {
  FpGuard guard;
  TVektor u1;
  TVektor u2;
  TVektor u3;
  TVektor part;
  UnitVector(c1, u1);

  ScaleVector(u1, DotProduct(u1, c2), part);
  SubtractVectors(c2, part, u2);
  UnitVector(u2, u2);

  ScaleVector(u1, DotProduct(u1, c3), part);
  SubtractVectors(c3, part, u3);
  ScaleVector(u2, DotProduct(u2, c3), part);
  SubtractVectors(u3, part, u3);
  UnitVector(u3, u3);
  guard.Check();

  o1 = u1;
  o2 = u2;
  o3 = u3;
}

void OrthonormalizeMatrix(const Matice& m, MaticePtr& out) {
  Matice::Release(out);
  if (m.Rows() != 3 || m.Cols() != 3) return;
  TVektor c[3];
  for (int j = 1; j <= 3; ++j) {
    for (int i = 1; i <= 3; ++i) c[j - 1][i] = m.Get(i, j);
  }
  TVektor o[3];
  OrthonormalizeVectors(c[0], c[1], c[2], o[0], o[1], o[2]);
  MaticePtr result = Matice::Create(3, 3);
  for (int j = 1; j <= 3; ++j) {
    for (int i = 1; i <= 3; ++i) result->Put(i, j, o[j - 1][i]);
  }
  out = std::move(result);
}

Extended MeanAxisScale(const Matice& m) {
  if (m.Rows() != 3 || m.Cols() != 3) return 0;
  FpGuard guard;
  Extended sum = 0;
  for (int j = 1; j <= 3; ++j) {
    TVektor c;
    for (int i = 1; i <= 3; ++i) c[i] = m.Get(i, j);
    sum += VectorLength(c);
  }
  const Extended scale = sum / 3;
  guard.Check();
  return scale;
}

namespace {

TVektor Cross(const TVektor& a, const TVektor& b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

}  // namespace

bool ProperRotationFromCovariance(const Extended (&h)[3][3], Extended (&r)[3][3], Extended& trace) {
  FpGuard quiet;  // its flags are not the caller's business
  // One-sided Jacobi: plane rotations on the right make the columns of
  // w = h v orthogonal; then w = U D, and v, a product of rotations, is
  // proper. Accurate to the rounding of h, small singular values included.
  Extended w[3][3];
  Extended v[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
  for (int i = 0; i < 3; ++i) {
    for (int j = 0; j < 3; ++j) {
      if (!std::isfinite(h[i][j])) return false;
      w[i][j] = h[i][j];
    }
  }
  constexpr Extended kTolerance = 4 * std::numeric_limits<Extended>::epsilon();
  for (int sweep = 0; sweep < 60; ++sweep) {
    bool rotated = false;
    for (int a = 0; a < 2; ++a) {
      for (int b = a + 1; b < 3; ++b) {
        Extended alpha = 0, beta = 0, gamma = 0;
        for (int k = 0; k < 3; ++k) {
          alpha += w[k][a] * w[k][a];
          beta += w[k][b] * w[k][b];
          gamma += w[k][a] * w[k][b];
        }
        if (gamma == 0 || std::fabs(gamma) <= kTolerance * std::sqrt(alpha) * std::sqrt(beta)) {
          continue;
        }
        rotated = true;
        const Extended zeta = (beta - alpha) / (2 * gamma);
        const Extended t = (zeta >= 0 ? 1 : -1) / (std::fabs(zeta) + std::sqrt(1 + zeta * zeta));
        const Extended c = 1 / std::sqrt(1 + t * t);
        const Extended s = c * t;
        for (int k = 0; k < 3; ++k) {
          const Extended wa = w[k][a], wb = w[k][b];
          w[k][a] = c * wa - s * wb;
          w[k][b] = s * wa + c * wb;
          const Extended va = v[k][a], vb = v[k][b];
          v[k][a] = c * va - s * vb;
          v[k][b] = s * va + c * vb;
        }
      }
    }
    if (!rotated) break;
  }
  // Columns by falling singular value.
  Extended sigma[3];
  int order[3] = {0, 1, 2};
  for (int j = 0; j < 3; ++j) {
    sigma[j] = std::sqrt(w[0][j] * w[0][j] + w[1][j] * w[1][j] + w[2][j] * w[2][j]);
  }
  std::sort(order, order + 3, [&sigma](int a, int b) { return sigma[a] > sigma[b]; });
  const int first = order[0], second = order[1];
  // Rank 1 or less: the rotation about the line is free.
  if (!(sigma[second] > sigma[first] * 1e-15L)) return false;
  TVektor u[3], vv[3];
  for (int k = 0; k < 2; ++k) {
    const int j = order[k];
    u[k] = {w[0][j] / sigma[j], w[1][j] / sigma[j], w[2][j] / sigma[j]};
    vv[k] = {v[0][j], v[1][j], v[2][j]};
  }
  // Both third columns completed by the cross product: U and V proper, so
  // r = U V^T is proper and the third singular value takes the sign that
  // makes it so.
  u[2] = Cross(u[0], u[1]);
  vv[2] = Cross(vv[0], vv[1]);
  for (int i = 0; i < 3; ++i) {
    for (int j = 0; j < 3; ++j) {
      r[i][j] =
          u[0][i + 1] * vv[0][j + 1] + u[1][i + 1] * vv[1][j + 1] + u[2][i + 1] * vv[2][j + 1];
    }
  }
  Extended sum = 0;
  for (int i = 0; i < 3; ++i) {
    for (int j = 0; j < 3; ++j) sum += r[i][j] * h[i][j];
  }
  trace = sum;
  return std::isfinite(trace) && quiet.Raised() == 0;
}

}  // namespace ternavo
