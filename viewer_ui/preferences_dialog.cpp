#include "viewer_ui/preferences_dialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>
#include <climits>

#include "streaming/pyramid_cache.h"
#include "viewer_ui/streaming_settings.h"

namespace lumetrix {
namespace {

QSpinBox* Megabytes(QWidget* parent, const char* name, int value) {
  auto* box = new QSpinBox(parent);
  box->setObjectName(name);
  box->setRange(0, INT_MAX);
  box->setSingleStep(256);
  box->setSuffix(" MB");
  box->setSpecialValueText("Automatic");  // shown for 0
  box->setValue(value);
  return box;
}

}  // namespace

QString SizeText(uint64_t bytes) {
  if (bytes < (1 << 20)) return QString::number((bytes + 1023) / 1024) + " KB";
  return QString::number(double(bytes) / (1 << 20), 'f', 1) + " MB";
}

PreferencesDialog::PreferencesDialog(QWidget* parent, std::string cache_folder)
    : QDialog(parent), cache_folder_(cache_folder.empty() ? streaming::DefaultPyramidCacheFolder() : std::move(cache_folder)) {
  setWindowTitle("Preferences");
  const StreamingSettings settings = LoadStreamingSettings();
  host_ = Megabytes(this, "spnHostMemory", settings.host_cache_mb);
  gpu_ = Megabytes(this, "spnGpuMemory", settings.gpu_cache_mb);
  bound_ = Megabytes(this, "spnPyramidCache", settings.pyramid_cache_mb);
  auto* folder = new QLabel(QString::fromStdString(cache_folder_), this);
  folder->setObjectName("lblCacheFolder");
  folder->setTextInteractionFlags(Qt::TextSelectableByMouse);
  size_ = new QLabel(this);
  size_->setObjectName("lblCacheSize");
  auto* clear = new QPushButton("Clear", this);
  clear->setObjectName("cmdClearCache");
  connect(clear, &QPushButton::clicked, this, &PreferencesDialog::ClearCache);
  auto* size_row = new QHBoxLayout;
  size_row->addWidget(size_, 1);
  size_row->addWidget(clear);

  auto* form = new QFormLayout;
  form->addRow("Host memory for volumes:", host_);
  form->addRow("GPU memory for volumes:", gpu_);
  form->addRow("Pyramid cache folder:", folder);
  form->addRow("Pyramid cache size:", size_row);
  form->addRow("Pyramid cache bound:", bound_);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &PreferencesDialog::Store);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addWidget(buttons);
  ShowCacheSize();
}

void PreferencesDialog::ShowCacheSize() {
  size_->setText(SizeText(streaming::PyramidCache(cache_folder_).Size()));
}

void PreferencesDialog::ClearCache() {
  try {
    streaming::PyramidCache(cache_folder_).Clear();
    ShowCacheSize();
  } catch (const streaming::PyramidCacheError& e) {
    size_->setText(QString::fromStdString(e.what()));
  }
}

void PreferencesDialog::Store() {
  StoreStreamingSettings({host_->value(), gpu_->value(), bound_->value()});
  accept();
}

}  // namespace lumetrix
