#pragma once
// Synthetic grey stacks written as TIFF files, one page after another.

#include <tiffio.h>

#include <cstdint>
#include <functional>
#include <string>

namespace lumetrix::bench {

// The tags every page of a grey stack carries.
struct GreyPage {
  uint32_t width = 0, height = 0;
  int bits = 8;  // 8 or 16 (in the machine's byte order)
  uint16_t compression = COMPRESSION_NONE;  // the tag is left out when none
  uint32_t rows_per_strip = 0;              // 0: libtiff's choice
  bool page_of_stack = false;               // NewSubfileType "page" (ImageJ's stacks carry it)
  std::string description;                  // the first page's ImageDescription; none when empty
};

// Fills `row` (width * bits / 8 bytes) with row `y` of page `page`. It is asked for the rows
// in file order: page after page, each from the top.
using GreyRowFill = std::function<void(int page, uint32_t y, uint8_t* row)>;

// Writes `pages` pages of `format` to `path`. Throws std::runtime_error when the file cannot be
// made.
void WriteGreyStack(const std::string& path, const GreyPage& format, int pages, const GreyRowFill& fill);

}  // namespace lumetrix::bench
