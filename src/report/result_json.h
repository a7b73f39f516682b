// The whole result of a computation as JSON, for scripts.
#pragma once

#include <string>

#include "adjustment/outlier_test.h"

namespace ternavo {

// The result after a driver run of `type` (or without a key: "key_valid"
// false and the key, its sigmas and the residuals null). With `withDetail`
// the transformed detail points are included. Numbers are JSON numbers: the
// double nearest to each extended value, in the shortest text that reads
// back as that double. Pretty-printed, ending with a line feed.
// The outlier tests use `tests` ("alpha", a "test" per point, and
// "global_test" when a sigma is given). A non-empty `refused` is the message
// of a computation that was refused: "key_valid" is false and "refused"
// holds the message.
std::string ResultJson(const TSeznam& s, TTypTransformace type, bool withDetail,
                       const TestSettings& tests = {}, const std::string& refused = {});

}  // namespace ternavo
