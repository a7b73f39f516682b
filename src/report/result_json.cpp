#include "report/result_json.h"

#include <nlohmann/json.hpp>

#include "adjustment/key_quality.h"
#include "adjustment/point_name.h"
#include "report/output_number.h"
#include "version.h"

namespace ternavo {

namespace {

// Members keep the order in which they are written.
using json = nlohmann::ordered_json;

json Number(Extended v) { return OutputDouble(v); }

// A point's name: a JSON number when it is a combined file's number, so such
// output reads as it always has; any other name (leading zeros, letters,
// more than 32 bits) a JSON string.
json PointName(const std::string& name) {
  if (const std::optional<int32_t> number = NameAsNumber(name)) return *number;
  return name;
}

json Triple(const Extended v[3]) { return json::array({Number(v[0]), Number(v[1]), Number(v[2])}); }

json MatrixRows(const Matice& m) {
  json rows = json::array();
  for (int i = 1; i <= 3; ++i) {
    rows.push_back(json::array({Number(m.Get(i, 1)), Number(m.Get(i, 2)), Number(m.Get(i, 3))}));
  }
  return rows;
}

const char* TypeName(TTypTransformace type) {
  switch (type) {
    case kGeneralAffine: return "affine";
    case kSimilarity: return "similarity";
    case kCongruence: return "congruence";
    default: return "unknown";
  }
}

json Sigmas(const KeyQuality& q) {
  const std::vector<Extended>& s = q.Sigmas;
  if (q.Type == kGeneralAffine) {
    json rows = json::array();
    for (std::size_t i = 0; i < 3; ++i) {
      rows.push_back(json::array({Number(s[3 * i]), Number(s[3 * i + 1]), Number(s[3 * i + 2])}));
    }
    return {{"matrix", rows}, {"translation", Triple(&s[9])}};
  }
  // The congruence key's scale is fixed at 1, so it has no spread.
  return {{"omega", Number(s[0])},
          {"phi", Number(s[1])},
          {"kappa", Number(s[2])},
          {"tx", Number(s[3])},
          {"ty", Number(s[4])},
          {"tz", Number(s[5])},
          {"scale", q.Type == kSimilarity ? Number(s[6]) : json(0.0)}};
}

json PointTestJson(const PointTest& t) {
  if (!t.Tested()) return {{"F", nullptr}, {"p", nullptr}, {"outlier", nullptr}};
  return {{"F", Number(t.F)}, {"p", Number(t.P)}, {"outlier", t.Outlier}};
}

json GlobalTestJson(const GlobalTest& g) {
  json j = {{"sigma", Number(g.Sigma)}};
  if (!g.Made) {
    for (const char* k : {"chi2", "df", "lower", "upper", "p", "agrees"}) j[k] = nullptr;
    return j;
  }
  j["chi2"] = Number(g.Chi2);
  j["df"] = g.Df;
  j["lower"] = Number(g.Lower);
  j["upper"] = Number(g.Upper);
  j["p"] = Number(g.P);
  j["agrees"] = g.Verdict == GlobalVerdict::Agrees;
  return j;
}

}  // namespace

std::string ResultJson(const TSeznam& s, TTypTransformace type, bool withDetail,
                       const TestSettings& tests, const std::string& refused) {
  const bool wasRefused = !refused.empty();
  const KeyQuality q = wasRefused ? KeyQuality() : ComputeKeyQuality(s, type);
  const bool valid = q.Valid;
  const OutlierTests outliers = ComputeOutlierTests(s, q, tests);

  json root;
  root["program"] = "ternavo";
  root["version"] = kVersion;
  root["type"] = TypeName(type);
  root["counts"] = {{"identical", s.GetIdenticalCount()},
                    {"used", s.GetUsedCount()},
                    {"detail", s.GetDetailCount()}};
  root["key_valid"] = valid;
  if (wasRefused) root["refused"] = refused;
  if (valid) {
    json key = {{"matrix", MatrixRows(*s.RotationMatrix)},
                {"translation", json::array({Number(s.TranslationVector->Get(1, 1)),
                                             Number(s.TranslationVector->Get(2, 1)),
                                             Number(s.TranslationVector->Get(3, 1))})},
                {"scale", Number(s.ScaleMatrix->Get(1, 1))}};
    if (type != kGeneralAffine) {
      key["angles"] = {
          {"omega", Number(s.Omega)}, {"phi", Number(s.Phi)}, {"kappa", Number(s.Kappa)}};
    }
    root["key"] = key;
    root["sigma"] = Sigmas(q);
    root["m0"] = Number(s.M0);
    root["redundancy"] = q.Redundancy;
  } else {
    root["key"] = nullptr;
    root["sigma"] = nullptr;
    root["m0"] = nullptr;
    root["redundancy"] = nullptr;
  }
  root["alpha"] = Number(tests.Alpha);
  // The level of one point (Sidak) and the critical value of F(3, r - 3).
  root["alpha_point"] = outliers.Valid ? Number(outliers.AlphaPoint) : json(nullptr);
  root["f_critical"] = outliers.HasCritical ? Number(outliers.Critical) : json(nullptr);
  if (tests.HasSigma) {
    root["global_test"] = valid && outliers.Valid ? GlobalTestJson(outliers.Global) : json(nullptr);
  }

  json points = json::array();
  for (std::size_t i = 0; i < s.IdenticalPoints.size(); ++i) {
    const TIdentickyBod& p = s.IdenticalPoints[i];
    // The same rule as the point table: diagnostics of used points after a key.
    const bool diagnosed = valid && p.Used && p.M0WithoutValid;
    json point = {{"number", PointName(p.Name)}, {"used", p.Used}};
    point["m0_without"] = diagnosed ? Number(p.M0Without) : json(nullptr);
    point["ratio"] = diagnosed && s.M0 > 0 ? Number(p.M0Without / s.M0) : json(nullptr);
    point["residual"] = valid ? Triple(q.Residuals[i].V) : json(nullptr);
    point["test"] = outliers.Valid ? PointTestJson(outliers.Points[i]) : PointTestJson({});
    points.push_back(std::move(point));
  }
  root["points"] = std::move(points);

  const int32_t suspicious = valid ? s.FindSuspiciousPoint() : -1;
  root["suspicious"] = suspicious >= 0
                           ? PointName(s.IdenticalPoints[static_cast<std::size_t>(suspicious)].Name)
                           : json(nullptr);

  if (withDetail) {
    if (valid) {
      const KeyTransform key = KeyTransform::FromSeznam(s);
      json detail = json::array();
      for (const TPodrobnyBod& p : s.DetailPoints) {
        Extended t[3];
        key.Apply(p.X, p.Y, p.Z, t);
        detail.push_back({{"number", PointName(p.Name)}, {"xyz", Triple(t)}});
      }
      root["detail"] = std::move(detail);
    } else {
      root["detail"] = nullptr;
    }
  }
  return root.dump(2) + "\n";
}

}  // namespace ternavo
