#pragma once
// The compression options dialog: the encoders this machine has, a quality slider for the
// encoders that take one, "Key frame every N frames" and "Data rate KB/s", OK and Cancel.

#include <QDialog>

#include "export/avi/compression_options.h"
#include "export/avi/encoder_catalog.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QSlider;
class QSpinBox;

namespace lumetrix::avi {

class CompressionOptionsDialog : public QDialog {
  Q_OBJECT

 public:
  CompressionOptionsDialog(const EncoderCatalog& catalog, const CompressionOptions& initial,
                           QWidget* parent = nullptr);

  // What the controls show now (sanitised).
  CompressionOptions Options() const;
  void SetOptions(const CompressionOptions& options);

 private:
  void UpdateEnabled();

  const EncoderCatalog& catalog_;
  QComboBox* compressor_ = nullptr;
  QLabel* qualityLabel_ = nullptr;
  QSlider* quality_ = nullptr;
  QLabel* qualityValue_ = nullptr;
  QCheckBox* keyFrames_ = nullptr;
  QSpinBox* keyFrameEvery_ = nullptr;
  QLabel* framesLabel_ = nullptr;
  QCheckBox* dataRate_ = nullptr;
  QSpinBox* dataRateKBps_ = nullptr;
  QLabel* kbpsLabel_ = nullptr;
};

}  // namespace lumetrix::avi
