#pragma once
// Sets a progress sink's maximum on entry and its value back to 0 on every way out.

#include "export/gif/progress_sink.h"

namespace lumetrix::gif {

class ProgressScope {
 public:
  ProgressScope(ProgressSink* sink, int32_t max) : sink_(sink) {
    if (sink_) sink_->SetMax(max);
  }
  ~ProgressScope() {
    if (sink_) sink_->SetValue(0);
  }
  ProgressScope(const ProgressScope&) = delete;
  ProgressScope& operator=(const ProgressScope&) = delete;

  void Step(int32_t value) {
    if (sink_) sink_->SetValue(value);
  }

 private:
  ProgressSink* sink_;
};

}  // namespace lumetrix::gif
