// Decodes the WAV files of a sound pack into the mono float form the sample pool stores.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vanto {

struct WavAudio {
    std::vector<float> samples; // mono, one value per frame
    double sampleRate = 48000.0;
};

// Accepts 16- and 24-bit integer PCM and 32-bit float, mono or stereo, plain or extensible. Stereo is
// folded to the mean of both channels and every value is quantised to steps of 1/32768. A file whose
// chunks run past its end is refused rather than read in part. On failure `error` says why.
bool decodeWav(const uint8_t* begin, const uint8_t* end, WavAudio& out, std::string& error);

} // namespace vanto
