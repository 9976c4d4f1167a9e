// Reading the effect's ducks out of rendered audio: a render is compared frame by frame with a
// reference render of the same input in which nothing ducks, so the ratio of the two is the duck.
#pragma once

#include <cstddef>
#include <vector>

namespace vanto::test {

// The reduction of `ducked` against `reference` in dB (positive: quieter) at every frame. It is read
// where the reference's magnitude is at least `minLevel`; frames in between keep the last reading.
std::vector<double> duckDb(const std::vector<float>& ducked, const std::vector<float>& reference,
                           float minLevel);

// The frames at which the duck rises to `thresholdDb` or more, each after the duck was below it for
// at least `quietFrames` (so a duck's ripple around the threshold counts once).
std::vector<std::size_t> duckStarts(const std::vector<double>& duck, double thresholdDb,
                                    std::size_t quietFrames = 480);

// How many frames the duck stays at `thresholdDb` or more from `start` on.
std::size_t duckLength(const std::vector<double>& duck, std::size_t start, double thresholdDb);

// Spacing of consecutive entries.
std::vector<double> spacings(const std::vector<std::size_t>& frames);

// A bass-only signal: a sine of `hz` at `amplitude` on both channels.
std::vector<float> sine(double rate, double seconds, double hz, double amplitude);

// A kick-only signal: pitch-dropping, decaying sine bursts starting at the given seconds.
std::vector<float> kicks(double rate, double seconds, const std::vector<double>& starts);

} // namespace vanto::test
