#pragma once
// What the two series windows share: the folder tree and file list they start from, the save
// dialog and message box (both replaceable for tests and scripted use), and the busy state of a
// conversion running on the GUI thread, during which the window does not close.

#include <QDialog>
#include <QString>
#include <functional>

#include "export/series/conversion_result.h"

class QLayout;
class QPushButton;

namespace lumetrix::series {

class FolderBrowser;

class SeriesWindow : public QDialog {
  Q_OBJECT
 public:
  ~SeriesWindow() override;

  // As if the folder were picked in the tree.
  void SetFolder(const QString& folder);
  QString Folder() const;

  // The chooser returns the chosen path or empty text for cancel.
  void SetSaveFileChooser(std::function<QString()> chooser) { choose_save_file_ = std::move(chooser); }
  void SetMessageSink(std::function<void(const QString&)> sink) { show_message_ = std::move(sink); }

 protected:
  explicit SeriesWindow(QWidget* owner);

  // Closing while a conversion runs would pull the window from under it; its Cancel stops it.
  void reject() override;

  FolderBrowser* Browser() const { return browser_; }
  // The tree above the file list.
  QLayout* FolderColumn() const;
  // "Close": rejects the window.
  QPushButton* CloseButton();

  // "Save 3D TIFF File"; empty text when cancelled.
  QString AskSaveFile();
  void Message(const QString& text);

  bool Busy() const { return busy_; }
  void SetBusy(bool busy) { busy_ = busy; }
  // Runs convert busy, under the hourglass and a progress window "Writing <file> ...", then
  // tells the user what the result has to say.
  ConversionResult WriteFile(const QString& file_name,
                             const std::function<ConversionResult(ProgressSink*)>& convert);

 private:
  FolderBrowser* browser_;
  bool busy_ = false;
  std::function<QString()> choose_save_file_;
  std::function<void(const QString&)> show_message_;
};

}  // namespace lumetrix::series
