#include <gtest/gtest.h>

#include "tests/support/tiff_fixture.h"
#include "viewer/frame_bmp.h"

namespace lumetrix {
namespace {

using test_support::TempDir;

struct Recorder : MessageSink {
  std::vector<std::pair<std::string, MessageIcon>> shown;
  void ShowMessage(const std::string& text, MessageIcon icon) override { shown.emplace_back(text, icon); }
};

uint32_t U32(const std::vector<uint8_t>& b, size_t at) {
  return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<uint32_t>(b[at + 3]) << 24;
}

// A frame as OpenGL reads it back: RGB rows padded to 4 bytes (with garbage), bottom row first.
CapturedFrame Frame(int w, int h, uint8_t r, uint8_t g, uint8_t b) {
  std::vector<uint8_t> rgb(static_cast<size_t>(FrameRowStride(w)) * h, 0xEE);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      uint8_t* p = rgb.data() + y * FrameRowStride(w) + x * 3;
      p[0] = r, p[1] = g, p[2] = b;
    }
  return FrameFromGlRgb(rgb.data(), w, h);
}

TEST(FrameBmp, FiveByTwoHasPaddedRowsAndTheFiftyEightByteHeader) {
  const auto bytes = Frame(5, 2, 255, 0, 0).FileBytes();
  ASSERT_EQ(bytes.size(), 90u);
  EXPECT_EQ(bytes[0], 'B');
  EXPECT_EQ(bytes[1], 'M');
  const std::pair<size_t, uint32_t> fields[] = {{2, 90},  {6, 0},  {10, 58},   {14, 40},   {18, 5},  {22, 2},
                                                {30, 0},  {34, 32}, {38, 2952}, {42, 2952}, {46, 0},  {50, 0}, {54, 0}};
  for (const auto& [offset, value] : fields) EXPECT_EQ(U32(bytes, offset), value) << offset;
  EXPECT_EQ(bytes[26], 1);   // planes
  EXPECT_EQ(bytes[28], 24);  // bits per pixel
  // A red pixel is stored blue, green, red; the padding byte of each row is zero.
  EXPECT_EQ(std::vector<uint8_t>(bytes.begin() + 58, bytes.begin() + 61), (std::vector<uint8_t>{0, 0, 255}));
  EXPECT_EQ(bytes[58 + 15], 0);
  EXPECT_EQ(bytes[58 + 16 + 15], 0);
  EXPECT_EQ(FrameRowStride(640), 1920);  // rows of 640 pixels need no padding
  EXPECT_EQ(FrameRowStride(1), 4);
}

TEST(FrameBmp, AWrittenFrameReadsBackThroughCbmp) {
  TempDir dir;
  const CapturedFrame f = Frame(7, 3, 10, 20, 30);
  const std::string path = dir.File("frame.bmp");
  test_support::WriteBytes(path, std::vector<uint8_t>(500, 'x'));  // an older, longer file goes entirely
  WriteFrameBmp(path, f);
  EXPECT_EQ(test_support::ReadBytes(path), f.FileBytes());
  Recorder messages;
  cBMP bmp;
  ASSERT_TRUE(bmp.CreateFromFile(path, messages));
  EXPECT_TRUE(messages.shown.empty());
  EXPECT_EQ(std::tuple(bmp.Width(), bmp.Height(), bmp.BitCount(), bmp.BitOffset(), bmp.SizeImage(), bmp.SizeBitmapInfo()),
            std::tuple(7, 3, 24, 58, 24 * 3, 44));
  EXPECT_EQ(std::vector<uint8_t>(bmp.PointerToBits(), bmp.PointerToBits() + bmp.SizeImage()), f.Pixels);
  EXPECT_THROW(WriteFrameBmp(dir.File("no/such/folder/frame.bmp"), f), std::runtime_error);
}

TEST(FrameBmp, CbmpRefusesMissingForeignAndTruncatedFiles) {
  TempDir dir;
  Recorder messages;
  cBMP bmp;
  EXPECT_FALSE(bmp.CreateFromFile(dir.File("missing.bmp"), messages));
  ASSERT_EQ(messages.shown.size(), 1u);
  EXPECT_EQ(messages.shown[0].first, "File does not exist:\n" + dir.File("missing.bmp"));
  EXPECT_EQ(messages.shown[0].second, MessageIcon::Critical);

  test_support::WriteBytes(dir.File("picture.bmp"), std::vector<uint8_t>(80, 0x89));  // no "BM"
  EXPECT_FALSE(bmp.CreateFromFile(dir.File("picture.bmp"), messages));
  EXPECT_EQ(messages.shown.back().first, "File is not a supported bitmap format:\n" + dir.File("picture.bmp"));

  auto bytes = Frame(64, 64, 1, 2, 3).FileBytes();
  bytes.resize(bytes.size() / 2);
  test_support::WriteBytes(dir.File("cut.bmp"), bytes);
  EXPECT_FALSE(bmp.CreateFromFile(dir.File("cut.bmp"), messages));
  // Declared sizes far beyond the file are refused before anything is allocated.
  bytes.resize(200);
  bytes[18] = 0xFF, bytes[19] = 0xFF, bytes[20] = 0xFF, bytes[21] = 0x7F;
  test_support::WriteBytes(dir.File("cut.bmp"), bytes);
  EXPECT_FALSE(bmp.CreateFromFile(dir.File("cut.bmp"), messages));
}

}  // namespace
}  // namespace lumetrix
