// Whether the suspicious point is really an outlier: a test of every used
// point from the leave-one-out values, and a test of m0 against a given
// a-priori standard deviation.
//
// With r = 3n - u over the used points, Omega = r m0^2 and, leaving point i
// out, Omega_i = (r - 3) m0_i^2, the statistic
//   F_i = ((Omega - Omega_i) / 3) / (Omega_i / (r - 3))
// follows F(3, r - 3) when point i is not an outlier (exactly for the affine
// key, to first order for the iterative keys). The whole set is tested at
// the level alpha, each point at the Sidak level 1 - (1 - alpha)^(1/n).
#pragma once

#include <cstdint>
#include <vector>

#include "adjustment/key_quality.h"

namespace ternavo {

inline constexpr Extended kDefaultTestAlpha = 0.05L;

struct TestSettings {
  Extended Alpha = kDefaultTestAlpha;  // of the whole set, 0 < Alpha < 1
  bool HasSigma = false;               // the a-priori sigma is given
  Extended Sigma = 0;                  // of one coordinate, in the units of the coordinates
};

// Why a point has no test.
enum class NoTestReason {
  None,             // tested
  NotUsed,          // switched off: not in the key
  NoRedundancy,     // r - 3 < 1: nothing is left to compare with
  LeaveOutInvalid,  // the key without the point was not computed
  ZeroM0Without,    // m0 without the point is 0: the statistic has no finite value
};

struct PointTest {
  NoTestReason Reason = NoTestReason::NotUsed;
  Extended F = 0;
  Extended P = 0;  // P(F(3, r - 3) >= F)
  bool Outlier = false;
  bool Tested() const { return Reason == NoTestReason::None; }
};

enum class GlobalVerdict { Agrees, M0TooLarge, M0TooSmall };

// chi2 = r m0^2 / sigma^2 against chi2(r), two-sided at alpha.
struct GlobalTest {
  bool Requested = false;  // sigma given
  bool Made = false;       // sigma given, sigma > 0 and r >= 1
  Extended Sigma = 0;
  Extended Chi2 = 0;
  int32_t Df = 0;
  Extended Lower = 0;  // chi2(r) quantile alpha/2
  Extended Upper = 0;  // chi2(r) quantile 1 - alpha/2
  Extended P = 0;      // two-sided: 2 min(P(chi2 <= x), P(chi2 >= x)), at most 1
  GlobalVerdict Verdict = GlobalVerdict::Agrees;
};

struct OutlierTests {
  bool Valid = false;  // a key and a level in (0, 1)
  Extended Alpha = 0;
  Extended AlphaPoint = 0;  // Sidak level of one point
  int32_t UsedCount = 0;    // n
  int32_t Redundancy = 0;   // r
  int32_t Df2 = 0;          // r - 3 (the first degree of freedom is 3)
  bool HasCritical = false;
  Extended Critical = 0;          // F(3, r - 3) quantile 1 - AlphaPoint
  std::vector<PointTest> Points;  // every identical point, in list order
  GlobalTest Global;
};

// 1 - (1 - alpha)^(1/n), accurate for small alpha.
Extended SidakLevel(Extended alpha, int32_t n);

// The test of one used point whose leave-one-out value is valid or not.
PointTest TestPoint(Extended m0, Extended m0Without, bool withoutValid, int32_t redundancy,
                    Extended alphaPoint);

GlobalTest TestM0(Extended m0, int32_t redundancy, Extended sigma, Extended alpha);

// Meaningful after a successful driver run whose quality is `q`.
OutlierTests ComputeOutlierTests(const TSeznam& s, const KeyQuality& q,
                                 const TestSettings& settings);

}  // namespace ternavo
