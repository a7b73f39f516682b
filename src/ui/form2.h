// The protocol window: the protocol text, editable on request, saved as a
// Windows-1250 text file.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include <QCursor>
#include <QWidget>

#include "text/text_lines.h"

class QButtonGroup;
class QPagedPaintDevice;
class QPlainTextEdit;
class QStatusBar;
class QTimer;
class QToolBar;
class QToolButton;

namespace ternavo {

class TForm2 : public QWidget {
  Q_OBJECT

 public:
  explicit TForm2(QWidget* parent = nullptr);

  // Handlers; the sender is ignored.
  void ToolButton1Click(QObject* sender);
  void ToolButton2Click(QObject* sender);
  void ToolButton4Click(QObject* sender);
  // "Tisk": the print dialog, then the text in a fixed-width font with page numbers.
  void PrintButtonClick(QObject* sender);
  // "PDF": the same pages into a PDF file.
  void PdfButtonClick(QObject* sender);

  // The protocol's pages as printed: monospace, page numbers at the foot.
  void PrintProtocol(QPagedPaintDevice& device) const;

  // Replaces the memo's text by the lines.
  void SetProtocol(const TextLines& lines);
  // Appends the lines below whatever the memo holds (edits included). Up to
  // kSynchronousAppendLines lines go in at once; a longer text goes in slices
  // from the event loop (the first one at once), so the window keeps painting
  // and scrolling meanwhile. In edit mode everything goes in at once.
  void AppendProtocol(const TextLines& lines);
  // Puts every line still waiting to be appended into the memo now.
  void FinishAppending();
  // Lines are still waiting to be appended.
  bool IsAppending() const { return pendingFrom_ < pending_.size(); }
  // The whole text, lines still waiting included, one '\n' after every line
  // that has one.
  QString ProtocolText() const;
  // Shows the window without blocking and brings it to the front.
  void ShowWithoutBlocking();
  // The coordinate file the protocol comes from: a save never overwrites it,
  // and the save dialog proposes "<name>_protokol.txt" beside it.
  // The files the points came from: the protocol's name is proposed after the
  // first, and no save overwrites one of them.
  void SetInputFiles(std::vector<std::string> files) { inputFiles_ = std::move(files); }
  // A line in the status line below the text (cleared by the next protocol).
  void ShowStatus(const QString& text);
  QString StatusText() const;
  // Size and place from the settings; false when there were none.
  bool RestoreSize(const QByteArray& geometry);
  // The name the save dialog proposes (empty without a coordinate file).
  QString ProposedFileName() const;
  // The user changed the text since it was written or saved.
  bool HasUnsavedEdits() const;
  // True when the text may be replaced: it holds no unsaved edits, or the
  // user agreed to discard them.
  bool ConfirmDiscardEdits(QWidget* parent);

  QToolBar* ToolBar1 = nullptr;
  QToolButton* ToolButton1 = nullptr;
  QWidget* ToolButton3 = nullptr;
  QToolButton* ToolButton2 = nullptr;
  QToolButton* ToolButton4 = nullptr;
  QToolButton* PrintButton = nullptr;
  QToolButton* PdfButton = nullptr;
  QPlainTextEdit* Memo1 = nullptr;
  QStatusBar* StatusBar1 = nullptr;

  // Longest text (in lines) that is appended in one piece.
  static constexpr std::size_t kSynchronousAppendLines = 20000;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  // Inserts waiting lines, whole lines a chunk at a time, until none is left
  // or `budgetMs` is spent (negative: no limit).
  void InsertPending(qint64 budgetMs, bool lineBreakFirst = false);
  void DropPending();

  QButtonGroup* editGroup_ = nullptr;
  // UTF-8 text still to be appended: pending_ from byte pendingFrom_ on,
  // always whole lines.
  std::string pending_;
  std::size_t pendingFrom_ = 0;
  QTimer* appendTimer_ = nullptr;
  // The memo's cursor before it showed the busy one.
  QCursor idleCursor_;
  bool idleCursorSet_ = false;
  bool busyCursorShown_ = false;
  bool centred_ = false;
  std::vector<std::string> inputFiles_;
};

// Filter and default suffix of the save dialog.
extern const char* const kProtocolFileFilter;  // "*.txt (*.txt)"
extern const char* const kProtocolFileSuffix;  // "txt"

// Writes the protocol's pages as a PDF file (through a temporary file: an
// existing file stays as it was when writing fails, which throws
// std::runtime_error with a text for the user).
void SaveProtocolPdf(const QString& path, const TForm2& protocol);

// Writes the text as a protocol file (Windows-1250, CR LF) by the one save
// policy (app/protocol_saver.h); `keep` names the coordinate file, which is
// never overwritten. Throws std::runtime_error with a text for the user when
// it fails; the file that was there before is then left as it was.
void SaveProtocolFile(const QString& path, const QString& text,
                      const std::vector<std::string>& keep = {});

// The protocol window (set while it exists).
extern TForm2* Form2;

}  // namespace ternavo
