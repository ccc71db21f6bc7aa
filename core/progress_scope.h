#pragma once
// Shows a progress sink's bar for one long operation and hides it on every way out. The sink
// may be null (no display).

#include <cstdint>
#include <string>

#include "core/progress_sink.h"

namespace lumetrix {

class ProgressScope {
 public:
  ProgressScope(ProgressSink* sink, const std::string& caption, int32_t maximum) : sink_(sink) {
    if (sink_) sink_->ShowProgress(caption, 0, maximum);
  }
  ~ProgressScope() {
    if (sink_) sink_->HideProgress();
  }
  ProgressScope(const ProgressScope&) = delete;
  ProgressScope& operator=(const ProgressScope&) = delete;

  void Step(int32_t value) {
    if (sink_) sink_->SetProgress(value);
  }
  bool Cancelled() const { return sink_ && sink_->Cancelled(); }

 private:
  ProgressSink* sink_;
};

}  // namespace lumetrix
