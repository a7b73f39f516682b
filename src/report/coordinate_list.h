// The transformed detail points as a coordinate list: one line per point,
// name X Y Z, in the conventions of the list the points are for.
#pragma once

#include <string>

#include "adjustment/point_list.h"
#include "adjustment/seznam.h"

namespace ternavo {

inline constexpr int kDefaultListDecimals = 4;
inline constexpr int kMaxListDecimals = 12;

// The file bytes (separator, decimal mark, column order, code page,
// byte-order mark and line ends as `conventions` say). False with a Czech
// error text when a transformed coordinate is not finite; `s` must hold a key.
bool TransformedPointsList(const TSeznam& s, const ListConventions& conventions, int decimals,
                           std::string& bytes, std::string& error);

// `value` with exactly `decimals` decimals (0..12), rounded half away from
// zero from its 18 significant digits; no exponent, "-" only when a nonzero
// digit is shown.
void AppendDecimals(std::string& out, Extended value, int decimals, char mark);

}  // namespace ternavo
