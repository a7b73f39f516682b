#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "cli/cli_app.h"
#include "cli/cli_options.h"

namespace ternavo {
namespace {

TEST(ParseCliOptions, AcceptedForms) {
  struct Case {
    std::vector<std::string> args;
    TTypTransformace type;
    std::vector<std::string> excluded;
    bool transform;
    std::string output;  // empty: no -o
    std::string file;
  };
  const Case cases[] = {
      {{"a.txt", "-t", "similarity"}, kSimilarity, {}, false, "", "a.txt"},
      {{"-t2", "a.txt"}, kCongruence, {}, false, "", "a.txt"},
      {{"-x", "5,-7", "--exclude", "+9", "a.txt"},
       kGeneralAffine,
       {"5", "-7", "+9"},
       false,
       "",
       "a.txt"},
      {{"--transform", "--output=out/p.txt", "a.txt"},
       kGeneralAffine,
       {},
       true,
       "out/p.txt",
       "a.txt"},
      {{"-o", "p.txt", "--", "-odd name.txt"}, kGeneralAffine, {}, false, "p.txt", "-odd name.txt"},
      {{"-o", "-", "a.txt"}, kGeneralAffine, {}, false, "-", "a.txt"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args[0]);
    CliOptions o;
    std::string error;
    ASSERT_TRUE(ParseCliOptions(c.args, o, error)) << error;
    EXPECT_EQ(std::tie(o.type, o.excluded, o.transform, o.outputFile, o.coordinateFile),
              std::tie(c.type, c.excluded, c.transform, c.output, c.file));
    EXPECT_EQ(o.hasOutput, !c.output.empty());
  }
}

TEST(ParseCliOptions, UsageErrors) {
  const std::pair<std::vector<std::string>, std::string> cases[] = {
      {{"a.txt", "b.txt"}, "zadán více než jeden soubor souřadnic"},
      {{"-t", "3", "a.txt"}, "neznámý typ transformace \"3\""},
      {{"a.txt", "-t"}, "přepínač -t potřebuje hodnotu"},
      {{"-x", "1,,2", "a.txt"}, "chybný seznam čísel bodů \"1,,2\""},
      {{"-x", "4201,", "a.txt"}, "chybný seznam čísel bodů \"4201,\""},
      {{"-o", "", "a.txt"}, "prázdný název výstupního souboru"},
      {{"--source", "s.txt", "-t", "1"}, "seznamy souřadnic se zadávají oba: --source i --target"},
      {{"--source", "s", "--target", "t", "a.txt"},
       "zadán soubor souřadnic i seznamy --source a --target"},
      {{"--decimals", "13", "a.txt"}, "chybný počet desetinných míst \"13\" (0 až 12)"},
      {{"--target-columns", "zyx", "a.txt"}, "neznámé pořadí sloupců \"zyx\" (xyz nebo yxz)"},
      {{"--source-columns", "yxz", "a.txt"}, "pořadí sloupců patří k seznamům --source a --target"},
      {{"--transform=yes", "a.txt"}, "přepínač --transform nemá hodnotu"},
      {{"--json", "-", "--export-proj", "-", "a.txt"},
       "na standardní výstup smí jít jen jeden z -o, --json, --export-proj, --export-matrix"},
      {{"-o", "-", "--export-matrix=-", "a.txt"},
       "na standardní výstup smí jít jen jeden z -o, --json, --export-proj, --export-matrix"},
      {{"--json", "-", "--output=-", "a.txt"},
       "na standardní výstup smí jít jen jeden z -o, --json, --export-proj, --export-matrix"},
      // Two outputs into one file: the later would silently replace the earlier.
      {{"--json", "r.json", "-o", "r.json", "a.txt"},
       "přepínače -o a --json míří do téhož souboru \"r.json\""},
      {{"--export-proj", "k.txt", "--export-matrix", "./k.txt", "a.txt"},
       "přepínače --export-proj a --export-matrix míří do téhož souboru \"./k.txt\""},
      {{"--key-out", "k.json", "--json", "x/../k.json", "a.txt"},
       "přepínače --json a --key-out míří do téhož souboru \"k.json\""},
      {{"--report", "z.pdf", "-o", "z.pdf", "a.txt"},
       kPdfReportBuilt ? "přepínače -o a --report míří do téhož souboru \"z.pdf\""
                       : "přepínač --report v tomto sestavení chybí (sestaveno bez Qt)"},
      {{"--alpha", "1.5", "a.txt"},
       "chybná hladina významnosti \"1.5\" (0 < alfa < 1, např. 0.05 nebo 5%)"},
      {{"--inverse", "a.txt"}, "přepínač --inverse patří k --apply-key"},
      {{"--apply-key", "k.json", "--transform", "a.txt"},
       "přepínač --transform nelze použít s --apply-key"},
      {{"--apply-key=k.json", "-t", "1", "a.txt"}, "přepínač -t nelze použít s --apply-key"},
      {{"--key-out", "-", "a.txt"}, "přepínač --key-out potřebuje název souboru, ne \"-\""},
      // --points LIST is the input of --apply-key, instead of a coordinate file.
      {{"--points", "b.txt", "a.txt"}, "přepínač --points patří k --apply-key"},
      {{"--apply-key", "k.json", "--points", "b.txt", "a.txt"},
       "zadán soubor souřadnic i seznam --points"},
      {{"--apply-key", "k.json"},
       "chybí soubor souřadnic nebo seznam --points s body k transformaci"},
      {{"--apply-key", "k.json", "--points-columns", "yxz", "a.txt"},
       "pořadí sloupců --points-columns patří k seznamu --points"},
      {{"--apply-key", "k.json", "--points", "-"},
       "přepínač --points potřebuje název souboru, ne \"-\""},
      {{"--apply-key", "k.json", "--source", "s", "--target", "t"},
       "přepínač --apply-key nelze použít se seznamy --source a --target (seznam bodů k "
       "transformaci se zadává přepínačem --points)"},
  };
  for (const auto& [args, message] : cases) {
    CliOptions o;
    std::string error;
    EXPECT_FALSE(ParseCliOptions(args, o, error));
    EXPECT_EQ(error, message);
  }
}

TEST(ErrorReportText, FullStopAfterLetterOrDigit) {
  const std::pair<std::string, std::string> cases[] = {
      {"Chyba 42", "Chyba 42."},
      {"Přetečení", "Přetečení."},  // a Czech letter is a letter too
      {"Neplatná operace!", "Neplatná operace!"},
      {"", ""},
  };
  for (const auto& [text, shown] : cases) EXPECT_EQ(ErrorReportText(text), shown);
}

TEST(TransformDetailPointsInBlocks, SameLinesAsOneCall) {
  TSeznam s;
  for (int i = 1; i <= 3; ++i) s.RotationMatrix->Put(i, i, 1), s.ScaleMatrix->Put(i, i, 2);
  s.RotationMatrix->Put(1, 2, 0.5L);
  s.TranslationVector->Put(1, 1, 10);
  s.TranslationVector->Put(3, 1, -30);
  for (int j = 0; j < 7; ++j)
    s.DetailPoints.push_back({std::to_string(100 + j), 1.25L * j, -0.5L * j, 7.0L + j});
  TextLines whole;
  s.TransformDetailPoints(whole);
  ASSERT_EQ(whole.Count(), 10u);
  for (std::size_t block : {1u, 3u, 7u, 100u}) {
    std::vector<std::string> joined;
    std::size_t calls = 0;
    TransformDetailPointsInBlocks(s, block, [&](const TextLines& lines, std::size_t from) {
      ++calls;
      for (std::size_t i = from; i < lines.Count(); ++i) joined.push_back(lines[i]);
    });
    EXPECT_EQ(joined, whole.Lines()) << "block " << block;
    EXPECT_EQ(calls, (7 + block - 1) / block) << "block " << block;
    ASSERT_EQ(s.DetailPoints.size(), 7u);  // put back
    EXPECT_EQ(s.DetailPoints[6].Name, "106");
  }
  s.DetailPoints.clear();
  int calls = 0;
  TransformDetailPointsInBlocks(s, 4, [&](const TextLines&, std::size_t) { ++calls; });
  EXPECT_EQ(calls, 0);
}

}  // namespace
}  // namespace ternavo
