#pragma once
// Where the window's recordings and recompressions get their compression options.

#include <QPointer>
#include <QWidget>

#include "export/avi/compression_options.h"

class QSettings;

namespace lumetrix::avi {

// Shows the options dialog (owned by `parent`) with the remembered choice; OK remembers the
// new choice and returns it, Cancel returns nothing. `settings` (for tests) defaults to the
// program's own.
class DialogOptionsSource : public CompressionOptionsSource {
 public:
  explicit DialogOptionsSource(QWidget* parent, QSettings* settings = nullptr);
  std::optional<CompressionOptions> ChooseOptions(const EncoderCatalog& catalog) override;

 private:
  QPointer<QWidget> parent_;
  QSettings* settings_;
};

// The remembered choice without asking (headless script runs).
class RememberedOptionsSource : public CompressionOptionsSource {
 public:
  explicit RememberedOptionsSource(QSettings* settings = nullptr) : settings_(settings) {}
  std::optional<CompressionOptions> ChooseOptions(const EncoderCatalog& catalog) override;

 private:
  QSettings* settings_;
};

}  // namespace lumetrix::avi
