// Writes the shipped palette files into the folder given on the command line:
//   lumetrix_make_palettes data/palettes
#include <cstdio>
#include <exception>
#include <filesystem>

#include "palettes/pal_file.h"
#include "palettes/shipped_palettes.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
    return 2;
  }
  try {
    const std::filesystem::path folder = argv[1];
    std::filesystem::create_directories(folder);
    for (const auto& palette : lumetrix::palettes::ShippedPalettes()) {
      lumetrix::palettes::WritePalFile(folder / palette.fileName, palette.table);
      std::printf("%s\n", (folder / palette.fileName).c_str());
    }
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s\n", e.what());
    return 1;
  }
  return 0;
}
