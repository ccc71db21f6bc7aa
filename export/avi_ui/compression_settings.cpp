#include "export/avi_ui/compression_settings.h"

#include <optional>

namespace lumetrix::avi {
namespace {

std::optional<int32_t> IntIn(const QVariant& value, int32_t low, int32_t high) {
  if (!value.isValid()) return std::nullopt;
  bool ok = false;
  const qlonglong number = value.toString().trimmed().toLongLong(&ok);
  if (!ok || number < low || number > high) return std::nullopt;
  return static_cast<int32_t>(number);
}

std::optional<bool> BoolOf(const QVariant& value) {
  if (!value.isValid()) return std::nullopt;
  const QString text = value.toString().trimmed().toLower();
  if (text == "true" || text == "1") return true;
  if (text == "false" || text == "0") return false;
  return std::nullopt;
}

}  // namespace

CompressionOptions LoadCompressionOptions(QSettings& settings, const EncoderCatalog& catalog) {
  const CompressionOptions defaults;
  CompressionOptions options;
  settings.beginGroup(kSettingsGroup);
  const QString codec = settings.value("Codec").toString().trimmed();
  const EncoderInfo* encoder = codec.isEmpty() ? nullptr : catalog.Find(codec.toStdString());
  options.Codec = encoder ? encoder->ShortName : catalog.Default().ShortName;
  options.Quality = IntIn(settings.value("Quality"), kMinQuality, kMaxQuality).value_or(defaults.Quality);
  options.KeyFramesOn = BoolOf(settings.value("KeyFrames")).value_or(defaults.KeyFramesOn);
  options.KeyFrameEvery = IntIn(settings.value("KeyFrameEvery"), kMinKeyFrameEvery, kMaxKeyFrameEvery)
                              .value_or(defaults.KeyFrameEvery);
  options.DataRateOn = BoolOf(settings.value("DataRateOn")).value_or(defaults.DataRateOn);
  options.DataRateKBps =
      IntIn(settings.value("DataRate"), kMinDataRateKBps, kMaxDataRateKBps).value_or(defaults.DataRateKBps);
  settings.endGroup();
  return options;
}

void SaveCompressionOptions(QSettings& settings, const CompressionOptions& options) {
  settings.beginGroup(kSettingsGroup);
  settings.setValue("Codec", QString::fromStdString(options.Codec));
  settings.setValue("Quality", options.Quality);
  settings.setValue("KeyFrames", options.KeyFramesOn);
  settings.setValue("KeyFrameEvery", options.KeyFrameEvery);
  settings.setValue("DataRateOn", options.DataRateOn);
  settings.setValue("DataRate", options.DataRateKBps);
  settings.endGroup();
  settings.sync();
}

CompressionOptions LoadCompressionOptions(const EncoderCatalog& catalog) {
  QSettings settings("Lumetrix", "Lumetrix");
  return LoadCompressionOptions(settings, catalog);
}

void SaveCompressionOptions(const CompressionOptions& options) {
  QSettings settings("Lumetrix", "Lumetrix");
  SaveCompressionOptions(settings, options);
}

}  // namespace lumetrix::avi
