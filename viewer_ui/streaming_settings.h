#pragma once
// The "Streaming" settings (streaming/streaming_settings.h) as numbers: megabytes, 0 automatic.

namespace lumetrix {

struct StreamingSettings {
  int host_cache_mb = 0, gpu_cache_mb = 0, pyramid_cache_mb = 0;
};

// Missing, negative or unreadable values count as 0 (automatic).
StreamingSettings LoadStreamingSettings();
void StoreStreamingSettings(const StreamingSettings& s);

}  // namespace lumetrix
