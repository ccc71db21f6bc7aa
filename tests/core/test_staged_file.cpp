// Files that take their name only when they are complete.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <cstring>
#include <functional>
#include <optional>

#include "core/staged_file.h"
#include "core/staged_file_steps.h"
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

// The steps by name in failure messages.
void PrintTo(StagedStep step, std::ostream* out) {
  static const char* const kNames[] = {"create", "write", "sync data", "close", "rename", "sync folder"};
  *out << kNames[static_cast<int>(step)];
}

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

// Records the steps of the staged writer and fails the chosen one with the chosen errno.
class StepRecorder {
 public:
  StepRecorder(std::optional<StagedStep> failing, int error) {
    previous_ = SetStagedStepHook([this, failing, error](StagedStep step) {
      steps.push_back(step);
      return step == failing ? error : 0;
    });
  }
  ~StepRecorder() { SetStagedStepHook(std::move(previous_)); }
  std::vector<StagedStep> steps;

 private:
  StagedStepHook previous_;
};

// The order of the steps is what makes the writer durable: the data reaches the disk before the
// temporary file takes the name, and the folder entry after. Each step fails in turn: before the
// rename the older file stays whole; after it the name holds the whole new file. No failure
// leaves a temporary file.
TEST(StagedFile, StepsRunInDurableOrderAndAFailureAtEachKeepsAWholeFile) {
  using enum StagedStep;
  const std::vector<StagedStep> all = {kCreate, kWrite, kSyncData, kClose, kRename, kSyncFolder};
  struct Case {
    std::optional<StagedStep> failing;
    int error;
    std::vector<StagedStep> expected_steps;
    const char* expected_content;
    bool ok;
  };
  const std::vector<Case> cases = {
      {std::nullopt, 0, all, "new", true},
      {kCreate, EACCES, {kCreate}, "old", false},
      {kWrite, ENOSPC, {kCreate, kWrite}, "old", false},
      {kSyncData, EIO, {kCreate, kWrite, kSyncData, kClose}, "old", false},
      {kClose, EIO, {kCreate, kWrite, kSyncData, kClose}, "old", false},
      {kRename, EXDEV, {kCreate, kWrite, kSyncData, kClose, kRename}, "old", false},
      // The rename is done: the new file is whole under the name, but the caller hears that it
      // may not survive a crash.
      {kSyncFolder, EIO, all, "new", false},
      // File systems that cannot sync answer EINVAL: the write goes on.
      {kSyncData, EINVAL, all, "new", true},
      {kSyncFolder, EINVAL, all, "new", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.failing ? ::testing::PrintToString(*c.failing) + " fails" : "nothing fails");
    test_support::TempDir dir;
    const std::string dest = dir.File("out.tif");
    WriteText(dest, "old");
    std::string error;
    std::vector<StagedStep> steps;
    {
      StepRecorder recorder(c.failing, c.error);
      error = WriteFileStaged(dest, std::vector<uint8_t>{'n', 'e', 'w'});
      steps = recorder.steps;
    }
    EXPECT_EQ(steps, c.expected_steps);
    EXPECT_EQ(ReadText(dest), c.expected_content);
    EXPECT_EQ(Entries(dir), std::vector<std::string>{"out.tif"});
    if (c.ok) {
      EXPECT_EQ(error, "");
    } else {
      EXPECT_EQ(error.rfind("Cannot write " + dest + ": ", 0), 0u) << error;
      EXPECT_NE(error.find(std::strerror(c.error)), std::string::npos) << error;
    }
  }
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
