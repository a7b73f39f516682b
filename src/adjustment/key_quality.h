// How well the accepted key fits and how well its parameters are determined:
// the residual of every identical point and the standard deviation of every
// parameter in the form the protocol prints it.
#pragma once

#include <cstdint>
#include <vector>

#include "adjustment/seznam.h"

namespace ternavo {

// The key as one product: target = T + K source with K = ScaleMatrix x
// RotationMatrix. Apply adds in the order the detail-point section does
// (0 + K(i,1) x + K(i,2) y + K(i,3) z, then + T(i)), so both give the same
// digits.
struct KeyTransform {
  Extended K[3][3] = {};
  Extended T[3] = {};

  static KeyTransform FromSeznam(const TSeznam& s);
  void Apply(Extended x, Extended y, Extended z, Extended out[3]) const {
    for (int i = 0; i < 3; ++i) {
      Extended w = 0;
      w += K[i][0] * x;
      w += K[i][1] * y;
      w += K[i][2] * z;
      out[i] = w + T[i];
    }
  }
};

// v = (T + K source) - target of one identical point, used or not.
struct PointResidual {
  std::string Name;
  bool Used = false;
  Extended V[3] = {0, 0, 0};
  Extended VXY = 0;   // sqrt(vX^2 + vY^2)
  Extended VXYZ = 0;  // sqrt(vX^2 + vY^2 + vZ^2)
};

// Parameters of a key in the order they are printed:
//   general affine: a11 a12 a13 a21 a22 a23 a31 a32 a33 tX tY tZ (12)
//   similarity:     Omega Phi Kappa tX tY tZ scale (7)
//   congruence:     Omega Phi Kappa tX tY tZ (6)
// Angles in radians, translations in the units of the coordinates.
int32_t ParameterCount(TTypTransformace type);

struct KeyQuality {
  bool Valid = false;  // false: no key (or an unknown type), everything else empty
  TTypTransformace Type = kGeneralAffine;
  std::vector<PointResidual> Residuals;  // every identical point, in list order
  int32_t Redundancy = 0;                // 3n - u over the used points
  Extended M0 = 0;
  std::vector<Extended> Values;  // ParameterCount(Type) values
  // m0 sqrt(Q(i,i)), Q the inverse normal matrix at the key in the printed
  // parameters; all 0 when there is no redundancy.
  std::vector<Extended> Sigmas;
};

// Only meaningful after a successful driver run of `type` (KeyValid); with
// KeyValid false the result is not Valid. Arithmetic faults throw.
KeyQuality ComputeKeyQuality(const TSeznam& s, TTypTransformace type);

}  // namespace ternavo
