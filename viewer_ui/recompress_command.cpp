#include "viewer_ui/recompress_command.h"

#include <QCoreApplication>
#include <QFileDialog>

#include "export/avi/avi_messages.h"
#include "export/avi/avi_reader.h"
#include "export/avi/avi_recompressor.h"
#include "export/avi_ui/dialog_options_source.h"

namespace lumetrix {

void RecompressAviWithDialogs(QWidget* owner, MessageSink& messages, ProgressSink& progress) {
  const auto ask = [owner](const QString& title, bool save) {
    QFileDialog dialog(owner, title, QString(), "AVI Files (*.avi)");
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    if (!save) dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setDefaultSuffix("avi");
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::string();
    return dialog.selectedFiles().first().toStdString();
  };
  const std::string input = ask("Select AVI File to Recompress", false);
  if (input.empty()) return;
  {
    // The input is looked at before the user is asked where to save.
    avi::AviReader reader;
    if (!reader.Open(input)) {
      messages.ShowMessage(std::string(avi::kMsgErrorWorkingWith) + "\n" + input, MessageIcon::Information);
      return;
    }
  }
  const std::string output = ask("Choose Location and Name to Save New AVI File", true);
  if (output.empty()) return;
  QCoreApplication::processEvents();
  avi::DialogOptionsSource options(owner);
  avi::RecompressAvi(input, output, options, messages, &progress);
}

}  // namespace lumetrix
