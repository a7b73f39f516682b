#include "report/residual_report.h"

#include <numbers>

#include "text/number_format.h"

namespace ternavo {

namespace {

constexpr Extended kGonPerRadian = 200.0L / std::numbers::pi_v<Extended>;

const char* const kResidualHeading = "Opravy na identických bodech :";
const char* const kResidualColumns = "(C.B.  vX  vY  vZ  vXY  vXYZ  použit)";
const char* const kPrecisionHeading = "Přesnost parametrů :";
const char* const kPrecisionColumns = "(parametr  hodnota  směrodatná odchylka)";

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

const char* UsedText(bool used) { return used ? "ANO" : "NE"; }

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
    case kGeneralAffine:
      return "Konvence :  cílová = T + A · výchozí,  A = (a11 a12 a13; a21 a22 a23; a31 a32 a33)";
    case kCongruence:
      return "Konvence :  cílová = T + R · výchozí,  R = Ry(Phi) · Rx(Omega) · Rz(Kappa)";
    default:
      return "Konvence :  cílová = T + m · R · výchozí,  R = Ry(Phi) · Rx(Omega) · Rz(Kappa)";
  }
}

void WriteResidualReport(const KeyQuality& q, TextLines& lines) {
  if (!q.Valid) return;
  lines.AppendLine("");
  lines.AppendLine(kResidualHeading);
  lines.AppendLine(kResidualColumns);
  for (const PointResidual& r : q.Residuals) {
    std::string line = r.Name;
    for (const std::string& t : ResidualTexts(r)) line += "  " + t;
    line += "  ";
    line += UsedText(r.Used);
    lines.AppendLine(std::move(line));
  }
  lines.AppendLine("");
  lines.AppendLine(kPrecisionHeading);
  lines.AppendLine(kPrecisionColumns);
  for (const ParameterText& p : ParameterTexts(q)) {
    lines.AppendLine(p.Name + "  " + p.Value + "  " + p.Sigma);
  }
  lines.AppendLine("Počet nadbytečných měření r = 3n - u :  " + FormatInteger(q.Redundancy));
  lines.AppendLine("Střední chyba jednotková:  " + FormatFixed(q.M0, 15, 8));
  lines.AppendLine(ConventionLine(q.Type));
  if (q.Type != kGeneralAffine) {
    lines.AppendLine(
        "  otočení soustavy:  Rx = (1, 0, 0; 0, cos, sin; 0, -sin, cos),  "
        "Ry = (cos, 0, -sin; 0, 1, 0; sin, 0, cos),  Rz = (cos, sin, 0; -sin, cos, 0; 0, 0, 1)");
  }
}

std::string ResidualTableCsv(const KeyQuality& q) {
  if (!q.Valid) return {};
  std::string csv = "\xEF\xBB\xBF";
  csv += "Číslo bodu;vX;vY;vZ;vXY;vXYZ;Použit\r\n";
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
