// The window's progress dialog for a long key computation: it comes up when
// the computation has run for a while, tells which point is being left out
// of how many, keeps the windows painted, and lets the user cancel.
#pragma once

#include <chrono>
#include <memory>
#include <string>

#include <QElapsedTimer>

class QProgressDialog;
class QWidget;

namespace ternavo {

class ComputationProgress {
 public:
  // `delay`: how long a computation runs before the dialog shows.
  ComputationProgress(QWidget* parent, std::chrono::milliseconds delay);
  ~ComputationProgress();
  ComputationProgress(const ComputationProgress&) = delete;
  ComputationProgress& operator=(const ComputationProgress&) = delete;

  // The progress callback: false once the user pressed "Zrušit".
  bool Update(int done, int total, const std::string& point);

 private:
  QWidget* parent_;
  std::chrono::milliseconds delay_;
  QElapsedTimer clock_;
  std::unique_ptr<QProgressDialog> dialog_;
  bool arrowCursor_ = false;
};

}  // namespace ternavo
