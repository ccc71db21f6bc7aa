#pragma once
// What a long pass reports its progress to (the converter's progress bar).

#include <cstdint>

namespace lumetrix::gif {

class ProgressSink {
 public:
  virtual ~ProgressSink() = default;
  virtual void SetMax(int32_t max) = 0;
  virtual void SetValue(int32_t value) = 0;
};

}  // namespace lumetrix::gif
