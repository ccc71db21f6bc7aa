#pragma once
// The settings of volumes larger than memory (QSettings organisation and application
// "Lumetrix"), in megabytes; 0 means automatic.

namespace lumetrix::streaming {

inline constexpr const char* kStreamingSettingsGroup = "Streaming";
// The pyramid cache's bound; 0: DefaultPyramidCacheBound (streaming/pyramid_cache.h).
inline constexpr const char* kPyramidCacheMBKey = "PyramidCacheMB";
// The host memory the bricks of a streamed volume may take.
inline constexpr const char* kHostCacheMBKey = "HostCacheMB";
// The GPU memory the bricks of a streamed volume may take.
inline constexpr const char* kGpuCacheMBKey = "GpuCacheMB";

}  // namespace lumetrix::streaming
