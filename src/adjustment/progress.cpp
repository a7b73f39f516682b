#include "adjustment/progress.h"

namespace ternavo {

namespace {
thread_local ProgressSink* currentSink = nullptr;
}  // namespace

ProgressSink::ProgressSink(Callback callback, std::chrono::milliseconds interval)
    : callback_(std::move(callback)),
      interval_(interval),
      last_(std::chrono::steady_clock::now()),
      outer_(currentSink) {
  currentSink = this;
}

ProgressSink::~ProgressSink() { currentSink = outer_; }

ProgressSink* ProgressSink::Current() { return currentSink; }

bool ProgressSink::Report(int done, int total, int point) {
  if (cancelled_) return false;
  if (!callback_) return true;
  const auto now = std::chrono::steady_clock::now();
  if (now - last_ < interval_) return true;
  last_ = now;
  if (!callback_(done, total, point)) cancelled_ = true;
  return !cancelled_;
}

}  // namespace ternavo
