#pragma once
// A progress dialog for a conversion that runs on the GUI thread: it advances with every page,
// keeps the windows painting and answers its Cancel button. It stays up between the jobs of a
// batch; each job shows its own maximum.

#include <QString>
#include <memory>

#include "core/progress_sink.h"

class QProgressDialog;
class QWidget;

namespace lumetrix::series {

class ConversionProgress : public ProgressSink {
 public:
  ConversionProgress(QWidget* owner, const QString& label);
  ~ConversionProgress() override;
  ConversionProgress(const ConversionProgress&) = delete;
  ConversionProgress& operator=(const ConversionProgress&) = delete;

  void SetLabel(const QString& label);
  // The caption is left to SetLabel.
  void ShowProgress(const std::string& caption, int32_t start, int32_t maximum) override;
  // Processes pending events, so that Cancel is seen.
  void SetProgress(int32_t value) override;
  void HideProgress() override {}
  bool Cancelled() const override;

 private:
  std::unique_ptr<QProgressDialog> dialog_;
};

// The hourglass while a conversion runs, restored on every way out.
class BusyCursor {
 public:
  BusyCursor();
  ~BusyCursor();
  BusyCursor(const BusyCursor&) = delete;
  BusyCursor& operator=(const BusyCursor&) = delete;
};

}  // namespace lumetrix::series
