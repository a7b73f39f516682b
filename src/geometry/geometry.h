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

// The similarity model and its derivatives. Arguments: source x, y, z,
// scale m, angles omega, phi, kappa (and the translation component).
Extended ModelX(Extended x, Extended y, Extended z, Extended m, Extended omega, Extended phi,
                Extended kappa, Extended tX, Extended tY, Extended tZ);
Extended ModelY(Extended x, Extended y, Extended z, Extended m, Extended omega, Extended phi,
                Extended kappa, Extended tX, Extended tY, Extended tZ);
Extended ModelZ(Extended x, Extended y, Extended z, Extended m, Extended omega, Extended phi,
                Extended kappa, Extended tX, Extended tY, Extended tZ);
Extended DXdScale(Extended x, Extended y, Extended z, Extended m, Extended omega, Extended phi,
                  Extended kappa);
Extended DYdScale(Extended x, Extended y, Extended z, Extended m, Extended omega, Extended phi,
                  Extended kappa);
Extended DZdScale(Extended x, Extended y, Extended z, Extended m, Extended omega, Extended phi,
                  Extended kappa);
Extended DXdOmega(Extended x, Extended y, Extended z, Extended m, Extended omega, Extended phi,
                  Extended kappa);
Extended DXdPhi(Extended x, Extended y, Extended z, Extended m, Extended omega, Extended phi,
                Extended kappa);
Extended DXdKappa(Extended x, Extended y, Extended z, Extended m, Extended omega, Extended phi,
                  Extended kappa);
Extended DYdOmega(Extended x, Extended y, Extended z, Extended m, Extended omega, Extended phi,
                  Extended kappa);
Extended DYdKappa(Extended x, Extended y, Extended z, Extended m, Extended omega, Extended phi,
                  Extended kappa);
Extended DZdOmega(Extended x, Extended y, Extended z, Extended m, Extended omega, Extended phi,
                  Extended kappa);
Extended DZdPhi(Extended x, Extended y, Extended z, Extended m, Extended omega, Extended phi,
                Extended kappa);
Extended DZdKappa(Extended x, Extended y, Extended z, Extended m, Extended omega, Extended phi,
                  Extended kappa);

// Closed-form starting values.
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

// Shown when the identical points give no triangle to work with.
extern const char* const kDegeneratePointsText;

}  // namespace ternavo
