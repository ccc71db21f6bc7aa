// Writes the bundled sample volumes into the folder given on the command line:
//   beads.tif      256 x 256 x 64, 8-bit grey, LZW: beads and fibres as a widefield microscope
//                  with some out-of-focus haze would record them
//   beads_rgb.tif  256 x 256 x 32, 8-bit RGB, LZW: fibres (red), puncta (green), nuclei (blue)
//   beads16.tif    128 x 128 x 32, 16-bit grey (12-bit camera range), uncompressed
// Everything comes from fixed seeds, so every build writes the same files.

#include <tiffio.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "samples/synth.h"

namespace {

using lumetrix::samples::Random;
using lumetrix::samples::Volume;

int Quiet(TIFF*, void* user, const char* module, const char* fmt, va_list ap) {
  if (user != nullptr) {
    char text[512];
    std::vsnprintf(text, sizeof text, fmt, ap);
    std::fprintf(stderr, "lumetrix_make_samples: %s: %s\n", module ? module : "libtiff", text);
  }
  return 1;
}

// Pages are z slices; `planes` holds `channels` volumes of depth pages each, sample (c, z, y, x).
bool WriteStack(const std::string& path, int w, int h, int d, int channels, int bits, uint16_t compression,
                const std::vector<std::vector<uint16_t>>& planes, const char* description) {
  const std::string partial = path + ".partial";
  TIFFOpenOptions* options = TIFFOpenOptionsAlloc();
  TIFFOpenOptionsSetErrorHandlerExtR(options, Quiet, const_cast<char*>("error"));
  TIFFOpenOptionsSetWarningHandlerExtR(options, Quiet, nullptr);
  TIFF* tif = TIFFOpenExt(partial.c_str(), "w", options);
  TIFFOpenOptionsFree(options);
  if (tif == nullptr) return false;
  const size_t bytes = size_t(bits / 8);
  const size_t row = size_t(w) * channels * bytes;
  const uint32_t rows_per_strip = 16;
  std::vector<uint8_t> strip(row * rows_per_strip);
  bool ok = true;
  for (int z = 0; z < d && ok; ++z) {
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, w);
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, h);
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, bits);
    TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, channels);
    TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, channels == 3 ? PHOTOMETRIC_RGB : PHOTOMETRIC_MINISBLACK);
    TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(tif, TIFFTAG_COMPRESSION, compression);
    TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, rows_per_strip);
    TIFFSetField(tif, TIFFTAG_SUBFILETYPE, FILETYPE_PAGE);
    TIFFSetField(tif, TIFFTAG_PAGENUMBER, z, d);
    TIFFSetField(tif, TIFFTAG_IMAGEDESCRIPTION, description);
    TIFFSetField(tif, TIFFTAG_SOFTWARE, "Lumetrix sample generator");
    for (int y0 = 0, s = 0; y0 < h && ok; y0 += rows_per_strip, ++s) {
      const int rows = std::min<int>(rows_per_strip, h - y0);
      for (int y = y0; y < y0 + rows; ++y) {
        for (int x = 0; x < w; ++x) {
          for (int c = 0; c < channels; ++c) {
            const uint16_t v = planes[c][(size_t(z) * h + y) * w + x];
            uint8_t* at = strip.data() + size_t(y - y0) * row + (size_t(x) * channels + c) * bytes;
            if (bits == 8) {
              *at = static_cast<uint8_t>(v);
            } else {
              std::memcpy(at, &v, 2);
            }
          }
        }
      }
      ok = TIFFWriteEncodedStrip(tif, s, strip.data(), static_cast<tmsize_t>(row * rows)) >= 0;
    }
    ok = ok && TIFFWriteDirectory(tif);
  }
  TIFFClose(tif);
  std::error_code ec;
  if (ok) std::filesystem::rename(partial, path, ec);
  if (!ok || ec) {
    std::filesystem::remove(partial, ec);
    std::fprintf(stderr, "lumetrix_make_samples: cannot write %s\n", path.c_str());
    return false;
  }
  return true;
}

// Widefield-like point spread: a sharp core plus a wide, faint out-of-focus halo.
void Image(Volume& v, double sxy, double sz, float haze) {
  Volume halo = v;
  v.Blur(sxy, sxy, sz);
  halo.Blur(3 * sxy, 3 * sxy, 2.5 * sz);
  v.Add(halo, haze);
}

std::vector<uint16_t> Grey8(Random& random) {
  Volume v(256, 256, 64);
  lumetrix::samples::AddBeads(v, random, 360, 75);
  lumetrix::samples::AddFilaments(v, random, 10, 14, 320);
  Image(v, 1.3, 2.8, 0.25f);
  return lumetrix::samples::Expose(v, random, 200, 9, 1.5, 1.0, 4, 255);
}

std::vector<std::vector<uint16_t>> Rgb(Random& random) {
  std::vector<std::vector<uint16_t>> channels;
  Volume fibres(256, 256, 32), puncta(256, 256, 32), nuclei(256, 256, 32);
  lumetrix::samples::AddFilaments(fibres, random, 22, 11, 260);
  Image(fibres, 1.2, 1.8, 0.2f);
  channels.push_back(lumetrix::samples::Expose(fibres, random, 160, 6, 1.5, 1.0, 3, 255));
  lumetrix::samples::AddBeads(puncta, random, 300, 40);
  Image(puncta, 1.2, 1.8, 0.2f);
  channels.push_back(lumetrix::samples::Expose(puncta, random, 190, 6, 1.5, 1.0, 3, 255));
  lumetrix::samples::AddNuclei(nuclei, random, 3, 1.0);
  Image(nuclei, 1.5, 2.0, 0.1f);
  channels.push_back(lumetrix::samples::Expose(nuclei, random, 120, 5, 1.5, 1.0, 3, 255));
  return channels;
}

std::vector<uint16_t> Grey16(Random& random) {
  Volume v(128, 128, 32);
  lumetrix::samples::AddBeads(v, random, 60, 60);
  lumetrix::samples::AddFilaments(v, random, 4, 12, 160);
  Image(v, 1.2, 2.2, 0.2f);
  return lumetrix::samples::Expose(v, random, 2600, 280, 6, 1.0, 100, 4095);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: lumetrix_make_samples FOLDER\n");
    return 2;
  }
  const std::string folder = argv[1];
  std::error_code ec;
  std::filesystem::create_directories(folder, ec);
  Random random(20240611);
  bool ok = WriteStack(folder + "/beads.tif", 256, 256, 64, 1, 8, COMPRESSION_LZW, {Grey8(random)},
                       "Lumetrix sample: fluorescent beads and fibres, widefield, 64 slices");
  ok = WriteStack(folder + "/beads_rgb.tif", 256, 256, 32, 3, 8, COMPRESSION_LZW, Rgb(random),
                  "Lumetrix sample: fibres (red), puncta (green), nuclei (blue), 32 slices") && ok;
  ok = WriteStack(folder + "/beads16.tif", 128, 128, 32, 1, 16, COMPRESSION_NONE, {Grey16(random)},
                  "Lumetrix sample: beads and fibres, 12-bit camera, 32 slices") && ok;
  return ok ? 0 : 1;
}
