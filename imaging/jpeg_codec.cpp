#include "imaging/jpeg_codec.h"

// clang-format off
#include <cstdio>
#include <jpeglib.h>
#include <jerror.h>
// clang-format on

#include <algorithm>
#include <climits>
#include <csetjmp>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "imaging/bmp_codec.h"
#include "imaging/file_probe.h"
#include "imaging/image_box.h"

namespace lumetrix::imaging::detail {

namespace {

// libjpeg reports fatal errors through error_exit, which must not return: we jump back to
// the caller's setjmp. Only plain C objects live between the two points.
struct ErrorManager {
  jpeg_error_mgr pub;
  jmp_buf jump;
  char message[JMSG_LENGTH_MAX];
  bool truncated;
};

void OnFatal(j_common_ptr cinfo) {
  auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
  (*cinfo->err->format_message)(cinfo, err->message);
  std::longjmp(err->jump, 1);
}

void OnMessage(j_common_ptr cinfo, int level) {
  auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
  // Warnings (-1) about data that ends early mean lost pixels: treat them as truncation.
  if (level < 0 && (cinfo->err->msg_code == JWRN_JPEG_EOF || cinfo->err->msg_code == JWRN_HIT_MARKER)) {
    err->truncated = true;
  }
}

void Quiet(j_common_ptr) {}

void InstallErrors(ErrorManager& err) {
  jpeg_std_error(&err.pub);
  err.pub.error_exit = OnFatal;
  err.pub.emit_message = OnMessage;
  err.pub.output_message = Quiet;
  err.message[0] = '\0';
  err.truncated = false;
}

// Returns an empty string on success, else the reason. `out` is sized by the callback.
struct DecodeTarget {
  std::vector<uint8_t>* pixels;
  std::vector<uint8_t>* cmyk_row;  // owned by the caller: nothing with a destructor may be
                                   // created between setjmp and a possible longjmp
  uint32_t width;
  uint32_t height;
  int channels;  // 1 grey, 3 BGR
  bool cmyk;
};

std::string DecodeInto(const uint8_t* data, size_t size, DecodeTarget& target) {
  jpeg_decompress_struct cinfo;
  ErrorManager err;
  InstallErrors(err);
  cinfo.err = &err.pub;
  if (setjmp(err.jump)) {
    jpeg_destroy_decompress(&cinfo);
    return err.message[0] ? err.message : "the JPEG data is damaged";
  }
  jpeg_create_decompress(&cinfo);
  jpeg_mem_src(&cinfo, data, static_cast<unsigned long>(size));
  jpeg_read_header(&cinfo, TRUE);
  target.cmyk = false;
  if (cinfo.jpeg_color_space == JCS_GRAYSCALE) {
    cinfo.out_color_space = JCS_GRAYSCALE;
    target.channels = 1;
  } else if (cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK) {
    cinfo.out_color_space = JCS_CMYK;
    target.channels = 3;
    target.cmyk = true;
  } else {
    cinfo.out_color_space = JCS_EXT_BGR;
    target.channels = 3;
  }
  target.width = cinfo.image_width;
  target.height = cinfo.image_height;
  const uint64_t bytes = uint64_t{target.width} * target.height * static_cast<uint64_t>(target.channels);
  if (target.width == 0 || target.height == 0 || bytes > kMaxImageBytes) {
    jpeg_destroy_decompress(&cinfo);
    return "size";
  }
  // A few bytes may declare a huge image: libjpeg's own buffers (progressive files keep every
  // coefficient) are capped by the file's size, and the pixels grow only as rows decode, so that
  // data that ends early is refused before the whole image is allocated.
  cinfo.mem->max_memory_to_use = static_cast<long>(std::min<uint64_t>(
      (uint64_t{64} << 20) + uint64_t{size} * 128, uint64_t{LONG_MAX}));
  jpeg_start_decompress(&cinfo);
  const size_t row_bytes = size_t{target.width} * static_cast<size_t>(target.channels);
  target.pixels->clear();
  if (target.cmyk) target.cmyk_row->resize(size_t{target.width} * 4);
  uint8_t* cmyk_row = target.cmyk_row->data();
  while (cinfo.output_scanline < cinfo.output_height) {
    if (err.truncated) break;
    const size_t needed = (size_t{cinfo.output_scanline} + 1) * row_bytes;
    if (needed > target.pixels->size()) {
      target.pixels->resize(std::min<size_t>(bytes, std::max(needed, 2 * target.pixels->size())));
    }
    uint8_t* dst = target.pixels->data() + cinfo.output_scanline * row_bytes;
    JSAMPROW row = target.cmyk ? cmyk_row : dst;
    jpeg_read_scanlines(&cinfo, &row, 1);
    if (target.cmyk) {
      // Adobe writes inverted CMYK; with that convention RGB = CMY scaled by K.
      for (uint32_t x = 0; x < target.width; ++x) {
        const unsigned k = cmyk_row[4 * x + 3];
        dst[3 * x + 2] = static_cast<uint8_t>(cmyk_row[4 * x] * k / 255);
        dst[3 * x + 1] = static_cast<uint8_t>(cmyk_row[4 * x + 1] * k / 255);
        dst[3 * x] = static_cast<uint8_t>(cmyk_row[4 * x + 2] * k / 255);
      }
    }
  }
  if (err.truncated) {
    jpeg_destroy_decompress(&cinfo);
    return "truncated";
  }
  jpeg_finish_decompress(&cinfo);
  jpeg_destroy_decompress(&cinfo);
  return err.truncated ? "truncated" : "";
}

}  // namespace

void DecodeJpeg(const uint8_t* data, size_t size, const std::string& name, Image& out) {
  std::vector<uint8_t> cmyk_row;
  DecodeTarget target{&out.pixels, &cmyk_row, 0, 0, 0, false};
  const std::string problem = DecodeInto(data, size, target);
  if (problem == "size") {
    CheckImageSize(target.width, target.height, 3, name);
    throw ImageError(name + " is too large");
  }
  if (problem == "truncated") throw ImageError(name + " is truncated");
  if (!problem.empty()) throw ImageError(name + " cannot be read as a JPEG file (" + problem + ")");
  out.width = static_cast<int32_t>(target.width);
  out.height = static_cast<int32_t>(target.height);
  out.kind = target.channels == 1 ? PixelKind::kGrey : PixelKind::kColour;
  out.bit_depth = target.channels == 1 ? 8 : 24;
  out.source = target.channels == 1 ? "grey JPEG" : (target.cmyk ? "CMYK JPEG" : "colour JPEG");
}

void ReadJpegFile(const std::string& path, Image& out) {
  const std::vector<uint8_t> bytes = ReadWholeFile(path, kMaxImageBytes);
  DecodeJpeg(bytes.data(), bytes.size(), FileNameOf(path), out);
}

namespace {

std::string EncodeInto(const Image& image, int quality, unsigned char** buffer, unsigned long* length) {
  jpeg_compress_struct cinfo;
  ErrorManager err;
  InstallErrors(err);
  cinfo.err = &err.pub;
  if (setjmp(err.jump)) {
    jpeg_destroy_compress(&cinfo);
    return err.message[0] ? err.message : "the JPEG encoder failed";
  }
  jpeg_create_compress(&cinfo);
  jpeg_mem_dest(&cinfo, buffer, length);
  cinfo.image_width = static_cast<JDIMENSION>(image.width);
  cinfo.image_height = static_cast<JDIMENSION>(image.height);
  const bool grey = image.kind == PixelKind::kGrey;
  cinfo.input_components = grey ? 1 : 3;
  cinfo.in_color_space = grey ? JCS_GRAYSCALE : JCS_EXT_BGR;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, quality, TRUE);
  if (!grey && quality >= 90) {
    // High quality: keep full colour resolution (no chroma subsampling).
    for (int c = 0; c < cinfo.num_components; ++c) {
      cinfo.comp_info[c].h_samp_factor = 1;
      cinfo.comp_info[c].v_samp_factor = 1;
    }
  }
  jpeg_start_compress(&cinfo, TRUE);
  const size_t row_bytes = size_t(image.width) * (grey ? 1 : 3);
  while (cinfo.next_scanline < cinfo.image_height) {
    JSAMPROW row = const_cast<uint8_t*>(image.pixels.data() + cinfo.next_scanline * row_bytes);
    jpeg_write_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_compress(&cinfo);
  jpeg_destroy_compress(&cinfo);
  return "";
}

}  // namespace

std::vector<uint8_t> EncodeJpeg(const Image& image, int quality) {
  if (image.width > 65500 || image.height > 65500) {
    throw ImageError("the image is too large for a JPEG file (at most 65500 x 65500 pixels)");
  }
  Image colour;
  const Image* src = &WithoutPalette(image, colour);
  unsigned char* buffer = nullptr;
  unsigned long length = 0;
  const std::string problem = EncodeInto(*src, std::clamp(quality, 1, 100), &buffer, &length);
  std::unique_ptr<unsigned char, void (*)(void*)> owned(buffer, &std::free);
  if (!problem.empty()) throw ImageError("the JPEG file cannot be written (" + problem + ")");
  return std::vector<uint8_t>(buffer, buffer + length);
}

void WriteJpegFile(const std::string& path, const Image& image, int quality) {
  const std::vector<uint8_t> bytes = EncodeJpeg(image, quality);
  WriteFileBytes(path, bytes);
}

}  // namespace lumetrix::imaging::detail
