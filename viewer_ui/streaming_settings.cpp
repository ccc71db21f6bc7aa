#include "viewer_ui/streaming_settings.h"

#include <QSettings>

#include "streaming/streaming_settings.h"

namespace lumetrix {
namespace {

int Megabytes(const QSettings& settings, const char* key) {
  bool fine = false;
  const int mb = settings.value(key, 0).toInt(&fine);
  return fine && mb > 0 ? mb : 0;
}

}  // namespace

StreamingSettings LoadStreamingSettings() {
  QSettings settings("Lumetrix", "Lumetrix");
  settings.beginGroup(streaming::kStreamingSettingsGroup);
  return {Megabytes(settings, streaming::kHostCacheMBKey), Megabytes(settings, streaming::kGpuCacheMBKey),
          Megabytes(settings, streaming::kPyramidCacheMBKey)};
}

void StoreStreamingSettings(const StreamingSettings& s) {
  QSettings settings("Lumetrix", "Lumetrix");
  settings.beginGroup(streaming::kStreamingSettingsGroup);
  settings.setValue(streaming::kHostCacheMBKey, s.host_cache_mb);
  settings.setValue(streaming::kGpuCacheMBKey, s.gpu_cache_mb);
  settings.setValue(streaming::kPyramidCacheMBKey, s.pyramid_cache_mb);
}

}  // namespace lumetrix
