// The WAV decoder of sound packs: any bytes are refused with a reason, or decoded into at least one
// mono frame per readable frame of the data chunk, every value a finite step of 1/32768 in [-1, 1).
#include "fuzz_check.h"

#include "banks/wav_decoder.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    vanto::WavAudio audio;
    std::string error;
    if (!vanto::decodeWav(data, data + size, audio, error)) {
        FUZZ_CHECK(!error.empty());
        FUZZ_CHECK(error.find('\n') == std::string::npos);
        FUZZ_CHECK(audio.samples.empty());
        return 0;
    }
    FUZZ_CHECK(error.empty());
    FUZZ_CHECK(!audio.samples.empty());
    FUZZ_CHECK(audio.samples.size() <= size);
    FUZZ_CHECK(audio.sampleRate > 0.0);
    for (float sample : audio.samples) {
        const double steps = static_cast<double>(sample) * 32768.0;
        FUZZ_CHECK(steps >= -32768.0 && steps <= 32767.0);
        FUZZ_CHECK(steps == std::trunc(steps));
    }
    return 0;
}
