#include "imaging/tiff_stack_writer.h"

#include "imaging/image_box.h"
#include "imaging/tiff_writer.h"

namespace lumetrix::imaging {

TiffStackWriter::TiffStackWriter(const std::string& destination)
    : output_(std::make_unique<detail::TiffOutput>(destination, false)) {}

TiffStackWriter::~TiffStackWriter() = default;

void TiffStackWriter::AddPage(const ImageBox& box) {
  output_->Add(box.ImageToSave());
  ++pages_;
}

void TiffStackWriter::Commit() { output_->Commit(); }

}  // namespace lumetrix::imaging
