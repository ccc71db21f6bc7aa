#include "bench/support/fluorescence_volume.h"

#include "samples/synth.h"

namespace lumetrix::bench {

std::vector<uint16_t> FluorescenceCounts(int side, int depth, int bits) {
  using namespace lumetrix::samples;
  Random random(7);
  Volume v(side, side, depth);
  // As many beads and fibres per page area as on a 512 x 512 page.
  const double area = double(side) * side / (512.0 * 512.0);
  AddBeads(v, random, static_cast<int>(1500 * area), 75);
  AddFilaments(v, random, static_cast<int>(25 * area), 14, 600);
  v.Blur(1.3, 1.3, 2.5);
  return Expose(v, random, 170, 9, 1.5, 1.0, 4, bits == 8 ? 255 : 4095);
}

}  // namespace lumetrix::bench
