// A pair of coordinate lists and the combined file holding the same points
// give the same key, m0 and leave-one-out values, bit for bit, and the list
// written out follows the target list.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>

#include "app/key_application.h"
#include "app/protocol_saver.h"
#include "app/texts.h"
#include "app/workflow.h"
#include "text/code_page.h"

namespace ternavo {
namespace {

const std::string kExamples = std::string(TERNAVO_SOURCE_DIR) + "/examples/";

bool Same(Extended a, Extended b) { return std::memcmp(&a, &b, 10) == 0; }

struct PairCase {
  const char* combined;
  const char* source;
  const char* target;
  int unpaired;
};

TEST(ListPair, SameKeyAsTheCombinedFile) {
  const PairCase cases[] = {
      {"national_grid_blunder.txt", "cadastral_source.csv", "cadastral_target.csv", 1},
      {"local_site_similarity.txt", "site_source.txt", "site_target.txt", 0},
  };
  for (const PairCase& c : cases) {
    for (TTypTransformace type : {kGeneralAffine, kSimilarity, kCongruence}) {
      SCOPED_TRACE(std::string(c.source) + " type " + std::to_string(type));
      TSeznam a, b;
      CellGrid ga(4), gb(4);
      Workflow wa(a, ga), wb(b, gb);
      ASSERT_EQ(wa.Open(kExamples + c.combined).outcome, OpenOutcome::Loaded);
      const ListsOpenResult opened =
          wb.OpenLists({kExamples + c.source, {}}, {kExamples + c.target, {}});
      ASSERT_EQ(opened.open.outcome, OpenOutcome::Loaded) << opened.open.message;
      EXPECT_EQ(static_cast<int>(opened.pairing.UnpairedTargets.size()), c.unpaired);
      ASSERT_EQ(a.GetIdenticalCount(), b.GetIdenticalCount());
      ASSERT_EQ(a.GetDetailCount(), b.GetDetailCount());
      ASSERT_EQ(wa.RecomputeKey(type).outcome, KeyOutcome::Computed);
      ASSERT_EQ(wb.RecomputeKey(type).outcome, KeyOutcome::Computed);
      EXPECT_TRUE(Same(a.M0, b.M0));
      for (int i = 1; i <= 3; ++i) {
        EXPECT_TRUE(Same(a.TranslationVector->Get(i, 1), b.TranslationVector->Get(i, 1)));
        for (int j = 1; j <= 3; ++j) {
          EXPECT_TRUE(Same(a.RotationMatrix->Get(i, j), b.RotationMatrix->Get(i, j)));
        }
      }
      for (int k = 0; k < a.GetIdenticalCount(); ++k) {
        EXPECT_TRUE(Same(a.IdenticalPoints[k].M0Without, b.IdenticalPoints[k].M0Without)) << k;
      }
    }
  }
}

TEST(ListPair, PointsOutFollowTheTargetList) {
  TSeznam s;
  CellGrid grid(4);
  Workflow w(s, grid);
  std::string bytes, error;
  EXPECT_FALSE(w.TransformedPoints(4, bytes, error));  // no key
  ASSERT_EQ(w.OpenLists({kExamples + "cadastral_source.csv", {}},
                        {kExamples + "cadastral_target.csv", {}})
                .open.outcome,
            OpenOutcome::Loaded);
  ASSERT_EQ(w.RecomputeKey(kSimilarity).outcome, KeyOutcome::Computed);
  ASSERT_TRUE(w.TransformedPoints(3, bytes, error)) << error;
  // Y;X;Z with a decimal comma and CR LF, as the target list writes them.
  const std::string first = bytes.substr(0, bytes.find('\n') + 1);
  EXPECT_EQ(first, "600110014201;743039,033;1044468,562;287,649\r\n");
  EXPECT_EQ(std::count(bytes.begin(), bytes.end(), '\n'), 14);
}

// Every save of a key computed from two lists refuses both lists, and leaves
// them as they were.
TEST(ListPair, NoSaveOverwritesEitherList) {
  namespace fs = std::filesystem;
  const fs::path dir = fs::path(::testing::TempDir()) / "list_pair_saves";
  fs::remove_all(dir);
  fs::create_directories(dir);
  for (const char* name : {"cadastral_source.csv", "cadastral_target.csv"})
    fs::copy_file(kExamples + name, dir / name);
  const auto bytes = [](const fs::path& f) {
    std::ifstream in(f, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  };
  TSeznam s;
  CellGrid grid(4);
  Workflow w(s, grid);
  ASSERT_EQ(w.OpenLists({(dir / "cadastral_source.csv").string(), {}},
                        {(dir / "cadastral_target.csv").string(), {}})
                .open.outcome,
            OpenOutcome::Loaded);
  ASSERT_EQ(w.RecomputeKey(kSimilarity).outcome, KeyOutcome::Computed);
  const std::function<bool(const std::string&, std::string&)> saves[] = {
      [&](const std::string& p, std::string& e) { return w.SaveTransformedPoints(p, 4, e); },
      [&](const std::string& p, std::string& e) { return w.SaveKeyExport(p, e); },
      [&](const std::string& p, std::string& e) {
        return SaveKeyFile(s, kSimilarity, w.InputFiles(), p, e);
      },
      [&](const std::string& p, std::string& e) {
        return SaveProtocolText(p, "protokol", e, w.InputFiles());
      }};
  for (const char* name : {"cadastral_source.csv", "cadastral_target.csv"}) {
    const fs::path list = dir / name;
    const std::string before = bytes(list);
    for (const auto& save : saves) {
      std::string error;
      EXPECT_FALSE(save(list.string(), error)) << name;
      EXPECT_NE(error.find(texts::kIsCoordinateFile), std::string::npos) << error;
      EXPECT_EQ(bytes(list), before) << name;
    }
  }
  // Elsewhere the key file is written and names both lists.
  std::string error;
  ASSERT_TRUE(SaveKeyFile(s, kSimilarity, w.InputFiles(), (dir / "k.json").string(), error));
  const std::string key = bytes(dir / "k.json");
  EXPECT_NE(key.find("\"target_list\": \"" + (dir / "cadastral_target.csv").string()),
            std::string::npos);
  EXPECT_EQ(key.find("coordinate_file"), std::string::npos);
}

}  // namespace
}  // namespace ternavo
