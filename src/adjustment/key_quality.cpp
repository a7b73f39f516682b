// Residuals and parameter precision of the accepted key.
//
// The normal matrix is formed in centred coordinates: the source coordinates
// are reduced to the centroid of the used points and the translation is the
// one at the centroid, T' = T + K centroid. With national-grid coordinates
// the uncentred normal matrix couples the translation with the other
// parameters so strongly that its inverse loses every digit; the centred one
// is well conditioned. The printed translation is T = T' - K centroid, a
// linear function of the centred parameters, so its covariance follows by
// propagation: Q = J Q' J^T.
#include "adjustment/key_quality.h"

#include <cmath>

#include "adjustment/key_iteration.h"
#include "geometry/geometry.h"

namespace ternavo {

namespace {

constexpr int kMaxUnknowns = 12;

// Design row of one coordinate equation in the centred parameters.
struct Row {
  Extended a[kMaxUnknowns] = {};
};

// Normal matrix accumulated from design rows (upper half, mirrored at the end).
class Normal {
 public:
  explicit Normal(int u) : u_(u) {}
  void Add(const Row& r) {
    for (int i = 0; i < u_; ++i) {
      if (r.a[i] == 0) continue;
      for (int j = i; j < u_; ++j) n_[i][j] += r.a[i] * r.a[j];
    }
  }
  // The inverse, or the pseudo-inverse when the solver gives up; nullptr when
  // neither exists.
  MaticePtr Inverse() const {
    Matice m(static_cast<uint16_t>(u_), static_cast<uint16_t>(u_));
    for (int i = 0; i < u_; ++i) {
      for (int j = i; j < u_; ++j) {
        m.Put(i + 1, j + 1, n_[i][j]);
        m.Put(j + 1, i + 1, n_[i][j]);
      }
    }
    MaticePtr q = m.Inverse();
    if (q) return q;
    bool ok = false;
    return m.PseudoInverse(kPseudoInverseThreshold, ok);
  }

 private:
  int u_;
  Extended n_[kMaxUnknowns][kMaxUnknowns] = {};
};

// Diagonal of J Q J^T for a J that is the identity except for the rows of
// the three translations; jt[e] is the row of translation e (index tBase + e).
void PropagatedSigmas(const Matice& q, int u, int tBase, const Extended jt[3][kMaxUnknowns],
                      Extended m0, std::vector<Extended>& sigmas) {
  sigmas.assign(static_cast<std::size_t>(u), 0);
  for (int k = 0; k < u; ++k) {
    Extended qkk = 0;
    if (k >= tBase && k < tBase + 3) {
      const Extended* j = jt[k - tBase];
      for (int a = 0; a < u; ++a) {
        if (j[a] == 0) continue;
        Extended row = 0;
        for (int b = 0; b < u; ++b) row += q.Get(a + 1, b + 1) * j[b];
        qkk += j[a] * row;
      }
    } else {
      qkk = q.Get(k + 1, k + 1);
    }
    // Rounding can leave a tiny negative value for a parameter the data fix exactly.
    sigmas[static_cast<std::size_t>(k)] = qkk > 0 ? m0 * std::sqrt(qkk) : 0;
  }
}

}  // namespace

int32_t ParameterCount(TTypTransformace type) {
  switch (type) {
    case kGeneralAffine: return 12;
    case kSimilarity: return 7;
    case kCongruence: return 6;
    default: return 0;
  }
}

KeyTransform KeyTransform::FromSeznam(const TSeznam& s) {
  KeyTransform k;
  FpGuard guard;
  MaticePtr product = s.ScaleMatrix->Multiply(*s.RotationMatrix);
  for (int i = 0; i < 3; ++i) {
    for (int j = 0; j < 3; ++j) k.K[i][j] = product->Get(i + 1, j + 1);
    k.T[i] = s.TranslationVector->Get(i + 1, 1);
  }
  guard.Check();
  return k;
}

KeyQuality ComputeKeyQuality(const TSeznam& s, TTypTransformace type) {
  KeyQuality result;
  const int u = ParameterCount(type);
  if (!s.KeyValid || u == 0) return result;
  result.Type = type;
  result.M0 = s.M0;

  FpGuard guard;
  const KeyTransform key = KeyTransform::FromSeznam(s);

  result.Residuals.reserve(s.IdenticalPoints.size());
  int32_t n = 0;
  Extended centroid[3] = {0, 0, 0};
  for (const TIdentickyBod& p : s.IdenticalPoints) {
    PointResidual r;
    r.Name = p.Name;
    r.Used = p.Used;
    Extended t[3];
    key.Apply(p.SourceX, p.SourceY, p.SourceZ, t);
    r.V[0] = t[0] - p.TargetX;
    r.V[1] = t[1] - p.TargetY;
    r.V[2] = t[2] - p.TargetZ;
    const Extended xy = r.V[0] * r.V[0] + r.V[1] * r.V[1];
    r.VXY = std::sqrt(xy);
    r.VXYZ = std::sqrt(xy + r.V[2] * r.V[2]);
    result.Residuals.push_back(r);
    if (p.Used) {
      ++n;
      centroid[0] += p.SourceX;
      centroid[1] += p.SourceY;
      centroid[2] += p.SourceZ;
    }
  }
  result.Redundancy = 3 * n - u;

  if (type == kGeneralAffine) {
    for (int i = 0; i < 3; ++i) {
      for (int j = 0; j < 3; ++j) result.Values.push_back(s.RotationMatrix->Get(i + 1, j + 1));
    }
    for (int i = 0; i < 3; ++i) result.Values.push_back(s.TranslationVector->Get(i + 1, 1));
  } else {
    result.Values = {s.Omega, s.Phi, s.Kappa, s.TranslationX, s.TranslationY, s.TranslationZ};
    if (type == kSimilarity) result.Values.push_back(s.Scale);
  }

  if (result.Redundancy <= 0 || n == 0) {
    result.Sigmas.assign(static_cast<std::size_t>(u), 0);
    guard.Check();
    result.Valid = true;
    return result;
  }
  for (Extended& c : centroid) c /= static_cast<Extended>(n);

  Normal normal(u);
  Extended jt[3][kMaxUnknowns] = {};
  int tBase = 0;
  if (type == kGeneralAffine) {
    // Unknowns: the nine matrix elements row by row, then T'.
    tBase = 9;
    for (const TIdentickyBod& p : s.IdenticalPoints) {
      if (!p.Used) continue;
      const Extended c[3] = {p.SourceX - centroid[0], p.SourceY - centroid[1],
                             p.SourceZ - centroid[2]};
      for (int e = 0; e < 3; ++e) {
        Row r;
        for (int j = 0; j < 3; ++j) r.a[3 * e + j] = c[j];
        r.a[9 + e] = 1;
        normal.Add(r);
      }
    }
    // T(e) = T'(e) - sum_j a(e,j) centroid(j)
    for (int e = 0; e < 3; ++e) {
      for (int j = 0; j < 3; ++j) jt[e][3 * e + j] = -centroid[j];
      jt[e][9 + e] = 1;
    }
  } else {
    // Unknowns: Omega, Phi, Kappa, T', scale (similarity only).
    tBase = 3;
    const bool withScale = type == kSimilarity;
    const Extended m = withScale ? s.Scale : 1.0L;
    const RotationTrig trig = MakeTrig(s.Omega, s.Phi, s.Kappa);
    auto fill = [&](Extended x, Extended y, Extended z, Row rows[3]) {
      rows[0].a[0] = DXdOmega(x, y, z, m, trig);
      rows[0].a[1] = DXdPhi(x, y, z, m, trig);
      rows[0].a[2] = DXdKappa(x, y, z, m, trig);
      rows[1].a[0] = DYdOmega(x, y, z, m, trig);
      rows[1].a[2] = DYdKappa(x, y, z, m, trig);
      rows[2].a[0] = DZdOmega(x, y, z, m, trig);
      rows[2].a[1] = DZdPhi(x, y, z, m, trig);
      rows[2].a[2] = DZdKappa(x, y, z, m, trig);
      if (withScale) {
        rows[0].a[6] = DXdScale(x, y, z, m, trig);
        rows[1].a[6] = DYdScale(x, y, z, m, trig);
        rows[2].a[6] = DZdScale(x, y, z, m, trig);
      }
    };
    for (const TIdentickyBod& p : s.IdenticalPoints) {
      if (!p.Used) continue;
      Row rows[3];
      fill(p.SourceX - centroid[0], p.SourceY - centroid[1], p.SourceZ - centroid[2], rows);
      for (int e = 0; e < 3; ++e) {
        rows[e].a[3 + e] = 1;
        normal.Add(rows[e]);
      }
    }
    // T = T' - m R(angles) centroid: minus the model derivatives at the centroid.
    Row atCentroid[3];
    fill(centroid[0], centroid[1], centroid[2], atCentroid);
    for (int e = 0; e < 3; ++e) {
      for (int a = 0; a < u; ++a) jt[e][a] = -atCentroid[e].a[a];
      jt[e][3 + e] = 1;
    }
  }

  MaticePtr q = normal.Inverse();
  if (q) {
    PropagatedSigmas(*q, u, tBase, jt, s.M0, result.Sigmas);
  } else {
    result.Sigmas.assign(static_cast<std::size_t>(u), 0);
  }
  guard.Check();
  result.Valid = true;
  return result;
}

}  // namespace ternavo
