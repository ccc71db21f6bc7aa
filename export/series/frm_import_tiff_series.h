#pragma once
// "Convert Tiff Series": pick a folder, put some of its TIFF files in slice order and join them
// into one multi-page 24-bit TIFF file.

#include <QDialog>
#include <functional>
#include <memory>

#include "export/series/selection_list.h"

class QListWidget;
class QPushButton;

namespace lumetrix::imaging {
class ImageBox;
}

namespace lumetrix::series {

class FolderBrowser;
class ImagePreview;

class frmImportTiffSeries : public QDialog {
  Q_OBJECT
 public:
  explicit frmImportTiffSeries(QWidget* owner = nullptr);
  ~frmImportTiffSeries() override;

  // As if the folder were picked in the tree: the file and source lists show its TIFF files.
  void SetFolder(const QString& folder);
  QString Folder() const;

  const SelectionList& SourceList() const { return source_; }
  const SelectionList& SeriesList() const { return series_; }

  // Joins the series (names in the shown folder) into `file_name`; false when nothing was
  // written. Reports problems through the message box.
  bool saveTIF(const QString& file_name);

  // Replace the save dialog and the message box (tests, scripted use). The chooser returns the
  // chosen path or empty text for cancel.
  void SetSaveFileChooser(std::function<QString()> chooser) { choose_save_file_ = std::move(chooser); }
  void SetMessageSink(std::function<void(const QString&)> sink) { show_message_ = std::move(sink); }

 public slots:
  void btnMoveItems_Click();
  void Command1_Click();
  void cmdUp_Click();
  void cmdDown_Click();
  void btnSelectAll1_Click();
  void btnSelectAll2_Click();
  void btnClearSelections1_Click();
  void btnClearSelections2_Click();
  void cmdConvert_Click();

 protected:
  void reject() override;

 private:
  void FolderChanged();
  void lstMulti1_Click();
  void UpdatePreview();
  void PullLists();
  void RenderLists();
  QPushButton* Button(const char* name, const QString& caption, void (frmImportTiffSeries::*slot)());
  QString AskSaveFile();
  void Message(const QString& text);

  FolderBrowser* browser_;
  QListWidget* lstMulti1_;
  QListWidget* lstMulti2_;
  ImagePreview* imS_;
  std::unique_ptr<imaging::ImageBox> box_;
  SelectionList source_;
  SelectionList series_;
  std::function<QString()> choose_save_file_;
  std::function<void(const QString&)> show_message_;
  std::string preview_path_;
  bool busy_ = false;
};

}  // namespace lumetrix::series
