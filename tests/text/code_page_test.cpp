#include "text/code_page.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

namespace ternavo {
namespace {

TEST(CodePage, CzechLettersBothCases) {
  // Each letter with its Windows-1250 byte.
  const std::string lower = "áčďéěíňóřšťúůýž";
  const std::string upper = "ÁČĎÉĚÍŇÓŘŠŤÚŮÝŽ";
  EXPECT_EQ(Utf8ToWindows1250(lower),
            "\xE1\xE8\xEF\xE9\xEC\xED\xF2\xF3\xF8\x9A\x9D\xFA\xF9\xFD\x9E");
  EXPECT_EQ(Utf8ToWindows1250(upper),
            "\xC1\xC8\xCF\xC9\xCC\xCD\xD2\xD3\xD8\x8A\x8D\xDA\xD9\xDD\x8E");
}

TEST(CodePage, OtherCharacters) {
  struct Case {
    const char* utf8;
    std::string expected;
  } cases[] = {
      {"Poměr m(0){n-1} = 1.5\t", "Pom\xECr m(0){n-1} = 1.5\t"},
      {"€ § ° ł Ľ ö ß", "\x80 \xA7 \xB0 \xB3 \xBC \xF6 \xDF"},
      // Outside the code page: one '?' per character, whatever its length.
      {"a漢b", "a?b"},
      {"x😀y", "x?y"},
      {"Ωñ", "??"},
      {"bad \xFF byte", "bad ? byte"},
      {"", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(Utf8ToWindows1250(c.utf8), c.expected) << c.utf8;
}

TEST(CodePage, ProtocolFileLineEnds) {
  struct Case {
    const char* text;
    const char* expected;
  } cases[] = {
      {"", ""},
      {"Bod\n", "Bod\r\n"},
      {"a\nb", "a\r\nb"},  // no line end added
      {"a\r\nb\n", "a\r\nb\r\n"},
      {"\n\n", "\r\n\r\n"},
      {"\r\n\n", "\r\n\r\n"},
      {"a\rb\r\r\n", "a\rb\r\r\n"},
      {"Klíč\nPoužít\n", "Kl\xED\xE8\r\nPou\x9E\xEDt\r\n"},
  };
  for (const Case& c : cases) EXPECT_EQ(EncodeProtocolFile(c.text), c.expected);
}

TEST(CodePage, LargeProtocolFile) {
  const std::string line = "     1234     -743210.123457    -1042345.678901       234.567890 ř\n";
  std::string text;
  const int lines = 640000;  // about 43 MB
  text.reserve(line.size() * lines);
  for (int i = 0; i < lines; ++i) text += line;

  const auto start = std::chrono::steady_clock::now();
  const std::string bytes = EncodeProtocolFile(text);
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();

  // Every line: one byte fewer for ř, one more for CR.
  ASSERT_EQ(bytes.size(), text.size());
  EXPECT_EQ(bytes.substr(bytes.size() - 4), " \xF8\r\n");
  EXPECT_EQ(bytes.substr(line.size() - 3, 4), "\xF8\r\n ");
  EXPECT_LT(seconds, 3.0);  // generous: catches quadratic work, not speed
}

}  // namespace
}  // namespace ternavo
