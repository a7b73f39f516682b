#include "ui/dialogs.h"

#include "app/error_report.h"

#include <new>
#include <stdexcept>

#include <QApplication>
#include <QCursor>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>

namespace ternavo {

namespace {

std::unique_ptr<UserDialogs>& CurrentDialogs() {
  static std::unique_ptr<UserDialogs> dialogs = std::make_unique<ModalDialogs>();
  return dialogs;
}

}  // namespace

void ModalDialogs::ShowMessage(QWidget* parent, const QString& caption, const QString& text,
                               MessageIcon icon) {
  QMessageBox box(icon == MessageIcon::Error ? QMessageBox::Critical : QMessageBox::NoIcon, caption,
                  text, QMessageBox::Ok, parent);
  // A box can come up while a computation shows the wait cursor.
  const bool busy = QApplication::overrideCursor() != nullptr;
  if (busy) QApplication::setOverrideCursor(Qt::ArrowCursor);
  box.exec();
  if (busy) QApplication::restoreOverrideCursor();
}

bool UserDialogs::RunDialog(QDialog* dialog) { return dialog->exec() == QDialog::Accepted; }

std::optional<QString> ModalDialogs::GetOpenFileName(QWidget* parent, const QString& directory) {
  QFileDialog dialog(parent);
  if (!directory.isEmpty()) dialog.setDirectory(directory);
  dialog.setFileMode(QFileDialog::ExistingFile);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return dialog.selectedFiles().constFirst();
}

std::optional<QString> ModalDialogs::GetSaveFileName(QWidget* parent, const QString& filter,
                                                     const QString& defaultSuffix,
                                                     const QString& proposed) {
  QFileDialog dialog(parent);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setNameFilter(filter);
  dialog.setDefaultSuffix(defaultSuffix);
  if (!proposed.isEmpty()) {
    dialog.setDirectory(QFileInfo(proposed).absolutePath());
    dialog.selectFile(QFileInfo(proposed).fileName());
  }
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return dialog.selectedFiles().constFirst();
}

bool ModalDialogs::Confirm(QWidget* parent, const QString& text) {
  QMessageBox box(QMessageBox::Question, QString::fromUtf8(kApplicationTitle), text,
                  QMessageBox::Yes | QMessageBox::No, parent);
  box.setDefaultButton(QMessageBox::No);
  return box.exec() == QMessageBox::Yes;
}

UserDialogs& Dialogs() { return *CurrentDialogs(); }

std::unique_ptr<UserDialogs> SetDialogs(std::unique_ptr<UserDialogs> dialogs) {
  if (!dialogs) dialogs = std::make_unique<ModalDialogs>();
  std::swap(CurrentDialogs(), dialogs);
  return dialogs;
}

void ShowPlainMessage(QWidget* parent, const QString& text) {
  Dialogs().ShowMessage(parent, QString::fromUtf8(kApplicationTitle), text, MessageIcon::None);
}

void ThrowCannotSave(const QString& path, const QString& reason) {
  throw std::runtime_error((texts::kFilePrefix + path + texts::kCannotSave + reason).toStdString());
}

void ShowErrorMessage(QWidget* parent, const QString& text) {
  Dialogs().ShowMessage(parent, QString::fromUtf8(kErrorCaption), text, MessageIcon::Error);
}

QString ErrorReportText(const QString& text) {
  return QString::fromStdString(ternavo::ErrorReportText(text.toStdString()));
}

QString ExceptionText(const std::exception_ptr& error) {
  return QString::fromStdString(ExceptionMessage(error));
}

void ShowErrorReport(QWidget* parent, const std::exception_ptr& error) {
  Dialogs().ShowMessage(parent, QString::fromUtf8(kApplicationTitle),
                        ErrorReportText(ExceptionText(error)), MessageIcon::Error);
}

BusyCursor::BusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }

BusyCursor::~BusyCursor() { QApplication::restoreOverrideCursor(); }

}  // namespace ternavo
