// Times TForm2::AppendProtocol with the detail-point section of 1,000,000
// points (about 53 MB of text) appended below a short protocol, the window
// shown, until the appended lines are painted. Run offscreen:
//
//   QT_QPA_PLATFORM=offscreen BUILD_DIR/bench_protocol_window [POINTS]
#include <QApplication>
#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextBlock>
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

  QElapsedTimer timer;
  timer.start();
  form.AppendProtocol(section);
  const qint64 appended = timer.elapsed();
  // Scroll to the end and paint, as a user looking at the new lines would.
  form.Memo1->verticalScrollBar()->setValue(form.Memo1->verticalScrollBar()->maximum());
  form.Memo1->viewport()->repaint();
  app.processEvents();
  const qint64 shown = timer.elapsed();
  timer.restart();
  for (int i = 0; i < 20; ++i) {
    form.Memo1->verticalScrollBar()->setValue(form.Memo1->verticalScrollBar()->maximum() * i / 20);
    form.Memo1->viewport()->repaint();
  }
  const qint64 scrolled = timer.elapsed();
  std::printf(
      "points %ld: AppendProtocol %lld ms, shown %lld ms, 20 scroll repaints %lld ms, "
      "blocks %d\n",
      points, static_cast<long long>(appended), static_cast<long long>(shown),
      static_cast<long long>(scrolled), form.Memo1->document()->blockCount());
  return 0;
}
