// The key in the forms other programs take: a PROJ affine operation and a
// 4 x 4 row-major matrix. Both compute target = offset + S source with
// S = ScaleMatrix x RotationMatrix and the offset TranslationVector, as the
// detail-point transformation does.
#pragma once

#include <string>

#include "adjustment/seznam.h"

namespace ternavo {

// "+proj=affine +xoff=.. +yoff=.. +zoff=.. +s11=.. +s12=.. ... +s33=..\n"
std::string KeyAsProjString(const TSeznam& s);

// "a11 a12 a13 tX a21 a22 a23 tY a31 a32 a33 tZ 0 0 0 1\n"
std::string KeyAsMatrixLine(const TSeznam& s);

// Both forms, the PROJ line first: the text of an exported key file.
inline std::string KeyExportText(const TSeznam& s) {
  return KeyAsProjString(s) + KeyAsMatrixLine(s);
}

// A number with at most 17 significant digits and "." as decimal point in
// every locale (a reader that takes "0,5" as 0 must never see a comma).
std::string PortableNumber(Extended value);

}  // namespace ternavo
