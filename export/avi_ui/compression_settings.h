#pragma once
// The last compression choice, remembered in the settings (organisation and application
// "Lumetrix", group "AVI").

#include <QSettings>

#include "export/avi/compression_options.h"
#include "export/avi/encoder_catalog.h"

namespace lumetrix::avi {

inline constexpr const char* kSettingsGroup = "AVI";

// Missing, unreadable or out-of-range values fall back one by one to the defaults; a codec this
// machine does not have becomes the catalogue's default.
CompressionOptions LoadCompressionOptions(QSettings& settings, const EncoderCatalog& catalog);
void SaveCompressionOptions(QSettings& settings, const CompressionOptions& options);

// The same with the program's own settings.
CompressionOptions LoadCompressionOptions(const EncoderCatalog& catalog = EncoderCatalog::Installed());
void SaveCompressionOptions(const CompressionOptions& options);

}  // namespace lumetrix::avi
