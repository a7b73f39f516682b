// Numbers in the machine-readable outputs (JSON, key exports, key files):
// doubles, which must read back as the value they stand for. An extended
// value beyond the range of doubles (a coordinate of 1e400, say) would
// become null in JSON or a number that reads back as infinity; such a value
// ends the output with an error instead.
#pragma once

#include <stdexcept>

#include "numeric/extended.h"

namespace ternavo {

class OutputRangeError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// v as a double; OutputRangeError with a Czech message naming the value when
// v is beyond the range of doubles or not a number.
double OutputDouble(Extended v);

}  // namespace ternavo
