#include "export/avi_ui/dialog_options_source.h"

#include <QSettings>

#include "export/avi_ui/compression_dialog.h"
#include "export/avi_ui/compression_settings.h"

namespace lumetrix::avi {
namespace {

CompressionOptions Load(QSettings* settings, const EncoderCatalog& catalog) {
  if (settings) return LoadCompressionOptions(*settings, catalog);
  return LoadCompressionOptions(catalog);
}

}  // namespace

DialogOptionsSource::DialogOptionsSource(QWidget* parent, QSettings* settings)
    : parent_(parent), settings_(settings) {}

std::optional<CompressionOptions> DialogOptionsSource::ChooseOptions(const EncoderCatalog& catalog) {
  CompressionOptionsDialog dialog(catalog, Load(settings_, catalog), parent_.data());
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  const CompressionOptions chosen = dialog.Options();
  if (settings_)
    SaveCompressionOptions(*settings_, chosen);
  else
    SaveCompressionOptions(chosen);
  return chosen;
}

std::optional<CompressionOptions> RememberedOptionsSource::ChooseOptions(const EncoderCatalog& catalog) {
  return Load(settings_, catalog);
}

}  // namespace lumetrix::avi
