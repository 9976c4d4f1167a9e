#include "processor/duck_analysis.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace vanto::test {

std::vector<double> duckDb(const std::vector<float>& ducked, const std::vector<float>& reference,
                           float minLevel) {
    std::vector<double> duck(reference.size(), 0.0);
    double last = 0.0;
    for (std::size_t i = 0; i < reference.size() && i < ducked.size(); ++i) {
        const double level = std::fabs(reference[i]);
        if (level >= minLevel) {
            const double ratio = std::max(std::fabs(static_cast<double>(ducked[i])) / level, 1e-9);
            last = -20.0 * std::log10(ratio);
        }
        duck[i] = last;
    }
    return duck;
}

std::vector<std::size_t> duckStarts(const std::vector<double>& duck, double thresholdDb,
                                    std::size_t quietFrames) {
    std::vector<std::size_t> starts;
    std::size_t quiet = quietFrames;
    for (std::size_t i = 0; i < duck.size(); ++i) {
        if (duck[i] < thresholdDb) {
            ++quiet;
            continue;
        }
        if (quiet >= quietFrames) {
            starts.push_back(i);
        }
        quiet = 0;
    }
    return starts;
}

std::size_t duckLength(const std::vector<double>& duck, std::size_t start, double thresholdDb) {
    std::size_t end = start;
    while (end < duck.size() && duck[end] >= thresholdDb) {
        ++end;
    }
    return end - start;
}

std::vector<double> spacings(const std::vector<std::size_t>& frames) {
    std::vector<double> result;
    for (std::size_t i = 1; i < frames.size(); ++i) {
        result.push_back(static_cast<double>(frames[i] - frames[i - 1]));
    }
    return result;
}

std::vector<float> sine(double rate, double seconds, double hz, double amplitude) {
    std::vector<float> samples(static_cast<std::size_t>(rate * seconds));
    for (std::size_t i = 0; i < samples.size(); ++i) {
        samples[i] = static_cast<float>(amplitude * std::sin(2 * std::numbers::pi * hz * i / rate));
    }
    return samples;
}

std::vector<float> kicks(double rate, double seconds, const std::vector<double>& starts) {
    constexpr double kLength = 0.2;
    std::vector<float> samples(static_cast<std::size_t>(rate * seconds), 0.0f);
    for (const double start : starts) {
        const auto first = static_cast<std::size_t>(std::llround(start * rate));
        double phase = 0;
        for (std::size_t i = 0; i < static_cast<std::size_t>(kLength * rate) && first + i < samples.size();
             ++i) {
            const double t = i / rate;
            const double hz = 50 + 70 * std::exp(-t / 0.03);
            phase += 2 * std::numbers::pi * hz / rate;
            samples[first + i] += static_cast<float>(0.9 * std::exp(-t / 0.08) * std::sin(phase));
        }
    }
    return samples;
}

} // namespace vanto::test
