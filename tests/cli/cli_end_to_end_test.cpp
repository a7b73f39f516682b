// ternavo-cli run as a program, on the example files and on test files,
// against golden outputs. TERNAVO_UPDATE_GOLDEN=1 rewrites the goldens
// (inspect the difference before keeping it).
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cctype>
#include <clocale>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "adjustment/seznam.h"
#include "geometry/geometry.h"
#include "text/code_page.h"

namespace ternavo {
namespace {

namespace fs = std::filesystem;

const fs::path kSource = TERNAVO_SOURCE_DIR;
const fs::path kCli = fs::path(TERNAVO_BINARY_DIR) / "ternavo-cli";
const fs::path kGoldenDir = kSource / "tests" / "data" / "cli";

std::string ReadBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

void WriteBytes(const fs::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary);
  out << bytes;
}

std::string Quote(const std::string& s) {
  std::string q = "'";
  for (char c : s) {
    if (c == '\'') q += "'\\''";
    else q += c;
  }
  return q + "'";
}

bool HaveCzechLocale() {
  const std::string saved = std::setlocale(LC_NUMERIC, nullptr);
  const bool ok = std::setlocale(LC_NUMERIC, "cs_CZ.UTF-8") != nullptr;
  std::setlocale(LC_NUMERIC, saved.c_str());
  return ok;
}

struct Result {
  int status = -1;
  std::string out;
  std::string err;
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

  // Runs the program in the source folder under the given locale.
  Result Run(const std::vector<std::string>& args, const std::string& locale = "C") {
    std::string command = "cd " + Quote(kSource.string()) + " && env -u LANGUAGE LANG=C LC_ALL=" +
                          locale + " " + Quote(kCli.string());
    for (const std::string& a : args) {
      command += ' ';
      command += Quote(a);
    }
    command += " >";
    command += Quote((dir_ / "stdout").string());
    command += " 2>";
    command += Quote((dir_ / "stderr").string());
    Result r;
    const int raw = std::system(command.c_str());
    r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    r.out = ReadBytes(dir_ / "stdout");
    r.err = ReadBytes(dir_ / "stderr");
    return r;
  }

  fs::path dir_;
};

// Compares with the golden file, or writes it in update mode.
void ExpectGolden(const std::string& name, const std::string& actual) {
  const fs::path golden = kGoldenDir / name;
  if (std::getenv("TERNAVO_UPDATE_GOLDEN") != nullptr) {
    WriteBytes(golden, actual);
    return;
  }
  ASSERT_TRUE(fs::exists(golden)) << golden;
  EXPECT_EQ(actual, ReadBytes(golden)) << "differs from " << golden;
}

struct GoldenCase {
  const char* golden;
  std::vector<std::string> args;
  const char* locale;
  int status;
  std::string err;
};

TEST_F(CliProgram, ExamplesMatchGoldenOutput) {
  const GoldenCase cases[] = {
      {"local_site_similarity.C.out",
       {"-t", "similarity", "--transform", "examples/local_site_similarity.txt"}, "C", 0,
       "Transformace dokončena.\n"},
      {"local_site_congruence.C.out",
       {"-t", "congruence", "examples/local_site_similarity.txt"}, "C", 0, ""},
      {"national_grid_blunder.C.out",
       {"--type=1", "--transform", "examples/national_grid_blunder.txt"}, "C", 0,
       "Transformace dokončena.\n"},
      {"national_grid_blunder.cs.out",
       {"--type=1", "--transform", "examples/national_grid_blunder.txt"}, "cs_CZ.UTF-8", 0,
       "Transformace dokončena.\n"},
      {"national_grid_without_3107.C.out",
       {"-t", "1", "-x", "3107", "examples/national_grid_blunder.txt"}, "C", 0, ""},
      {"affine_photogrammetry.C.out", {"--transform", "examples/affine_photogrammetry.txt"}, "C",
       0, "Transformace dokončena.\n"},
      {"affine_photogrammetry.cs.out", {"--transform", "examples/affine_photogrammetry.txt"},
       "cs_CZ.UTF-8", 0, "Transformace dokončena.\n"},
      {"three_points_similarity.C.out",
       {"-t", "similarity", "--transform", "tests/data/cli/three_points.txt"}, "C", 0,
       "Nejsou podrobné body !\n"},
      {"same_source_affine.C.out", {"tests/data/cli/same_source.txt"}, "C", 1,
       std::string(kSingularAffineNotice) + "\n"},
  };
  const bool czech = HaveCzechLocale();
  for (const GoldenCase& c : cases) {
    SCOPED_TRACE(c.golden);
    if (std::string(c.locale) != "C" && !czech) continue;
    const Result r = Run(c.args, c.locale);
    EXPECT_EQ(r.status, c.status);
    EXPECT_EQ(r.err, c.err);
    EXPECT_EQ(r.out.find('\r'), std::string::npos);
    ExpectGolden(c.golden, r.out);
  }
  if (!czech) GTEST_SKIP() << "no cs_CZ.UTF-8 locale: the decimal-comma cases were left out";
}

TEST_F(CliProgram, FailuresAndTheirStatus) {
  struct Case {
    std::vector<std::string> args;
    int status;
    std::string err;  // whole standard error
  };
  const Case cases[] = {
      {{"tests/data/cli/decimal_comma.txt"}, 3, "Nesprávný formát souboru!!!\n"},
      {{"tests/data/cli/no_such_file.txt"}, 3, "Nesprávný formát souboru!!!\n"},
      {{"tests/data/cli"}, 3, "Nesprávný formát souboru!!!\n"},
      {{"tests/data/cli/three_points.txt"}, 1, "Málo identických bodů !!\n"},
      {{"-t", "2", "-x", "12", "tests/data/cli/three_points.txt"}, 1,
       "Málo identických bodů !!\n"},
      // A fault of the computation: its text, ending in a full stop already.
      {{"-t", "similarity", "tests/data/cli/same_source.txt"}, 1,
       std::string(kDegeneratePointsText) + "\n"},
      {{"-x", "99", "tests/data/cli/three_points.txt"}, 2,
       "ternavo-cli: bod 99 není mezi identickými body souboru\n"
       "Nápověda / help: ternavo-cli --help\n"},
      {{"--frobnicate", "tests/data/cli/three_points.txt"}, 2,
       "ternavo-cli: neznámý přepínač --frobnicate\nNápověda / help: ternavo-cli --help\n"},
      {{}, 2, "ternavo-cli: chybí soubor souřadnic\nNápověda / help: ternavo-cli --help\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args.empty() ? std::string("(no arguments)") : c.args.back());
    const Result r = Run(c.args);
    EXPECT_EQ(r.status, c.status);
    EXPECT_EQ(r.err, c.err);
    EXPECT_EQ(r.out, "");  // refused or failed: nothing on standard output
  }
  const Result help = Run({"--help", "a.txt"});
  EXPECT_EQ(help.status, 0);
  EXPECT_EQ(help.out.rfind("Použití: ternavo-cli", 0), 0u);
}

TEST_F(CliProgram, SavedProtocolIsWindows1250WithCrLf) {
  const fs::path target = dir_ / "protokol.txt";
  WriteBytes(target, "an older protocol\r\n");
  const Result r = Run({"-t", "similarity", "--transform", "-o", target.string(),
                        "examples/national_grid_blunder.txt"});
  ASSERT_EQ(r.status, 0) << r.err;
  const std::string bytes = ReadBytes(target);

  // The file holds the protocol part of standard output, re-encoded.
  const std::size_t start = r.out.find("\n\n");
  ASSERT_NE(start, std::string::npos);
  const std::string protocol = r.out.substr(start + 2);
  EXPECT_EQ(bytes, EncodeProtocolFile(protocol));

  EXPECT_EQ(bytes.rfind("Program Ternavo v 2.0, Protokol o v\xFDpo\xE8tu.\r\n", 0), 0u);
  EXPECT_NE(bytes.find("\r\nPou\x9Eit\xE9 identick\xE9 body :\r\n"), std::string::npos);
  EXPECT_NE(bytes.find("\r\nTransformace podrobn\xFD" "ch bod\xF9 :\r\n(C.B. X  Y  Z)\r\n"),
            std::string::npos);
  ASSERT_GE(bytes.size(), 2u);
  EXPECT_EQ(bytes.substr(bytes.size() - 2), "\r\n");
  // Only the target is left in the folder: the temporary file was renamed.
  std::vector<fs::path> files;
  for (const auto& e : fs::directory_iterator(dir_)) files.push_back(e.path().filename());
  EXPECT_EQ(files.size(), 3u);  // protokol.txt, stdout, stderr
}

TEST_F(CliProgram, OutputFileWhenTheRunFails) {
  const fs::path target = dir_ / "protokol.txt";
  const std::string before = "keep me\r\n";
  WriteBytes(target, before);
  // Refused computation, unreadable input: nothing is saved.
  EXPECT_EQ(Run({"-o", target.string(), "tests/data/cli/three_points.txt"}).status, 1);
  EXPECT_EQ(Run({"-o", target.string(), "tests/data/cli/decimal_comma.txt"}).status, 3);
  EXPECT_EQ(ReadBytes(target), before);
  // A key not computed: the protocol is its one line.
  EXPECT_EQ(Run({"-o", target.string(), "tests/data/cli/same_source.txt"}).status, 1);
  EXPECT_EQ(ReadBytes(target), "V\xFDpo\xE8\x65t neproveden.\r\n");

  // A regular file where the folder should be: reported, and standard
  // output still has the whole result.
  const fs::path unwritable = target / "p.txt";
  const Result r =
      Run({"-t", "1", "-o", unwritable.string(), "examples/local_site_similarity.txt"});
  EXPECT_EQ(r.status, 4);
  EXPECT_EQ(r.err.rfind("Protokol nelze uložit do souboru " + unwritable.string() + ": ", 0), 0u)
      << r.err;
  EXPECT_NE(r.out.find("Střední chyba jednotková:  "), std::string::npos);
}

}  // namespace
}  // namespace ternavo
