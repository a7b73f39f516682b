// Rotation geometry: 3-vectors, the rotation matrix of three angles and its
// inverse, the similarity model with its partial derivatives, and the
// closed-form starting values of the similarity key.
// Angles in radians; R = Ry(Phi) * Rx(Omega) * Rz(Kappa).
#pragma once

#include "matrix/matice.h"

namespace ternavo {

// The extended-precision value nearest to pi.
inline constexpr Extended kPi = 3.14159265358979323846264338327950288L;

// Three extended reals, indices 1..3 = x, y, z.
struct TVektor {
  Extended x = 0;
  Extended y = 0;
  Extended z = 0;
  Extended& operator[](int i) { return i == 1 ? x : (i == 2 ? y : z); }
  Extended operator[](int i) const { return i == 1 ? x : (i == 2 ? y : z); }
};

// Row i = (a(i), b(i), w(i)).
using Array3x3 = Extended[3][3];

Extended VectorLength(TVektor v);
void UnitVector(TVektor v, TVektor& r);
void ScaleVector(TVektor v, Extended k, TVektor& r);
void SubtractVectors(TVektor a, TVektor b, TVektor& r);
Extended DotProduct(TVektor a, TVektor b);
void CrossProduct(TVektor a, TVektor b, TVektor& r);
void VectorsToColumns(TVektor a, TVektor b, TVektor w, Array3x3& out);

// Writes R(omega, phi, kappa) into the existing 3 x 3 matrix m.
void RotationFromAngles(Matice& m, Extended omega, Extended phi, Extended kappa);
// Angles of a 3 x 3 rotation matrix (Omega in (-pi/2, pi/2), Phi and Kappa
// in (-pi/2, 3pi/2)).
void AnglesFromRotation(const Matice& m, Extended& omega, Extended& phi, Extended& kappa);

// Closed-form starting values. Points in metres; the rotation and the
// scale returned are dimensionless, the translation in metres.
MaticePtr FrameFromPoints(TVektor p1, TVektor p2, TVektor p3);
Extended ScaleFromPoints(TVektor a1, TVektor a2, TVektor a3, TVektor b1, TVektor b2, TVektor b3);
// A = target, B = source; r receives a new rotation, t the translation, m the scale.
void KeyFromThreePoints(TVektor a1, TVektor a2, TVektor a3, TVektor b1, TVektor b2, TVektor b3,
                        MaticePtr& r, TVektor& t, Extended& m);
void OrthonormalizeVectors(TVektor c1, TVektor c2, TVektor c3, TVektor& o1, TVektor& o2,
                           TVektor& o3);
// out receives a new 3 x 3 matrix, or nullptr when m is not 3 x 3.
void OrthonormalizeMatrix(const Matice& m, MaticePtr& out);
// Mean length of the three columns; 0 when m is not 3 x 3.
Extended MeanAxisScale(const Matice& m);

// The proper rotation r that maximises trace(r^T h) for a 3 x 3 matrix h,
// from its singular value decomposition h = U D V^T with the smallest
// singular value's sign turned so that det r = +1: r = U S V^T. `trace`
// receives the maximum, trace(D S). False when the rotation is not
// determined: h is zero, or has rank 1 (all points on one line), or holds a
// value that is not finite. Raises no fault flag the caller would see.
bool ProperRotationFromCovariance(const Extended (&h)[3][3], Extended (&r)[3][3], Extended& trace);

// ---------------------------------------------------------------------------
// The similarity model and its derivatives, from the sines and cosines of
// the angles computed once per angle triple (MakeTrig) for the hot loops of
// the iterative adjustment. Arguments, with their units:
//   x, y, z             source coordinates, metres
//   m                   scale, dimensionless (1 for a congruence)
//   t                   sines and cosines of omega, phi, kappa
//   tX, tY, tZ          translation, metres
// ModelX..ModelZ give target coordinates in metres: (tX, tY, tZ) + m R (x, y, z).
// D<X|Y|Z>dScale are in metres per unit of scale, D<X|Y|Z>d<angle> in
// metres per radian (the derivatives not listed are 0). They do not test the
// fault flags: the caller's guard sees any fault they raise.

struct RotationTrig {
  Extended so = 0;  // sin Omega
  Extended co = 1;  // cos Omega
  Extended sp = 0;  // sin Phi
  Extended cp = 1;  // cos Phi
  Extended sk = 0;  // sin Kappa
  Extended ck = 1;  // cos Kappa
};

RotationTrig MakeTrig(Extended omega, Extended phi, Extended kappa);

// Element (row, col) of R, 1-based.
inline Extended RotationElement(const RotationTrig& t, int row, int col) {
  switch (row * 3 + col) {
    case 4: return t.cp * t.ck - t.so * t.sp * t.sk;   // (1, 1)
    case 5: return t.cp * t.sk + t.so * t.sp * t.ck;   // (1, 2)
    case 6: return -t.co * t.sp;                       // (1, 3)
    case 7: return -t.co * t.sk;                       // (2, 1)
    case 8: return t.co * t.ck;                        // (2, 2)
    case 9: return t.so;                               // (2, 3)
    case 10: return t.sp * t.ck + t.so * t.cp * t.sk;  // (3, 1)
    case 11: return t.sp * t.sk - t.so * t.cp * t.ck;  // (3, 2)
    default: return t.co * t.cp;                       // (3, 3)
  }
}

// Writes R into the existing 3 x 3 matrix m.
void RotationFromTrig(Matice& m, const RotationTrig& t);

inline Extended DXdScale(Extended x, Extended y, Extended z, Extended /*m*/,
                         const RotationTrig& t) {
  return RotationElement(t, 1, 1) * x + RotationElement(t, 1, 2) * y + RotationElement(t, 1, 3) * z;
}
inline Extended DYdScale(Extended x, Extended y, Extended z, Extended /*m*/,
                         const RotationTrig& t) {
  return RotationElement(t, 2, 1) * x + RotationElement(t, 2, 2) * y + RotationElement(t, 2, 3) * z;
}
inline Extended DZdScale(Extended x, Extended y, Extended z, Extended /*m*/,
                         const RotationTrig& t) {
  return RotationElement(t, 3, 1) * x + RotationElement(t, 3, 2) * y + RotationElement(t, 3, 3) * z;
}
inline Extended ModelX(Extended x, Extended y, Extended z, Extended m, const RotationTrig& t,
                       Extended tX) {
  return tX + m * DXdScale(x, y, z, m, t);
}
inline Extended ModelY(Extended x, Extended y, Extended z, Extended m, const RotationTrig& t,
                       Extended tY) {
  return tY + m * DYdScale(x, y, z, m, t);
}
inline Extended ModelZ(Extended x, Extended y, Extended z, Extended m, const RotationTrig& t,
                       Extended tZ) {
  return tZ + m * DZdScale(x, y, z, m, t);
}
inline Extended DXdOmega(Extended x, Extended y, Extended z, Extended m, const RotationTrig& t) {
  return m * t.sp * (-x * t.co * t.sk + y * t.co * t.ck + z * t.so);
}
inline Extended DXdPhi(Extended x, Extended y, Extended z, Extended m, const RotationTrig& t) {
  return m * (x * (-t.sp * t.ck - t.so * t.cp * t.sk) + y * (-t.sp * t.sk + t.so * t.cp * t.ck) -
              z * t.co * t.cp);
}
inline Extended DXdKappa(Extended x, Extended y, Extended /*z*/, Extended m,
                         const RotationTrig& t) {
  return m * (x * (-t.cp * t.sk - t.so * t.sp * t.ck) + y * (t.cp * t.ck - t.so * t.sp * t.sk));
}
inline Extended DYdOmega(Extended x, Extended y, Extended z, Extended m, const RotationTrig& t) {
  return m * (x * t.so * t.sk - y * t.so * t.ck + z * t.co);
}
inline Extended DYdKappa(Extended x, Extended y, Extended /*z*/, Extended m,
                         const RotationTrig& t) {
  return m * (-x * t.co * t.ck - y * t.co * t.sk);
}
inline Extended DZdOmega(Extended x, Extended y, Extended z, Extended m, const RotationTrig& t) {
  return m * t.cp * (x * t.co * t.sk - y * t.co * t.ck - z * t.so);
}
inline Extended DZdPhi(Extended x, Extended y, Extended z, Extended m, const RotationTrig& t) {
  return m * (x * (t.cp * t.ck - t.so * t.sp * t.sk) + y * (t.cp * t.sk + t.so * t.sp * t.ck) -
              z * t.co * t.sp);
}
inline Extended DZdKappa(Extended x, Extended y, Extended /*z*/, Extended m,
                         const RotationTrig& t) {
  return m * (x * (-t.sp * t.sk + t.so * t.cp * t.ck) + y * (t.sp * t.ck + t.so * t.cp * t.sk));
}

}  // namespace ternavo
