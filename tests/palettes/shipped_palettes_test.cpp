// The palette files shipped with the program: up to date, in the menu, and ramps from dark to
// bright by a lightness measure independent of the generator.

#include <gtest/gtest.h>

#include <cmath>

#include "palettes/pal_file.h"
#include "palettes/palette_catalogue.h"
#include "palettes/shipped_palettes.h"
#include "tests/palettes/palette_test_support.h"

namespace lumetrix::palettes {
namespace {

// OKLab lightness of entry c, from the published matrices.
double OkL(const Lut& t, std::size_t c) {
  const auto linear = [](double v) {
    return v <= 0.04045 * 255 ? v / 255 / 12.92 : std::pow((v / 255 + 0.055) / 1.055, 2.4);
  };
  const double r = linear(t.Red(c)), g = linear(t.Green(c)), b = linear(t.Blue(c));
  const double l = std::cbrt(0.4122214708 * r + 0.5363325363 * g + 0.0514459929 * b);
  const double m = std::cbrt(0.2119034982 * r + 0.6806995451 * g + 0.1073969566 * b);
  const double s = std::cbrt(0.0883024619 * r + 0.2817188376 * g + 0.6299787005 * b);
  return 0.2104542553 * l + 0.7936177850 * m - 0.0040720468 * s;
}

TEST(ShippedPalettesTest, FilesMatchTheGeneratorAndAppearInTheMenu) {
  const std::filesystem::path folder = LUMETRIX_SHIPPED_PALETTES;
  const auto shipped = ShippedPalettes();
  ASSERT_GE(shipped.size(), 5u);
  for (const auto& p : shipped) {
    const auto want = EncodePalFile(p.table);
    EXPECT_EQ(testing::ReadBytes(folder / p.fileName), std::vector<uint8_t>(want.begin(), want.end()))
        << p.fileName << " is out of date";
  }
  PaletteCatalogue cat;
  cat.LoadLuts(std::vector<std::filesystem::path>{folder});
  const auto& entries = cat.Entries();
  for (const char* want : {"Fire", "Ice", "Orange hot", "Cyan", "Magenta", "Uniform violet-yellow", "Uniform ember"})
    EXPECT_EQ(std::count_if(entries.begin() + 8, entries.end(), [&](const auto& e) { return e.caption == want; }), 1)
        << want;
}

// Every ramp rises from dark to bright; the "Uniform" ones in even steps of lightness.
TEST(ShippedPalettesTest, RampsRunFromDarkToBright) {
  for (const auto& p : ShippedPalettes()) {
    const Lut& t = p.table;
    EXPECT_LT(OkL(t, 0), 0.3) << p.fileName;
    EXPECT_GT(OkL(t, 255), 0.65) << p.fileName;
    const bool uniform = p.fileName.rfind("Uniform", 0) == 0;
    const double ideal = (OkL(t, 255) - OkL(t, 0)) / 255;
    for (std::size_t c = 1; c < 256; ++c) {
      const double step = OkL(t, c) - OkL(t, c - 1);
      ASSERT_GE(step, -1e-9) << p.fileName << " entry " << c;
      ASSERT_TRUE(!uniform || (step > 0.25 * ideal && step < 2.0 * ideal)) << p.fileName << " entry " << c;
    }
  }
}

}  // namespace
}  // namespace lumetrix::palettes
