#pragma once
// The Preferences dialog: the memory budgets of volumes larger than memory and the pyramid
// cache (its folder, its size, its bound, and a button that empties it). OK stores the budgets
// and the bound (viewer_ui/streaming_settings.h); Cancel leaves them.

#include <QDialog>
#include <cstdint>
#include <string>

class QLabel;
class QSpinBox;

namespace lumetrix {

// "40 KB" below a megabyte (rounded up), "12.3 MB" from there.
QString SizeText(uint64_t bytes);

class PreferencesDialog : public QDialog {
  Q_OBJECT
 public:
  explicit PreferencesDialog(QWidget* parent = nullptr, std::string cache_folder = {});

 private:
  void ShowCacheSize();
  void ClearCache();
  void Store();

  std::string cache_folder_;
  QSpinBox* host_;
  QSpinBox* gpu_;
  QSpinBox* bound_;
  QLabel* size_;
};

}  // namespace lumetrix
