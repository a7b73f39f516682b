#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cli/cli_app.h"
#include "cli/cli_options.h"

namespace ternavo {
namespace {

TEST(ParseCliOptions, AcceptedForms) {
  struct Case {
    std::vector<std::string> args;
    TTypTransformace type;
    std::vector<int32_t> excluded;
    bool transform;
    std::string output;  // empty: no -o
    std::string file;
  };
  const Case cases[] = {
      {{"a.txt"}, kGeneralAffine, {}, false, "", "a.txt"},
      {{"a.txt", "-t", "similarity"}, kSimilarity, {}, false, "", "a.txt"},
      {{"--type=congruence", "a.txt"}, kCongruence, {}, false, "", "a.txt"},
      {{"-t2", "a.txt"}, kCongruence, {}, false, "", "a.txt"},
      {{"-x", "5,-7", "--exclude", "+9", "a.txt"}, kGeneralAffine, {5, -7, 9}, false, "", "a.txt"},
      {{"--transform", "--output=out/p.txt", "a.txt"}, kGeneralAffine, {}, true, "out/p.txt",
       "a.txt"},
      {{"-o", "p.txt", "--", "-odd name.txt"}, kGeneralAffine, {}, false, "p.txt",
       "-odd name.txt"},
  };
  for (const Case& c : cases) {
    CliOptions options;
    std::string error;
    ASSERT_TRUE(ParseCliOptions(c.args, options, error)) << c.args[0] << ": " << error;
    EXPECT_EQ(options.type, c.type) << c.args[0];
    EXPECT_EQ(options.excluded, c.excluded) << c.args[0];
    EXPECT_EQ(options.transform, c.transform) << c.args[0];
    EXPECT_EQ(options.hasOutput, !c.output.empty()) << c.args[0];
    EXPECT_EQ(options.outputFile, c.output) << c.args[0];
    EXPECT_EQ(options.coordinateFile, c.file) << c.args[0];
  }
}

TEST(ParseCliOptions, UsageErrors) {
  struct Case {
    std::vector<std::string> args;
    std::string error;
  };
  const Case cases[] = {
      {{"a.txt", "b.txt"}, "zadán více než jeden soubor souřadnic"},
      {{"-q", "a.txt"}, "neznámý přepínač -q"},
      {{"-t", "3", "a.txt"}, "neznámý typ transformace \"3\""},
      {{"a.txt", "-t"}, "přepínač -t potřebuje hodnotu"},
      {{"-x", "1,,2", "a.txt"}, "chybný seznam čísel bodů \"1,,2\""},
      {{"-x", "+-4", "a.txt"}, "chybný seznam čísel bodů \"+-4\""},
      {{"-x", "2147483648", "a.txt"}, "chybný seznam čísel bodů \"2147483648\""},
      {{"-o", "", "a.txt"}, "prázdný název výstupního souboru"},
      {{"--transform=yes", "a.txt"}, "přepínač --transform nemá hodnotu"},
  };
  for (const Case& c : cases) {
    CliOptions options;
    std::string error;
    EXPECT_FALSE(ParseCliOptions(c.args, options, error));
    EXPECT_EQ(error, c.error);
  }
}

TEST(ErrorReportText, FullStopAfterLetterOrDigit) {
  const std::pair<std::string, std::string> cases[] = {
      {"Dělení nulou", "Dělení nulou."},
      {"Chyba 42", "Chyba 42."},
      {"Přetečení", "Přetečení."},  // a Czech letter is a letter too
      {"Neplatná operace!", "Neplatná operace!"},
      {"Hotovo.", "Hotovo."},
      {"", ""},
  };
  for (const auto& [text, shown] : cases) EXPECT_EQ(ErrorReportText(text), shown);
}

}  // namespace
}  // namespace ternavo
