#include "report/residual_report.h"

#include <numbers>

#include "text/messages.h"
#include "text/number_format.h"

namespace ternavo {

namespace {

constexpr Extended kGonPerRadian = 200.0L / std::numbers::pi_v<Extended>;

std::string Metres(Extended v, int decimals) { return FormatFixed(v, 15, decimals) + " m"; }

std::string Angle(Extended radians) {
  return FormatFixed(radians, 15, 12) + " rad  " + FormatFixed(radians * kGonPerRadian, 15, 8) +
         " gon";
}

std::string Ppm(Extended v) { return FormatFixed(v * 1e6L, 15, 4) + " ppm"; }

// A name holding the separator, a quote or a line break goes in quotes, its
// quotes doubled; any other name stays as it is.
std::string CsvField(const std::string& name) {
  if (name.find_first_of(";\"\r\n") == std::string::npos) return name;
  std::string quoted = "\"";
  for (const char c : name) {
    if (c == '"') quoted += '"';
    quoted += c;
  }
  return quoted + '"';
}

}  // namespace

const char* UsedText(bool used) { return used ? messages::kUsedYes : messages::kUsedNo; }

std::vector<ParameterText> ParameterTexts(const KeyQuality& q) {
  std::vector<ParameterText> out;
  if (!q.Valid) return out;
  const std::vector<Extended>& v = q.Values;
  const std::vector<Extended>& s = q.Sigmas;
  const char* const translations[3] = {"tX", "tY", "tZ"};
  if (q.Type == kGeneralAffine) {
    for (std::size_t i = 0; i < 9; ++i) {
      std::string name = "a";
      name += static_cast<char>('1' + i / 3);
      name += static_cast<char>('1' + i % 3);
      out.push_back({name, FormatGeneral(v[i]), FormatFixed(s[i], 15, 12)});
    }
    for (std::size_t i = 0; i < 3; ++i) {
      out.push_back({translations[i], Metres(v[9 + i], 6), Metres(s[9 + i], 6)});
    }
    return out;
  }
  const char* const angles[3] = {"Omega", "Phi", "Kappa"};
  for (std::size_t i = 0; i < 3; ++i) {
    out.push_back(
        {angles[i], Angle(v[i]), FormatFixed(s[i] * kGonPerRadian * 1000, 15, 4) + " mgon"});
  }
  for (std::size_t i = 0; i < 3; ++i) {
    out.push_back({translations[i], Metres(v[3 + i], 6), Metres(s[3 + i], 6)});
  }
  if (q.Type == kSimilarity) {
    out.push_back({"m", FormatFixed(v[6], 15, 12) + "  " + Ppm(v[6] - 1),
                   FormatFixed(s[6], 15, 12) + "  " + Ppm(s[6])});
  }
  return out;
}

std::vector<std::string> ResidualTexts(const PointResidual& r) {
  return {FormatFixed(r.V[0], 15, 4), FormatFixed(r.V[1], 15, 4), FormatFixed(r.V[2], 15, 4),
          FormatFixed(r.VXY, 15, 4), FormatFixed(r.VXYZ, 15, 4)};
}

std::string ConventionLine(TTypTransformace type) {
  switch (type) {
    case kGeneralAffine: return messages::kConventionAffine;
    case kCongruence: return messages::kConventionCongruence;
    default: return messages::kConventionSimilarity;
  }
}

void WriteResidualReport(const KeyQuality& q, TextLines& lines) {
  if (!q.Valid) return;
  lines.AppendLine("");
  lines.AppendLine(messages::kResidualHeading);
  lines.AppendLine(messages::kResidualColumns);
  for (const PointResidual& r : q.Residuals) {
    std::string line = r.Name;
    for (const std::string& t : ResidualTexts(r)) line += "  " + t;
    line += "  ";
    line += UsedText(r.Used);
    lines.AppendLine(std::move(line));
  }
  lines.AppendLine("");
  lines.AppendLine(messages::kPrecisionHeading);
  lines.AppendLine(messages::kPrecisionColumns);
  for (const ParameterText& p : ParameterTexts(q)) {
    lines.AppendLine(p.Name + "  " + p.Value + "  " + p.Sigma);
  }
  lines.AppendLine(messages::kRedundancyLine + FormatInteger(q.Redundancy));
  lines.AppendLine(messages::kM0Line + FormatFixed(q.M0, 15, 8));
  lines.AppendLine(ConventionLine(q.Type));
  if (q.Type != kGeneralAffine) {
    lines.AppendLine(messages::kConventionRotations);
  }
}

std::string PercentText(Extended fraction, int decimals) {
  return FormatFixed(fraction * 100, 15, decimals) + " %";
}

std::string PValueText(Extended p) {
  // Four decimals; anything that would show as zero says how small it is.
  constexpr Extended kSmallestP = 0.0001L;
  return p < kSmallestP / 2 ? messages::kTinyP + FormatFixed(kSmallestP, 15, 4)
                            : FormatFixed(p, 15, 4);
}

std::string PValueClause(Extended p) {
  const std::string text = PValueText(p);
  return text[0] == '<' ? "p " + text : "p = " + text;
}

std::vector<std::string> PointTestTexts(const PointTest& t) {
  namespace m = messages;
  switch (t.Reason) {
    case NoTestReason::None: break;
    case NoTestReason::NotUsed: return {m::kNoValue, m::kNoValue, m::kNotUsed};
    case NoTestReason::NoRedundancy: return {m::kNoValue, m::kNoValue, m::kNoRedundancy};
    case NoTestReason::LeaveOutInvalid: return {m::kNoValue, m::kNoValue, m::kLeaveOutInvalid};
    case NoTestReason::ZeroM0Without: return {m::kNoValue, m::kNoValue, m::kZeroM0Without};
  }
  // Four decimals of p; anything that would show as zero says how small it is.
  constexpr Extended kSmallestP = 0.0001L;
  const std::string p =
      t.P < kSmallestP / 2 ? m::kTinyP + FormatFixed(kSmallestP, 15, 4) : FormatFixed(t.P, 15, 4);
  return {FormatFixed(t.F, 15, 3), p, t.Outlier ? m::kOutlier : m::kNotOutlier};
}

const char* GlobalVerdictText(GlobalVerdict v) {
  switch (v) {
    case GlobalVerdict::M0TooLarge: return messages::kGlobalTooLarge;
    case GlobalVerdict::M0TooSmall: return messages::kGlobalTooSmall;
    default: return messages::kGlobalAgrees;
  }
}

void WriteOutlierTestReport(const KeyQuality& q, const OutlierTests& t, TextLines& lines,
                            bool pointLines) {
  namespace m = messages;
  if (!q.Valid || !t.Valid) return;
  lines.AppendLine("");
  lines.AppendLine(m::kTestHeading);
  lines.AppendLine(m::kTestLevel + PercentText(t.Alpha, 2));
  lines.AppendLine(m::kTestCorrection + PercentText(t.AlphaPoint, 4) +
                   ",  n = " + FormatInteger(t.UsedCount));
  lines.AppendLine(t.HasCritical ? m::kTestCritical + FormatFixed(t.Critical, 15, 3) +
                                       "  (r - 3 = " + FormatInteger(t.Df2) + ")"
                                 : std::string(m::kTestNoCritical));
  if (pointLines) lines.AppendLine(m::kTestColumns);
  for (std::size_t i = 0; pointLines && i < q.Residuals.size() && i < t.Points.size(); ++i) {
    std::string line = q.Residuals[i].Name;
    for (const std::string& text : PointTestTexts(t.Points[i])) line += "  " + text;
    lines.AppendLine(std::move(line));
  }
  const GlobalTest& g = t.Global;
  if (g.Requested) lines.AppendLine(m::kGlobalHeading + FormatGeneral(g.Sigma) + " m :");
  if (g.Requested && !g.Made) lines.AppendLine(m::kGlobalNoTest);
  if (g.Made) {
    lines.AppendLine("  chi2 = " + FormatFixed(g.Chi2, 15, 3) + ",  r = " + FormatInteger(g.Df) +
                     m::kGlobalQuantiles + FormatFixed(g.Lower, 15, 3) + "  " +
                     FormatFixed(g.Upper, 15, 3) + ",  " + PValueClause(g.P));
    lines.AppendLine(std::string(m::kGlobalResult) + GlobalVerdictText(g.Verdict));
  }
  lines.AppendLine(m::kHowHeading);
  lines.AppendLine(m::kHowM0);
  lines.AppendLine(m::kHowR);
  lines.AppendLine(m::kHowM0Without);
  lines.AppendLine(m::kHowF);
  if (q.Type != kGeneralAffine) lines.AppendLine(m::kHowFIterative);
  lines.AppendLine(m::kHowP);
  if (g.Requested) lines.AppendLine(m::kHowChi2);
}

std::string ResidualTableCsv(const KeyQuality& q) {
  if (!q.Valid) return {};
  std::string csv = "\xEF\xBB\xBF";
  csv += messages::kResidualCsvHeader;
  for (const PointResidual& r : q.Residuals) {
    csv += CsvField(r.Name);
    for (const std::string& t : ResidualTexts(r)) csv += ";" + t;
    csv += ";";
    csv += UsedText(r.Used);
    csv += "\r\n";
  }
  return csv;
}

}  // namespace ternavo
