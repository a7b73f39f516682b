// ternavo-cli run as a program against golden outputs. TERNAVO_UPDATE_GOLDEN=1
// rewrites the goldens (inspect the difference before keeping it).
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "adjustment/seznam.h"
#include "geometry/geometry.h"
#include "text/code_page.h"
#include "text/messages.h"
#include "version.h"

namespace ternavo {
namespace {

namespace fs = std::filesystem;
#ifdef TERNAVO_WITH_PDF_REPORT
constexpr bool kPdfReportBuiltForTest = true;
#else
constexpr bool kPdfReportBuiltForTest = false;
#endif
const fs::path kSource = TERNAVO_SOURCE_DIR;
const fs::path kGoldenDir = kSource / "tests" / "data" / "cli";

std::string ReadBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string Quote(const std::string& s) {
  std::string q = "'";
  for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

struct Result {
  int status;
  std::string out, err;
};

class CliProgram : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("ternavo-cli-test-" + std::to_string(::getpid()) + "-" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  // Runs the program in the source folder (the cs_CZ.UTF-8 locale must exist).
  Result Run(const std::vector<std::string>& args, const std::string& locale = "C") {
    std::string command = "cd " + Quote(kSource.string()) +
                          " && env -u LANGUAGE LANG=C LC_ALL=" + locale + " " +
                          Quote((fs::path(TERNAVO_BINARY_DIR) / "ternavo-cli").string());
    for (const std::string& a : args) command += ' ' + Quote(a);
    command += " >" + Quote((dir_ / "stdout").string()) + " 2>" + Quote((dir_ / "stderr").string());
    const int raw = std::system(command.c_str());
    return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, ReadBytes(dir_ / "stdout"),
            ReadBytes(dir_ / "stderr")};
  }

  fs::path dir_;
};

// Golden output, or none (nullptr) when the run is refused or fails.
TEST_F(CliProgram, OutputMessagesAndStatus) {
  struct Case {
    const char* golden;
    std::vector<std::string> args;
    const char* locale;
    int status;
    std::string err;
  };
  const std::string done = "Transformace dokončena.\n", badFile = "Nesprávný formát souboru!!!\n";
  const std::string help = "Nápověda / help: ternavo-cli --help\n";
  const Case cases[] = {
      {"local_site_similarity.C.out",
       {"-t", "similarity", "--transform", "examples/local_site_similarity.txt"},
       "C",
       0,
       done},
      {"national_grid_blunder.C.out",
       {"--type=1", "--transform", "examples/national_grid_blunder.txt"},
       "C",
       0,
       done},
      {"national_grid_blunder.cs.out",
       {"--type=1", "--transform", "examples/national_grid_blunder.txt"},
       "cs_CZ.UTF-8",
       0,
       done},
      {"national_grid_without_3107.C.out",
       {"-t", "1", "-x", "3107", "examples/national_grid_blunder.txt"},
       "C",
       0,
       ""},
      // A number written as -x has always taken it still finds its point.
      {"national_grid_without_3107.C.out",
       {"-t", "1", "-x", "+03107", "examples/national_grid_blunder.txt"},
       "C",
       0,
       ""},
      {"affine_photogrammetry.C.out",
       {"--transform", "examples/affine_photogrammetry.txt"},
       "C",
       0,
       done},
      {"affine_photogrammetry.cs.out",
       {"--transform", "examples/affine_photogrammetry.txt"},
       "cs_CZ.UTF-8",
       0,
       done},
      // Model coordinates at about 25 times the ground scale: the least-squares
      // similarity key, whose m0 its residuals confirm.
      {"affine_photogrammetry_similarity.C.out",
       {"-t", "similarity", "--residuals", "examples/affine_photogrammetry.txt"},
       "C",
       0,
       ""},
      // Saved "UTF-8 with BOM"; five points leave no redundancy without one of
      // them; detail-point numbers of a million and more.
      {"five_points_bom_affine.C.out",
       {"--transform", "tests/data/cli/five_points_bom.txt"},
       "C",
       0,
       done},
      {"three_points_similarity.C.out",
       {"-t", "similarity", "--transform", "tests/data/cli/three_points.txt"},
       "C",
       0,
       "Nejsou podrobné body !\n"},
      {"same_source_affine.C.out",
       {"tests/data/cli/same_source.txt"},
       "C",
       1,
       std::string(messages::kSingularAffine) + "\n"},
      {nullptr, {"tests/data/cli/decimal_comma.txt"}, "C", 3, badFile},
      // A list that is no list names the line and what is wrong.
      {nullptr,
       {"--source", "examples/site_source.txt", "--target", "tests/data/cli/three_points.txt"},
       "C",
       3,
       "Seznam souřadnic \"tests/data/cli/three_points.txt\", řádek 3: chybí souřadnice (bod "
       "potřebuje název a tři souřadnice).\n"},
      // Coordinates beyond the range of doubles: no JSON with nulls, nothing written.
      {nullptr,
       {"--json", "-", "-o", "never.txt", "tests/data/cli/beyond_double.txt"},
       "C",
       4,
       "Číslo 1e+400 je mimo rozsah, který zapíše JSON a export klíče (nejvýše asi 1,8e308); "
       "výstup nebyl zapsán.\n"},
      // A file that cannot be opened is not a file in a wrong format.
      {nullptr,
       {"tests/data/cli/no_such_file.txt"},
       "C",
       5,
       "Soubor \"tests/data/cli/no_such_file.txt\" nelze otevřít: soubor nebo složka neexistuje\n"},
      {nullptr,
       {"tests/data/cli"},
       "C",
       5,
       "Soubor \"tests/data/cli\" nelze otevřít: je to složka\n"},
      {nullptr, {"tests/data/cli/three_points.txt"}, "C", 1, "Málo identických bodů !!\n"},
      // A fault of the computation: its text, ending in a full stop already.
      {nullptr,
       {"-t", "similarity", "tests/data/cli/same_source.txt"},
       "C",
       1,
       std::string(messages::kDegeneratePoints) + "\n"},
      {nullptr,
       {"-x", "99", "tests/data/cli/three_points.txt"},
       "C",
       2,
       "ternavo-cli: bod 99 není mezi identickými body souboru\n" + help},
      {nullptr, {}, "C", 2, "ternavo-cli: chybí soubor souřadnic\n" + help},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.golden != nullptr ? c.golden : c.args.empty() ? "" : c.args.back().c_str());
    const Result r = Run(c.args, c.locale);
    EXPECT_EQ(r.status, c.status);
    EXPECT_EQ(r.err, c.err);
    if (c.golden == nullptr) {
      EXPECT_EQ(r.out, "");
      continue;
    }
    EXPECT_EQ(r.out.find('\r'), std::string::npos);
    const fs::path golden = kGoldenDir / c.golden;
    if (std::getenv("TERNAVO_UPDATE_GOLDEN") != nullptr)
      std::ofstream(golden, std::ios::binary) << r.out;
    ASSERT_TRUE(fs::exists(golden)) << golden;
    EXPECT_EQ(r.out, ReadBytes(golden));
  }
  const Result r = Run({"--help", "a.txt"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out.rfind("Použití: ternavo-cli", 0), 0u);
  const Result v = Run({"--version"});
  EXPECT_EQ(v.status, 0);
  EXPECT_EQ(v.out, std::string("ternavo-cli ") + kVersion + "\n");
}

TEST_F(CliProgram, SavedProtocolIsWindows1250WithCrLf) {
  const fs::path target = dir_ / "protokol.txt";
  std::ofstream(target, std::ios::binary) << "an older protocol\r\n";
  const Result r = Run({"-t", "similarity", "--transform", "-o", target.string(),
                        "examples/national_grid_blunder.txt"});
  ASSERT_EQ(r.status, 0) << r.err;
  const std::string bytes = ReadBytes(target);
  // The file holds the protocol part of standard output, re-encoded.
  const std::size_t start = r.out.find("\n\n");
  ASSERT_NE(start, std::string::npos);
  EXPECT_EQ(bytes, EncodeProtocolFile(r.out.substr(start + 2)));
  EXPECT_EQ(bytes.rfind("Program Ternavo v 2.0, Protokol o v\xFDpo\xE8tu.\r\n", 0), 0u);
  EXPECT_NE(bytes.find("\r\nTransformace podrobn\xFD"
                       "ch bod\xF9 :\r\n(C.B. X  Y  Z)\r\n"),
            std::string::npos);
  EXPECT_EQ(bytes.substr(bytes.size() - 2), "\r\n");
  // Only the target is left in the folder: the temporary file was renamed.
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 3);

  // "-o -": standard output carries the file's bytes and nothing else.
  const Result dash =
      Run({"-t", "similarity", "--transform", "-o", "-", "examples/national_grid_blunder.txt"});
  EXPECT_EQ(dash.status, 0);
  EXPECT_EQ(dash.out, bytes);
  // "-o /dev/stdout" with standard output appended to a file: what the file
  // held stays, then the usual output, then the protocol file.
  const fs::path log = dir_ / "log.txt";
  std::ofstream(log, std::ios::binary) << "earlier\n";
  const std::string command =
      "cd " + Quote(kSource.string()) + " && LC_ALL=C " +
      Quote((fs::path(TERNAVO_BINARY_DIR) / "ternavo-cli").string()) +
      " -t similarity --transform -o /dev/stdout examples/national_grid_blunder.txt >> " +
      Quote(log.string()) + " 2>/dev/null";
  ASSERT_EQ(std::system(command.c_str()), 0);
  EXPECT_EQ(ReadBytes(log), "earlier\n" + r.out + bytes);
}

TEST_F(CliProgram, OutputFileWhenTheRunFails) {
  const fs::path target = dir_ / "protokol.txt";
  std::ofstream(target, std::ios::binary) << "keep me\r\n";
  // Refused computation, unreadable input: nothing is saved.
  EXPECT_EQ(Run({"-o", target.string(), "tests/data/cli/three_points.txt"}).status, 1);
  EXPECT_EQ(Run({"-o", target.string(), "tests/data/cli/decimal_comma.txt"}).status, 3);
  EXPECT_EQ(ReadBytes(target), "keep me\r\n");
  // A key not computed: the protocol is its one line.
  EXPECT_EQ(Run({"-o", target.string(), "tests/data/cli/same_source.txt"}).status, 1);
  EXPECT_EQ(ReadBytes(target), "V\xFDpo\xE8\x65t neproveden.\r\n");
  // A regular file where the folder should be: reported, and standard
  // output still has the whole result.
  const fs::path unwritable = target / "p.txt";
  const Result r =
      Run({"-t", "1", "-o", unwritable.string(), "examples/local_site_similarity.txt"});
  EXPECT_EQ(r.status, 4);
  EXPECT_EQ(r.err.rfind("Soubor \"" + unwritable.string() + "\" nelze uložit: ", 0), 0u) << r.err;
  EXPECT_NE(r.out.find("Střední chyba jednotková:  "), std::string::npos);
}

// The machine-readable forms: alone on standard output with "-", written
// as they are into files, and never without a key.
TEST_F(CliProgram, ResidualsJsonAndKeyExports) {
  const std::string file = "examples/national_grid_blunder.txt";
  const Result plain = Run({"-t", "1", file});
  ASSERT_EQ(plain.status, 0);

  const Result residuals = Run({"-t", "1", "--residuals", file});
  ASSERT_EQ(residuals.status, 0);
  EXPECT_EQ(residuals.out.rfind(plain.out, 0), 0u);  // the usual output, then the section
  EXPECT_EQ(residuals.out.substr(plain.out.size(), 33), "\nOpravy na identických bodech :\n");
  // The outlier tests below the section: the blunder on 3107 and nothing else.
  const std::size_t tests = residuals.out.find("\nTest odlehlých bodů :\n");
  ASSERT_NE(tests, std::string::npos);
  const std::size_t outlier = residuals.out.find("ODLEHLÝ", tests);
  EXPECT_EQ(residuals.out.rfind("\n3107  ", outlier), residuals.out.find("\n3107  ", tests));
  EXPECT_EQ(residuals.out.find("ODLEHLÝ", outlier + 1), std::string::npos);

  const Result proj = Run({"-t", "1", "--export-proj", "-", file});
  ASSERT_EQ(proj.status, 0);
  EXPECT_EQ(proj.out.rfind("+proj=affine +xoff=", 0), 0u);
  EXPECT_EQ(proj.out.find('\n'), proj.out.size() - 1);  // one line, nothing else

  const fs::path json = dir_ / "r.json", matrix = dir_ / "m.txt";
  const Result files = Run(
      {"-t", "1", "--transform", "--json", json.string(), "--export-matrix", matrix.string(), file},
      "cs_CZ.UTF-8");
  ASSERT_EQ(files.status, 0) << files.err;
  const std::string m = ReadBytes(matrix);
  EXPECT_EQ(m.substr(m.size() - 9), " 0 0 0 1\n");
  EXPECT_EQ(m.find(','), std::string::npos);
  const std::string j = ReadBytes(json);
  EXPECT_EQ(j.rfind("{\n  \"program\": \"ternavo\",", 0), 0u);
  EXPECT_NE(j.find("\"detail\": ["), std::string::npos);

  // No key: JSON says so, the export writes nothing, the status tells.
  const fs::path none = dir_ / "none.txt";
  const Result failed =
      Run({"--json", "-", "--export-proj", none.string(), "tests/data/cli/same_source.txt"});
  EXPECT_EQ(failed.status, 1);
  EXPECT_NE(failed.out.find("\"key_valid\": false"), std::string::npos);
  EXPECT_FALSE(fs::exists(none));

  // Refused (three points, affine): the JSON is written all the same, with the reason.
  const Result refused = Run({"--json", "-", "tests/data/cli/three_points.txt"});
  EXPECT_EQ(refused.status, 1);
  EXPECT_EQ(refused.err, "Málo identických bodů !!\n");
  EXPECT_NE(refused.out.find("\"key_valid\": false,\n  \"refused\": \"Málo identických bodů !!\""),
            std::string::npos)
      << refused.out;
  EXPECT_NE(refused.out.find("\"test\": {\n        \"F\": null"), std::string::npos);
}

// A key saved today transforms tomorrow's points exactly as the computation
// did; a bad key file writes nothing.
TEST_F(CliProgram, SavedKeyAppliedLater) {
  const std::string file = "examples/national_grid_blunder.txt";
  const std::string key = (dir_ / "k.json").string();
  const Result computed = Run({"-t", "1", "--transform", "--key-out", key, file}, "cs_CZ.UTF-8");
  ASSERT_EQ(computed.status, 0) << computed.err;
  const std::string section = computed.out.substr(computed.out.rfind("\nTransformace podrobných"));

  const fs::path protocol = dir_ / "p.txt";
  const Result applied = Run({"--apply-key", key, "-o", protocol.string(), file}, "cs_CZ.UTF-8");
  EXPECT_EQ(applied.status, 0);
  EXPECT_EQ(applied.err, "Transformace dokončena.\n");
  EXPECT_EQ(applied.out, section);
  EXPECT_EQ(ReadBytes(protocol), EncodeProtocolFile(section));

  // The coordinate list too: as the computation writes it.
  const fs::path list = dir_ / "list.txt";
  ASSERT_EQ(Run({"-t", "1", "--points-out", list.string(), file}).status, 0);
  const Result listed = Run({"--apply-key", key, "--points-out", "-", file});
  EXPECT_EQ(listed.status, 0);
  EXPECT_EQ(listed.out, ReadBytes(list));

  const Result inverse = Run({"--apply-key", key, "--inverse", file});
  EXPECT_EQ(inverse.status, 0);
  EXPECT_EQ(inverse.out.rfind("\nZpětná transformace podrobných bodů :\n(C.B. X  Y  Z)\n", 0), 0u);

  // The detail points as a list of their own (the file's detail lines are
  // "name X Y Z"): every output equals that of the coordinate file.
  const std::string combined = ReadBytes(kSource / file);
  const std::string points = (dir_ / "body.txt").string();
  std::ofstream(points) << combined.substr(combined.find('\n', combined.find("podrobné body")) + 1);
  for (const bool inverse : {false, true}) {
    std::string outputs[2][3];
    for (int k = 0; k < 2; ++k) {
      const fs::path out = dir_ / ("o" + std::to_string(k)),
                     list = dir_ / ("l" + std::to_string(k));
      std::vector<std::string> args = {"--apply-key",  key,          "-o", out.string(),
                                       "--points-out", list.string()};
      if (inverse) args.push_back("--inverse");
      if (k == 0) args.push_back(file);
      if (k == 1) args.insert(args.end(), {"--points", points});
      const Result r = Run(args);
      ASSERT_EQ(r.status, 0) << r.err;
      EXPECT_EQ(r.out.find("\nZpětná"), inverse ? 0u : std::string::npos);
      outputs[k][0] = r.out, outputs[k][1] = ReadBytes(out), outputs[k][2] = ReadBytes(list);
    }
    EXPECT_EQ(outputs[1][0], outputs[0][0]) << inverse;
    EXPECT_EQ(outputs[1][1], outputs[0][1]) << inverse;
    EXPECT_EQ(outputs[1][2], outputs[0][2]) << inverse;
    EXPECT_EQ(outputs[1][2].substr(0, 5), "4201 ");
  }

  std::ofstream(dir_ / "bad.json") << "{\"format\": \"ternavo-key\", \"version\": 7}";
  std::ofstream(dir_ / "bad.txt") << "4201 1.5 2.5 3.5\n4202 1.5 x 3.5\n";
  const struct {
    std::vector<std::string> args;
    int status;
    std::string err;
  } refused[] = {
      {{"--apply-key", (dir_ / "bad.json").string(), file},
       3,
       "Soubor klíče \"" + (dir_ / "bad.json").string() +
           "\": pole \"version\" nemá hodnotu 1 (soubor je z jiné verze programu)\n"},
      {{"--apply-key", (dir_ / "none.json").string(), file},
       5,
       "Soubor klíče \"" + (dir_ / "none.json").string() +
           "\" nelze otevřít: soubor nebo složka neexistuje\n"},
      {{"--apply-key", key, "--points", (dir_ / "bad.txt").string()},
       3,
       "Seznam souřadnic \"" + (dir_ / "bad.txt").string() +
           "\", řádek 2: \"x\" na místě souřadnice není číslo.\n"},
      {{"--apply-key", key, "--points", (dir_ / "none.txt").string()},
       5,
       "Soubor \"" + (dir_ / "none.txt").string() +
           "\" nelze otevřít: soubor nebo složka neexistuje\n"},
  };
  for (auto r : refused) {
    const fs::path out = dir_ / "out.txt", list = dir_ / "list-out.txt";
    r.args.insert(r.args.end(), {"-o", out.string(), "--points-out", list.string()});
    const Result result = Run(r.args);
    EXPECT_EQ(result.status, r.status);
    EXPECT_EQ(result.err, r.err);
    EXPECT_EQ(result.out, "");
    EXPECT_FALSE(fs::exists(out));
    EXPECT_FALSE(fs::exists(list));
  }
}

// The PDF report, read back as text: the header, the key protocol, the
// tables and the tests, Czech letters intact, page numbers.
TEST_F(CliProgram, PdfReportReadsBack) {
  if (!kPdfReportBuiltForTest) GTEST_SKIP() << "built without Qt";
  if (std::system("command -v pdftotext >/dev/null 2>&1") != 0) GTEST_SKIP() << "no pdftotext";
  const fs::path pdf = dir_ / "zpráva.pdf";
  const Result made = Run({"-t", "similarity", "-x", "3102", "--sigma", "0.03", "--report",
                           pdf.string(), "examples/national_grid_blunder.txt"});
  ASSERT_EQ(made.status, 0) << made.err;
  EXPECT_EQ(made.err, "");
  EXPECT_EQ(ReadBytes(pdf).substr(0, 5), "%PDF-");
  const fs::path text = dir_ / "report.txt";
  ASSERT_EQ(std::system(("pdftotext " + Quote(pdf.string()) + " " + Quote(text.string())).c_str()),
            0);
  const std::string t = ReadBytes(text);  // pdftotext joins runs of blanks
  for (const char* expected : {"Program:",
                               "Ternavo 2.0",
                               "Souřadnice z:",
                               "examples/national_grid_blunder.txt",
                               "podobnostní (7 parametrů)",
                               "3101, 3103, 3104",
                               "Vypnuté identické body:",
                               "Jednotky:",
                               "Program Ternavo v 2.0, Protokol o výpočtu.",
                               "Podobnostní transformace",
                               "Matice Rotace :",
                               "Střední chyba jednotková:",
                               "Přesnost parametrů",
                               "Kappa",
                               "Šidákova oprava na jeden bod",
                               "ODLEHLÝ",
                               "Výsledek : m0 odpovídá zadané přesnosti",
                               "Půdorys identických bodů",
                               "strana 1 z 3",
                               "strana 3 z 3"}) {
    EXPECT_NE(t.find(expected), std::string::npos) << expected;
  }

  // No key, no report.
  const fs::path none = dir_ / "none.pdf";
  const Result refused =
      Run({"--report", none.string(), "-t", "similarity", "tests/data/cli/same_source.txt"});
  EXPECT_EQ(refused.status, 1);
  EXPECT_FALSE(fs::exists(none));
}

}  // namespace
}  // namespace ternavo
