// Progress of the leave-one-out diagnostics and the way to cancel them.
//
// A front end that wants to show progress creates a ProgressSink on the
// thread that calls a driver (AdjustAffine, AdjustSimilarity,
// AdjustCongruence) and keeps it alive for the call:
//
//   ProgressSink sink([&](int done, int total) { ...; return !userPressedCancel; });
//   list.AdjustSimilarity();
//   if (sink.Cancelled()) memo.Add("Výpočet přerušen.");
//
// The callback runs on that same thread (never on a helper thread), so it may
// process window events; it needs no locking of its own. It is called while
// the leave-one-out runs go on, at most once per interval (every finished run
// with a zero interval), with the runs finished so far and their total; a
// computation shorter than the interval does not call it at all. Returning
// false cancels: the runs still under way finish, no further run starts, and
// the driver ends as a failed computation does (KeyValid false, no point left
// out, every Used flag as it was, no leave-one-out m0 stored).
#pragma once

#include <chrono>
#include <functional>

namespace ternavo {

class ProgressSink {
 public:
  using Callback = std::function<bool(int done, int total)>;

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
  // since the sink was made). Returns false when the computation is to stop.
  bool Report(int done, int total);

 private:
  Callback callback_;
  std::chrono::steady_clock::duration interval_;
  std::chrono::steady_clock::time_point last_;
  bool cancelled_ = false;
  ProgressSink* outer_;
};

}  // namespace ternavo
