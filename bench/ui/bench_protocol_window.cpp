// Times TForm2::AppendProtocol with the detail-point section of 1,000,000
// points (about 53 MB of text) appended below a short protocol, the window
// shown: until the call returns and the section's first lines are painted,
// until every line is in (with the longest stretch the event loop did not
// turn), until the last lines are painted, and 20 scroll repaints. Run
// offscreen:
//
//   QT_QPA_PLATFORM=offscreen BUILD_DIR/bench_protocol_window [POINTS]
#include <QApplication>
#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextBlock>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <string>

#include "text/text_lines.h"
#include "ui/form2.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  const long points = argc > 1 ? std::stol(argv[1]) : 1000000;

  ternavo::TextLines head;
  for (int i = 0; i < 60; ++i) head.AppendLine("Protokol řádek " + std::to_string(i));
  ternavo::TextLines section;
  section.Reserve(static_cast<std::size_t>(points) + 3);
  section.AppendLine(std::string());
  section.AppendLine("Transformace podrobných bodů :");
  section.AppendLine("(C.B. X  Y  Z)");
  char line[96];
  for (long k = 0; k < points; ++k) {
    std::snprintf(line, sizeof line, "%ld.0  %.6f  %.6f  %.6f", 100001 + k,
                  1043000.0 + static_cast<double>(k % 1000) * 1.234567,
                  742000.0 + static_cast<double>(k % 700) * 0.987654,
                  210.0 + static_cast<double>(k % 60) * 0.5);
    section.AppendLine(line);
  }

  ternavo::TForm2 form;
  form.resize(800, 600);
  form.SetProtocol(head);
  form.show();
  app.processEvents();

  // The memo's block count once every line is in: the head's lines, the
  // section's lines and the empty block after the last line break.
  const int expectedBlocks = static_cast<int>(head.Count() + section.Count()) + 1;
  QScrollBar* const bar = form.Memo1->verticalScrollBar();

  QElapsedTimer timer;
  timer.start();
  form.AppendProtocol(section);
  const qint64 appended = timer.elapsed();
  // The section's first lines at the top of the memo, painted.
  bar->setValue(static_cast<int>(head.Count()));
  form.Memo1->viewport()->repaint();
  const qint64 firstShown = timer.elapsed();

  // The event loop runs until every line is in; a 0 ms timer records the
  // longest time between two of its turns.
  QElapsedTimer turn;
  qint64 longestGap = 0;
  QTimer probe;
  probe.setInterval(0);
  QObject::connect(&probe, &QTimer::timeout,
                   [&] { longestGap = std::max(longestGap, turn.restart()); });
  turn.start();
  probe.start();
  while (form.IsAppending()) app.processEvents(QEventLoop::AllEvents);
  probe.stop();
  longestGap = std::max(longestGap, turn.elapsed());
  const qint64 allIn = timer.elapsed();

  // Scroll to the end and paint, as a user looking at the last lines would.
  bar->setValue(bar->maximum());
  form.Memo1->viewport()->repaint();
  app.processEvents();
  const qint64 shown = timer.elapsed();
  timer.restart();
  for (int i = 0; i < 20; ++i) {
    bar->setValue(bar->maximum() * i / 20);
    form.Memo1->viewport()->repaint();
  }
  const qint64 scrolled = timer.elapsed();
  const int blocks = form.Memo1->document()->blockCount();
  std::printf(
      "points %ld: AppendProtocol %lld ms, first lines shown %lld ms, all lines in %lld ms "
      "(longest event-loop gap %lld ms), last lines shown %lld ms, 20 scroll repaints %lld ms, "
      "blocks %d%s\n",
      points, static_cast<long long>(appended), static_cast<long long>(firstShown),
      static_cast<long long>(allIn), static_cast<long long>(longestGap),
      static_cast<long long>(shown), static_cast<long long>(scrolled), blocks,
      blocks == expectedBlocks ? "" : " (WRONG)");
  return blocks == expectedBlocks ? 0 : 1;
}
