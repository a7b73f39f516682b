#include "text/text_lines.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "text/code_page.h"
#include "text/notice.h"

namespace ternavo {
namespace {

TEST(TextLines, TextEndsEveryLineAndSavesWithCrLf) {
  TextLines lines;
  EXPECT_EQ(lines.Text(), "");
  lines.AppendLine("Klíč");
  lines.AppendLine("");
  lines.AppendLine("m0 = 0,0012");
  EXPECT_EQ(lines.Text(), "Klíč\n\nm0 = 0,0012\n");
  EXPECT_EQ(EncodeProtocolFile(lines.Text()), "Kl\xED\xE8\r\n\r\nm0 = 0,0012\r\n");
  lines.Clear();
  lines.AppendLine("Výpočet neproveden.");
  ASSERT_EQ(lines.Count(), 1u);
  EXPECT_EQ(lines.Text(), "Výpočet neproveden.\n");
}

TEST(CellGrid, RowsGrowEmptyAndShrinkDroppingCells) {
  CellGrid grid(4);
  grid.SetRowCount(3);
  grid.SetCell(3, 2, "Ano");
  grid.SetCell(0, 1, "12");
  EXPECT_EQ(grid.Cell(3, 2), "Ano");
  EXPECT_EQ(grid.Cell(2, 3 - 1), "");
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
      EXPECT_EQ(inner.Texts(), std::vector<std::string>{"třetí"});
      inner.Replay();  // goes to the enclosing capture
    }
    ShowNotice("čtvrtá");
    EXPECT_EQ(recorder.Texts(), std::vector<std::string>{"první"});
    EXPECT_EQ(capture.Texts(), (std::vector<std::string>{"druhá", "třetí", "čtvrtá"}));
    capture.Replay();
    EXPECT_TRUE(capture.Texts().empty());
  }
  EXPECT_EQ(recorder.Texts(),
            (std::vector<std::string>{"první", "druhá", "třetí", "čtvrtá"}));
}

}  // namespace
}  // namespace ternavo
