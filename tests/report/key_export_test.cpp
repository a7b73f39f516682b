// The exported key is checked against the real cct of PROJ: applied to the
// detail points it must give the program's own detail-point section.
#include "report/key_export.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "adjustment/keys_test_support.h"
#include "report/key_file.h"
#include "report/output_number.h"
#include "report/result_json.h"
#include "text/number_format.h"

namespace ternavo {
namespace {

using testing::RunDriver;

// Runs a command and returns its standard output.
std::string Output(const std::string& command) {
  std::string out;
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return out;
  char buffer[4096];
  std::size_t n;
  while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, n);
  pclose(pipe);
  return out;
}

// cct's results for the detail points under the exported key.
std::vector<std::vector<double>> ApplyWithCct(const TSeznam& s, const std::string& name) {
  const std::string input = ::testing::TempDir() + "ternavo_cct_" + name + ".txt";
  {
    std::ofstream f(input);
    f.precision(17);
    for (const TPodrobnyBod& p : s.DetailPoints) {
      f << static_cast<double>(p.X) << ' ' << static_cast<double>(p.Y) << ' '
        << static_cast<double>(p.Z) << '\n';
    }
  }
  std::string proj = KeyAsProjString(s);
  proj.pop_back();  // the line feed
  std::istringstream lines(Output("cct -d 9 " + proj + " " + input + " 2>&1"));
  std::remove(input.c_str());
  std::vector<std::vector<double>> rows;
  std::string line;
  while (std::getline(lines, line)) {
    std::istringstream fields(line);
    std::vector<double> xyz(3);
    if (fields >> xyz[0] >> xyz[1] >> xyz[2]) rows.push_back(xyz);
  }
  return rows;
}

// The program's own section: number, X, Y, Z per line after the headings.
std::vector<std::vector<double>> ProgramSection(const TSeznam& s) {
  TextLines memo;
  s.TransformDetailPoints(memo);
  std::vector<std::vector<double>> rows;
  for (std::size_t i = 3; i < memo.Count(); ++i) {
    std::istringstream fields(memo[i]);
    double number;
    std::vector<double> xyz(3);
    fields >> number >> xyz[0] >> xyz[1] >> xyz[2];
    rows.push_back(xyz);
  }
  return rows;
}

void ExpectCctAgrees(TSeznam s, const std::string& name) {
  for (TTypTransformace type : {kGeneralAffine, kSimilarity, kCongruence}) {
    SCOPED_TRACE(name + " type " + std::to_string(type));
    RunDriver(s, type);
    ASSERT_TRUE(s.KeyValid);
    const auto expected = ProgramSection(s);
    const auto actual = ApplyWithCct(s, name);
    ASSERT_EQ(actual.size(), expected.size()) << "is cct (proj-bin) installed?";
    ASSERT_FALSE(expected.empty());
    for (std::size_t k = 0; k < expected.size(); ++k) {
      for (int i = 0; i < 3; ++i) {
        EXPECT_NEAR(actual[k][i], expected[k][i], 1e-6) << "point " << k << " axis " << i;
      }
    }
  }
}

TEST(KeyExport, CctAppliesTheKeyAsTheProgramDoes) {
  for (const char* example :
       {"affine_photogrammetry", "local_site_similarity", "national_grid_blunder"}) {
    TSeznam s;
    ASSERT_TRUE(s.LoadFromFile(std::string(TERNAVO_SOURCE_DIR) + "/examples/" + example + ".txt"));
    ExpectCctAgrees(s, example);
  }
  // Both systems national-grid sized: every coordinate near 10^6 m.
  TSeznam grid = testing::GridData(15, 11);
  std::mt19937_64 rng(5);
  for (int k = 0; k < 40; ++k) {
    grid.DetailPoints.push_back(
        {std::to_string(1000 + k), 1.0e6L + testing::Uniform(rng, -20000, 20000),
         1.1e6L + testing::Uniform(rng, -20000, 20000), 300 + testing::Uniform(rng, -50, 50)});
  }
  ExpectCctAgrees(grid, "grid");
}

TEST(KeyExport, NeverTakesTheLocaleSeparator) {
  TSeznam s = testing::GridData(8, 2);
  s.AdjustSimilarity();
  ASSERT_TRUE(s.KeyValid);
  const std::string proj = KeyAsProjString(s);
  const std::string matrix = KeyAsMatrixLine(s);
  ASSERT_NE(std::setlocale(LC_ALL, "cs_CZ.UTF-8"), nullptr)
      << "the cs_CZ.UTF-8 locale is missing (scripts/setup generates it)";
  ASSERT_EQ(DecimalSeparator(), ",");
  const std::string czechProj = KeyAsProjString(s);
  const std::string czechMatrix = KeyAsMatrixLine(s);
  std::setlocale(LC_ALL, "C");
  EXPECT_EQ(czechProj, proj);
  EXPECT_EQ(czechMatrix, matrix);
  EXPECT_EQ(czechProj.find(','), std::string::npos) << czechProj;
  EXPECT_EQ(czechMatrix.find(','), std::string::npos) << czechMatrix;
  EXPECT_EQ(czechProj.rfind("+proj=affine +xoff=", 0), 0u);
  EXPECT_EQ(czechMatrix.substr(czechMatrix.size() - 9), " 0 0 0 1\n");
}

// A key with a translation beyond the range of doubles: every
// machine-readable form refuses it with the value named, instead of writing
// null or a number that reads back as infinity. Just inside the range passes.
TEST(KeyExport, ValuesBeyondDoublesAreRefused) {
  const std::function<std::string(const TSeznam&)> forms[] = {
      KeyAsProjString, KeyAsMatrixLine,
      [](const TSeznam& s) { return ResultJson(s, kSimilarity, true); },
      [](const TSeznam& s) { return KeyFileText(s, kSimilarity, "a.txt", "2026-01-01"); }};
  TSeznam s = testing::GridData(8, 2);
  s.AdjustSimilarity();
  ASSERT_TRUE(s.KeyValid);
  for (const auto& form : forms) {
    s.TranslationVector->Put(2, 1, 1e308L);
    EXPECT_NO_THROW(form(s));
    s.TranslationVector->Put(2, 1, -1e400L);
    try {
      form(s);
      ADD_FAILURE() << "no error";
    } catch (const OutputRangeError& e) {
      EXPECT_STREQ(e.what(),
                   "Číslo -1e+400 je mimo rozsah, který zapíše JSON a export klíče (nejvýše asi "
                   "1,8e308); výstup nebyl zapsán.");
    }
  }
}

}  // namespace
}  // namespace ternavo
