#include "export/avi_ui/compression_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QSlider>
#include <QSpinBox>
#include <QVBoxLayout>

namespace lumetrix::avi {

CompressionOptionsDialog::CompressionOptionsDialog(const EncoderCatalog& catalog, const CompressionOptions& initial,
                                                   QWidget* parent)
    : QDialog(parent), catalog_(catalog) {
  setWindowTitle("Video Compression");
  setObjectName("frmVideoCompression");

  compressor_ = new QComboBox(this);
  compressor_->setObjectName("cmbCompressor");
  for (const EncoderInfo& e : catalog_.Encoders())
    compressor_->addItem(QString::fromStdString(e.DisplayName), QString::fromStdString(e.ShortName));
  auto* compressorLabel = new QLabel("&Compressor:", this);
  compressorLabel->setBuddy(compressor_);

  qualityLabel_ = new QLabel("Compression &Quality:", this);
  quality_ = new QSlider(Qt::Horizontal, this);
  quality_->setObjectName("sldQuality");
  quality_->setRange(kMinQuality, kMaxQuality);
  quality_->setPageStep(10);
  qualityLabel_->setBuddy(quality_);
  qualityValue_ = new QLabel(this);
  qualityValue_->setObjectName("lblQualityValue");
  qualityValue_->setMinimumWidth(qualityValue_->fontMetrics().horizontalAdvance("100") + 4);

  keyFrames_ = new QCheckBox("&Key frame every", this);
  keyFrames_->setObjectName("chkKeyFrames");
  keyFrameEvery_ = new QSpinBox(this);
  keyFrameEvery_->setObjectName("spnKeyFrames");
  keyFrameEvery_->setRange(kMinKeyFrameEvery, kMaxKeyFrameEvery);
  framesLabel_ = new QLabel("frames", this);

  dataRate_ = new QCheckBox("&Data rate", this);
  dataRate_->setObjectName("chkDataRate");
  dataRateKBps_ = new QSpinBox(this);
  dataRateKBps_->setObjectName("spnDataRate");
  dataRateKBps_->setRange(kMinDataRateKBps, kMaxDataRateKBps);
  kbpsLabel_ = new QLabel("KB/s", this);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

  auto* grid = new QGridLayout;
  grid->addWidget(compressorLabel, 0, 0);
  grid->addWidget(compressor_, 0, 1, 1, 2);
  grid->addWidget(qualityLabel_, 1, 0);
  grid->addWidget(quality_, 1, 1);
  grid->addWidget(qualityValue_, 1, 2);
  grid->addWidget(keyFrames_, 2, 0);
  grid->addWidget(keyFrameEvery_, 2, 1);
  grid->addWidget(framesLabel_, 2, 2);
  grid->addWidget(dataRate_, 3, 0);
  grid->addWidget(dataRateKBps_, 3, 1);
  grid->addWidget(kbpsLabel_, 3, 2);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(grid);
  layout->addWidget(buttons);

  connect(compressor_, &QComboBox::currentIndexChanged, this, [this] { UpdateEnabled(); });
  connect(keyFrames_, &QCheckBox::toggled, this, [this] { UpdateEnabled(); });
  connect(dataRate_, &QCheckBox::toggled, this, [this] { UpdateEnabled(); });
  connect(quality_, &QSlider::valueChanged, this, [this](int v) { qualityValue_->setNum(v); });

  SetOptions(initial);
}

void CompressionOptionsDialog::SetOptions(const CompressionOptions& options) {
  const CompressionOptions sane = Sanitize(options, catalog_);
  const int index = compressor_->findData(QString::fromStdString(sane.Codec));
  compressor_->setCurrentIndex(index >= 0 ? index : 0);
  quality_->setValue(sane.Quality);
  qualityValue_->setNum(sane.Quality);
  keyFrames_->setChecked(sane.KeyFramesOn);
  keyFrameEvery_->setValue(sane.KeyFrameEvery);
  dataRate_->setChecked(sane.DataRateOn);
  dataRateKBps_->setValue(sane.DataRateKBps);
  UpdateEnabled();
}

CompressionOptions CompressionOptionsDialog::Options() const {
  CompressionOptions options;
  options.Codec = compressor_->currentData().toString().toStdString();
  options.Quality = quality_->value();
  options.KeyFramesOn = keyFrames_->isChecked();
  options.KeyFrameEvery = keyFrameEvery_->value();
  options.DataRateOn = dataRate_->isChecked();
  options.DataRateKBps = dataRateKBps_->value();
  return Sanitize(options, catalog_);
}

void CompressionOptionsDialog::UpdateEnabled() {
  const EncoderInfo* e = catalog_.Find(compressor_->currentData().toString().toStdString());
  const bool quality = e && e->HasQuality;
  const bool keys = e && e->HasKeyFrames;
  const bool rate = e && e->HasDataRate;
  qualityLabel_->setEnabled(quality);
  quality_->setEnabled(quality);
  qualityValue_->setEnabled(quality);
  keyFrames_->setEnabled(keys);
  keyFrameEvery_->setEnabled(keys && keyFrames_->isChecked());
  framesLabel_->setEnabled(keys);
  dataRate_->setEnabled(rate);
  dataRateKBps_->setEnabled(rate && dataRate_->isChecked());
  kbpsLabel_->setEnabled(rate);
}

}  // namespace lumetrix::avi
