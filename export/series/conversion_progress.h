#pragma once
// A progress dialog for a conversion that runs on the GUI thread: it advances with every page,
// keeps the windows painting and answers its Cancel button.

#include <QString>
#include <memory>

#include "export/series/conversion_result.h"

class QProgressDialog;
class QWidget;

namespace lumetrix::series {

class ConversionProgress {
 public:
  ConversionProgress(QWidget* owner, const QString& label);
  ~ConversionProgress();
  ConversionProgress(const ConversionProgress&) = delete;
  ConversionProgress& operator=(const ConversionProgress&) = delete;

  void SetLabel(const QString& label);
  // For the converters: shows done of total, processes pending events, false once cancelled.
  ProgressCallback Callback();
  bool Cancelled() const;

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
