#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "viewer/frame_bmp.h"

namespace lumetrix {
namespace {

struct Recorder : MessageSink {
  std::vector<std::pair<std::string, MessageIcon>> shown;
  void ShowMessage(const std::string& text, MessageIcon icon) override { shown.emplace_back(text, icon); }
};

uint32_t U32(const std::vector<uint8_t>& b, size_t at) {
  return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<uint32_t>(b[at + 3]) << 24;
}

class TempDir : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() /
           ("lumetrix-bmp-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(dir_);
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }
  std::string Path(const char* name) const { return (dir_ / name).string(); }
  std::filesystem::path dir_;
};

std::vector<uint8_t> GlRows(int w, int h, uint8_t r, uint8_t g, uint8_t b) {
  std::vector<uint8_t> rgb(static_cast<size_t>(FrameRowStride(w)) * h, 0xEE);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      uint8_t* p = rgb.data() + y * FrameRowStride(w) + x * 3;
      p[0] = r, p[1] = g, p[2] = b;
    }
  return rgb;
}

TEST(FrameBmp, FiveByTwoHasPaddedRowsAndTheFiftyEightByteHeader) {
  const auto rgb = GlRows(5, 2, 255, 0, 0);
  const CapturedFrame f = FrameFromGlRgb(rgb.data(), 5, 2);
  const auto bytes = f.FileBytes();
  ASSERT_EQ(bytes.size(), 90u);
  EXPECT_EQ(bytes[0], 'B');
  EXPECT_EQ(bytes[1], 'M');
  EXPECT_EQ(U32(bytes, 2), 90u);
  EXPECT_EQ(U32(bytes, 6), 0u);
  EXPECT_EQ(U32(bytes, 10), 58u);
  EXPECT_EQ(U32(bytes, 14), 40u);
  EXPECT_EQ(U32(bytes, 18), 5u);
  EXPECT_EQ(U32(bytes, 22), 2u);
  EXPECT_EQ(bytes[26], 1);
  EXPECT_EQ(bytes[28], 24);
  EXPECT_EQ(U32(bytes, 30), 0u);
  EXPECT_EQ(U32(bytes, 34), 32u);
  EXPECT_EQ(U32(bytes, 38), 2952u);
  EXPECT_EQ(U32(bytes, 42), 2952u);
  EXPECT_EQ(U32(bytes, 46), 0u);
  EXPECT_EQ(U32(bytes, 50), 0u);
  EXPECT_EQ(U32(bytes, 54), 0u);
  // A red pixel is stored blue, green, red; the padding byte of each row is zero.
  EXPECT_EQ(bytes[58], 0);
  EXPECT_EQ(bytes[59], 0);
  EXPECT_EQ(bytes[60], 255);
  EXPECT_EQ(bytes[58 + 15], 0);
  EXPECT_EQ(bytes[58 + 16 + 15], 0);
}

TEST(FrameBmp, SixHundredFortyWideRowsNeedNoPadding) {
  EXPECT_EQ(FrameRowStride(640), 1920);
  EXPECT_EQ(FrameRowStride(5), 16);
  EXPECT_EQ(FrameRowStride(1), 4);
}

TEST(FrameBmp, TheInfoBlockIsHeaderAndZeroColourEntry) {
  const auto rgb = GlRows(3, 3, 1, 2, 3);
  const CapturedFrame f = FrameFromGlRgb(rgb.data(), 3, 3);
  const auto info = f.BitmapInfo();
  ASSERT_EQ(info.size(), 44u);
  const auto file = f.FileBytes();
  EXPECT_TRUE(std::equal(info.begin(), info.end(), file.begin() + 14));
}

TEST_F(TempDir, WrittenFrameReadsBackThroughCbmp) {
  const auto rgb = GlRows(7, 3, 10, 20, 30);
  const CapturedFrame f = FrameFromGlRgb(rgb.data(), 7, 3);
  const std::string path = Path("frame.bmp");
  { std::ofstream(path) << "old content that must go away entirely, longer than the new file? no"; }
  WriteFrameBmp(path, f);
  EXPECT_EQ(std::filesystem::file_size(path), f.FileBytes().size());
  Recorder messages;
  cBMP bmp;
  ASSERT_TRUE(bmp.CreateFromFile(path, messages));
  EXPECT_TRUE(messages.shown.empty());
  EXPECT_EQ(bmp.Width(), 7);
  EXPECT_EQ(bmp.Height(), 3);
  EXPECT_EQ(bmp.BitCount(), 24);
  EXPECT_EQ(bmp.BitOffset(), 58);
  EXPECT_EQ(bmp.SizeImage(), 24 * 3);
  EXPECT_EQ(bmp.SizeBitmapInfo(), 44);
  EXPECT_EQ(bmp.FileType(), 19778);
  EXPECT_EQ(std::vector<uint8_t>(bmp.PointerToBits(), bmp.PointerToBits() + bmp.SizeImage()), f.Pixels);
}

TEST_F(TempDir, CbmpRefusesMissingForeignAndTruncatedFiles) {
  Recorder messages;
  cBMP bmp;
  EXPECT_FALSE(bmp.CreateFromFile(Path("missing.bmp"), messages));
  ASSERT_EQ(messages.shown.size(), 1u);
  EXPECT_EQ(messages.shown[0].first, "File does not exist:\n" + Path("missing.bmp"));
  EXPECT_EQ(messages.shown[0].second, MessageIcon::Critical);

  const std::string png = Path("picture.bmp");
  { std::ofstream(png, std::ios::binary) << "\x89PNG\r\n\x1a\n and more bytes to fill a header ............................"; }
  EXPECT_FALSE(bmp.CreateFromFile(png, messages));
  EXPECT_EQ(messages.shown.back().first, "File is not a supported bitmap format:\n" + png);

  const auto rgb = GlRows(64, 64, 1, 2, 3);
  auto bytes = FrameFromGlRgb(rgb.data(), 64, 64).FileBytes();
  bytes.resize(bytes.size() / 2);
  const std::string cut = Path("cut.bmp");
  { std::ofstream(cut, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size()); }
  EXPECT_FALSE(bmp.CreateFromFile(cut, messages));

  // Declared sizes far beyond the file are refused before anything is allocated.
  bytes.resize(200);
  bytes[18] = 0xFF, bytes[19] = 0xFF, bytes[20] = 0xFF, bytes[21] = 0x7F;
  { std::ofstream(cut, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size()); }
  EXPECT_FALSE(bmp.CreateFromFile(cut, messages));
}

TEST_F(TempDir, WritingIntoAMissingFolderRaises) {
  const auto rgb = GlRows(2, 2, 1, 2, 3);
  EXPECT_THROW(WriteFrameBmp(Path("no/such/folder/frame.bmp"), FrameFromGlRgb(rgb.data(), 2, 2)), std::runtime_error);
}

}  // namespace
}  // namespace lumetrix
