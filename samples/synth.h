#pragma once
// Building blocks of the synthetic fluorescence volumes: a fixed-seed random source, a float
// volume with sub-voxel splatting and separable blurs, and a camera model.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace lumetrix::samples {

// SplitMix64: the same numbers on every platform and standard library.
class Random {
 public:
  explicit Random(uint64_t seed) : state_(seed) {}
  uint64_t Next();
  double Uniform();                       // [0, 1)
  double Uniform(double lo, double hi) { return lo + (hi - lo) * Uniform(); }
  double Normal();                        // mean 0, deviation 1
  int Poisson(double mean);

 private:
  uint64_t state_;
  bool has_spare_ = false;
  double spare_ = 0;
};

struct Volume {
  int width, height, depth;
  std::vector<float> v;
  Volume(int w, int h, int d) : width(w), height(h), depth(d), v(size_t(w) * h * d, 0.0f) {}
  float& at(int x, int y, int z) { return v[(size_t(z) * height + y) * width + x]; }
  // Adds `amount` at a sub-voxel position, shared among the eight neighbours.
  void Splat(double x, double y, double z, double amount);
  // Gaussian blur, sigma per axis in voxels (0: none); edges are clamped.
  void Blur(double sx, double sy, double sz);
  void Add(const Volume& other, float weight);
  void Scale(float factor);
  float Max() const;
};

// Sub-resolution beads at random places with log-normal brightness.
void AddBeads(Volume& volume, Random& random, int count, double brightness);
// Smooth random curves (fibres), brightness per unit length.
void AddFilaments(Volume& volume, Random& random, int count, double brightness, double length);
// Large ellipsoids with a mottled inside (stained nuclei).
void AddNuclei(Volume& volume, Random& random, int count, double brightness);

// Photon counts from the blurred signal (photons at 1.0) with background, shot noise and read
// noise, dimmer deeper in the stack; returned in camera units (gain per photon plus offset),
// clamped to 0..max_value.
std::vector<uint16_t> Expose(const Volume& signal, Random& random, double photons, double background,
                             double read_noise, double gain, double offset, int max_value);

}  // namespace lumetrix::samples
