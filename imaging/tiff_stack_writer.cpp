#include "imaging/tiff_stack_writer.h"

#include "imaging/image_box.h"
#include "imaging/page_encoder_pool.h"
#include "imaging/tiff_writer.h"

namespace lumetrix::imaging {

TiffStackWriter::TiffStackWriter(const std::string& destination)
    : output_(std::make_unique<detail::TiffOutput>(destination, false)),
      pool_(std::make_unique<detail::PageEncoderPool>()) {}

TiffStackWriter::~TiffStackWriter() = default;

void TiffStackWriter::WriteReadyPages(size_t keep_pending) {
  while (pool_->Pending() > keep_pending) output_->AddEncoded(pool_->Next());
}

void TiffStackWriter::AddPage(const ImageBox& box) {
  pool_->Submit(box.ImageToSave());
  ++pages_;
  // A few pages per worker wait at most: enough to keep every core busy, little memory.
  WriteReadyPages(static_cast<size_t>(pool_->Threads()) * 2);
}

void TiffStackWriter::Commit() {
  WriteReadyPages(0);
  output_->Commit();
}

}  // namespace lumetrix::imaging
