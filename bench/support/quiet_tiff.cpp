#include "bench/support/quiet_tiff.h"

#include <cstdarg>

namespace lumetrix::bench {
namespace {

int Silent(TIFF*, void*, const char*, const char*, va_list) { return 1; }

}  // namespace

TIFF* OpenTiffQuietly(const std::string& path, const char* mode) {
  TIFFOpenOptions* options = TIFFOpenOptionsAlloc();
  TIFFOpenOptionsSetErrorHandlerExtR(options, Silent, nullptr);
  TIFFOpenOptionsSetWarningHandlerExtR(options, Silent, nullptr);
  TIFF* tif = TIFFOpenExt(path.c_str(), mode, options);
  TIFFOpenOptionsFree(options);
  return tif;
}

}  // namespace lumetrix::bench
