#include "export/series/series_window.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QListWidget>
#include <QPushButton>
#include <QTreeView>
#include <QVBoxLayout>

#include "export/series/conversion_progress.h"
#include "export/series/folder_browser.h"
#include "export/series/message_box.h"

namespace lumetrix::series {

SeriesWindow::SeriesWindow(QWidget* owner) : QDialog(owner), browser_(new FolderBrowser(this)) {}

SeriesWindow::~SeriesWindow() = default;

void SeriesWindow::SetFolder(const QString& folder) { browser_->SetFolder(folder); }
QString SeriesWindow::Folder() const { return browser_->Folder(); }

QLayout* SeriesWindow::FolderColumn() const {
  auto* folders = new QVBoxLayout;
  folders->addWidget(browser_->Tree(), 3);
  folders->addWidget(browser_->Files(), 2);
  return folders;
}

QPushButton* SeriesWindow::CloseButton() {
  auto* close = new QPushButton("Close", this);
  close->setObjectName("cmdClose");
  close->setAutoDefault(false);
  connect(close, &QPushButton::clicked, this, &SeriesWindow::reject);
  return close;
}

QString SeriesWindow::AskSaveFile() {
  if (choose_save_file_) return choose_save_file_();
  QFileDialog dialog(this, "Save 3D TIFF File", Folder(), "TIFF Files (*.tif)");
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setDefaultSuffix("tif");
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  return dialog.selectedFiles().first();
}

void SeriesWindow::Message(const QString& text) {
  if (show_message_) {
    show_message_(text);
  } else {
    ShowMessage(this, text);
  }
}

ConversionResult SeriesWindow::WriteFile(const QString& file_name,
                                         const std::function<ConversionResult(ProgressSink*)>& convert) {
  ConversionResult result;
  busy_ = true;
  {
    const BusyCursor hourglass;
    ConversionProgress progress(this, "Writing " + QFileInfo(file_name).fileName() + " ...");
    result = convert(&progress);
  }
  busy_ = false;
  if (const std::string text = result.Message(); !text.empty()) Message(QString::fromStdString(text));
  return result;
}

void SeriesWindow::reject() {
  if (busy_) return;
  QDialog::reject();
}

}  // namespace lumetrix::series
