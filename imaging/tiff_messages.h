#pragma once
// libtiff reports through handler callbacks; these route them into a per-file sink so that
// nothing reaches stderr and the first error text can be shown to the user.

#include <tiffio.h>

#include <memory>
#include <string>

namespace lumetrix::imaging::detail {

struct TiffMessages {
  std::string first_error;
  std::string last_warning;
  void Reset() {
    first_error.clear();
    last_warning.clear();
  }
  // " (reason)" when libtiff said why, else "".
  std::string Reason() const;
};

struct TiffOptionsDeleter {
  void operator()(TIFFOpenOptions* options) const { TIFFOpenOptionsFree(options); }
};
using TiffOptions = std::unique_ptr<TIFFOpenOptions, TiffOptionsDeleter>;

// Options that send every libtiff error and warning to `sink` and cap single allocations.
TiffOptions MakeTiffOptions(TiffMessages* sink);

struct TiffCloser {
  void operator()(TIFF* tif) const { TIFFClose(tif); }
};
using TiffHandle = std::unique_ptr<TIFF, TiffCloser>;

}  // namespace lumetrix::imaging::detail
