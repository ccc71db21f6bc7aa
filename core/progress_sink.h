#pragma once
// Where long operations report their progress. The main window's progress frame implements it;
// every call may yield to the event queue.

#include <cstdint>
#include <string>

namespace lumetrix {

class ProgressSink {
 public:
  virtual ~ProgressSink() = default;
  virtual void ShowProgress(const std::string& caption, int32_t start, int32_t maximum) = 0;
  virtual void SetProgress(int32_t value) = 0;
  virtual void HideProgress() = 0;
  // True once the user has asked to stop (for instance by closing the program); long
  // operations look at it between steps and give up.
  virtual bool Cancelled() const { return false; }
  // The bar's current value (0 where nothing shows it).
  virtual int32_t GetProgress() const { return 0; }
};

// For callers that need no display (command line, tests).
class NullProgress : public ProgressSink {
 public:
  void ShowProgress(const std::string&, int32_t, int32_t) override {}
  void SetProgress(int32_t) override {}
  void HideProgress() override {}
};

}  // namespace lumetrix
