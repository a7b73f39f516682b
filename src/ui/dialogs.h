// Modal message boxes and file dialogs of the windows. They all go through
// one replaceable object, so tests can answer them without a modal loop.
#pragma once

#include <exception>
#include <memory>
#include <optional>

#include <QString>

#include "app/texts.h"
#include "version.h"

class QDialog;
class QWidget;

namespace ternavo {

// Caption of the box for a file that cannot be read; kApplicationTitle
// (version.h) captions plain boxes and the general error report.
inline constexpr const char* kErrorCaption = texts::kErrorCaption;

enum class MessageIcon { None, Error };

class UserDialogs {
 public:
  virtual ~UserDialogs() = default;
  // A modal box with one OK button; returns when the user acknowledged it.
  virtual void ShowMessage(QWidget* parent, const QString& caption, const QString& text,
                           MessageIcon icon) = 0;
  // The full path chosen, or nothing when the user cancelled; the dialog
  // starts in `directory` when given.
  virtual std::optional<QString> GetOpenFileName(QWidget* parent,
                                                 const QString& directory = {}) = 0;
  // `filter` in the dialog's "label (patterns)" form; `proposed` (a full
  // path, or empty) is offered first. Choosing an existing file asks before
  // it is overwritten.
  virtual std::optional<QString> GetSaveFileName(QWidget* parent, const QString& filter,
                                                 const QString& defaultSuffix,
                                                 const QString& proposed = {}) = 0;
  // A question with Yes and No (No the default); true for Yes.
  virtual bool Confirm(QWidget* parent, const QString& text) = 0;
  // Runs a dialog of the program modally; true when it was accepted.
  virtual bool RunDialog(QDialog* dialog);
};

// The toolkit's own modal boxes and file dialogs.
class ModalDialogs : public UserDialogs {
 public:
  void ShowMessage(QWidget* parent, const QString& caption, const QString& text,
                   MessageIcon icon) override;
  std::optional<QString> GetOpenFileName(QWidget* parent, const QString& directory = {}) override;
  std::optional<QString> GetSaveFileName(QWidget* parent, const QString& filter,
                                         const QString& defaultSuffix,
                                         const QString& proposed = {}) override;
  bool Confirm(QWidget* parent, const QString& text) override;
};

// The dialogs in use (ModalDialogs until replaced).
UserDialogs& Dialogs();
// Replaces the dialogs and returns the ones used before; nullptr restores
// ModalDialogs.
std::unique_ptr<UserDialogs> SetDialogs(std::unique_ptr<UserDialogs> dialogs);

// A notice or refusal: caption = application title, no icon.
void ShowPlainMessage(QWidget* parent, const QString& text);
// A file that cannot be read: caption "Error", error icon.
void ShowErrorMessage(QWidget* parent, const QString& text);

// Throws the saver's message for a file Qt could not save:
// Soubor "PATH" nelze uložit: reason. The general error report shows it.
[[noreturn]] void ThrowCannotSave(const QString& path, const QString& reason);

// The text of the general error report: a full stop is added when the text
// ends in a letter or a digit.
QString ErrorReportText(const QString& text);
// The text of an exception for the user.
QString ExceptionText(const std::exception_ptr& error);
// The general error report for an error that left a handler: caption =
// application title, error icon.
void ShowErrorReport(QWidget* parent, const std::exception_ptr& error);

// Runs a handler; an exception that leaves it is reported and swallowed,
// so the program goes on with whatever state the handler reached.
template <typename Handler>
void RunHandler(QWidget* parent, Handler&& handler) {
  try {
    handler();
  } catch (...) {
    ShowErrorReport(parent, std::current_exception());
  }
}

// Shows the wait cursor while alive.
class BusyCursor {
 public:
  BusyCursor();
  ~BusyCursor();
  BusyCursor(const BusyCursor&) = delete;
  BusyCursor& operator=(const BusyCursor&) = delete;
};

}  // namespace ternavo
