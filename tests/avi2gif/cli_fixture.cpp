// Helper of the command-line tests: "make MOVIE.avi" records a small movie with the program's
// recorder; "cut IN OUT" writes the first half of a file; "check FILE.gif FRAMES WIDTH HEIGHT" decodes a GIF with giflib and compares its
// size and frame count (FRAMES 0: at least one frame). Exit code 0 when all is as asked.

#include <cstdio>
#include <cstdlib>
#include <string>

#include "tests/avi2gif/avi2gif_test_support.h"
#include "tests/gif/gif_test_support.h"

int main(int argc, char** argv) {
  using namespace lumetrix;
  const std::string mode = argc > 1 ? argv[1] : "";
  if (mode == "make" && argc == 3) {
    auto frames = avi2gif::test::SyntheticFrames(24, 16, 6);
    frames.push_back(frames.back());  // a still frame for the optimisation to drop
    return avi2gif::test::RecordMovie(argv[2], frames, 10) ? 0 : 1;
  }
  if (mode == "cut" && argc == 4) {
    auto bytes = avi::test::ReadFileBytes(argv[2]);
    bytes.resize(bytes.size() / 2);
    avi::test::WriteFileBytes(argv[3], bytes);
    return 0;
  }
  if (mode == "check" && argc == 6) {
    gif::testing::DecodedGif gif;
    std::string error;
    if (!gif::testing::DecodeWithGiflib(argv[2], gif, error)) {
      std::fprintf(stderr, "giflib: %s\n", error.c_str());
      return 1;
    }
    const int frames = std::atoi(argv[3]);
    const bool countOk = frames == 0 ? !gif.frames.empty() : static_cast<int>(gif.frames.size()) == frames;
    if (!countOk || gif.width != std::atoi(argv[4]) || gif.height != std::atoi(argv[5])) {
      std::fprintf(stderr, "got %d frames of %dx%d\n", static_cast<int>(gif.frames.size()), gif.width, gif.height);
      return 1;
    }
    return 0;
  }
  std::fprintf(stderr, "usage: cli_fixture make MOVIE.avi | cut IN OUT | check FILE.gif FRAMES WIDTH HEIGHT\n");
  return 2;
}
