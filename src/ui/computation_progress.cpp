#include "ui/computation_progress.h"

#include <QApplication>
#include <QProgressDialog>

#include "app/texts.h"
#include "app/workflow.h"
#include "version.h"

namespace ternavo {

ComputationProgress::ComputationProgress(QWidget* parent, std::chrono::milliseconds delay)
    : parent_(parent), delay_(delay) {
  clock_.start();
}

ComputationProgress::~ComputationProgress() {
  dialog_.reset();
  if (arrowCursor_) QApplication::restoreOverrideCursor();
}

bool ComputationProgress::Update(int done, int total, const std::string& point) {
  if (!dialog_) {
    if (clock_.elapsed() < delay_.count()) return true;
    dialog_ = std::make_unique<QProgressDialog>(parent_);
    dialog_->setObjectName(QStringLiteral("ProgressDialog"));
    dialog_->setWindowTitle(QString::fromUtf8(kApplicationTitle));
    dialog_->setCancelButtonText(QString::fromUtf8(texts::window::kCancelButton));
    // Only the cancel button takes input while the computation runs.
    dialog_->setWindowModality(Qt::ApplicationModal);
    dialog_->setMinimumDuration(0);
    dialog_->setAutoClose(false);
    dialog_->setAutoReset(false);
    // The wait cursor would hide that the button can be pressed.
    QApplication::setOverrideCursor(Qt::ArrowCursor);
    arrowCursor_ = true;
    dialog_->show();
  }
  dialog_->setMaximum(total);
  dialog_->setValue(done);
  dialog_->setLabelText(QString::fromStdString(ProgressText(done, total, point)));
  QApplication::processEvents();
  return !dialog_->wasCanceled();
}

}  // namespace ternavo
