#pragma once
// The progress frame of the main window: a titled bar with Cancel that stands centred over the
// drawing area while the viewer reads or builds.

#include <QGroupBox>
#include <cstdint>
#include <string>

class QProgressBar;
class QPushButton;

namespace lumetrix {

class ProgressFrame : public QGroupBox {
 public:
  explicit ProgressFrame(QWidget* parent);
  // Shows the frame centred with the bar at `start` of `maximum`; only with `cancellable` has it
  // a Cancel button; with `pages` the bar counts pages.
  void Start(const std::string& caption, int32_t start, int32_t maximum, bool cancellable, bool pages);
  void SetValue(int32_t value);
  void Stop();
  int32_t Value() const;
  bool CancelClicked() const { return cancel_clicked_; }
  // Centres the frame in its parent (after the parent changes size).
  void Centre();

 private:
  QProgressBar* bar_ = nullptr;
  QPushButton* cancel_ = nullptr;
  bool cancel_clicked_ = false;
};

}  // namespace lumetrix
