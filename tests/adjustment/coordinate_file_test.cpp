#include <gtest/gtest.h>

#include <unistd.h>
#include <array>
#include <cerrno>
#include <charconv>
#include <clocale>
#include <cstdio>
#include <fstream>
#include <random>
#include <string>
#include <thread>

#include "adjustment/seznam.h"

namespace ternavo {
namespace {

using namespace std::string_literals;

// Content starting with '|' comes through a pipe (no size known beforehand).
bool LoadText(TSeznam& s, const std::string& content) {
  if (!content.empty() && content[0] == '|') {
    int fds[2];
    if (::pipe(fds) != 0) return false;
    std::thread writer([&] {
      ::write(fds[1], content.data() + 1, content.size() - 1);  // small: fits the pipe
      ::close(fds[1]);
    });
    writer.join();
    const bool ok = s.LoadFromFile("/dev/fd/" + std::to_string(fds[0]));
    ::close(fds[0]);
    return ok;
  }
  static int counter = 0;
  const std::string path = ::testing::TempDir() + "ternavo_reader_" + std::to_string(::getpid()) +
                           "_" + std::to_string(counter++) + ".txt";
  std::ofstream(path, std::ios::binary) << content;
  const bool ok = s.LoadFromFile(path);
  std::remove(path.c_str());
  return ok;
}

// The whole list in one line: identical points "number target/source U|-",
// detail points "number x y z", then the left-out index.
std::string Dump(const TSeznam& s) {
  const auto num = [](Extended v) {
    char buf[64];
    std::snprintf(buf, sizeof buf, " %.19Lg", v);
    return std::string(buf);
  };
  std::string out;
  for (const TIdentickyBod& p : s.IdenticalPoints) {
    out += 'I';
    out += p.Name;
    out += num(p.TargetX);
    out += num(p.TargetY);
    out += num(p.TargetZ);
    out += '/';
    out += num(p.SourceX).substr(1);
    out += num(p.SourceY);
    out += num(p.SourceZ);
    out += p.Used ? " U; " : " -; ";
  }
  for (const TPodrobnyBod& d : s.DetailPoints) {
    out += 'D';
    out += d.Name;
    out += num(d.X);
    out += num(d.Y);
    out += num(d.Z);
    out += "; ";
  }
  return out + "L" + std::to_string(s.LeftOutIndex);
}

struct LoadCase {
  const char* name;
  std::string content;
  const char* expected;  // Dump after the load
};

TEST(LoadFromFileTest, LexicalRules) {
  const LoadCase cases[] = {
      {"CrLf", "2\r\n1 10 20 30\r\n11 21 31\r\n2 40 50 60\r\n41 51 61\r\n1\r\n9 1 2 3\r\n",
       "I1 10 20 30/11 21 31 U; I2 40 50 60/41 51 61 U; D9 1 2 3; L-1"},
      {"Empty lists", "0\n0\n", "L-1"},
      {"Empty file", "", "L-1"},
      {"No detail count", "1\n1 1 2 3\n4 5 6\n", "I1 1 2 3/4 5 6 U; L-1"},
      {"Rest of line ignored",
       "1 identical\n1 1 2 3 99 remark\n4 5 6 7.7 x\n1 detail\n5 1 2 3 4th\n",
       "I1 1 2 3/4 5 6 U; D5 1 2 3; L-1"},
      {"Split record", "1\n1 1\n2 3 junk\n4\n5 6\n0\n", "I1 1 2 3/4 5 6 U; L-1"},
      {"Blank lines and indents", "\n\n  1\n\n\t 1 1 2 3\n\n   4 5 6\n\n0",
       "I1 1 2 3/4 5 6 U; L-1"},
      {"Lone CR does not end a line", "1\n1 1 2 3\r9 9 9\n4 5 6\n0\n", "I1 1 2 3/4 5 6 U; L-1"},
      {"Control characters separate",
       "1\x01\n1\x0b"
       "1\x0c"
       "2\x1f"
       "3\n4\x00"
       "5 6\n"s,
       "I1 1 2 3/4 5 6 U; L-1"},
      {"Ctrl-Z ends the file",
       "1\n1 1 2 3\n4 5 6\n\x1a"
       "1\n5 1 2 3\n",
       "I1 1 2 3/4 5 6 U; L-1"},
      {"Real notations", "1\n1 1.5 15E-1 +1.5\n15e-1 -1.5 .5\n0\n",
       "I1 1.5 1.5 1.5/1.5 -1.5 0.5 U; L-1"},
      {"Exponents", "1\n-3 1e3 2.5E+2 -1E-2\n0 -0.0 5.\n", "I-3 1000 250 -0.01/0 -0 5 U; L-1"},
      {"Integer limits", "1\n-2147483648 0 0 0\n0 0 0\n1\n+2147483647 0 0 0\n",
       "I-2147483648 0 0 0/0 0 0 U; D2147483647 0 0 0; L-1"},
      {"Signed and padded counts", "+1\n007 1 2 3\n4 5 6\n+0001\n-5 1 2 3\n",
       "I7 1 2 3/4 5 6 U; D-5 1 2 3; L-1"},
      {"Equal numbers and coordinates", "2\n1 0 0 0\n0 0 0\n1 0 0 0\n0 0 0\n",
       "I1 0 0 0/0 0 0 U; I1 0 0 0/0 0 0 U; L-1"},
      {"Tiny value reads zero", "0\n1\n1 1e-6000 -1e-99999 0\n", "D1 0 -0 0; L-1"},
      {"Byte-order mark at the start",
       "\xEF\xBB\xBF"
       "1\n1 1 2 3\n4 5 6\n0\n",
       "I1 1 2 3/4 5 6 U; L-1"},
      {"Byte-order mark through a pipe",
       "|\xEF\xBB\xBF"
       "0\n1\n5 1 2 3\n",
       "D5 1 2 3; L-1"}};
  for (const LoadCase& c : cases) {
    TSeznam s;
    EXPECT_TRUE(LoadText(s, c.content)) << c.name;
    EXPECT_EQ(Dump(s), c.expected) << c.name;
  }
}

// A first file whose leftovers a failed second load must keep.
const char* const kEarlierFile = "3\n1 1 1 1\n2 2 2\n2 3 3 3\n4 4 4\n3 5 5 5\n6 6 6\n1\n8 7 7 7\n";
const char* const kEarlierDump =
    "I1 1 1 1/2 2 2 U; I2 3 3 3/4 4 4 U; I3 5 5 5/6 6 6 U; D8 7 7 7; L-1";

TEST(LoadFromFileTest, FailureStopsAtTheFailingItemKeepingWhatWasRead) {
  // Point 1 left out (L1) and point 2 switched off before the failing load.
  const char* const untouched =
      "I1 1 1 1/2 2 2 U; I2 3 3 3/4 4 4 -; I3 5 5 5/6 6 6 -; D8 7 7 7; L1";
  const LoadCase cases[] = {
      {"Text count", "abc\n", untouched},
      {"Real count", "12.5\n", untouched},
      {"Negative count", "-1\n", untouched},
      {"Count beyond 32 bits", "2147483648\n", untouched},
      {"Huge count the file cannot hold", "2147483647", untouched},
      {"Huge count with short file", "1000000\n1 1 1 1\n2 2 2\n", untouched},
      {"Double sign", "+-1\n", untouched},
      {"Hex count", "0x2\n", untouched},
      {"Byte-order mark after a blank",
       " \xEF\xBB\xBF"
       "0\n",
       untouched},
      {"Two byte-order marks",
       "\xEF\xBB\xBF\xEF\xBB\xBF"
       "0\n",
       untouched},
      {"Decimal comma in second point", "2\n5 1 1 1\n2 2 2\n6 1,5 1 1\n0 0 0\n0\n",
       "I5 1 1 1/2 2 2 U; I6 3 3 3/4 4 4 -; D8 7 7 7; L1"},
      {"Bad source line of first point", "2\n5 1 1 1\n9 x 2\n",
       "I5 1 1 1/9 2 2 U; I2 3 3 3/4 4 4 -; D8 7 7 7; L1"},
      {"Bad source line of second point", "2\n5 1 1 1\n2 2 2\n6 1 1 1\n9 x 2\n",
       "I5 1 1 1/2 2 2 U; I6 1 1 1/9 4 4 -; D8 7 7 7; L1"},
      {"Real point number", "1\n5.0 1 1 1\n2 2 2\n", "I1 1 1 1/2 2 2 U; D8 7 7 7; L1"},
      {"Coordinate beyond range", "1\n5 1e5000 1 1\n2 2 2\n", "I5 1 1 1/2 2 2 U; D8 7 7 7; L1"},
      {"Infinity is no number", "1\n5 1 inf 1\n2 2 2\n", "I5 1 1 1/2 2 2 U; D8 7 7 7; L1"},
      {"Bare exponent", "1\n5 1 1 1\n2 2 2e\n", "I5 1 1 1/2 2 2 U; D8 7 7 7; L1"},
      {"Bad detail count", "1\n5 1 1 1\n2 2 2\nx\n", "I5 1 1 1/2 2 2 U; D8 7 7 7; L-1"},
      {"Negative detail count", "1\n5 1 1 1\n2 2 2\n-3\n", "I5 1 1 1/2 2 2 U; D8 7 7 7; L-1"},
      {"Huge detail count", "0\n2147483647\n", "D8 7 7 7; L-1"},
      {"Bad second detail point", "0\n3\n1 1 1 1\n2 1 1 ..\n", "D1 1 1 1; D2 1 1 0; D0 0 0 0; L-1"},
      {"Point number beyond 32 bits", "0\n1\n-2147483649 1 1 1\n", "D8 7 7 7; L-1"},
      // A file cut short inside a record, physically or at Ctrl-Z.
      {"Ctrl-Z inside a record",
       "1\n1 1 2\x1a"
       "3\n4 5 6\n",
       "I1 1 2 1/2 2 2 U; D8 7 7 7; L1"},
      {"End inside a record", "2\n1 1 2 3\n4 5",
       "I1 1 2 3/4 5 2 U; I2 3 3 3/4 4 4 -; D8 7 7 7; L1"},
      {"End before the last announced point", "4\n5 1 1 1\n2 2 2\n",
       "I5 1 1 1/2 2 2 U; I2 3 3 3/4 4 4 -; I3 5 5 5/6 6 6 -; I0 0 0 0/0 0 0 -; D8 7 7 7; L1"},
      {"End inside detail record", "0\n2\n7 1.5", "D7 1.5 7 7; D0 0 0 0; L-1"},
      {"End before the last detail point", "0\n3\n7 1 1 1\n", "D7 1 1 1; D0 0 0 0; D0 0 0 0; L-1"},
      // A huge count announced through a pipe keeps only what really came.
      {"Huge count through a pipe", "|1000000\n1 1 1 1\n2 2 2\n",
       "I1 1 1 1/2 2 2 U; I2 3 3 3/4 4 4 -; I3 5 5 5/6 6 6 -; D8 7 7 7; L1"},
      // A rest of line longer than any coordinate file holds.
      {"Endless rest of line", "1\n5 9 9 9 " + std::string(65u << 20, 'x'),
       "I5 9 9 9/2 2 2 U; D8 7 7 7; L1"}};
  for (const LoadCase& c : cases) {
    TSeznam s;
    ASSERT_TRUE(LoadText(s, kEarlierFile));
    s.IdenticalPoints[2].Used = false;  // switched off by the user
    s.LeaveOut(1);
    EXPECT_FALSE(LoadText(s, c.content)) << c.name;
    EXPECT_EQ(Dump(s), c.expected) << c.name;
  }
  // A missing file or a directory changes nothing and cannot be opened;
  // endless NUL bytes are read and wrong, and end soon.
  TSeznam s;
  ASSERT_TRUE(LoadText(s, kEarlierFile));
  const struct {
    std::string path;
    LoadStatus status;
    int error;
  } opened[] = {{::testing::TempDir() + "no_such_dir/none.txt", LoadStatus::CannotOpen, ENOENT},
                {::testing::TempDir(), LoadStatus::CannotOpen, EISDIR},
                {"/dev/zero", LoadStatus::WrongFormat, 0}};
  for (const auto& c : opened) {
    const LoadResult r = s.TryLoadFromFile(c.path);
    EXPECT_EQ(r.Status, c.status) << c.path;
    EXPECT_EQ(r.Error, c.error) << c.path;
    EXPECT_FALSE(s.LoadFromFile(c.path)) << c.path;
  }
  EXPECT_EQ(Dump(s), kEarlierDump);
}

TEST(LoadFromFileTest, SecondFileResizesAndKeepsOnlyWhatItMustKeep) {
  TSeznam s;
  ASSERT_TRUE(LoadText(s, kEarlierFile));
  s.IdenticalPoints[0].M0Without = 0.75L;
  s.IdenticalPoints[0].M0WithoutValid = true;
  s.IdenticalPoints[2].M0WithoutValid = true;
  s.IdenticalPoints[1].Used = false;
  s.LeaveOut(0);
  s.KeyValid = true;
  s.M0 = 0.5L;
  s.IterScale = 1.25L;
  s.RotationMatrix->Put(1, 1, 2.0L);
  ASSERT_TRUE(LoadText(s, "2\n9 0 0 0\n0 0 0\n9 1 1 1\n1 1 1\n"));
  EXPECT_EQ(Dump(s), "I9 0 0 0/0 0 0 U; I9 1 1 1/1 1 1 U; L-1");
  // Diagnostics of kept records and the key stay until the next computation.
  EXPECT_EQ(s.IdenticalPoints[0].M0Without, 0.75L);
  EXPECT_TRUE(s.IdenticalPoints[0].M0WithoutValid);
  EXPECT_TRUE(s.KeyValid);
  EXPECT_EQ(s.M0, 0.5L);
  EXPECT_EQ(s.IterScale, 1.25L);
  EXPECT_EQ(s.RotationMatrix->Get(1, 1), 2.0L);

  ASSERT_TRUE(LoadText(s, "4\n1 0 0 0\n0 0 0\n2 0 0 0\n0 0 0\n3 0 0 0\n0 0 0\n4 1 2 3\n0 0 0"));
  EXPECT_EQ(Dump(s), "I1 0 0 0/0 0 0 U; I2 0 0 0/0 0 0 U; I3 0 0 0/0 0 0 U; I4 1 2 3/0 0 0 U; L-1");
  EXPECT_FALSE(s.IdenticalPoints[2].M0WithoutValid);  // added record started from zero
  EXPECT_EQ(s.GetUsedCount(), 4);
}

TEST(LoadFromFileTest, PointIsTheDecimalSeparatorUnderACzechLocale) {
  if (std::setlocale(LC_ALL, "cs_CZ.UTF-8") == nullptr) GTEST_SKIP() << "no Czech locale";
  TSeznam s, other;
  const bool ok = LoadText(s, "1\n1 1.5 2.25 -0.125\n1e1 0.1 3\n");
  const bool commaOk = LoadText(other, "0\n1\n1 1,5 0 0\n");
  std::setlocale(LC_ALL, "C");
  EXPECT_TRUE(ok);
  EXPECT_FALSE(commaOk);
  ASSERT_EQ(s.GetIdenticalCount(), 1);
  const TIdentickyBod& p = s.IdenticalPoints[0];
  EXPECT_EQ((std::array{p.TargetX, p.TargetY, p.TargetZ, p.SourceX, p.SourceY}),
            (std::array{1.5L, 2.25L, -0.125L, 10.0L, 0.1L}));
}

// Every coordinate must be the correctly rounded extended value of its
// decimal text, whichever way the reader takes to get it.
TEST(LoadFromFileTest, CoordinatesAreCorrectlyRounded) {
  std::mt19937_64 rng(12345);
  std::vector<std::string> texts = {"0.1",
                                    "0.3",
                                    "1e-27",
                                    "1e27",
                                    "9.999999999999999999e-8",
                                    "123456789.123456789",
                                    "12345678901234567890",
                                    "1234567890123456789.5",
                                    "0.000000000000000000000000001",
                                    "4.9406564584124654e-324",
                                    "1.18973149535723176502e4932",
                                    "-742512.3456789e-12"};
  for (int i = 0; i < 3000; ++i) {
    std::string digits = std::to_string(rng() >> (rng() % 64));
    std::string exponent = "e";
    exponent += std::to_string(static_cast<int>(rng() % 80) - 40);
    const std::size_t point = rng() % 21;
    if (point < digits.size()) digits.insert(digits.size() - point, 1, '.');
    if (i % 2) digits += exponent;
    texts.push_back(digits);
  }
  std::string file = "0\n" + std::to_string(texts.size()) + "\n";
  for (const std::string& t : texts) file += "1 " + t + " 0 0\n";
  TSeznam s;
  ASSERT_TRUE(LoadText(s, file));
  ASSERT_EQ(s.GetDetailCount(), static_cast<int32_t>(texts.size()));
  for (std::size_t i = 0; i < texts.size(); ++i) {
    long double expected = 0;
    ASSERT_EQ(std::from_chars(texts[i].data(), texts[i].data() + texts[i].size(), expected).ec,
              std::errc())
        << texts[i];
    EXPECT_EQ(s.DetailPoints[i].X, expected) << texts[i];
  }
  EXPECT_EQ(s.DetailPoints[0].X, 0.1L);
}

TEST(LoadFromFileTest, LargeFileLoadsAcrossBlockBoundaries) {
  // Above the free allowance a count is accepted when the records are there;
  // the varying record lengths put every kind of token across block edges.
  const int n = 150000;
  std::string file = "0\r\n" + std::to_string(n) + "\r\n";
  for (int j = 0; j < n; ++j) {
    file += std::to_string(j) + " " + std::to_string(j) + ".5 -" + std::to_string(j % 977) +
            "e-2 " + std::string(j % 7, ' ') + std::to_string(j % 3) + (j % 5 ? " rest\r\n" : "\n");
  }
  ASSERT_GT(file.size(), 3u << 20);
  TSeznam s;
  ASSERT_TRUE(LoadText(s, file));
  ASSERT_EQ(s.GetDetailCount(), n);
  int wrong = 0;
  for (int j = 0; j < n; ++j) {
    const TPodrobnyBod& d = s.DetailPoints[static_cast<std::size_t>(j)];
    const Extended y = -static_cast<Extended>(j % 977) / 100;
    if (d.Name != std::to_string(j) || d.X != j + 0.5L || d.Y != y || d.Z != j % 3) ++wrong;
  }
  EXPECT_EQ(wrong, 0);
}

TEST(LoadFromFileTest, TokenLongerThanABlockAndLateCtrlZ) {
  std::string file = "1\n7 " + std::string(3u << 20, '0') + "1.5 2 3\n4 5 6\n";
  file.append(std::string(2u << 20, ' '))
      .append(
          "\x1a"
          "1\n1 1 1 1\n");
  TSeznam s;
  ASSERT_TRUE(LoadText(s, file));
  EXPECT_EQ(Dump(s), "I7 1.5 2 3/4 5 6 U; L-1");
}

}  // namespace
}  // namespace ternavo
