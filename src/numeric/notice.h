// The one way the core shows a text to the user by itself (a too-few-points
// or singular-key notice, the decomposition's non-convergence text).
// The front end installs the hook: a modal box in the window program, a line
// on standard error in ternavo-cli, a recorder in tests.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace ternavo {

using NoticeHook = std::function<void(const std::string& text)>;

// Installs the hook and returns the one installed before. An empty hook
// drops notices.
NoticeHook SetNoticeHook(NoticeHook hook);

// Hands the text to the hook, or, on a thread inside a NoticeCapture, to
// that capture. Returns when the hook returns (after the user acknowledged).
void ShowNotice(const std::string& text);

// While alive, collects the notices shown on the current thread instead of
// passing them to the hook. Used by work that runs on helper threads: the
// collected texts are shown afterwards on the calling thread, in order.
class NoticeCapture {
 public:
  NoticeCapture();
  ~NoticeCapture();
  NoticeCapture(const NoticeCapture&) = delete;
  NoticeCapture& operator=(const NoticeCapture&) = delete;

  const std::vector<std::string>& Texts() const { return texts_; }
  // Shows the collected texts through ShowNotice and forgets them.
  void Replay();

 private:
  friend void ShowNotice(const std::string& text);
  std::vector<std::string> texts_;
  NoticeCapture* outer_;
};

// Installs a hook that records the texts for the time it lives (tests).
class NoticeRecorder {
 public:
  NoticeRecorder();
  ~NoticeRecorder();
  NoticeRecorder(const NoticeRecorder&) = delete;
  NoticeRecorder& operator=(const NoticeRecorder&) = delete;
  const std::vector<std::string>& Texts() const { return texts_; }

 private:
  std::vector<std::string> texts_;
  NoticeHook previous_;
};

}  // namespace ternavo
