// The similarity model and its derivatives of the angles themselves, for
// tests: the plain reference computation of the keys and the checks of the
// derivatives call these. The program computes the sines and cosines once
// per angle triple (MakeTrig) and calls the forms of geometry.h; these
// evaluate those same forms, so both give bit-identical results.
// Units as there: coordinates and translation in metres, angles in radians.
#pragma once

#include "geometry/geometry.h"

namespace ternavo::testing {

inline Extended ModelX(Extended x, Extended y, Extended z, Extended m, Extended omega, Extended phi,
                       Extended kappa, Extended tX, Extended /*tY*/, Extended /*tZ*/) {
  return ternavo::ModelX(x, y, z, m, MakeTrig(omega, phi, kappa), tX);
}

inline Extended ModelY(Extended x, Extended y, Extended z, Extended m, Extended omega, Extended phi,
                       Extended kappa, Extended /*tX*/, Extended tY, Extended /*tZ*/) {
  return ternavo::ModelY(x, y, z, m, MakeTrig(omega, phi, kappa), tY);
}

inline Extended ModelZ(Extended x, Extended y, Extended z, Extended m, Extended omega, Extended phi,
                       Extended kappa, Extended /*tX*/, Extended /*tY*/, Extended tZ) {
  return ternavo::ModelZ(x, y, z, m, MakeTrig(omega, phi, kappa), tZ);
}

#define TERNAVO_ANGLE_FORM(Name)                                                       \
  inline Extended Name(Extended x, Extended y, Extended z, Extended m, Extended omega, \
                       Extended phi, Extended kappa) {                                 \
    return ternavo::Name(x, y, z, m, MakeTrig(omega, phi, kappa));                     \
  }

TERNAVO_ANGLE_FORM(DXdScale)
TERNAVO_ANGLE_FORM(DYdScale)
TERNAVO_ANGLE_FORM(DZdScale)
TERNAVO_ANGLE_FORM(DXdOmega)
TERNAVO_ANGLE_FORM(DXdPhi)
TERNAVO_ANGLE_FORM(DXdKappa)
TERNAVO_ANGLE_FORM(DYdOmega)
TERNAVO_ANGLE_FORM(DYdKappa)
TERNAVO_ANGLE_FORM(DZdOmega)
TERNAVO_ANGLE_FORM(DZdPhi)
TERNAVO_ANGLE_FORM(DZdKappa)

#undef TERNAVO_ANGLE_FORM

}  // namespace ternavo::testing
