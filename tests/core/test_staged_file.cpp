// Files that take their name only when they are complete.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <functional>

#include "core/staged_file.h"
#include "export/avi/avi_file.h"
#include "export/avi/bitmap_info.h"
#include "export/gif/gif_document.h"
#include "imaging/image_box.h"
#include "palettes/curve_file.h"
#include "palettes/pal_file.h"
#include "palettes/stop_file.h"
#include "scripting/script_file.h"
#include "tests/support/tiff_fixture.h"
#include "viewer/frame_bmp.h"

namespace lumetrix {
namespace {

void WriteText(const std::string& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }
std::string ReadText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}
std::vector<std::string> Entries(const test_support::TempDir& dir) {
  std::vector<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(dir.path())) names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

TEST(StagedFile, ReplacesTheDestinationOnlyOnCommit) {
  test_support::TempDir dir;
  const std::string dest = dir.File("out.tif");
  WriteText(dest, "old");
  {
    StagedFile output(dest);
    ASSERT_TRUE(output.Ok()) << output.Error();
    WriteText(output.TemporaryPath(), "new");
    EXPECT_EQ(ReadText(dest), "old");
  }  // abandoned
  EXPECT_EQ(ReadText(dest), "old");
  EXPECT_EQ(Entries(dir), std::vector<std::string>{"out.tif"});
  {
    StagedFile output(dest);
    WriteText(output.TemporaryPath(), "new");
    ASSERT_TRUE(output.Commit()) << output.Error();
  }
  EXPECT_EQ(ReadText(dest), "new");
  EXPECT_EQ(Entries(dir), std::vector<std::string>{"out.tif"});
  struct stat st {};
  ASSERT_EQ(::stat(dest.c_str(), &st), 0);
  EXPECT_NE(st.st_mode & S_IRGRP, 0u) << "committed files get the usual permissions, not mkstemp's";
}

TEST(StagedFile, RefusesFoldersPipesAndMissingFolders) {
  test_support::TempDir dir;
  EXPECT_FALSE(StagedFile(dir.path().string()).Ok());
  ASSERT_EQ(::mkfifo(dir.File("pipe").c_str(), 0600), 0);
  EXPECT_NE(StagedFile(dir.File("pipe")).Error().find("not a regular file"), std::string::npos);
  StagedFile missing(dir.File("no/such/out.tif"));
  EXPECT_FALSE(missing.Ok());
  EXPECT_NE(missing.Error().find("does not exist"), std::string::npos);
  EXPECT_FALSE(StagedFile("").Ok());
  // A file its owner made read-only is not replaced by the rename (which root, too, could do).
  WriteText(dir.File("kept.tif"), "old");
  ASSERT_EQ(::chmod(dir.File("kept.tif").c_str(), 0444), 0);
  EXPECT_NE(StagedFile(dir.File("kept.tif")).Error().find("read-only"), std::string::npos);
  EXPECT_NE(WriteFileStaged(dir.File("kept.tif"), std::vector<uint8_t>{1}).find("read-only"), std::string::npos);
  EXPECT_EQ(ReadText(dir.File("kept.tif")), "old");
}

TEST(StagedFile, SameFileFollowsLinks) {
  test_support::TempDir dir;
  WriteText(dir.File("a.tif"), "a");
  std::filesystem::create_symlink(dir.File("a.tif"), dir.File("link.tif"));
  EXPECT_TRUE(SameFile(dir.File("a.tif"), dir.File("link.tif")));
  EXPECT_TRUE(SameFile(dir.File("a.tif"), dir.path().string() + "/./a.tif"));
  EXPECT_FALSE(SameFile(dir.File("a.tif"), dir.File("b.tif")));
}

// Writes past `bytes` fail the way they do on a full disk, for any user (also root).
struct FileSizeLimit {
  explicit FileSizeLimit(rlim_t bytes) {
    std::signal(SIGXFSZ, SIG_IGN);
    ::getrlimit(RLIMIT_FSIZE, &saved);
    const rlimit small{bytes, saved.rlim_max};
    ::setrlimit(RLIMIT_FSIZE, &small);
  }
  ~FileSizeLimit() { ::setrlimit(RLIMIT_FSIZE, &saved); }
  rlimit saved{};
};

void Check(bool ok) {
  if (!ok) throw std::runtime_error("the write failed");
}

void WriteAvi(const std::string& path) {
  std::string error;
  avi::AviStreamHeader header;
  header.Rate = 10;
  header.Frame = {0, 0, 16, 16};
  auto file = avi::AviFile::OpenForWriting(path, error);
  auto stream = file ? file->CreateStream(header, error) : nullptr;
  avi::CompressionOptions raw;
  raw.Codec = "raw";
  auto coded = stream ? avi::AviCompressedStream::Make(*stream, raw, avi::EncoderCatalog::Installed(), true, error) : nullptr;
  const std::vector<uint8_t> pixels(avi::DibRowStride(16) * 16, 7);
  Check(coded && coded->SetFormat(0, avi::MakeBitmapInfo(16, 16), error) && coded->Write(0, pixels, true, error));
  coded.reset();  // flushes the encoder into the file
  stream.reset();
  Check(file->Close(error));
}

// Every kind of output file goes through the staged writer: a write that fails half-way leaves
// the older file byte for byte and no temporary file; a write that succeeds leaves none either.
TEST(StagedFile, EveryWriterKeepsTheOlderFileWhenAWriteFails) {
  imaging::ImageBox image;
  image.NewImage(16, 16);
  const std::vector<uint8_t> rgb(16 * 16 * 3, 90);
  gif::cGIF gif;
  gif.FrameInsert(1, 16, 16);
  gif.SetGlobalPaletteExists(true);
  struct Writer {
    std::string name;
    bool appends;
    std::function<void(const std::string&)> write;
  };
  const std::vector<Writer> writers = {
      {"frame.bmp", false, [&](auto& p) { WriteFrameBmp(p, FrameFromGlRgb(rgb.data(), 16, 16)); }},
      {"image.bmp", false, [&](auto& p) { image.SaveImage(p, imaging::kFormatBmp, false); }},
      {"image.jpg", false, [&](auto& p) { image.SaveImage(p, imaging::kFormatJpeg, false); }},
      {"new.tif", false, [&](auto& p) { image.SaveImage(p, imaging::kFormatTiff, false); }},
      {"appended.tif", true, [&](auto& p) { image.SaveImage(p, imaging::kFormatTiff, true); }},
      {"movie.gif", false, [&](auto& p) { Check(gif.Save(p)); }},
      {"table.pal", false, [](auto& p) { palettes::WritePalFile(p, palettes::Lut::Filled(5)); }},
      {"stops.plt", false, [](auto& p) { palettes::WriteStopFile(p, {}); }},
      {"curves.pl2", false, [](auto& p) { palettes::WriteCurveFile(p, palettes::CurveSet::Defaults()); }},
      {"script.scp", false,
       [](auto& p) { Check(scripting::WriteScriptFile(QString::fromStdString(p), "Sub Main\nEnd Sub\n").isEmpty()); }},
      {"movie.avi", false, WriteAvi},
  };
  for (const Writer& writer : writers) {
    SCOPED_TRACE(writer.name);
    test_support::TempDir dir;
    const std::string path = dir.File(writer.name);
    ASSERT_NO_THROW(writer.write(path));
    ASSERT_NO_THROW(writer.write(path));  // over an existing file
    EXPECT_EQ(Entries(dir), std::vector<std::string>{writer.name});
    const std::string older = ReadText(path);
    {
      // An appending writer copies the older file first; the new page is what fails.
      const FileSizeLimit limit(writer.appends ? older.size() + 1 : older.size() / 2);
      EXPECT_ANY_THROW(writer.write(path));
    }
    EXPECT_EQ(ReadText(path), older);
    EXPECT_EQ(Entries(dir), std::vector<std::string>{writer.name});
  }
}

}  // namespace
}  // namespace lumetrix
