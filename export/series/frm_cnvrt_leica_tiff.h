#pragma once
// "Convert Leica Confocal TIFF Series": finds the Leica series of a folder, previews the middle
// slice of each channel and writes one multi-page 24-bit TIFF per series, the channels put into
// red, green and blue as chosen.

#include <QDialog>
#include <array>
#include <functional>
#include <memory>

#include "export/series/conversion_result.h"
#include "export/series/leica_conversion.h"
#include "export/series/series_table.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;

namespace lumetrix::imaging {
class ImageBox;
}

namespace lumetrix::series {

class FolderBrowser;
class ImagePreview;

class frmCnvrtLeicaTiff : public QDialog {
  Q_OBJECT
 public:
  explicit frmCnvrtLeicaTiff(QWidget* owner = nullptr);
  ~frmCnvrtLeicaTiff() override;

  // As if the folder were picked in the tree: the series of the folder are found again.
  void SetFolder(const QString& folder);
  QString Folder() const;

  const SeriesTable& Table() const { return table_; }
  bool FillingLists() const { return filling_lists_; }
  const QString& LastDestination() const { return last_destination_; }

  // Converts the series of `row` (a row of Table()) into `file_name` with the window's channel
  // and colour choices; reports problems through the message box.
  ConversionResult saveTIF(const QString& file_name, size_t row);
  // Refreshes the preview of one channel.
  void Preview(int channel);

  // Replace the dialogs and the message box (tests, scripted use). Choosers return empty text
  // for cancel; the folder chooser gets the folder to open at.
  void SetSaveFileChooser(std::function<QString()> chooser) { choose_save_file_ = std::move(chooser); }
  void SetFolderChooser(std::function<QString(const QString&)> chooser) { choose_folder_ = std::move(chooser); }
  void SetMessageSink(std::function<void(const QString&)> sink) { show_message_ = std::move(sink); }

 public slots:
  void cmdConvert_Click();
  void cmdConvertAll_Click();
  void cmbFile_Click(int channel);

 protected:
  void reject() override;

 private:
  void FindSeries();
  std::array<bool, kLeicaChannels> CheckedChannels() const;
  ColourSources Colours() const;
  std::optional<size_t> SelectedRow(int channel) const;
  LeicaConversion JobFor(const std::string& destination, size_t row) const;
  QString AskSaveFile();
  void Message(const QString& text);

  FolderBrowser* browser_;
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
  bool busy_ = false;
  std::function<QString()> choose_save_file_;
  std::function<QString(const QString&)> choose_folder_;
  std::function<void(const QString&)> show_message_;
};

}  // namespace lumetrix::series
