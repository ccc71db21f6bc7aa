// Helper of the command-line test: "cli_fixture FILE.gif FRAMES WIDTH HEIGHT" decodes the GIF
// with giflib and compares its size and frame count (FRAMES 0: at least one frame).

#include <cstdio>
#include <cstdlib>

#include "tests/gif/gif_test_support.h"

int main(int argc, char** argv) {
  if (argc != 5) return std::fprintf(stderr, "usage: cli_fixture FILE.gif FRAMES WIDTH HEIGHT\n"), 2;
  lumetrix::gif::testing::DecodedGif gif;
  std::string error;
  if (!lumetrix::gif::testing::DecodeWithGiflib(argv[1], gif, error)) return std::fprintf(stderr, "giflib: %s\n", error.c_str()), 1;
  const int frames = std::atoi(argv[2]), count = static_cast<int>(gif.frames.size());
  if ((frames == 0 ? count > 0 : count == frames) && gif.width == std::atoi(argv[3]) && gif.height == std::atoi(argv[4])) return 0;
  std::fprintf(stderr, "got %d frames of %dx%d\n", count, gif.width, gif.height);
  return 1;
}
