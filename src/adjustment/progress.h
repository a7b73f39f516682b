// Progress of the leave-one-out diagnostics and the way to cancel them.
//
// A front end that wants to show progress creates a ProgressSink on the
// thread that calls a driver (AdjustAffine, AdjustSimilarity,
// AdjustCongruence) and keeps it alive for the call:
//
//   ProgressSink sink([&](int done, int total, int point) { ...; return !stop; });
//   list.AdjustSimilarity();
//   if (sink.Cancelled()) ...;  // the key stands, its diagnostics do not
//
// The callback runs on that same thread (never on a helper thread), so it may
// process window events; it needs no locking of its own. It is called while
// the leave-one-out runs go on, at most once per interval (every finished run
// with a zero interval), with the runs finished so far, their total and the
// index of the identical point the latest run left out; a computation shorter
// than the interval does not call it at all. Returning false cancels the
// diagnostics: the runs still under way finish, no further run starts, and
// the driver ends with the key it computed first (KeyValid as the key came
// out, no point left out, every Used flag as it was) but without any
// leave-one-out m0 (M0WithoutValid clear on every point).
#pragma once

#include <chrono>
#include <functional>

namespace ternavo {

class ProgressSink {
 public:
  using Callback = std::function<bool(int done, int total, int point)>;

  explicit ProgressSink(Callback callback,
                        std::chrono::milliseconds interval = std::chrono::milliseconds(50));
  ~ProgressSink();
  ProgressSink(const ProgressSink&) = delete;
  ProgressSink& operator=(const ProgressSink&) = delete;

  // True once the callback has returned false; stays set for the sink's life.
  bool Cancelled() const { return cancelled_; }

  // The sink of the current thread, or nullptr (for the drivers).
  static ProgressSink* Current();

  // Calls the callback when the interval has passed since the last call (or
  // since the sink was made); `point` is the index of the identical point the
  // run left out. Returns false when the computation is to stop.
  bool Report(int done, int total, int point);

 private:
  Callback callback_;
  std::chrono::steady_clock::duration interval_;
  std::chrono::steady_clock::time_point last_;
  bool cancelled_ = false;
  ProgressSink* outer_;
};

}  // namespace ternavo
