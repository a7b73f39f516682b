// The protocol window: the protocol text, editable on request, saved as a
// Windows-1250 text file.
#pragma once

#include <string>

#include <QWidget>

#include "text/text_lines.h"

class QButtonGroup;
class QPlainTextEdit;
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

  // Replaces the memo's text by the lines.
  void SetProtocol(const TextLines& lines);
  // Appends the lines below whatever the memo holds (edits included).
  void AppendProtocol(const TextLines& lines);
  // The memo's whole text, one '\n' after every line that has one.
  QString ProtocolText() const;
  // Shows the window without blocking and brings it to the front.
  void ShowWithoutBlocking();
  // The coordinate file the protocol comes from: a save never overwrites it.
  void SetCoordinateFile(const std::string& path) { coordinateFile_ = path; }

  QToolBar* ToolBar1 = nullptr;
  QToolButton* ToolButton1 = nullptr;
  QWidget* ToolButton3 = nullptr;
  QToolButton* ToolButton2 = nullptr;
  QToolButton* ToolButton4 = nullptr;
  QPlainTextEdit* Memo1 = nullptr;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  QButtonGroup* editGroup_ = nullptr;
  bool centred_ = false;
  std::string coordinateFile_;
};

// Filter and default suffix of the save dialog.
extern const char* const kProtocolFileFilter;  // "*.txt (*.txt)"
extern const char* const kProtocolFileSuffix;  // "txt"

// Writes the text as a protocol file (Windows-1250, CR LF) by the one save
// policy (app/protocol_saver.h); `keep` names the coordinate file, which is
// never overwritten. Throws std::runtime_error with a text for the user when
// it fails; the file that was there before is then left as it was.
void SaveProtocolFile(const QString& path, const QString& text, const std::string& keep = {});

// The protocol window (set while it exists).
extern TForm2* Form2;

}  // namespace ternavo
