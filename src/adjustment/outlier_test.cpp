#include "adjustment/outlier_test.h"

#include <algorithm>
#include <cmath>

#include <boost/math/distributions/chi_squared.hpp>
#include <boost/math/distributions/fisher_f.hpp>

namespace ternavo {

namespace {

// The distribution functions may raise flags of their own on the way to a
// correct value; a guard without Check() drops them and gives the caller
// back exactly the flags it had.
class QuietFlags {
 public:
  QuietFlags() = default;

 private:
  FpGuard guard_;
};

bool LevelIsValid(Extended alpha) { return alpha > 0 && alpha < 1; }

}  // namespace

Extended SidakLevel(Extended alpha, int32_t n) {
  if (n <= 1) return alpha;
  return -std::expm1(std::log1p(-alpha) / static_cast<Extended>(n));
}

PointTest TestPoint(Extended m0, Extended m0Without, bool withoutValid, int32_t redundancy,
                    Extended alphaPoint) {
  PointTest t;
  const int32_t df2 = redundancy - 3;
  if (df2 < 1) {
    t.Reason = NoTestReason::NoRedundancy;
    return t;
  }
  if (!withoutValid) {
    t.Reason = NoTestReason::LeaveOutInvalid;
    return t;
  }
  if (!(m0Without > 0)) {
    t.Reason = NoTestReason::ZeroM0Without;
    return t;
  }
  t.Reason = NoTestReason::None;
  const Extended r = static_cast<Extended>(redundancy);
  const Extended omega = r * m0 * m0;
  const Extended omegaWithout = static_cast<Extended>(df2) * m0Without * m0Without;
  t.F = ((omega - omegaWithout) / 3) / (omegaWithout / static_cast<Extended>(df2));
  if (t.F <= 0) {
    // An iterative key can end a hair worse with the point left out than
    // with it: nothing speaks against the point.
    t.P = 1;
  } else {
    QuietFlags quiet;
    const boost::math::fisher_f_distribution<Extended> f(3, static_cast<Extended>(df2));
    t.P = boost::math::cdf(boost::math::complement(f, t.F));
  }
  t.Outlier = t.P < alphaPoint;
  return t;
}

GlobalTest TestM0(Extended m0, int32_t redundancy, Extended sigma, Extended alpha) {
  GlobalTest g;
  g.Requested = true;
  g.Sigma = sigma;
  if (redundancy < 1 || !(sigma > 0) || !LevelIsValid(alpha)) return g;
  g.Made = true;
  g.Df = redundancy;
  g.Chi2 = static_cast<Extended>(redundancy) * (m0 / sigma) * (m0 / sigma);
  QuietFlags quiet;
  const boost::math::chi_squared_distribution<Extended> chi(static_cast<Extended>(redundancy));
  g.Lower = boost::math::quantile(chi, alpha / 2);
  g.Upper = boost::math::quantile(boost::math::complement(chi, alpha / 2));
  const Extended below = boost::math::cdf(chi, g.Chi2);
  const Extended above = boost::math::cdf(boost::math::complement(chi, g.Chi2));
  g.P = std::min<Extended>(1, 2 * std::min(below, above));
  g.Verdict = g.Chi2 > g.Upper   ? GlobalVerdict::M0TooLarge
              : g.Chi2 < g.Lower ? GlobalVerdict::M0TooSmall
                                 : GlobalVerdict::Agrees;
  return g;
}

OutlierTests ComputeOutlierTests(const TSeznam& s, const KeyQuality& q,
                                 const TestSettings& settings) {
  OutlierTests t;
  if (!q.Valid || !LevelIsValid(settings.Alpha)) return t;
  t.Valid = true;
  t.Alpha = settings.Alpha;
  t.Redundancy = q.Redundancy;
  t.Df2 = q.Redundancy - 3;
  for (const TIdentickyBod& p : s.IdenticalPoints) {
    if (p.Used) ++t.UsedCount;
  }
  t.AlphaPoint = SidakLevel(settings.Alpha, t.UsedCount);
  if (t.Df2 >= 1) {
    QuietFlags quiet;
    const boost::math::fisher_f_distribution<Extended> f(3, static_cast<Extended>(t.Df2));
    t.Critical = boost::math::quantile(boost::math::complement(f, t.AlphaPoint));
    t.HasCritical = true;
  }
  t.Points.reserve(s.IdenticalPoints.size());
  for (const TIdentickyBod& p : s.IdenticalPoints) {
    t.Points.push_back(
        p.Used ? TestPoint(q.M0, p.M0Without, p.M0WithoutValid, q.Redundancy, t.AlphaPoint)
               : PointTest{});
  }
  if (settings.HasSigma) t.Global = TestM0(q.M0, q.Redundancy, settings.Sigma, settings.Alpha);
  return t;
}

}  // namespace ternavo
