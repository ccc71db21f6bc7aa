#include "samples/synth.h"

#include <algorithm>
#include <cmath>

namespace lumetrix::samples {

uint64_t Random::Next() {
  uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return z ^ (z >> 31);
}

double Random::Uniform() { return static_cast<double>(Next() >> 11) * (1.0 / 9007199254740992.0); }

double Random::Normal() {
  if (has_spare_) {
    has_spare_ = false;
    return spare_;
  }
  double u = 0;
  while (u <= 1e-300) u = Uniform();
  const double v = Uniform();
  const double r = std::sqrt(-2.0 * std::log(u));
  spare_ = r * std::sin(2 * M_PI * v);
  has_spare_ = true;
  return r * std::cos(2 * M_PI * v);
}

int Random::Poisson(double mean) {
  if (mean <= 0) return 0;
  if (mean > 30) return std::max(0, static_cast<int>(std::lround(mean + std::sqrt(mean) * Normal())));
  const double limit = std::exp(-mean);
  int k = 0;
  double p = Uniform();
  while (p > limit) {
    ++k;
    p *= Uniform();
  }
  return k;
}

void Volume::Splat(double x, double y, double z, double amount) {
  const int x0 = static_cast<int>(std::floor(x)), y0 = static_cast<int>(std::floor(y)),
            z0 = static_cast<int>(std::floor(z));
  const double fx = x - x0, fy = y - y0, fz = z - z0;
  for (int dz = 0; dz < 2; ++dz)
    for (int dy = 0; dy < 2; ++dy)
      for (int dx = 0; dx < 2; ++dx) {
        const int xi = x0 + dx, yi = y0 + dy, zi = z0 + dz;
        if (xi < 0 || yi < 0 || zi < 0 || xi >= width || yi >= height || zi >= depth) continue;
        const double w = (dx ? fx : 1 - fx) * (dy ? fy : 1 - fy) * (dz ? fz : 1 - fz);
        at(xi, yi, zi) += static_cast<float>(amount * w);
      }
}

namespace {

std::vector<float> Kernel(double sigma) {
  const int radius = std::max(1, static_cast<int>(std::ceil(3 * sigma)));
  std::vector<float> k(2 * radius + 1);
  double sum = 0;
  for (int i = -radius; i <= radius; ++i) sum += k[i + radius] = static_cast<float>(std::exp(-0.5 * i * i / (sigma * sigma)));
  for (auto& w : k) w = static_cast<float>(w / sum);
  return k;
}

// Blurs `count` lines of `n` samples `stride` apart, lines starting at `starts`.
void BlurLines(std::vector<float>& v, const std::vector<size_t>& starts, int n, size_t stride, double sigma) {
  if (sigma <= 0) return;
  const std::vector<float> k = Kernel(sigma);
  const int r = static_cast<int>(k.size() / 2);
  std::vector<float> line(n), out(n);
  for (const size_t s : starts) {
    for (int i = 0; i < n; ++i) line[i] = v[s + i * stride];
    for (int i = 0; i < n; ++i) {
      float acc = 0;
      for (int j = -r; j <= r; ++j) acc += k[j + r] * line[std::clamp(i + j, 0, n - 1)];
      out[i] = acc;
    }
    for (int i = 0; i < n; ++i) v[s + i * stride] = out[i];
  }
}

}  // namespace

void Volume::Blur(double sx, double sy, double sz) {
  std::vector<size_t> starts;
  for (int z = 0; z < depth; ++z)
    for (int y = 0; y < height; ++y) starts.push_back((size_t(z) * height + y) * width);
  BlurLines(v, starts, width, 1, sx);
  starts.clear();
  for (int z = 0; z < depth; ++z)
    for (int x = 0; x < width; ++x) starts.push_back(size_t(z) * height * width + x);
  BlurLines(v, starts, height, width, sy);
  starts.clear();
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) starts.push_back(size_t(y) * width + x);
  BlurLines(v, starts, depth, size_t(width) * height, sz);
}

void Volume::Add(const Volume& other, float weight) {
  for (size_t i = 0; i < v.size(); ++i) v[i] += weight * other.v[i];
}

void Volume::Scale(float factor) {
  for (auto& x : v) x *= factor;
}

float Volume::Max() const { return v.empty() ? 0 : *std::max_element(v.begin(), v.end()); }

void AddBeads(Volume& volume, Random& random, int count, double brightness) {
  for (int i = 0; i < count; ++i) {
    const double x = random.Uniform(2, volume.width - 2);
    const double y = random.Uniform(2, volume.height - 2);
    const double z = random.Uniform(1, volume.depth - 1);
    volume.Splat(x, y, z, brightness * std::exp(0.35 * random.Normal()));
  }
}

void AddFilaments(Volume& volume, Random& random, int count, double brightness, double length) {
  for (int f = 0; f < count; ++f) {
    double x = random.Uniform(0, volume.width), y = random.Uniform(0, volume.height);
    double z = random.Uniform(volume.depth * 0.2, volume.depth * 0.8);
    double heading = random.Uniform(0, 2 * M_PI), tilt = random.Uniform(-0.15, 0.15);
    const double strength = brightness * random.Uniform(0.6, 1.3);
    for (double s = 0; s < length; s += 0.5) {
      // Persistent direction: fibres bend slowly.
      heading += 0.03 * random.Normal();
      tilt = std::clamp(tilt + 0.01 * random.Normal(), -0.3, 0.3);
      x += 0.5 * std::cos(heading);
      y += 0.5 * std::sin(heading);
      z += 0.5 * tilt * volume.depth / volume.width;
      if (z < 1 || z > volume.depth - 2) tilt = -tilt;
      volume.Splat(x, y, z, strength * 0.5 * (1 + 0.2 * random.Normal()));
    }
  }
}

void AddNuclei(Volume& volume, Random& random, int count, double brightness) {
  for (int n = 0; n < count; ++n) {
    const double cx = random.Uniform(0.25, 0.75) * volume.width, cy = random.Uniform(0.25, 0.75) * volume.height;
    const double cz = volume.depth * random.Uniform(0.4, 0.6);
    const double rx = random.Uniform(22, 34), ry = random.Uniform(18, 28), rz = volume.depth * 0.3;
    const double angle = random.Uniform(0, M_PI);
    const double p1 = random.Uniform(0, 6.3), p2 = random.Uniform(0, 6.3);
    const double reach = std::max(rx, ry) + 1;
    const int x0 = std::max(0, static_cast<int>(cx - reach)), x1 = std::min(volume.width, static_cast<int>(cx + reach) + 1);
    const int y0 = std::max(0, static_cast<int>(cy - reach)), y1 = std::min(volume.height, static_cast<int>(cy + reach) + 1);
    for (int z = 0; z < volume.depth; ++z)
      for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) {
          const double dx = x - cx, dy = y - cy, dz = (z - cz) / rz;
          const double u = (dx * std::cos(angle) + dy * std::sin(angle)) / rx;
          const double w = (-dx * std::sin(angle) + dy * std::cos(angle)) / ry;
          const double r2 = u * u + w * w + dz * dz;
          if (r2 > 1) continue;
          // Chromatin texture: a few interfering waves, brighter at the rim.
          const double texture = 0.75 + 0.15 * std::sin(0.6 * x + p1) * std::sin(0.5 * y + p2) +
                                 0.1 * std::sin(0.23 * (x + y) + 0.4 * z);
          volume.at(x, y, z) += static_cast<float>(brightness * texture * (0.7 + 0.3 * r2));
        }
  }
}

std::vector<uint16_t> Expose(const Volume& signal, Random& random, double photons, double background,
                             double read_noise, double gain, double offset, int max_value) {
  std::vector<uint16_t> out(signal.v.size());
  const size_t plane = size_t(signal.width) * signal.height;
  for (size_t i = 0; i < out.size(); ++i) {
    const int z = static_cast<int>(i / plane);
    const double attenuation = std::exp(-0.6 * z / signal.depth);
    const double mean = std::max(0.0, signal.v[i] * photons * attenuation + background);
    const double counts = random.Poisson(mean) * gain + offset + read_noise * random.Normal();
    out[i] = static_cast<uint16_t>(std::clamp(std::lround(counts), 0L, static_cast<long>(max_value)));
  }
  return out;
}

}  // namespace lumetrix::samples
