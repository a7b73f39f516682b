#include "text/text_lines.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "numeric/notice.h"
#include "text/code_page.h"

namespace ternavo {
namespace {

TEST(CodePage, Windows1250Bytes) {
  const std::pair<const char*, std::string> cases[] = {
      {"áčďéěíňóřšťúůýž", "\xE1\xE8\xEF\xE9\xEC\xED\xF2\xF3\xF8\x9A\x9D\xFA\xF9\xFD\x9E"},
      {"ÁČĎÉĚÍŇÓŘŠŤÚŮÝŽ", "\xC1\xC8\xCF\xC9\xCC\xCD\xD2\xD3\xD8\x8A\x8D\xDA\xD9\xDD\x8E"},
      {"m(0){n-1} = 1.5\t€ § ° ł Ľ ö ß", "m(0){n-1} = 1.5\t\x80 \xA7 \xB0 \xB3 \xBC \xF6 \xDF"},
      // Outside the code page: one '?' per character, whatever its length.
      {"a漢b😀Ωñ", "a?b???"},
      {"bad \xFF byte", "bad ? byte"},
  };
  for (const auto& [utf8, expected] : cases) EXPECT_EQ(Utf8ToWindows1250(utf8), expected) << utf8;
}

TEST(CodePage, ProtocolFileLineEnds) {
  const std::pair<const char*, const char*> cases[] = {
      {"", ""},
      {"a\nb", "a\r\nb"},  // no line end added
      {"a\r\nb\n", "a\r\nb\r\n"},
      {"\r\n\n", "\r\n\r\n"},
      {"a\rb\r\r\n", "a\rb\r\r\n"},
      {"Klíč\nPoužít\n", "Kl\xED\xE8\r\nPou\x9E\xEDt\r\n"},
  };
  for (const auto& [text, expected] : cases) EXPECT_EQ(EncodeProtocolFile(text), expected);
}

TEST(TextLines, TextEndsEveryLine) {
  TextLines lines;
  EXPECT_EQ(lines.Text(), "");
  lines.AppendLine("Klíč");
  lines.AppendLine("");
  lines.AppendLine("m0 = 0,0012");
  EXPECT_EQ(lines.Text(), "Klíč\n\nm0 = 0,0012\n");
  lines.Clear();
  EXPECT_EQ(lines.Count(), 0u);
}

TEST(CellGrid, RowsGrowEmptyAndShrinkDroppingCells) {
  CellGrid grid(4);
  grid.SetRowCount(3);
  grid.SetCell(3, 2, "Ano");
  grid.SetCell(0, 1, "12");
  EXPECT_EQ(grid.Cell(3, 2), "Ano");
  grid.SetRowCount(2);
  grid.SetRowCount(3);
  EXPECT_EQ(grid.Cell(3, 2), "");  // the dropped row comes back empty
  EXPECT_EQ(grid.Cell(0, 1), "12");
  EXPECT_THROW(grid.SetCell(4, 0, "x"), std::out_of_range);
  EXPECT_THROW(grid.SetCell(0, 3, "x"), std::out_of_range);
  EXPECT_THROW(grid.Cell(-1, 0), std::out_of_range);
  EXPECT_THROW(grid.SetRowCount(-1), std::out_of_range);
}

TEST(Notice, CaptureCollectsInOrderAndReplaysToTheHook) {
  NoticeRecorder recorder;
  ShowNotice("první");
  {
    NoticeCapture capture;
    ShowNotice("druhá");
    {
      NoticeCapture inner;
      ShowNotice("třetí");
      inner.Replay();  // goes to the enclosing capture
    }
    ShowNotice("čtvrtá");
    EXPECT_EQ(recorder.Texts(), std::vector<std::string>{"první"});
    EXPECT_EQ(capture.Texts(), (std::vector<std::string>{"druhá", "třetí", "čtvrtá"}));
    capture.Replay();
    EXPECT_TRUE(capture.Texts().empty());
  }
  EXPECT_EQ(recorder.Texts(), (std::vector<std::string>{"první", "druhá", "třetí", "čtvrtá"}));
}

}  // namespace
}  // namespace ternavo
