// The LZW data and the block layout, checked at byte level and decoded by giflib.
#include <gtest/gtest.h>

#include <random>

#include "export/gif/gif_document.h"
#include "export/gif/gif_lzw_encoder.h"
#include "gif_test_support.h"

namespace lumetrix::gif {
namespace {

using testing::DecodedGif;
using testing::DecodeWithGiflib;
using testing::ReadBytes;
using testing::ScratchFolder;

cDIB IndexedPicture(int32_t width, int32_t height, const std::vector<uint8_t>& pixels) {
  cDIB dib;
  EXPECT_TRUE(dib.Create(width, height, 8));
  for (int32_t y = 0; y < height; ++y)
    for (int32_t x = 0; x < width; ++x) dib.SetIndex(x, y, pixels[static_cast<size_t>(y) * width + x]);
  return dib;
}

// A one-frame document with a global grey palette of `entries` entries.
cGIF OneFrame(const cDIB& picture, int entries) {
  cGIF doc;
  EXPECT_TRUE(doc.FrameInsert(1, picture.Width(), picture.Height()));
  doc.Frame(1).FrameDIBXOR() = picture;
  doc.SetGlobalPaletteExists(true);
  for (int i = 0; i < entries; ++i) {
    const auto v = static_cast<uint8_t>(entries > 1 ? i * 255 / (entries - 1) : 0);
    doc.SetGlobalPaletteRGBEntry(i, MakeRGBQuad(v, v, v));
  }
  doc.SetGlobalPaletteEntries(entries);
  return doc;
}

// Offset of the first image's minimum code size byte (after the descriptor and any local table).
size_t ImageDataOffset(const std::vector<uint8_t>& bytes) {
  size_t at = 13;
  if (bytes[10] & 0x80) at += 3u << ((bytes[10] & 7) + 1);
  while (bytes.at(at) == 0x21) {  // extensions: skip their sub-blocks
    at += 2;
    while (bytes.at(at) != 0) at += bytes[at] + 1u;
    ++at;
  }
  EXPECT_EQ(bytes.at(at), 0x2C);
  const uint8_t flags = bytes.at(at + 9);
  at += 10;
  if (flags & 0x80) at += 3u << ((flags & 7) + 1);
  return at;
}

std::vector<uint8_t> EncodeOnly(const cDIB& picture, bool interlaced, int minCodeSize) {
  std::vector<uint8_t> out;
  mGIFLZWEnc encoder;
  encoder.WriteImageData(picture, interlaced, minCodeSize, out);
  return out;
}

TEST(LzwEncoder, TwoColourStripeEncodesAsWorkedOutByHand) {
  // 0 1 0 1 0 1 0 1 with code size 3: CC(4) 0 1 6, then 4 bits: 8 1 EOI(5).
  const cDIB picture = IndexedPicture(8, 1, {0, 1, 0, 1, 0, 1, 0, 1});
  const std::vector<uint8_t> expected = {0x02, 0x03, 0x44, 0x8C, 0x51, 0x00};
  EXPECT_EQ(EncodeOnly(picture, false, 2), expected);
}

TEST(LzwEncoder, SinglePixel) {
  // CC(4) 0 EOI(5) in 3 bits each, lowest bit first: 0x44, 0x01.
  const cDIB picture = IndexedPicture(1, 1, {0});
  const std::vector<uint8_t> expected = {0x02, 0x02, 0x44, 0x01, 0x00};
  EXPECT_EQ(EncodeOnly(picture, false, 2), expected);
}

TEST(LzwEncoder, CodeSizeIsWidenedForIndicesPastTheTable) {
  // Index 9 needs 4 bits: a code size of 2 would make it read as a control code.
  const cDIB picture = IndexedPicture(2, 1, {9, 0});
  EXPECT_EQ(EncodeOnly(picture, false, 2)[0], 4);
  EXPECT_EQ(EncodeOnly(picture, false, 1)[0], 4);
  const cDIB small = IndexedPicture(2, 1, {3, 0});
  EXPECT_EQ(EncodeOnly(small, false, 0)[0], 2);
}

TEST(LzwEncoder, InterlacePassOrder) {
  EXPECT_EQ(mGIFLZWEnc::RowOrder(10, true), (std::vector<int32_t>{0, 8, 4, 2, 6, 1, 3, 5, 7, 9}));
  EXPECT_EQ(mGIFLZWEnc::RowOrder(4, true), (std::vector<int32_t>{0, 1, 2, 3}));
  EXPECT_EQ(mGIFLZWEnc::RowOrder(5, true), (std::vector<int32_t>{0, 4, 2, 1, 3}));
  EXPECT_EQ(mGIFLZWEnc::RowOrder(3, false), (std::vector<int32_t>{0, 1, 2}));
}

TEST(LzwEncoder, NonIndexedPictureWritesNoData) {
  cDIB picture;
  ASSERT_TRUE(picture.Create(4, 4, 32));
  EXPECT_EQ(EncodeOnly(picture, false, 8), (std::vector<uint8_t>{8, 0}));
}

struct RoundTrip : ::testing::TestWithParam<std::tuple<int, int, int, bool>> {};

// Noise fills the 4096 codes many times over (clear codes), smooth content exercises long
// strings; every size of palette and both row orders must decode to the same pixels.
TEST_P(RoundTrip, GiflibDecodesThePixelsBack) {
  const auto [width, height, entries, interlaced] = GetParam();
  std::mt19937 random(static_cast<uint32_t>(width * 131 + height * 7 + entries));
  std::vector<uint8_t> pixels(static_cast<size_t>(width) * height);
  for (size_t i = 0; i < pixels.size(); ++i) {
    const int smooth = static_cast<int>((i % width) * entries / width);
    pixels[i] = static_cast<uint8_t>((i / width) % 3 == 0 ? random() % entries : smooth);
  }
  cGIF doc = OneFrame(IndexedPicture(width, height, pixels), entries);
  doc.Frame(1).SetFrameInterlaced(interlaced);
  ScratchFolder folder;
  const auto path = folder / "round.gif";
  ASSERT_TRUE(doc.Save(path.string()));
  DecodedGif gif;
  std::string error;
  ASSERT_TRUE(DecodeWithGiflib(path.string(), gif, error)) << error;
  ASSERT_EQ(gif.frames.size(), 1u);
  EXPECT_EQ(gif.frames[0].interlaced, interlaced && height > 4);
  EXPECT_EQ(gif.frames[0].pixels, pixels);
}

INSTANTIATE_TEST_SUITE_P(Sizes, RoundTrip,
                         ::testing::Values(std::make_tuple(1, 1, 2, false), std::make_tuple(7, 3, 2, true),
                                           std::make_tuple(33, 17, 4, true), std::make_tuple(64, 9, 16, false),
                                           std::make_tuple(300, 200, 256, false),
                                           std::make_tuple(257, 131, 256, true),
                                           std::make_tuple(640, 4, 200, true),
                                           std::make_tuple(2, 300, 3, true)));

TEST(GifBlocks, TwoEntryGlobalPaletteWritesMinimumCodeSize2) {
  const cGIF doc = OneFrame(IndexedPicture(2, 2, {0, 1, 1, 0}), 2);
  std::vector<uint8_t> bytes;
  ASSERT_TRUE(doc.Encode(bytes));
  EXPECT_EQ(bytes[10], 0x80);  // g = 1: table of 2 entries, size bits 0
  EXPECT_EQ(bytes.size() > 13 + 6u, true);
  const size_t data = ImageDataOffset(bytes);
  EXPECT_EQ(bytes[data], 2);
  EXPECT_EQ(bytes[data - 1] & 7, 0);  // descriptor size bits g - 1
}

TEST(GifBlocks, HeaderScreenAndFullPaletteFlags) {
  cGIF doc = OneFrame(IndexedPicture(3, 2, {0, 1, 2, 3, 4, 5}), 256);
  doc.SetScreenPixelAspectRatio(1.0);
  doc.SetScreenBackgroundColorIndex(7);
  std::vector<uint8_t> bytes;
  ASSERT_TRUE(doc.Encode(bytes));
  EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 6), "GIF89a");
  EXPECT_EQ(bytes[6], 3);
  EXPECT_EQ(bytes[7], 0);
  EXPECT_EQ(bytes[8], 2);
  EXPECT_EQ(bytes[10], 0xF7);
  EXPECT_EQ(bytes[11], 7);
  EXPECT_EQ(bytes[12], 49);
  // The colour table: 256 RGB triples, entry 255 white.
  EXPECT_EQ(bytes[13 + 3 * 255], 255);
  EXPECT_EQ(bytes[ImageDataOffset(bytes)], 8);
  EXPECT_EQ(bytes.back(), 0x3B);
  doc.SetGlobalPaletteSorted(true);
  ASSERT_TRUE(doc.Encode(bytes));
  EXPECT_EQ(bytes[10], 0xFF);
}

TEST(GifBlocks, TableSizesAreRoundedUpToPowersOfTwo) {
  cGIF doc = OneFrame(IndexedPicture(2, 1, {0, 4}), 5);
  std::vector<uint8_t> bytes;
  ASSERT_TRUE(doc.Encode(bytes));
  EXPECT_EQ(bytes[10], 0x80 | (2 << 4) | 2);  // g = 3: 8 entries
  // Entries past the count are written as zero.
  for (int i = 5; i < 8; ++i) EXPECT_EQ(bytes[13 + 3 * i], 0);
  EXPECT_EQ(bytes[13 + 3 * 4], 255);
  EXPECT_EQ(bytes[13 + 24], 0x21);  // the looping block follows the 8-entry table
}

TEST(GifBlocks, LoopBlockIsAlwaysWritten) {
  cGIF doc = OneFrame(IndexedPicture(1, 1, {0}), 2);
  std::vector<uint8_t> bytes;
  ASSERT_TRUE(doc.Encode(bytes));
  const std::vector<uint8_t> loop = {0x21, 0xFF, 11, 'N', 'E', 'T', 'S', 'C', 'A', 'P', 'E', '2', '.', '0', 3, 1, 0, 0, 0};
  EXPECT_EQ(std::vector<uint8_t>(bytes.begin() + 19, bytes.begin() + 38), loop);
  doc.SetAnimationLoops(0x1234);
  ASSERT_TRUE(doc.Encode(bytes));
  EXPECT_EQ(bytes[19 + 16], 0x34);
  EXPECT_EQ(bytes[19 + 17], 0x12);
  ScratchFolder folder;
  ASSERT_TRUE(doc.Save((folder / "loop.gif").string()));
  DecodedGif gif;
  std::string error;
  ASSERT_TRUE(DecodeWithGiflib((folder / "loop.gif").string(), gif, error)) << error;
  EXPECT_EQ(gif.loops, 0x1234);
}

TEST(GifBlocks, GraphicControlForDelay7Disposal3) {
  cGIF doc = OneFrame(IndexedPicture(1, 1, {0}), 2);
  doc.Frame(1).SetframeDelay(7);
  doc.Frame(1).SetFrameDisposalMethod(3);
  std::vector<uint8_t> bytes;
  ASSERT_TRUE(doc.Encode(bytes));
  const std::vector<uint8_t> control = {0x21, 0xF9, 0x04, 0x0C, 0x07, 0x00, 0x00, 0x00};
  EXPECT_EQ(std::vector<uint8_t>(bytes.begin() + 38, bytes.begin() + 46), control);
  // Transparency and user input: flags 0x0C | 2 | 1 and the index.
  doc.Frame(1).SetFrameUseTransparentColor(true);
  doc.Frame(1).SetFrameTransparentColorIndex(1);
  doc.Frame(1).SetFrameUserInput(true);
  ASSERT_TRUE(doc.Encode(bytes));
  EXPECT_EQ(bytes[41], 0x0F);
  EXPECT_EQ(bytes[44], 1);
  // Without the flag the index byte is 0 whatever the frame holds.
  doc.Frame(1).SetFrameUseTransparentColor(false);
  ASSERT_TRUE(doc.Encode(bytes));
  EXPECT_EQ(bytes[41], 0x0E);
  EXPECT_EQ(bytes[44], 0);
}

TEST(GifBlocks, ImageDescriptorWithLocalPalette) {
  cGIF doc = OneFrame(IndexedPicture(3, 9, std::vector<uint8_t>(27, 1)), 2);
  clsGIFframe& f = doc.Frame(1);
  f.SetFrameLeft(0x0102);
  f.SetFrameTop(3);
  f.SetFrameInterlaced(true);
  f.SetLocalPaletteUsed(true);
  f.SetLocalPaletteSorted(true);
  const RGBQuad colours[3] = {MakeRGBQuad(1, 2, 3), MakeRGBQuad(4, 5, 6), MakeRGBQuad(7, 8, 9)};
  f.SetLocalPalette(colours, 3);
  std::vector<uint8_t> bytes;
  ASSERT_TRUE(doc.Encode(bytes));
  const size_t d = 13 + 6 + 19 + 8;
  ASSERT_EQ(bytes[d], 0x2C);
  EXPECT_EQ(std::vector<uint8_t>(bytes.begin() + d + 1, bytes.begin() + d + 10),
            (std::vector<uint8_t>{0x02, 0x01, 3, 0, 3, 0, 9, 0, 0x80 | 0x40 | 0x20 | 1}));
  EXPECT_EQ(std::vector<uint8_t>(bytes.begin() + d + 10, bytes.begin() + d + 22),
            (std::vector<uint8_t>{1, 2, 3, 4, 5, 6, 7, 8, 9, 0, 0, 0}));
  EXPECT_EQ(bytes[d + 22], 2);  // l = 2
}

TEST(GifBlocks, HeightFourIsNeverInterlaced) {
  const std::vector<uint8_t> pixels = {0, 0, 1, 1, 2, 2, 3, 3};
  cGIF doc = OneFrame(IndexedPicture(2, 4, pixels), 4);
  doc.Frame(1).SetFrameInterlaced(true);
  std::vector<uint8_t> flagged, plain;
  ASSERT_TRUE(doc.Encode(flagged));
  doc.Frame(1).SetFrameInterlaced(false);
  ASSERT_TRUE(doc.Encode(plain));
  // Same bytes: rows in order and the descriptor's interlace bit clear (a set bit would make
  // decoders reorder rows that were written in order).
  EXPECT_EQ(flagged, plain);
  EXPECT_EQ(flagged[ImageDataOffset(flagged) - 1] & 0x40, 0);
  doc.Frame(1).SetFrameInterlaced(true);
  ScratchFolder folder;
  ASSERT_TRUE(doc.Save((folder / "four.gif").string()));
  DecodedGif gif;
  std::string error;
  ASSERT_TRUE(DecodeWithGiflib((folder / "four.gif").string(), gif, error)) << error;
  EXPECT_EQ(gif.frames[0].pixels, pixels);
}

TEST(GifBlocks, LongFramesAreRunsOf254ByteSubBlocks) {
  std::mt19937 random(5);
  std::vector<uint8_t> pixels(200 * 100);
  for (auto& p : pixels) p = static_cast<uint8_t>(random());
  const cGIF doc = OneFrame(IndexedPicture(200, 100, pixels), 256);
  std::vector<uint8_t> bytes;
  ASSERT_TRUE(doc.Encode(bytes));
  size_t at = ImageDataOffset(bytes) + 1;
  int fullBlocks = 0;
  while (bytes[at] == 0xFE) {
    ++fullBlocks;
    at += 255;
  }
  EXPECT_GT(fullBlocks, 50);
  ASSERT_GT(bytes[at], 0);
  ASSERT_LT(bytes[at], 0xFE);  // the final, shorter block
  at += bytes[at] + 1u;
  EXPECT_EQ(bytes[at], 0);  // terminator
  EXPECT_EQ(bytes[at + 1], 0x3B);
  EXPECT_EQ(at + 2, bytes.size());
}

TEST(GifBlocks, DocumentWithoutPaletteOrFramesIsStillAFile) {
  cGIF doc;
  std::vector<uint8_t> bytes;
  ASSERT_TRUE(doc.Encode(bytes));
  EXPECT_EQ(bytes.size(), 14u);  // header, screen descriptor, trailer; no looping block
  EXPECT_EQ(bytes[10], 0);
  EXPECT_EQ(bytes[13], 0x3B);
}

TEST(GifBlocks, AFrameWithoutAnIndexedPictureIsRefused) {
  cGIF doc = OneFrame(IndexedPicture(2, 2, {0, 1, 1, 0}), 2);
  doc.Frame(1).FrameDIBXOR().Create(2, 2, 32);
  std::vector<uint8_t> bytes;
  std::string error;
  EXPECT_FALSE(doc.Encode(bytes, &error));
  EXPECT_NE(error.find("frame 1"), std::string::npos);
}

}  // namespace
}  // namespace lumetrix::gif
