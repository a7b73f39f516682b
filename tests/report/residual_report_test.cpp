#include "report/residual_report.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <string>

#include "adjustment/seznam.h"
#include "report/result_json.h"
#include "text/code_page.h"

namespace ternavo {
namespace {

// A small similarity case: four points, the key nearly the identity shifted
// by (100, 200, 10), one point switched off with a 5 cm blunder in X.
TSeznam SmallList() {
  TSeznam s;
  const Extended src[5][3] = {{0, 0, 0}, {10, 0, 1}, {0, 10, 2}, {10, 10, -1}, {5, 5, 0}};
  const Extended noise[5][3] = {
      {0.001L, 0, 0}, {0, -0.002L, 0}, {0, 0, 0.003L}, {-0.001L, 0.001L, 0}, {0.05L, 0, 0}};
  for (int k = 0; k < 5; ++k) {
    s.IdenticalPoints.push_back({std::to_string(k + 1), 100 + src[k][0] + noise[k][0],
                                 200 + src[k][1] + noise[k][1], 10 + src[k][2] + noise[k][2],
                                 src[k][0], src[k][1], src[k][2], k != 4, 0, false});
  }
  s.DetailPoints.push_back({"77", 1, 2, 3});
  return s;
}

TEST(ResidualReport, SectionLayout) {
  TSeznam s = SmallList();
  s.AdjustSimilarity();
  ASSERT_TRUE(s.KeyValid);
  const KeyQuality q = ComputeKeyQuality(s, kSimilarity);
  TextLines lines;
  WriteResidualReport(q, lines);
  const std::vector<std::string>& l = lines.Lines();
  ASSERT_EQ(l.size(), 3u + 5u + 3u + 7u + 4u);
  EXPECT_EQ(l[0], "");
  EXPECT_EQ(l[1], "Opravy na identických bodech :");
  EXPECT_EQ(l[2], "(C.B.  vX  vY  vZ  vXY  vXYZ  použit)");
  // The switched-off point lies 5 cm off the key in X: v = computed - target.
  EXPECT_EQ(l[7].substr(0, 8), "5  -0.05");
  EXPECT_EQ(l[7].substr(l[7].size() - 4), "  NE");
  EXPECT_EQ(l[3].substr(l[3].size() - 5), "  ANO");
  EXPECT_EQ(l[9], "Přesnost parametrů :");
  EXPECT_EQ(l[10], "(parametr  hodnota  směrodatná odchylka)");
  EXPECT_EQ(l[11].substr(0, 7), "Omega  ");
  EXPECT_NE(l[11].find(" rad  "), std::string::npos);
  EXPECT_EQ(l[11].substr(l[11].size() - 5), " mgon");
  EXPECT_EQ(l[14].substr(0, 7), "tX  99.");
  EXPECT_NE(l[14].find(" m  "), std::string::npos);
  EXPECT_EQ(l[17].substr(0, 3), "m  ");
  EXPECT_EQ(l[18], "Počet nadbytečných měření r = 3n - u :  5");
  EXPECT_EQ(l[19].rfind("Střední chyba jednotková:  0.00", 0), 0u);
  EXPECT_EQ(l[20],
            "Konvence :  cílová = T + m · R · výchozí,  R = Ry(Phi) · Rx(Omega) · Rz(Kappa)");

  const std::string csv = ResidualTableCsv(q);
  EXPECT_EQ(csv.substr(0, 3), "\xEF\xBB\xBF");
  EXPECT_NE(csv.find("\r\n5;-0.05"), std::string::npos);
  EXPECT_NE(csv.find("Číslo bodu;vX;vY;vZ;vXY;vXYZ;Použit\r\n1;"), std::string::npos) << csv;
}

TEST(ResidualReport, OutlierTestBlock) {
  TSeznam s = SmallList();
  s.AdjustSimilarity();
  ASSERT_TRUE(s.KeyValid);
  const KeyQuality q = ComputeKeyQuality(s, kSimilarity);
  const OutlierTests t = ComputeOutlierTests(s, q, {0.1L, true, 0.002L});
  TextLines lines;
  WriteOutlierTestReport(q, t, lines);
  const std::vector<std::string>& l = lines.Lines();
  ASSERT_EQ(l.size(), 6u + 5u + 3u + 8u);
  EXPECT_EQ(l[0], "");
  EXPECT_EQ(l[1], "Test odlehlých bodů :");
  EXPECT_EQ(l[2], "Hladina významnosti souboru bodů alfa :  10.00 %");
  EXPECT_EQ(l[3],
            "Šidákova oprava na jeden bod :  alfa_i = 1 - (1 - alfa)^(1/n) = 2.5996 %,  n = 4");
  EXPECT_EQ(l[4].rfind("Kritická hodnota F(3; r - 3) pro alfa_i :  ", 0), 0u);
  EXPECT_EQ(l[4].substr(l[4].size() - 13), "  (r - 3 = 2)");
  EXPECT_EQ(l[5], "(C.B.  F  p  výsledek)");
  EXPECT_EQ(l[6].rfind("1  ", 0), 0u);
  EXPECT_EQ(l[10], "5  /  /  nepoužit");
  EXPECT_EQ(l[11], "Test m0 proti apriorní směrodatné odchylce souřadnice sigma = 0.002 m :");
  EXPECT_EQ(l[12].rfind("  chi2 = ", 0), 0u);
  EXPECT_EQ(l[13].rfind("  Výsledek :  m0 ", 0), 0u);
  EXPECT_EQ(l[14], "Výpočet :");
  EXPECT_EQ(l.back().rfind("  chi2 = r · m0^2 / sigma^2", 0), 0u);
  // Every line can be saved in the protocol's code page.
  for (const std::string& line : l)
    EXPECT_EQ(Utf8ToWindows1250(line).find('?'), std::string::npos) << line;
}

TEST(ResultJson, ShapeWithAndWithoutKey) {
  using nlohmann::json;
  for (TTypTransformace type : {kGeneralAffine, kSimilarity, kCongruence}) {
    SCOPED_TRACE(type);
    TSeznam s = SmallList();
    s.IdenticalPoints[4].Used = true;  // five points, so the affine key has redundancy
    if (type == kGeneralAffine) s.AdjustAffine();
    if (type == kSimilarity) s.AdjustSimilarity();
    if (type == kCongruence) s.AdjustCongruence();
    ASSERT_TRUE(s.KeyValid);
    const json j = json::parse(ResultJson(s, type, true));
    EXPECT_EQ(j["program"], "ternavo");
    EXPECT_EQ(j["version"], "2.0");
    const char* const names[] = {"affine", "similarity", "congruence"};
    EXPECT_EQ(j["type"], names[type]);
    EXPECT_EQ(j["counts"], json({{"identical", 5}, {"used", 5}, {"detail", 1}}));
    EXPECT_EQ(j["key_valid"], true);
    EXPECT_EQ(j["key"]["matrix"].size(), 3u);
    EXPECT_EQ(j["key"]["matrix"][2].size(), 3u);
    EXPECT_NEAR(j["key"]["translation"][1].get<double>(), 200, 0.1);
    EXPECT_EQ(j["key"].contains("angles"), type != kGeneralAffine);
    if (type == kGeneralAffine) {
      EXPECT_EQ(j["sigma"]["matrix"][1].size(), 3u);
      EXPECT_EQ(j["sigma"]["translation"].size(), 3u);
    } else {
      for (const char* k : {"omega", "phi", "kappa", "tx", "ty", "tz", "scale"}) {
        EXPECT_TRUE(j["sigma"][k].is_number()) << k;
      }
    }
    EXPECT_EQ(j["redundancy"], 15 - ParameterCount(type));
    EXPECT_NEAR(j["m0"].get<double>(), static_cast<double>(s.M0), 1e-15);
    ASSERT_EQ(j["points"].size(), 5u);
    const json& p = j["points"][4];
    EXPECT_EQ(p["number"], 5);
    EXPECT_EQ(p["used"], true);
    EXPECT_EQ(p["residual"].size(), 3u);
    if (type == kGeneralAffine) {
      // Every affine key without one point fits its four points exactly: no
      // evidence, so no diagnostics and no suspicious point.
      EXPECT_TRUE(p["m0_without"].is_null());
      EXPECT_TRUE(p["ratio"].is_null());
      EXPECT_TRUE(j["suspicious"].is_null());
    } else {
      EXPECT_NEAR(p["ratio"].get<double>(), p["m0_without"].get<double>() / j["m0"].get<double>(),
                  1e-12);
      EXPECT_EQ(j["suspicious"], 5);
    }
    // Five affine points leave r - 3 = 0: no test.
    EXPECT_EQ(p["test"]["F"].is_number(), type != kGeneralAffine);
    EXPECT_EQ(p["test"]["outlier"].is_boolean(), type != kGeneralAffine);
    EXPECT_EQ(j["alpha"], 0.05);
    EXPECT_FALSE(j.contains("global_test"));
    ASSERT_EQ(j["detail"].size(), 1u);
    EXPECT_EQ(j["detail"][0]["number"], 77);
    EXPECT_NEAR(j["detail"][0]["xyz"][2].get<double>(), 13, 0.1);

    // Without a key: the same points, nothing computed.
    s.KeyValid = false;
    const json none = json::parse(ResultJson(s, type, false));
    EXPECT_EQ(none["key_valid"], false);
    for (const char* k : {"key", "sigma", "m0", "suspicious"}) EXPECT_TRUE(none[k].is_null()) << k;
    EXPECT_TRUE(none["points"][0]["residual"].is_null());
    EXPECT_TRUE(none["points"][0]["ratio"].is_null());
    EXPECT_FALSE(none.contains("detail"));
    EXPECT_EQ(none["points"][0]["test"],
              json({{"F", nullptr}, {"p", nullptr}, {"outlier", nullptr}}));
  }
}

// Names that are not a combined file's numbers reach every output as read:
// JSON strings, CSV fields (quoted when they hold the separator), the
// protocol's used list, the report's lines and the point table.
TEST(PointNames, ShownAsReadEverywhere) {
  using nlohmann::json;
  TSeznam s = SmallList();
  const std::string names[5] = {"600110010012", "0012", "P12", "A;B", "7"};
  for (int k = 0; k < 5; ++k) s.IdenticalPoints[k].Name = names[k];
  s.DetailPoints[0].Name = "4001.1";
  s.AdjustSimilarity();
  ASSERT_TRUE(s.KeyValid);

  const json j = json::parse(ResultJson(s, kSimilarity, true));
  EXPECT_EQ(j["points"][0]["number"], "600110010012");
  EXPECT_EQ(j["points"][1]["number"], "0012");
  EXPECT_EQ(j["points"][4]["number"], 7);
  EXPECT_EQ(j["detail"][0]["number"], "4001.1");

  const KeyQuality q = ComputeKeyQuality(s, kSimilarity);
  const std::string csv = ResidualTableCsv(q);
  EXPECT_NE(csv.find("\r\n0012;"), std::string::npos) << csv;
  EXPECT_NE(csv.find("\r\n\"A;B\";"), std::string::npos) << csv;
  TextLines report;
  WriteResidualReport(q, report);
  EXPECT_EQ(report[5].rfind("P12  ", 0), 0u);

  TextLines protocol;
  s.WriteProtocol(protocol, kSimilarity);
  EXPECT_EQ(protocol[4], "600110010012,0012,P12,A;B");
  CellGrid grid(4);
  std::string m0, suspicious;
  s.ShowResults(grid, m0, suspicious);
  EXPECT_EQ(grid.Cell(0, 2), "0012");
}

}  // namespace
}  // namespace ternavo
