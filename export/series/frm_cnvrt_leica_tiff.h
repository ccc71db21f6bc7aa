#pragma once
// "Convert Leica Confocal TIFF Series": finds the Leica series of a folder, previews the middle
// slice of each channel and writes one multi-page 24-bit TIFF per series, the channels put into
// red, green and blue as chosen.

#include <array>
#include <functional>
#include <memory>

#include "export/series/conversion_result.h"
#include "export/series/leica_conversion.h"
#include "export/series/series_table.h"
#include "export/series/series_window.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;

namespace lumetrix::imaging {
class ImageBox;
}

namespace lumetrix::series {

class ImagePreview;

class frmCnvrtLeicaTiff : public SeriesWindow {
  Q_OBJECT
 public:
  explicit frmCnvrtLeicaTiff(QWidget* owner = nullptr);
  ~frmCnvrtLeicaTiff() override;

  const SeriesTable& Table() const { return table_; }
  bool FillingLists() const { return filling_lists_; }
  const QString& LastDestination() const { return last_destination_; }

  // Converts the series of `row` (a row of Table()) into `file_name` with the window's channel
  // and colour choices; reports problems through the message box.
  ConversionResult saveTIF(const QString& file_name, size_t row);
  // Refreshes the preview of one channel.
  void Preview(int channel);

  // Replaces the destination folder dialog (tests, scripted use): gets the folder to open at,
  // returns empty text for cancel.
  void SetFolderChooser(std::function<QString(const QString&)> chooser) { choose_folder_ = std::move(chooser); }

 public slots:
  void cmdConvert_Click();
  void cmdConvertAll_Click();
  void cmbFile_Click(int channel);

 private:
  void FindSeries();
  std::array<bool, kLeicaChannels> CheckedChannels() const;
  ColourSources Colours() const;
  std::optional<size_t> SelectedRow(int channel) const;
  LeicaConversion JobFor(const std::string& destination, size_t row) const;

  std::array<QComboBox*, kLeicaChannels> cmbFile_{};
  std::array<QCheckBox*, kLeicaChannels> chkFile_{};
  std::array<QComboBox*, 3> cmbColor_{};
  std::array<ImagePreview*, kLeicaChannels> ImX_{};
  std::array<std::unique_ptr<imaging::ImageBox>, kLeicaChannels> boxes_;
  QCheckBox* chkLink_;
  QLineEdit* txtFile_;
  QPushButton* cmdConvert_;
  QPushButton* cmdConvertAll_;

  SeriesTable table_;
  bool filling_lists_ = false;
  QString last_destination_;
  std::function<QString(const QString&)> choose_folder_;
};

}  // namespace lumetrix::series
