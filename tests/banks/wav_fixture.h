// WAV files built in memory: the encodings a sound pack may use, and damaged ones built chunk by chunk.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vanto::fixtures {

enum class WavEncoding {
    pcm8,            // tag 1, 8-bit (refused by the loader)
    pcm16,           // tag 1, 16-bit
    pcm24Extensible, // tag 0xFFFE with the PCM sub-format, 24-bit
    float32,         // tag 3, 32-bit float
};

// A well-formed file of `interleaved` samples in -1 … 1 (frames × channels values).
std::vector<uint8_t> makeWav(WavEncoding encoding, unsigned channels, uint32_t sampleRate,
                             const std::vector<float>& interleaved);

// A deterministic test signal: `frames` × `channels` values, each channel a different ramp.
std::vector<float> rampSignal(size_t frames, unsigned channels);

struct RiffChunk {
    std::string id; // four characters
    std::vector<uint8_t> body;
    std::optional<uint32_t> declaredSize; // a size other than the body's, for damaged files
};

// "RIFF", size, "WAVE" and the chunks in order (pad bytes after odd bodies).
std::vector<uint8_t> makeRiff(const std::vector<RiffChunk>& chunks);
// The 16-byte body of a plain "fmt " chunk.
std::vector<uint8_t> formatChunkBody(uint16_t tag, uint16_t channels, uint32_t sampleRate, uint16_t bits);

} // namespace vanto::fixtures
