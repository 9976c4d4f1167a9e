#include "stress/stress_random.h"

#include <cmath>
#include <limits>

namespace vanto::stress {

double Random::hostileNormalized() {
    static const double kHostile[] = {-1e300,
                                      -1.0,
                                      -0.5,
                                      -0.0,
                                      1.5,
                                      1e300,
                                      std::numeric_limits<double>::infinity(),
                                      -std::numeric_limits<double>::infinity(),
                                      std::numeric_limits<double>::quiet_NaN(),
                                      std::numeric_limits<double>::denorm_min()};
    if (chance(0.1)) {
        return kHostile[integer(0, static_cast<int>(std::size(kHostile)) - 1)];
    }
    return uniform(0.0, 1.0);
}

double Random::sampleRate() {
    static const double kCommon[] = {22050, 32000, 44100, 48000, 88200, 96000, 176400, 192000};
    if (chance(0.6)) {
        return kCommon[integer(0, static_cast<int>(std::size(kCommon)) - 1)];
    }
    return std::round(uniform(22050.0, 192000.0) * 100.0) / 100.0;
}

int Random::blockSize(int limit) {
    const double logSize = uniform(0.0, std::log(static_cast<double>(limit)));
    const int size = static_cast<int>(std::exp(logSize) + 0.5);
    return size < 1 ? 1 : (size > limit ? limit : size);
}

float Random::hostileSample(double phase) {
    if (chance(0.002)) {
        static const float kHostile[] = {std::numeric_limits<float>::quiet_NaN(),
                                         std::numeric_limits<float>::infinity(),
                                         -std::numeric_limits<float>::infinity(),
                                         1e30f,
                                         -1e30f,
                                         std::numeric_limits<float>::denorm_min(),
                                         -1e-40f};
        return kHostile[integer(0, static_cast<int>(std::size(kHostile)) - 1)];
    }
    return static_cast<float>(0.4 * std::sin(phase) + uniform(-0.1, 0.1));
}

std::string Random::text(int maxLength) {
    static const char* kFragments[] = {"\xc3\x28", "\xed\xa0\x80", "\\u0000", "\"", "{", "}",
                                       "[",        "nan",          "1e999"};
    std::string result;
    const int length = integer(0, maxLength);
    while (static_cast<int>(result.size()) < length) {
        if (chance(0.1)) {
            result += kFragments[integer(0, static_cast<int>(std::size(kFragments)) - 1)];
        } else {
            result.push_back(static_cast<char>(integer(0, 255)));
        }
    }
    return result;
}

std::u16string Random::utf16Text(int maxLength) {
    std::u16string result;
    const int length = integer(0, maxLength);
    for (int i = 0; i < length; ++i) {
        result.push_back(static_cast<char16_t>(chance(0.8) ? integer(0x20, 0x7E) : integer(1, 0xFFFF)));
    }
    return result;
}

} // namespace vanto::stress
