#include "report/output_number.h"

#include <cmath>
#include <cstdio>
#include <string>

#include "text/messages.h"

namespace ternavo {

double OutputDouble(Extended v) {
  const double d = static_cast<double>(v);
  if (std::isfinite(d)) return d;
  char text[64];
  std::snprintf(text, sizeof text, "%.6Lg", v);
  throw OutputRangeError(std::string(messages::kOutputRangePrefix) + text +
                         messages::kOutputRangeSuffix);
}

}  // namespace ternavo
