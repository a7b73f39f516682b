#include "report/key_file.h"

#include <charconv>
#include <cmath>
#include <nlohmann/json.hpp>

#include "adjustment/key_quality.h"
#include "report/output_number.h"
#include "report/residual_report.h"
#include "text/messages.h"
#include "version.h"

namespace ternavo {

namespace {

// Members keep the order in which they are written.
using json = nlohmann::ordered_json;

const char* const kTypeNames[3] = {"affine", "similarity", "congruence"};

json Decimal(Extended v) { return OutputDouble(v); }

// The %La form: to_chars never consults the locale.
std::string Exact(Extended v) {
  char buffer[64];
  const auto [end, ec] =
      std::to_chars(buffer, buffer + sizeof buffer, std::fabs(v), std::chars_format::hex);
  if (ec != std::errc()) return "nan";
  return std::string(std::signbit(v) ? "-0x" : "0x") + std::string(buffer, end);
}

bool ReadExact(const std::string& text, Extended& v) {
  std::size_t at = 0;
  const bool negative = !text.empty() && text[0] == '-';
  if (negative) at = 1;
  if (text.compare(at, 2, "0x") != 0 && text.compare(at, 2, "0X") != 0) return false;
  at += 2;
  const char* first = text.data() + at;
  const char* last = text.data() + text.size();
  if (first == last || *first == '-' || *first == '+') return false;
  const auto [end, ec] = std::from_chars(first, last, v, std::chars_format::hex);
  if (ec != std::errc() || end != last || !std::isfinite(v)) return false;
  if (negative) v = -v;
  return true;
}

std::string ElementName(const char* base, int i, int j) {
  std::string name = base;
  name += static_cast<char>('1' + i);
  name += static_cast<char>('1' + j);
  return name;
}

// The point's name as every output shows it.
std::string PointName(const TIdentickyBod& p) { return p.Name; }

// JSON as people read it: members one per line, an array of plain values
// (a matrix row, a translation, a list of names) on one line.
// A file name in another encoding than UTF-8 must not stop the save: such
// bytes are written as U+FFFD.
std::string Dump(const json& v) { return v.dump(-1, ' ', false, json::error_handler_t::replace); }

void Pretty(const json& v, int indent, std::string& out) {
  const std::string inner(static_cast<std::size_t>(indent + 2), ' ');
  const std::string here(static_cast<std::size_t>(indent), ' ');
  if (v.is_object()) {
    if (v.empty()) {
      out += "{}";
      return;
    }
    out += "{\n";
    bool first = true;
    for (const auto& [name, member] : v.items()) {
      if (!first) out += ",\n";
      first = false;
      out += inner + Dump(json(name)) + ": ";
      Pretty(member, indent + 2, out);
    }
    out += "\n" + here + "}";
    return;
  }
  if (v.is_array()) {
    bool plain = true;
    for (const json& e : v) plain = plain && !e.is_structured();
    if (plain) {
      out += '[';
      for (std::size_t i = 0; i < v.size(); ++i) out += (i > 0 ? ", " : "") + Dump(v[i]);
      out += ']';
      return;
    }
    out += "[\n";
    for (std::size_t i = 0; i < v.size(); ++i) {
      out += inner;
      Pretty(v[i], indent + 2, out);
      out += i + 1 < v.size() ? ",\n" : "\n";
    }
    out += here + "]";
    return;
  }
  out += Dump(v);
}

// Reads the fields of one key file; every failure names the file and the field.
class KeyReader {
 public:
  KeyReader(const std::string& path, std::string& error) : path_(path), error_(error) {}

  bool Fail(const std::string& detail) {
    error_ = std::string(messages::kKeyFilePrefix) + path_ + "\": " + detail;
    return false;
  }

  // A finite JSON number: `label` names it in the message.
  bool Decimal(const json& value, const std::string& label, Extended& out) {
    if (!value.is_number()) return Fail(label + messages::kKeyFileNotFinite);
    const double d = value.get<double>();
    if (!std::isfinite(d)) return Fail(label + messages::kKeyFileNotFinite);
    out = d;
    return true;
  }

  // The exact value, which must round to the decimal one already read.
  bool Exact(const json& value, const std::string& label, const std::string& decimalLabel,
             Extended& inOut) {
    Extended v = 0;
    if (!value.is_string() || !ReadExact(value.get<std::string>(), v))
      return Fail(label + messages::kKeyFileNotExact);
    if (static_cast<double>(v) != static_cast<double>(inOut))
      return Fail(decimalLabel + messages::kKeyFileExactMismatch + label.substr(label.find('"')));
    inOut = v;
    return true;
  }

  // Field `name` of `parent`: a number (rows 0), three numbers (rows 1) or
  // three rows of three (rows 3); `names(i, j)` names an element in the
  // message. With `exact` the hexadecimal values replace the decimal ones
  // already in `out`.
  template <typename Names>
  bool Numbers(const json& parent, bool exact, const char* name, int rows, Names names,
               Extended* out) {
    const std::string field = std::string(exact ? "exact." : "") + name;
    if (!parent.contains(name))
      return Fail(std::string(messages::kKeyFileMissing) + "\"" + field + "\"");
    auto label = [&](const std::string& f, int i, int j) {
      return messages::kKeyFileField + f + "\"" + (rows == 0 ? "" : " (" + names(i, j) + ")");
    };
    auto element = [&](const json& e, int i, int j) {
      Extended& target = out[3 * i + j];
      if (!exact) return Decimal(e, label(field, i, j), target);
      return Exact(e, label(field, i, j), label(name, i, j), target);
    };
    const json& v = parent[name];
    if (rows == 0) return element(v, 0, 0);
    const std::string shape =
        messages::kKeyFileField + field + "\"" +
        (rows == 1 ? messages::kKeyFileNotTriple : messages::kKeyFileNotMatrix);
    auto triple = [](const json& t) { return t.is_array() && t.size() == 3; };
    if (rows == 1) {
      if (!triple(v)) return Fail(shape);
      for (int j = 0; j < 3; ++j) {
        if (!element(v[static_cast<std::size_t>(j)], 0, j)) return false;
      }
      return true;
    }
    if (!triple(v)) return Fail(shape);
    for (int i = 0; i < 3; ++i) {
      const json& row = v[static_cast<std::size_t>(i)];
      if (!triple(row)) return Fail(shape);
      for (int j = 0; j < 3; ++j) {
        if (!element(row[static_cast<std::size_t>(j)], i, j)) return false;
      }
    }
    return true;
  }

 private:
  const std::string& path_;
  std::string& error_;
};

// Determinant and the rows' lengths: |det| is at most their product, so the
// ratio tells a singular matrix whatever its units.
Extended RelativeDeterminant(const Extended a[3][3], Extended& det) {
  det = a[0][0] * (a[1][1] * a[2][2] - a[1][2] * a[2][1]) -
        a[0][1] * (a[1][0] * a[2][2] - a[1][2] * a[2][0]) +
        a[0][2] * (a[1][0] * a[2][1] - a[1][1] * a[2][0]);
  Extended bound = 1;
  for (int i = 0; i < 3; ++i) {
    bound *= std::sqrt(a[i][0] * a[i][0] + a[i][1] * a[i][1] + a[i][2] * a[i][2]);
  }
  return bound > 0 ? std::fabs(det) / bound : 0;
}

constexpr Extended kSingularRatio = 1e-12L;
constexpr Extended kRotationTolerance = 1e-12L;

bool IsRotation(const Extended r[3][3]) {
  for (int i = 0; i < 3; ++i) {
    for (int j = 0; j < 3; ++j) {
      Extended dot = 0;
      for (int k = 0; k < 3; ++k) dot += r[k][i] * r[k][j];
      if (std::fabs(dot - (i == j ? 1 : 0)) > kRotationTolerance) return false;
    }
  }
  Extended det = 0;
  RelativeDeterminant(r, det);
  return det > 0;
}

}  // namespace

std::string KeyFileText(const TSeznam& s, TTypTransformace type, const std::string& coordinateFile,
                        const std::string& created, const std::string& targetList) {
  const KeyQuality q = ComputeKeyQuality(s, type);
  const bool rotation = type != kGeneralAffine;
  const Extended scale = s.ScaleMatrix->Get(1, 1);
  Extended t[3];
  for (int i = 0; i < 3; ++i) t[i] = s.TranslationVector->Get(i + 1, 1);

  json root;
  root["format"] = kKeyFileFormat;
  root["version"] = kKeyFileVersion;
  root["program"] = std::string("ternavo ") + kVersion;
  root["created"] = created;
  root["type"] = kTypeNames[type >= 0 && type <= 2 ? type : 0];
  root["convention"] = ConventionLine(type);

  json matrix = json::array();
  json exactMatrix = json::array();
  for (int i = 1; i <= 3; ++i) {
    json row = json::array();
    json exactRow = json::array();
    for (int j = 1; j <= 3; ++j) {
      row.push_back(Decimal(s.RotationMatrix->Get(i, j)));
      exactRow.push_back(Exact(s.RotationMatrix->Get(i, j)));
    }
    matrix.push_back(std::move(row));
    exactMatrix.push_back(std::move(exactRow));
  }
  root["matrix"] = matrix;
  root["translation"] = {Decimal(t[0]), Decimal(t[1]), Decimal(t[2])};
  root["scale"] = Decimal(scale);
  if (rotation) {
    root["angles"] = {
        {"omega", Decimal(s.Omega)}, {"phi", Decimal(s.Phi)}, {"kappa", Decimal(s.Kappa)}};
  }
  json exact = {{"matrix", exactMatrix},
                {"translation", {Exact(t[0]), Exact(t[1]), Exact(t[2])}},
                {"scale", Exact(scale)}};
  if (rotation) {
    exact["angles"] = {{"omega", Exact(s.Omega)}, {"phi", Exact(s.Phi)}, {"kappa", Exact(s.Kappa)}};
  }
  root["exact"] = std::move(exact);

  root["m0"] = Decimal(s.M0);
  root["redundancy"] = q.Redundancy;
  // Standard deviations under the protocol's parameter names: radians for
  // the angles, coordinate units for the translations.
  json sigma = json::object();
  const std::vector<ParameterText> names = ParameterTexts(q);
  for (std::size_t i = 0; i < names.size() && i < q.Sigmas.size(); ++i) {
    sigma[names[i].Name] = Decimal(q.Sigmas[i]);
  }
  root["sigma"] = std::move(sigma);

  json used = json::array();
  json off = json::array();
  for (const TIdentickyBod& p : s.IdenticalPoints) (p.Used ? used : off).push_back(PointName(p));
  root["points"] = {{"used", std::move(used)}, {"switched_off", std::move(off)}};
  if (targetList.empty()) {
    root["coordinate_file"] = coordinateFile;
  } else {
    root["source_list"] = coordinateFile;
    root["target_list"] = targetList;
  }
  std::string out;
  Pretty(root, 0, out);
  return out + "\n";
}

bool ParseKeyFile(const std::string& text, const std::string& path, StoredKey& key,
                  std::string& error) {
  KeyReader reader(path, error);
  const json root = json::parse(text, nullptr, false);
  if (root.is_discarded()) return reader.Fail(messages::kKeyFileNotJson);
  if (!root.is_object()) return reader.Fail(messages::kKeyFileNotObject);
  if (!root.contains("format") || root["format"] != kKeyFileFormat)
    return reader.Fail(messages::kKeyFileWrongFormat);
  if (!root.contains("version") || !root["version"].is_number_integer() ||
      root["version"] != kKeyFileVersion)
    return reader.Fail(messages::kKeyFileWrongVersion);

  StoredKey k;
  bool typeKnown = false;
  if (root.contains("type") && root["type"].is_string()) {
    for (int i = 0; i < 3; ++i) {
      if (root["type"] == kTypeNames[i]) {
        k.Type = i;
        typeKnown = true;
      }
    }
  }
  if (!typeKnown) return reader.Fail(messages::kKeyFileWrongType);

  auto matrixNames = [](int i, int j) { return ElementName("a", i, j); };
  auto translationNames = [](int, int j) { return std::string("t") + "XYZ"[j]; };
  auto none = [](int, int) { return std::string(); };
  for (const bool exact : {false, true}) {
    if (exact && !root.contains("exact")) break;  // a key written by another program
    const json& from = exact ? root["exact"] : root;
    if (!from.is_object()) return reader.Fail(messages::kKeyFileExactNotObject);
    if (!reader.Numbers(from, exact, "matrix", 3, matrixNames, &k.Matrix[0][0]) ||
        !reader.Numbers(from, exact, "translation", 1, translationNames, k.Translation) ||
        !reader.Numbers(from, exact, "scale", 0, none, &k.Scale))
      return false;
  }

  if (k.Type == kSimilarity && k.Scale == 0) return reader.Fail(messages::kKeyFileScaleZero);
  if (k.Type != kSimilarity && k.Scale != 1) return reader.Fail(messages::kKeyFileScaleNotOne);
  if (k.Type != kGeneralAffine && !IsRotation(k.Matrix))
    return reader.Fail(messages::kKeyFileNotRotation);
  Extended det = 0;
  if (RelativeDeterminant(k.Matrix, det) <= kSingularRatio)
    return reader.Fail(messages::kKeyFileSingular);
  key = k;
  return true;
}

void LoadKey(const StoredKey& key, TSeznam& s) {
  for (int i = 1; i <= 3; ++i) {
    for (int j = 1; j <= 3; ++j) {
      s.RotationMatrix->Put(i, j, key.Matrix[i - 1][j - 1]);
      s.ScaleMatrix->Put(i, j, i == j ? key.Scale : 0);
    }
    s.TranslationVector->Put(i, 1, key.Translation[i - 1]);
  }
  s.KeyValid = true;
}

InverseKey::InverseKey(const StoredKey& key)
    : rotation_(key.Type != kGeneralAffine), scale_(key.Scale) {
  for (int i = 0; i < 3; ++i) t_[i] = key.Translation[i];
  FpGuard guard;
  if (rotation_) {
    for (int i = 0; i < 3; ++i) {
      for (int j = 0; j < 3; ++j) m_[i][j] = key.Matrix[j][i];
    }
  } else {
    // The adjugate over the determinant.
    const Extended(&a)[3][3] = key.Matrix;
    Extended det = 0;
    RelativeDeterminant(a, det);
    for (int i = 0; i < 3; ++i) {
      for (int j = 0; j < 3; ++j) {
        // Cofactor of a(j, i), taken from the cyclic neighbours.
        const int r1 = (j + 1) % 3, r2 = (j + 2) % 3, c1 = (i + 1) % 3, c2 = (i + 2) % 3;
        m_[i][j] = (a[r1][c1] * a[r2][c2] - a[r1][c2] * a[r2][c1]) / det;
      }
    }
  }
  guard.Check();
}

void InverseKey::Apply(Extended x, Extended y, Extended z, Extended out[3]) const {
  FpGuard guard;
  const Extended d[3] = {x - t_[0], y - t_[1], z - t_[2]};
  for (int i = 0; i < 3; ++i) {
    Extended w = 0;
    w += m_[i][0] * d[0];
    w += m_[i][1] * d[1];
    w += m_[i][2] * d[2];
    out[i] = rotation_ ? w / scale_ : w;
  }
  guard.Check();
}

}  // namespace ternavo
