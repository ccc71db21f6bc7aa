#include "imaging/tiff_messages.h"

#include <cstdarg>
#include <cstdio>

#include "imaging/image_data.h"

namespace lumetrix::imaging::detail {

namespace {

std::string Format(const char* module, const char* fmt, va_list ap) {
  char text[1024];
  std::vsnprintf(text, sizeof text, fmt, ap);
  std::string message = text;
  if (module != nullptr && *module != '\0') message = std::string(module) + ": " + message;
  return message;
}

int OnError(TIFF*, void* user, const char* module, const char* fmt, va_list ap) {
  auto* sink = static_cast<TiffMessages*>(user);
  if (sink != nullptr && sink->first_error.empty()) sink->first_error = Format(module, fmt, ap);
  return 1;  // handled: keeps libtiff's default printer quiet
}

int OnWarning(TIFF*, void* user, const char* module, const char* fmt, va_list ap) {
  auto* sink = static_cast<TiffMessages*>(user);
  if (sink != nullptr) sink->last_warning = Format(module, fmt, ap);
  return 1;
}

}  // namespace

std::string TiffMessages::Reason() const {
  // Decoder texts about row or strip "4294967295" are internal counters, not news for a reader.
  if (first_error.empty() || first_error.find("4294967295") != std::string::npos) return {};
  return " (" + first_error + ")";
}

TiffOptions MakeTiffOptions(TiffMessages* sink) {
  TiffOptions options(TIFFOpenOptionsAlloc());
  TIFFOpenOptionsSetErrorHandlerExtR(options.get(), OnError, sink);
  TIFFOpenOptionsSetWarningHandlerExtR(options.get(), OnWarning, sink);
  // A little above our own page limit, so libtiff's strip buffers for a legal page still fit.
  TIFFOpenOptionsSetMaxSingleMemAlloc(options.get(),
                                      static_cast<tmsize_t>(kMaxImageBytes + (uint64_t{64} << 20)));
  return options;
}

}  // namespace lumetrix::imaging::detail
