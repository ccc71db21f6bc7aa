#pragma once
// The main window's progress frame, as long passes drive it.

#include <cstdint>
#include <string>

namespace lumetrix::avi {

class ProgressDisplay {
 public:
  virtual ~ProgressDisplay() = default;
  virtual void ShowProgress(const std::string& caption, int32_t start, int32_t maximum) = 0;
  virtual void SetProgress(int32_t value) = 0;
  virtual int32_t GetProgress() const = 0;
  virtual void HideProgress() = 0;
};

}  // namespace lumetrix::avi
