#include <gtest/gtest.h>

#include <cctype>
#include <charconv>
#include <clocale>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <initializer_list>
#include <random>
#include <string>
#include <unistd.h>

#include "adjustment/seznam.h"

namespace ternavo {
namespace {

using namespace std::string_literals;

std::string WriteTemp(const std::string& content) {
  static int counter = 0;
  const std::string path = ::testing::TempDir() + "ternavo_reader_" +
                           std::to_string(::getpid()) + "_" + std::to_string(counter++) + ".txt";
  std::ofstream out(path, std::ios::binary);
  out << content;
  return path;
}

std::string Num(Extended v) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.19Lg", v);
  return buf;
}

// The whole list in one line: identical points "number target/source U|-",
// detail points "number x y z", then the left-out index.
std::string Dump(const TSeznam& s) {
  std::string out;
  auto put = [&out](std::initializer_list<std::string> parts) {
    for (const std::string& part : parts) out += part;
  };
  for (const TIdentickyBod& p : s.IdenticalPoints) {
    put({"I", std::to_string(p.Number), " ", Num(p.TargetX), " ", Num(p.TargetY), " ",
         Num(p.TargetZ), "/", Num(p.SourceX), " ", Num(p.SourceY), " ", Num(p.SourceZ),
         p.Used ? " U; " : " -; "});
  }
  for (const TPodrobnyBod& d : s.DetailPoints) {
    put({"D", std::to_string(d.Number), " ", Num(d.X), " ", Num(d.Y), " ", Num(d.Z), "; "});
  }
  put({"L", std::to_string(s.LeftOutIndex)});
  return out;
}

bool LoadText(TSeznam& s, const std::string& content) {
  const std::string path = WriteTemp(content);
  const bool ok = s.LoadFromFile(path);
  std::remove(path.c_str());
  return ok;
}

struct LoadCase {
  const char* name;
  std::string content;
  const char* expected;  // Dump after a successful load
};

class LoadFromFileTest : public ::testing::TestWithParam<LoadCase> {};

TEST_P(LoadFromFileTest, ReadsTheFile) {
  const LoadCase& c = GetParam();
  TSeznam s;
  ASSERT_TRUE(LoadText(s, c.content)) << c.name;
  EXPECT_EQ(Dump(s), c.expected) << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    Lexical, LoadFromFileTest,
    ::testing::Values(
        LoadCase{"CrLf",
                 "2\r\n1 10 20 30\r\n11 21 31\r\n2 40 50 60\r\n41 51 61\r\n1\r\n9 1 2 3\r\n",
                 "I1 10 20 30/11 21 31 U; I2 40 50 60/41 51 61 U; D9 1 2 3; L-1"},
        LoadCase{"Empty lists", "0\n0\n", "L-1"},
        LoadCase{"Empty file", "", "L-1"},
        LoadCase{"No detail count", "1\n1 1 2 3\n4 5 6\n", "I1 1 2 3/4 5 6 U; L-1"},
        LoadCase{"Rest of line ignored",
                 "1 identical\n1 1 2 3 99 remark\n4 5 6 7.7 x\n1 detail\n5 1 2 3 4th\n",
                 "I1 1 2 3/4 5 6 U; D5 1 2 3; L-1"},
        LoadCase{"Split record", "1\n1 1\n2 3 junk\n4\n5 6\n0\n", "I1 1 2 3/4 5 6 U; L-1"},
        LoadCase{"Blank lines and indents", "\n\n  1\n\n\t 1 1 2 3\n\n   4 5 6\n\n0",
                 "I1 1 2 3/4 5 6 U; L-1"},
        LoadCase{"Lone CR does not end a line",
                 "1\n1 1 2 3\r9 9 9\n4 5 6\n0\n", "I1 1 2 3/4 5 6 U; L-1"},
        LoadCase{"Control characters separate", "1\x01\n1\x0b" "1\x0c" "2\x1f" "3\n4\x00" "5 6\n"s,
                 "I1 1 2 3/4 5 6 U; L-1"},
        LoadCase{"Ctrl-Z ends the file", "1\n1 1 2 3\n4 5 6\n\x1a" "1\n5 1 2 3\n",
                 "I1 1 2 3/4 5 6 U; L-1"},
        LoadCase{"Ctrl-Z inside a record", "1\n1 1 2\x1a" "3\n4 5 6\n", "I1 1 2 0/0 0 0 U; L-1"},
        LoadCase{"End inside a record fills zeros", "2\n1 1 2 3\n4 5", "I1 1 2 3/4 5 0 U; I0 0 0 0/0 0 0 U; L-1"},
        LoadCase{"End inside detail record", "0\n2\n7 1.5", "D7 1.5 0 0; D0 0 0 0; L-1"},
        LoadCase{"Real notations", "1\n1 1.5 15E-1 +1.5\n15e-1 -1.5 .5\n0\n",
                 "I1 1.5 1.5 1.5/1.5 -1.5 0.5 U; L-1"},
        LoadCase{"Exponents", "1\n-3 1e3 2.5E+2 -1E-2\n0 -0.0 5.\n",
                 "I-3 1000 250 -0.01/0 -0 5 U; L-1"},
        LoadCase{"Integer limits", "1\n-2147483648 0 0 0\n0 0 0\n1\n+2147483647 0 0 0\n",
                 "I-2147483648 0 0 0/0 0 0 U; D2147483647 0 0 0; L-1"},
        LoadCase{"Signed and padded counts", "+1\n007 1 2 3\n4 5 6\n+0001\n-5 1 2 3\n",
                 "I7 1 2 3/4 5 6 U; D-5 1 2 3; L-1"},
        LoadCase{"Equal numbers and coordinates", "2\n1 0 0 0\n0 0 0\n1 0 0 0\n0 0 0\n",
                 "I1 0 0 0/0 0 0 U; I1 0 0 0/0 0 0 U; L-1"},
        LoadCase{"Tiny value reads zero", "0\n1\n1 1e-6000 -1e-99999 0\n", "D1 0 -0 0; L-1"}),
    [](const auto& info) {
      std::string n = info.param.name;
      for (char& ch : n)
        if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
      return n;
    });

// A first file whose leftovers a failed second load must keep.
const char* const kEarlierFile =
    "3\n1 1 1 1\n2 2 2\n2 3 3 3\n4 4 4\n3 5 5 5\n6 6 6\n1\n8 7 7 7\n";
const char* const kEarlierDump =
    "I1 1 1 1/2 2 2 U; I2 3 3 3/4 4 4 U; I3 5 5 5/6 6 6 U; D8 7 7 7; L-1";

struct FailCase {
  const char* name;
  std::string content;
  const char* expected;  // Dump after the failed load over kEarlierFile with point 2 off
};

class LoadFailureTest : public ::testing::TestWithParam<FailCase> {};

TEST_P(LoadFailureTest, StopsAtTheFailingItemKeepingWhatWasRead) {
  const FailCase& c = GetParam();
  TSeznam s;
  ASSERT_TRUE(LoadText(s, kEarlierFile));
  ASSERT_EQ(Dump(s), kEarlierDump);
  s.IdenticalPoints[2].Used = false;  // switched off by the user
  s.LeaveOut(1);
  EXPECT_FALSE(LoadText(s, c.content)) << c.name;
  EXPECT_EQ(Dump(s), c.expected) << c.name;
}

// Point 1 left out (L1) and point 2 switched off before the failing load.
const char* const kUntouched =
    "I1 1 1 1/2 2 2 U; I2 3 3 3/4 4 4 -; I3 5 5 5/6 6 6 -; D8 7 7 7; L1";

INSTANTIATE_TEST_SUITE_P(
    Failures, LoadFailureTest,
    ::testing::Values(
        FailCase{"Text count", "abc\n", kUntouched},
        FailCase{"Real count", "12.5\n", kUntouched},
        FailCase{"Negative count", "-1\n", kUntouched},
        FailCase{"Count beyond 32 bits", "2147483648\n", kUntouched},
        FailCase{"Count the file cannot hold", "2147483647", kUntouched},
        FailCase{"Huge count with short file", "1000000\n1 1 1 1\n2 2 2\n", kUntouched},
        FailCase{"Double sign", "+-1\n", kUntouched},
        FailCase{"Hex count", "0x2\n", kUntouched},
        FailCase{"Decimal comma in second point",
                 "2\n5 1 1 1\n2 2 2\n6 1,5 1 1\n0 0 0\n0\n",
                 "I5 1 1 1/2 2 2 U; I6 3 3 3/4 4 4 -; D8 7 7 7; L1"},
        FailCase{"Bad source line of first point", "2\n5 1 1 1\n9 x 2\n",
                 "I5 1 1 1/9 2 2 U; I2 3 3 3/4 4 4 -; D8 7 7 7; L1"},
        FailCase{"Bad source line of second point", "2\n5 1 1 1\n2 2 2\n6 1 1 1\n9 x 2\n",
                 "I5 1 1 1/2 2 2 U; I6 1 1 1/9 4 4 -; D8 7 7 7; L1"},
        FailCase{"Real point number", "1\n5.0 1 1 1\n2 2 2\n",
                 "I1 1 1 1/2 2 2 U; D8 7 7 7; L1"},
        FailCase{"Coordinate beyond range", "1\n5 1e5000 1 1\n2 2 2\n",
                 "I5 1 1 1/2 2 2 U; D8 7 7 7; L1"},
        FailCase{"Infinity is no number", "1\n5 1 inf 1\n2 2 2\n",
                 "I5 1 1 1/2 2 2 U; D8 7 7 7; L1"},
        FailCase{"Bare exponent", "1\n5 1 1 1\n2 2 2e\n",
                 "I5 1 1 1/2 2 2 U; D8 7 7 7; L1"},
        FailCase{"Bad detail count", "1\n5 1 1 1\n2 2 2\nx\n",
                 "I5 1 1 1/2 2 2 U; D8 7 7 7; L-1"},
        FailCase{"Negative detail count", "1\n5 1 1 1\n2 2 2\n-3\n",
                 "I5 1 1 1/2 2 2 U; D8 7 7 7; L-1"},
        FailCase{"Huge detail count", "0\n2147483647\n", "D8 7 7 7; L-1"},
        FailCase{"Bad second detail point", "0\n3\n1 1 1 1\n2 1 1 ..\n",
                 "D1 1 1 1; D2 1 1 0; D0 0 0 0; L-1"},
        FailCase{"Point number beyond 32 bits", "0\n1\n-2147483649 1 1 1\n",
                 "D8 7 7 7; L-1"}),
    [](const auto& info) {
      std::string n = info.param.name;
      for (char& ch : n)
        if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
      return n;
    });

TEST(LoadFromFileStateTest, MissingFileChangesNothing) {
  TSeznam s;
  ASSERT_TRUE(LoadText(s, kEarlierFile));
  EXPECT_FALSE(s.LoadFromFile(::testing::TempDir() + "no_such_dir/none.txt"));
  EXPECT_FALSE(s.LoadFromFile(::testing::TempDir()));  // a directory
  EXPECT_EQ(Dump(s), kEarlierDump);
}

TEST(LoadFromFileStateTest, SecondFileResizesAndKeepsOnlyWhatItMustKeep) {
  TSeznam s;
  ASSERT_TRUE(LoadText(s, kEarlierFile));
  s.IdenticalPoints[0].M0Without = 0.75L;
  s.IdenticalPoints[0].M0WithoutValid = true;
  s.IdenticalPoints[2].M0WithoutValid = true;
  s.IdenticalPoints[1].Used = false;
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

  ASSERT_TRUE(LoadText(s, "4\n1 0 0 0\n0 0 0\n2 0 0 0\n0 0 0\n3 0 0 0\n0 0 0\n4 1 2 3\n"));
  ASSERT_EQ(s.GetIdenticalCount(), 4);
  EXPECT_EQ(Dump(s), "I1 0 0 0/0 0 0 U; I2 0 0 0/0 0 0 U; I3 0 0 0/0 0 0 U; "
                     "I4 1 2 3/0 0 0 U; L-1");
  EXPECT_FALSE(s.IdenticalPoints[2].M0WithoutValid);  // added record started from zero
  EXPECT_EQ(s.GetUsedCount(), 4);
}

TEST(LoadFromFileStateTest, LoadAfterLeaveOutUsesEveryPoint) {
  TSeznam s;
  ASSERT_TRUE(LoadText(s, kEarlierFile));
  s.LeaveOut(2);
  ASSERT_TRUE(LoadText(s, kEarlierFile));
  EXPECT_EQ(s.LeftOutIndex, -1);
  EXPECT_EQ(s.GetUsedCount(), 3);
}

TEST(LoadFromFileLocaleTest, PointIsTheDecimalSeparatorUnderACzechLocale) {
  if (std::setlocale(LC_ALL, "cs_CZ.UTF-8") == nullptr) GTEST_SKIP() << "no Czech locale";
  TSeznam s;
  const bool ok = LoadText(s, "1\n1 1.5 2.25 -0.125\n1e1 0.1 3\n");
  TSeznam other;
  const bool commaOk = LoadText(other, "0\n1\n1 1,5 0 0\n");
  std::setlocale(LC_ALL, "C");
  ASSERT_TRUE(ok);
  EXPECT_FALSE(commaOk);
  ASSERT_EQ(s.GetIdenticalCount(), 1);
  EXPECT_EQ(s.IdenticalPoints[0].TargetX, 1.5L);
  EXPECT_EQ(s.IdenticalPoints[0].TargetY, 2.25L);
  EXPECT_EQ(s.IdenticalPoints[0].TargetZ, -0.125L);
  EXPECT_EQ(s.IdenticalPoints[0].SourceX, 10.0L);
  EXPECT_EQ(s.IdenticalPoints[0].SourceY, 0.1L);
}

// Every coordinate must be the correctly rounded extended value of its
// decimal text, whichever way the reader takes to get it.
TEST(LoadFromFilePrecisionTest, CoordinatesAreCorrectlyRounded) {
  std::mt19937_64 rng(12345);
  std::vector<std::string> texts = {"0.1", "0.3", "1e-27", "1e27", "9.999999999999999999e-8",
                                    "123456789.123456789", "12345678901234567890",
                                    "1234567890123456789.5", "0.000000000000000000000000001",
                                    "4.9406564584124654e-324", "1.18973149535723176502e4932",
                                    "-742512.3456789e-12"};
  for (int i = 0; i < 3000; ++i) {
    const uint64_t mant = rng() >> (rng() % 64);
    const int exp = static_cast<int>(rng() % 80) - 40;
    const int point = static_cast<int>(rng() % 21);
    std::string digits = std::to_string(mant);
    if (point < static_cast<int>(digits.size())) {
      digits.insert(digits.begin() + static_cast<std::ptrdiff_t>(digits.size()) - point, '.');
    }
    if (i % 2) digits.append("e").append(std::to_string(exp));
    texts.push_back(digits);
  }
  std::string file = "0\n" + std::to_string(texts.size()) + "\n";
  for (std::size_t i = 0; i < texts.size(); ++i) file += "1 " + texts[i] + " 0 0\n";
  TSeznam s;
  ASSERT_TRUE(LoadText(s, file));
  ASSERT_EQ(s.GetDetailCount(), static_cast<int32_t>(texts.size()));
  for (std::size_t i = 0; i < texts.size(); ++i) {
    const std::string& t = texts[i];
    long double expected = 0;
    const bool negative = t[0] == '-';
    const char* b = t.data() + (negative ? 1 : 0);
    auto r = std::from_chars(b, t.data() + t.size(), expected);
    ASSERT_EQ(r.ec, std::errc()) << t;
    if (negative) expected = -expected;
    EXPECT_EQ(s.DetailPoints[i].X, expected) << t;
  }
  EXPECT_EQ(s.DetailPoints[0].X, 0.1L);
}

TEST(LoadFromFileLimitTest, HugeCountFailsQuickly) {
  TSeznam s;
  // Refused before anything is resized: no list grows to the claimed count.
  EXPECT_FALSE(LoadText(s, "2147483647"));
  EXPECT_EQ(s.GetIdenticalCount(), 0);
  EXPECT_FALSE(LoadText(s, "0\n2147483647\n1 2 3 4\n"));
  EXPECT_EQ(s.GetDetailCount(), 0);
  // Still usable afterwards.
  EXPECT_TRUE(LoadText(s, kEarlierFile));
  EXPECT_EQ(Dump(s), kEarlierDump);
}

TEST(LoadFromFileLimitTest, LargeFileLoadsAcrossBlockBoundaries) {
  // Above the free allowance a count is accepted when the records are there;
  // the varying record lengths put every kind of token across block edges.
  const int n = 150000;
  std::string file = "0\r\n" + std::to_string(n) + "\r\n";
  for (int j = 0; j < n; ++j) {
    file.append(std::to_string(j)).append(" ").append(std::to_string(j)).append(".5 -");
    file.append(std::to_string(j % 977)).append("e-2 ").append(std::string(j % 7, ' '));
    file.append(std::to_string(j % 3)).append(j % 5 ? " rest\r\n" : "\n");
  }
  ASSERT_GT(file.size(), 3u << 20);
  TSeznam s;
  ASSERT_TRUE(LoadText(s, file));
  ASSERT_EQ(s.GetDetailCount(), n);
  int wrong = 0;
  for (int j = 0; j < n; ++j) {
    const TPodrobnyBod& d = s.DetailPoints[static_cast<std::size_t>(j)];
    const Extended y = -static_cast<Extended>(j % 977) / 100;
    if (d.Number != j || d.X != j + 0.5L || d.Y != y || d.Z != j % 3) ++wrong;
  }
  EXPECT_EQ(wrong, 0);
}

TEST(LoadFromFileLimitTest, TokenLongerThanABlockAndLateCtrlZ) {
  std::string file = "1\n7 " + std::string(3u << 20, '0') + "1.5 2 3\n4 5 6\n";
  file.append(std::string(2u << 20, ' ')).append("\x1a" "1\n1 1 1 1\n");
  TSeznam s;
  ASSERT_TRUE(LoadText(s, file));
  EXPECT_EQ(Dump(s), "I7 1.5 2 3/4 5 6 U; L-1");
}

}  // namespace
}  // namespace ternavo
