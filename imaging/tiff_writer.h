#pragma once
// Writes images as TIFF pages: 8-bit grey when the image is grey, otherwise 24-bit RGB, LZW
// compressed. Every page goes into a temporary file beside the target (core/staged_file.h),
// which replaces the target only once complete: a failure leaves an older file as it was.

#include <memory>
#include <string>

#include "core/staged_file.h"
#include "imaging/image_data.h"
#include "imaging/tiff_messages.h"

namespace lumetrix::imaging::detail {

struct EncodedPage;

// One TIFF file being written. With `append` the temporary file starts as a copy of the
// target, which must be a TIFF file. Throws ImageError.
class TiffOutput {
 public:
  TiffOutput(const std::string& target, bool append);
  ~TiffOutput();
  void Add(const Image& image);
  // A page compressed beforehand (EncodePage), written as it is.
  void AddEncoded(const EncodedPage& page);
  // The file takes the target's name.
  void Commit();

 private:
  [[noreturn]] void Fail() const;
  void Open(uint64_t page_budget);
  void CheckRoom(uint64_t page_budget);  // a standard file stays below 4 GB  // "cannot write <target> (libtiff's reason)"

  std::string target_;
  StagedFile staged_;
  bool append_;
  bool classic_ = true;
  TiffMessages messages_;
  TiffOptions options_;
  TiffHandle tif_;
};

// A new single-page file, or (append) one more page at the end of an existing TIFF file; a
// missing or empty file is started. A standard TIFF file that would grow past 4 GB is refused.
void WriteTiffPage(const std::string& path, const Image& image, bool append);

}  // namespace lumetrix::imaging::detail
