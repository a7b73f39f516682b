// Key files: what is saved is applied later exactly as the computation
// transformed, the inverse returns the points, and bad files are refused
// with the file and the field named.
#include "app/key_application.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "adjustment/key_quality.h"
#include "geometry/geometry.h"
#include "report/key_file.h"

namespace ternavo {
namespace {

namespace fs = std::filesystem;

void RunDriver(TSeznam& s, TTypTransformace type) {
  if (type == kGeneralAffine) s.AdjustAffine();
  if (type == kSimilarity) s.AdjustSimilarity();
  if (type == kCongruence) s.AdjustCongruence();
}

std::vector<std::string> SectionOf(const std::function<void(const DetailSectionSink&)>& write) {
  std::vector<std::string> lines;
  write([&](const TextLines& block, std::size_t from) {
    for (std::size_t i = from; i < block.Count(); ++i) lines.push_back(block[i]);
  });
  return lines;
}

struct TypeCase {
  const char* file;
  TTypTransformace type;
};

class KeyFileRoundTrip : public ::testing::TestWithParam<TypeCase> {};

TEST_P(KeyFileRoundTrip, AppliedKeyGivesTheComputationsSectionAndTheInverseReturns) {
  const TypeCase c = GetParam();
  TSeznam computed;
  ASSERT_TRUE(computed.LoadFromFile(std::string(TERNAVO_SOURCE_DIR) + "/examples/" + c.file));
  computed.IdenticalPoints[1].Used = false;  // a switched-off point goes into the file too
  RunDriver(computed, c.type);
  ASSERT_TRUE(computed.KeyValid);

  // A file name in Windows-1250 does not stop the save.
  const std::string text = KeyFileText(computed, c.type, "s\xEDt.txt", "2026-01-02T03:04:05Z");
  StoredKey key;
  std::string error;
  ASSERT_TRUE(ParseKeyFile(text, "k.json", key, error)) << error;
  for (int i = 1; i <= 3; ++i) {
    for (int j = 1; j <= 3; ++j)
      EXPECT_EQ(key.Matrix[i - 1][j - 1], computed.RotationMatrix->Get(i, j));
    EXPECT_EQ(key.Translation[i - 1], computed.TranslationVector->Get(i, 1));
  }
  EXPECT_EQ(key.Scale, computed.ScaleMatrix->Get(1, 1));

  // Applied to the same points, later and elsewhere: the same bytes.
  TSeznam later;
  later.DetailPoints = computed.DetailPoints;
  const std::vector<std::string> applied = SectionOf([&](const DetailSectionSink& sink) {
    ApplyKeyFile(key, KeyDirection::Forward, later, sink, 5);
  });
  const std::vector<std::string> original = SectionOf(
      [&](const DetailSectionSink& sink) { TransformDetailPointsInBlocks(computed, 1000, sink); });
  ASSERT_GT(original.size(), 3u);
  EXPECT_EQ(applied, original);

  // Forward then inverse, unrounded: the source coordinates again.
  const KeyTransform forward = KeyTransform::FromSeznam(computed);
  const InverseKey inverse(key);
  for (const TPodrobnyBod& p : computed.DetailPoints) {
    Extended t[3];
    Extended back[3];
    forward.Apply(p.X, p.Y, p.Z, t);
    inverse.Apply(t[0], t[1], t[2], back);
    EXPECT_NEAR(back[0], p.X, 1e-9L);
    EXPECT_NEAR(back[1], p.Y, 1e-9L);
    EXPECT_NEAR(back[2], p.Z, 1e-9L);
  }

  EXPECT_NE(text.find("\"switched_off\": [\"" + computed.IdenticalPoints[1].Name + "\"]"),
            std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(EveryType, KeyFileRoundTrip,
                         ::testing::Values(TypeCase{"national_grid_blunder.txt", kGeneralAffine},
                                           TypeCase{"national_grid_blunder.txt", kSimilarity},
                                           TypeCase{"national_grid_blunder.txt", kCongruence},
                                           TypeCase{"affine_photogrammetry.txt",
                                                    kSimilarity},  // negative scale
                                           TypeCase{"local_site_similarity.txt", kGeneralAffine}));

// Keys over the whole range, at national-grid coordinates: any rotation,
// scales 0.001 .. 1000, a skewed affine matrix.
TEST(InverseKey, ReturnsNationalGridPointsForAnyRotationAndScale) {
  struct Case {
    TTypTransformace type;
    Extended omega, phi, kappa, scale;
  };
  const Case cases[] = {
      {kSimilarity, 0.3L, -1.2L, 2.9L, 0.001L},
      {kSimilarity, -3.1L, 0.7L, -0.4L, 1000},
      {kCongruence, 1.5L, 1.5707L, -3.14L, 1},
      {kGeneralAffine, 0.2L, 0.1L, 1.1L, 1},
  };
  for (const Case& c : cases) {
    Matice r(3, 3);
    RotationFromAngles(r, c.omega, c.phi, c.kappa);
    StoredKey key;
    key.Type = c.type;
    key.Scale = c.scale;
    for (int i = 0; i < 3; ++i) {
      for (int j = 0; j < 3; ++j) key.Matrix[i][j] = r.Get(i + 1, j + 1);
    }
    if (c.type == kGeneralAffine) {
      key.Matrix[0][1] += 0.35L;  // shear and unequal scales
      key.Matrix[2][2] *= 1.7L;
    }
    key.Translation[0] = -743512.25L;
    key.Translation[1] = -1043871.5L;
    key.Translation[2] = 312.75L;
    TSeznam s;
    LoadKey(key, s);
    const KeyTransform forward = KeyTransform::FromSeznam(s);
    const InverseKey inverse(key);
    for (const Extended x : {-745000.123456L, -700000.5L}) {
      const Extended p[3] = {x, -1046000.654321L, 287.123L};
      Extended t[3];
      Extended back[3];
      forward.Apply(p[0], p[1], p[2], t);
      inverse.Apply(t[0], t[1], t[2], back);
      for (int i = 0; i < 3; ++i) EXPECT_NEAR(back[i], p[i], 1e-9L) << c.scale << " " << i;
    }
  }
}

TEST(ApplyKeyFile, InverseSectionHasItsHeadingAndTheSourceCoordinates) {
  TSeznam computed;
  ASSERT_TRUE(computed.LoadFromFile(std::string(TERNAVO_SOURCE_DIR) +
                                    "/examples/national_grid_blunder.txt"));
  computed.AdjustSimilarity();
  StoredKey key;
  std::string error;
  ASSERT_TRUE(ParseKeyFile(KeyFileText(computed, kSimilarity, "", ""), "k", key, error)) << error;

  // The target points, unrounded, go back; the source points are rendered
  // through a key that changes nothing.
  TSeznam target;
  target.DetailPoints = computed.DetailPoints;
  const KeyTransform forward = KeyTransform::FromSeznam(computed);
  for (TPodrobnyBod& p : target.DetailPoints) {
    Extended t[3];
    forward.Apply(p.X, p.Y, p.Z, t);
    p.X = t[0];
    p.Y = t[1];
    p.Z = t[2];
  }
  const std::vector<std::string> back = SectionOf([&](const DetailSectionSink& sink) {
    ApplyKeyFile(key, KeyDirection::Inverse, target, sink, 4);
  });
  StoredKey identity;
  identity.Matrix[0][0] = identity.Matrix[1][1] = identity.Matrix[2][2] = 1;
  LoadKey(identity, computed);
  std::vector<std::string> source = SectionOf(
      [&](const DetailSectionSink& sink) { TransformDetailPointsInBlocks(computed, 1000, sink); });
  source[1] = "Zpětná transformace podrobných bodů :";
  EXPECT_EQ(back, source);
}

// Every way a key file can be bad, from a good one, each with its message.
TEST(ParseKeyFile, RefusesBadFilesNamingTheField) {
  TSeznam s;
  ASSERT_TRUE(
      s.LoadFromFile(std::string(TERNAVO_SOURCE_DIR) + "/examples/local_site_similarity.txt"));
  s.AdjustSimilarity();
  const std::string good = KeyFileText(s, kSimilarity, "", "");
  auto with = [&](const std::string& from, const std::string& to) {
    std::string text = good;
    const std::size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    if (at != std::string::npos) text.replace(at, from.size(), to);
    return text;
  };
  // The value that follows `key` (after the first `skip` characters): up to
  // the end of its line, without a trailing comma.
  auto value = [&](const std::string& key, std::size_t skip = 0) {
    const std::size_t at = good.find(key) + key.size() + skip;
    const std::size_t end = good.find_first_of(",]\n", at);
    return good.substr(at, end - at);
  };
  const std::string rowA1 = value("\"matrix\": [\n    [");

  const std::pair<std::string, std::string> cases[] = {
      {"{\"format\": ", "není to soubor JSON"},
      {"[1, 2]", "není to soubor klíče (chybí objekt JSON)"},
      {with("\"ternavo-key\"", "\"other\""), "pole \"format\" není \"ternavo-key\""},
      {with("\"version\": 1", "\"version\": 2"),
       "pole \"version\" nemá hodnotu 1 (soubor je z jiné verze programu)"},
      {with("\"similarity\"", "\"projective\""),
       "pole \"type\" není affine, similarity ani congruence"},
      {with("\"translation\": [", "\"shift\": ["), "chybí pole \"translation\""},
      {with("\"translation\": [", "\"translation\": [null, "), "pole \"translation\" nemá 3 prvky"},
      {with("\"matrix\": [\n    [" + rowA1, "\"matrix\": [\n    [null"),
       "pole \"matrix\" (a11) neobsahuje konečné číslo"},
      {with("\"scale\": \"0x", "\"scale\": \"1.5"),
       "pole \"exact.scale\" neobsahuje přesnou hodnotu (0x…p…)"},
      {with("\"scale\": 1." + value("\"scale\": 1."), "\"scale\": 1.1"),
       "pole \"scale\" neodpovídá přesné hodnotě v poli \"exact.scale\""},
      {with("\"type\": \"similarity\"", "\"type\": \"congruence\""),
       "pole \"scale\" není 1, jak typ klíče vyžaduje"},
  };
  for (const auto& [text, message] : cases) {
    StoredKey key;
    std::string error;
    EXPECT_FALSE(ParseKeyFile(text, "/data/k.json", key, error)) << message;
    EXPECT_EQ(error, "Soubor klíče \"/data/k.json\": " + message);
  }

  // Keys another program wrote: decimals only.
  auto decimalKey = [](const char* type, const char* matrix, const char* scale) {
    return std::string("{\"format\": \"ternavo-key\", \"version\": 1, \"type\": \"") + type +
           "\", \"matrix\": " + matrix + ", \"translation\": [1, 2, 3], \"scale\": " + scale + "}";
  };
  const char* const identity = "[[1, 0, 0], [0, 1, 0], [0, 0, 1]]";
  const std::pair<std::string, std::string> decimalCases[] = {
      {decimalKey("affine", "[[1, 2, 3], [2, 4, 6], [0, 0, 1]]", "1"),
       "matice klíče v poli \"matrix\" je singulární, klíč nelze použít"},
      {decimalKey("similarity", "[[1, 0.1, 0], [0, 1, 0], [0, 0, 1]]", "2"),
       "pole \"matrix\" není matice otočení, jak typ klíče vyžaduje"},
      {decimalKey("congruence", "[[-1, 0, 0], [0, 1, 0], [0, 0, 1]]", "1"),
       "pole \"matrix\" není matice otočení, jak typ klíče vyžaduje"},
      {decimalKey("similarity", identity, "0"), "pole \"scale\" je nula, klíč nelze použít"},
      {decimalKey("similarity", identity, "-2"), ""},
  };
  for (const auto& [text, message] : decimalCases) {
    StoredKey key;
    std::string error;
    EXPECT_EQ(ParseKeyFile(text, "k", key, error), message.empty()) << text;
    EXPECT_EQ(error, message.empty() ? "" : "Soubor klíče \"k\": " + message);
  }
}

TEST(ReadKeyFile, TellsAFileThatCannotBeOpenedFromABadOne) {
  const fs::path dir = fs::temp_directory_path() / ("ternavo-key-" + std::to_string(::getpid()));
  fs::create_directories(dir);
  const std::string bad = (dir / "bad.json").string();
  std::ofstream(bad) << "{}";
  StoredKey key;
  std::string error;
  EXPECT_EQ(ReadKeyFile((dir / "none.json").string(), key, error), KeyFileOutcome::CannotOpen);
  EXPECT_EQ(error, "Soubor klíče \"" + (dir / "none.json").string() +
                       "\" nelze otevřít: soubor nebo složka neexistuje");
  EXPECT_EQ(ReadKeyFile(dir.string(), key, error), KeyFileOutcome::CannotOpen);
  EXPECT_EQ(error, "Soubor klíče \"" + dir.string() + "\" nelze otevřít: je to složka");
  EXPECT_EQ(ReadKeyFile(bad, key, error), KeyFileOutcome::Invalid);
  EXPECT_EQ(error, "Soubor klíče \"" + bad + "\": pole \"format\" není \"ternavo-key\"");
  fs::remove_all(dir);
}

}  // namespace
}  // namespace ternavo
