// The LZW data and the block layout, checked at byte level and decoded by giflib.

#include <gtest/gtest.h>

#include <random>

#include "export/gif/gif_document.h"
#include "export/gif/gif_lzw_encoder.h"
#include "tests/gif/gif_test_support.h"

namespace lumetrix::gif {
namespace {

using namespace testing;
using Bytes = std::vector<uint8_t>;

cDIB IndexedPicture(int32_t width, int32_t height, const Bytes& pixels) {
  cDIB dib;
  EXPECT_TRUE(dib.Create(width, height, 8));
  for (int32_t y = 0; y < height; ++y)
    for (int32_t x = 0; x < width; ++x) dib.SetIndex(x, y, pixels[static_cast<size_t>(y) * width + x]);
  return dib;
}

// A one-frame document with a global grey palette of `entries` entries.
cGIF OneFrame(int32_t width, int32_t height, const Bytes& pixels, int entries) {
  cGIF doc;
  EXPECT_TRUE(doc.FrameInsert(1, width, height));
  doc.Frame(1).FrameDIBXOR() = IndexedPicture(width, height, pixels);
  doc.SetGlobalPaletteExists(true);
  for (int i = 0; i < entries; ++i) doc.SetGlobalPaletteRGBEntry(i, MakeRGBQuad(i * 255 / std::max(1, entries - 1), i * 255 / std::max(1, entries - 1), i * 255 / std::max(1, entries - 1)));
  doc.SetGlobalPaletteEntries(entries);
  return doc;
}

Bytes Encoded(const cGIF& doc) {
  Bytes bytes;
  EXPECT_TRUE(doc.Encode(bytes));
  return bytes;
}

// Offset of the first image's minimum code size byte (after the descriptor and any local table).
size_t ImageDataOffset(const Bytes& bytes) {
  size_t at = 13 + ((bytes[10] & 0x80) ? 3u << ((bytes[10] & 7) + 1) : 0u);
  while (bytes.at(at) == 0x21) {  // extensions: skip their sub-blocks
    for (at += 2; bytes.at(at) != 0; at += bytes[at] + 1u) {}
    ++at;
  }
  EXPECT_EQ(bytes.at(at), 0x2C);
  const uint8_t flags = bytes.at(at + 9);
  return at + 10 + ((flags & 0x80) ? 3u << ((flags & 7) + 1) : 0u);
}

Bytes EncodeOnly(int32_t width, const Bytes& pixels, int minCodeSize) {
  Bytes out;
  mGIFLZWEnc().WriteImageData(IndexedPicture(width, static_cast<int32_t>(pixels.size()) / width, pixels), false, minCodeSize, out);
  return out;
}

TEST(LzwEncoder, CodesAsWorkedOutByHand) {
  // 0 1 0 1 0 1 0 1 with code size 2: CC(4) 0 1 6, then 4 bits: 8 1 EOI(5), lowest bit first.
  EXPECT_EQ(EncodeOnly(8, {0, 1, 0, 1, 0, 1, 0, 1}, 2), (Bytes{0x02, 0x03, 0x44, 0x8C, 0x51, 0x00}));
  EXPECT_EQ(EncodeOnly(1, {0}, 2), (Bytes{0x02, 0x02, 0x44, 0x01, 0x00}));  // CC 0 EOI in 3 bits each
  // An index past the table is widened for: a code size of 2 would read 9 as a control code.
  EXPECT_EQ(EncodeOnly(2, {9, 0}, 2)[0], 4);
  EXPECT_EQ(EncodeOnly(2, {9, 0}, 1)[0], 4);
  EXPECT_EQ(EncodeOnly(2, {4, 0}, 2)[0], 3);
  EXPECT_EQ(EncodeOnly(2, {3, 0}, 0)[0], 2);
  cDIB truecolour;
  ASSERT_TRUE(truecolour.Create(4, 4, 32));
  Bytes none;
  mGIFLZWEnc().WriteImageData(truecolour, false, 8, none);
  EXPECT_EQ(none, (Bytes{8, 0}));  // no data for a picture that is not indexed
  EXPECT_EQ(mGIFLZWEnc::RowOrder(10, true), (std::vector<int32_t>{0, 8, 4, 2, 6, 1, 3, 5, 7, 9}));
  EXPECT_EQ(mGIFLZWEnc::RowOrder(5, true), (std::vector<int32_t>{0, 4, 2, 1, 3}));
  EXPECT_EQ(mGIFLZWEnc::RowOrder(4, true), (std::vector<int32_t>{0, 1, 2, 3}));
  EXPECT_EQ(mGIFLZWEnc::RowOrder(3, false), (std::vector<int32_t>{0, 1, 2}));
}

struct RoundTrip : ::testing::TestWithParam<std::tuple<int, int, int, bool>> {};

// Noise fills the 4096 codes many times over (clear codes), smooth content exercises long
// strings; every size of palette and both row orders must decode to the same pixels.
TEST_P(RoundTrip, GiflibDecodesThePixelsBack) {
  const auto [width, height, entries, interlaced] = GetParam();
  std::mt19937 random(static_cast<uint32_t>(width * 131 + height * 7 + entries));
  Bytes pixels(static_cast<size_t>(width) * height);
  for (size_t i = 0; i < pixels.size(); ++i)
    pixels[i] = static_cast<uint8_t>((i / width) % 3 == 0 ? random() % entries : (i % width) * entries / width);
  cGIF doc = OneFrame(width, height, pixels, entries);
  doc.Frame(1).SetFrameInterlaced(interlaced);
  TempDir folder;
  const DecodedGif gif = SaveAndDecode(doc, folder.File("round.gif"));
  ASSERT_EQ(gif.frames.size(), 1u);
  EXPECT_EQ(gif.frames[0].interlaced, interlaced && height > 4);
  EXPECT_EQ(gif.frames[0].pixels, pixels);
}

INSTANTIATE_TEST_SUITE_P(Sizes, RoundTrip,
                         ::testing::Values(std::make_tuple(1, 1, 2, false), std::make_tuple(7, 3, 2, true),
                                           std::make_tuple(33, 17, 4, true), std::make_tuple(64, 9, 16, false),
                                           std::make_tuple(300, 200, 256, false), std::make_tuple(257, 131, 256, true),
                                           std::make_tuple(640, 4, 200, true), std::make_tuple(2, 300, 3, true),
                                           std::make_tuple(2, 4, 4, true)));

TEST(GifBlocks, HeaderScreenAndPaletteTables) {
  cGIF doc = OneFrame(3, 2, {0, 1, 2, 3, 4, 5}, 256);
  doc.SetScreenPixelAspectRatio(1.0);
  doc.SetScreenBackgroundColorIndex(7);
  Bytes bytes = Encoded(doc);
  EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 6), "GIF89a");
  EXPECT_EQ(Bytes(bytes.begin() + 6, bytes.begin() + 13), (Bytes{3, 0, 2, 0, 0xF7, 7, 49}));
  EXPECT_EQ(bytes[13 + 3 * 255], 255);  // 256 RGB triples, entry 255 white
  EXPECT_EQ(bytes[ImageDataOffset(bytes)], 8);
  EXPECT_EQ(bytes.back(), 0x3B);
  doc.SetGlobalPaletteSorted(true);
  EXPECT_EQ(Encoded(doc)[10], 0xFF);
  // Two entries: g = 1, size bits 0, minimum code size 2 (also in the descriptor: g - 1).
  bytes = Encoded(OneFrame(2, 2, {0, 1, 1, 0}, 2));
  EXPECT_EQ(bytes[10], 0x80);
  EXPECT_EQ(bytes[ImageDataOffset(bytes)], 2);
  EXPECT_EQ(bytes[ImageDataOffset(bytes) - 1] & 7, 0);
  // Five entries: a table of 8 (g = 3), the rest written as zero, the looping block after it.
  bytes = Encoded(OneFrame(2, 1, {0, 4}, 5));
  EXPECT_EQ(bytes[10], 0x80 | (2 << 4) | 2);
  EXPECT_EQ(Bytes(bytes.begin() + 13 + 12, bytes.begin() + 13 + 24), (Bytes{255, 255, 255, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(bytes[13 + 24], 0x21);
}

TEST(GifBlocks, LoopAndGraphicControlBlocks) {
  cGIF doc = OneFrame(1, 1, {0}, 2);
  doc.Frame(1).SetframeDelay(7);
  doc.Frame(1).SetFrameDisposalMethod(3);
  Bytes bytes = Encoded(doc);
  EXPECT_EQ(Bytes(bytes.begin() + 19, bytes.begin() + 38),
            (Bytes{0x21, 0xFF, 11, 'N', 'E', 'T', 'S', 'C', 'A', 'P', 'E', '2', '.', '0', 3, 1, 0, 0, 0}));
  EXPECT_EQ(Bytes(bytes.begin() + 38, bytes.begin() + 46), (Bytes{0x21, 0xF9, 0x04, 0x0C, 0x07, 0x00, 0x00, 0x00}));
  // Transparency and user input: flags 0x0C | 2 | 1 and the index; without the flag the index
  // byte is 0 whatever the frame holds.
  doc.Frame(1).SetFrameUseTransparentColor(true);
  doc.Frame(1).SetFrameTransparentColorIndex(1);
  doc.Frame(1).SetFrameUserInput(true);
  bytes = Encoded(doc);
  EXPECT_EQ(std::tuple(bytes[41], bytes[44]), std::tuple(0x0F, 1));
  doc.Frame(1).SetFrameUseTransparentColor(false);
  bytes = Encoded(doc);
  EXPECT_EQ(std::tuple(bytes[41], bytes[44]), std::tuple(0x0E, 0));
  doc.SetAnimationLoops(0x1234);
  bytes = Encoded(doc);
  EXPECT_EQ(std::tuple(bytes[19 + 16], bytes[19 + 17]), std::tuple(0x34, 0x12));
  TempDir folder;
  EXPECT_EQ(SaveAndDecode(doc, folder.File("loop.gif")).loops, 0x1234);
}

TEST(GifBlocks, ImageDescriptorWithLocalPaletteAndHeightFourNeverInterlaced) {
  cGIF doc = OneFrame(3, 9, Bytes(27, 1), 2);
  clsGIFframe& f = doc.Frame(1);
  f.SetFrameLeft(0x0102);
  f.SetFrameTop(3);
  f.SetFrameInterlaced(true);
  f.SetLocalPaletteUsed(true);
  f.SetLocalPaletteSorted(true);
  const RGBQuad colours[3] = {MakeRGBQuad(1, 2, 3), MakeRGBQuad(4, 5, 6), MakeRGBQuad(7, 8, 9)};
  f.SetLocalPalette(colours, 3);
  const Bytes bytes = Encoded(doc);
  const size_t d = 13 + 6 + 19 + 8;
  EXPECT_EQ(Bytes(bytes.begin() + d, bytes.begin() + d + 23),
            (Bytes{0x2C, 0x02, 0x01, 3, 0, 3, 0, 9, 0, 0x80 | 0x40 | 0x20 | 1, 1, 2, 3, 4, 5, 6, 7, 8, 9, 0, 0, 0, 2}));
  // Height 4: rows in order and the interlace bit clear, the same bytes as without the flag.
  cGIF four = OneFrame(2, 4, {0, 0, 1, 1, 2, 2, 3, 3}, 4);
  const Bytes plain = Encoded(four);
  four.Frame(1).SetFrameInterlaced(true);
  EXPECT_EQ(Encoded(four), plain);
  EXPECT_EQ(plain[ImageDataOffset(plain) - 1] & 0x40, 0);
}

TEST(GifBlocks, LongFramesAreRunsOf254ByteSubBlocks) {
  std::mt19937 random(5);
  Bytes pixels(200 * 100);
  for (auto& p : pixels) p = static_cast<uint8_t>(random());
  const Bytes bytes = Encoded(OneFrame(200, 100, pixels, 256));
  size_t at = ImageDataOffset(bytes) + 1;
  int fullBlocks = 0;
  for (; bytes[at] == 0xFE; at += 255) ++fullBlocks;
  EXPECT_GT(fullBlocks, 50);
  ASSERT_GT(bytes[at], 0);
  ASSERT_LT(bytes[at], 0xFE);  // the final, shorter block
  at += bytes[at] + 1u;
  EXPECT_EQ(Bytes(bytes.begin() + at, bytes.end()), (Bytes{0, 0x3B}));  // terminator, trailer
}

TEST(GifBlocks, EmptyDocumentsAreFilesAndTruecolourFramesAreRefused) {
  EXPECT_EQ(Encoded(cGIF{}), (Bytes{'G', 'I', 'F', '8', '9', 'a', 0, 0, 0, 0, 0, 0, 0, 0x3B}));
  cGIF doc = OneFrame(2, 2, {0, 1, 1, 0}, 2);
  doc.Frame(1).FrameDIBXOR().Create(2, 2, 32);
  Bytes bytes;
  std::string error;
  EXPECT_FALSE(doc.Encode(bytes, &error));
  EXPECT_NE(error.find("frame 1"), std::string::npos);
}

}  // namespace
}  // namespace lumetrix::gif
