#include "numeric/notice.h"

#include <mutex>
#include <utility>

namespace ternavo {

namespace {
std::mutex hookMutex;
NoticeHook& Hook() {
  static NoticeHook hook;
  return hook;
}
thread_local NoticeCapture* currentCapture = nullptr;
}  // namespace

NoticeHook SetNoticeHook(NoticeHook hook) {
  std::lock_guard<std::mutex> lock(hookMutex);
  NoticeHook previous = std::move(Hook());
  Hook() = std::move(hook);
  return previous;
}

void ShowNotice(const std::string& text) {
  if (currentCapture != nullptr) {
    currentCapture->texts_.push_back(text);
    return;
  }
  NoticeHook hook;
  {
    std::lock_guard<std::mutex> lock(hookMutex);
    hook = Hook();
  }
  if (hook) {
    hook(text);
  }
}

NoticeCapture::NoticeCapture() : outer_(currentCapture) { currentCapture = this; }

NoticeCapture::~NoticeCapture() { currentCapture = outer_; }

void NoticeCapture::Replay() {
  std::vector<std::string> texts = std::move(texts_);
  texts_.clear();
  NoticeCapture* self = currentCapture;
  currentCapture = outer_;
  for (const std::string& text : texts) {
    ShowNotice(text);
  }
  currentCapture = self;
}

NoticeRecorder::NoticeRecorder() {
  previous_ = SetNoticeHook([this](const std::string& text) { texts_.push_back(text); });
}

NoticeRecorder::~NoticeRecorder() { SetNoticeHook(std::move(previous_)); }

}  // namespace ternavo
