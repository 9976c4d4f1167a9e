// The stress run's source of choices: one seeded generator per scenario, so that a seed names a run
// exactly, and the values careless hosts hand over.
#pragma once

#include <cstdint>
#include <random>
#include <string>

namespace vanto::stress {

class Random {
  public:
    explicit Random(uint64_t seed) : engine(seed) {}

    // Uniform in [low, high].
    int integer(int low, int high) { return std::uniform_int_distribution<int>(low, high)(engine); }
    double uniform(double low, double high) {
        return std::uniform_real_distribution<double>(low, high)(engine);
    }
    bool chance(double probability) { return uniform(0.0, 1.0) < probability; }
    uint32_t bits() { return static_cast<uint32_t>(engine()); }
    uint64_t seedForChild() { return engine(); }

    // A normalized value as a host may send it: mostly in [0, 1], sometimes outside, infinite or NaN.
    double hostileNormalized();
    // A host sample rate between 22050 and 192000 Hz: a common one or any value in between.
    double sampleRate();
    // A block size in [1, limit], small sizes as likely as large ones.
    int blockSize(int limit);
    // One input sample: mostly sound, sometimes NaN, infinite, huge or subnormal.
    float hostileSample(double phase);
    // A text of printable bytes, control bytes and UTF-8 fragments.
    std::string text(int maxLength);
    std::u16string utf16Text(int maxLength);

  private:
    std::mt19937_64 engine;
};

} // namespace vanto::stress
