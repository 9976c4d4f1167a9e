#include "banks/wav_fixture.h"

#include <cmath>
#include <cstring>
#include <stdexcept>

namespace vanto::fixtures {

namespace {

void putLe16(std::vector<uint8_t>& out, uint32_t value) {
    out.push_back(static_cast<uint8_t>(value));
    out.push_back(static_cast<uint8_t>(value >> 8));
}

void putLe32(std::vector<uint8_t>& out, uint32_t value) {
    putLe16(out, value & 0xFFFF);
    putLe16(out, value >> 16);
}

void putLe24(std::vector<uint8_t>& out, int32_t value) {
    uint32_t bits = static_cast<uint32_t>(value);
    out.push_back(static_cast<uint8_t>(bits));
    out.push_back(static_cast<uint8_t>(bits >> 8));
    out.push_back(static_cast<uint8_t>(bits >> 16));
}

int32_t scaled(float value, double fullScale) {
    double clamped = std::fmax(-1.0, std::fmin(1.0, static_cast<double>(value)));
    return static_cast<int32_t>(std::lround(std::fmin(clamped * fullScale, fullScale - 1.0)));
}

uint16_t bitsOf(WavEncoding encoding) {
    switch (encoding) {
    case WavEncoding::pcm8:
        return 8;
    case WavEncoding::pcm16:
        return 16;
    case WavEncoding::pcm24Extensible:
        return 24;
    case WavEncoding::float32:
        return 32;
    }
    return 16;
}

std::vector<uint8_t> extensibleFormatBody(uint16_t channels, uint32_t sampleRate, uint16_t bits) {
    std::vector<uint8_t> body = formatChunkBody(0xFFFE, channels, sampleRate, bits);
    putLe16(body, 22);                        // extension size
    putLe16(body, bits);                      // valid bits per sample
    putLe32(body, channels == 2 ? 0x3 : 0x4); // speaker positions
    // The PCM sub-format GUID: 00000001-0000-0010-8000-00aa00389b71.
    const uint8_t pcmGuid[16] = {0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x10, 0x00,
                                 0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};
    body.insert(body.end(), pcmGuid, pcmGuid + 16);
    return body;
}

std::vector<uint8_t> encodeSamples(WavEncoding encoding, const std::vector<float>& interleaved) {
    std::vector<uint8_t> data;
    for (float value : interleaved) {
        switch (encoding) {
        case WavEncoding::pcm8:
            data.push_back(static_cast<uint8_t>(scaled(value, 128.0) + 128));
            break;
        case WavEncoding::pcm16:
            putLe16(data, static_cast<uint32_t>(scaled(value, 32768.0)) & 0xFFFF);
            break;
        case WavEncoding::pcm24Extensible:
            putLe24(data, scaled(value, 8388608.0));
            break;
        case WavEncoding::float32: {
            uint32_t bits = 0;
            std::memcpy(&bits, &value, sizeof bits);
            putLe32(data, bits);
            break;
        }
        }
    }
    return data;
}

} // namespace

std::vector<uint8_t> formatChunkBody(uint16_t tag, uint16_t channels, uint32_t sampleRate, uint16_t bits) {
    std::vector<uint8_t> body;
    uint16_t blockAlign = static_cast<uint16_t>(channels * (bits / 8));
    putLe16(body, tag);
    putLe16(body, channels);
    putLe32(body, sampleRate);
    putLe32(body, sampleRate * blockAlign);
    putLe16(body, blockAlign);
    putLe16(body, bits);
    return body;
}

std::vector<uint8_t> makeRiff(const std::vector<RiffChunk>& chunks) {
    std::vector<uint8_t> content = {'W', 'A', 'V', 'E'};
    for (const RiffChunk& chunk : chunks) {
        if (chunk.id.size() != 4)
            throw std::invalid_argument("a chunk id has four characters");
        content.insert(content.end(), chunk.id.begin(), chunk.id.end());
        putLe32(content, chunk.declaredSize.value_or(static_cast<uint32_t>(chunk.body.size())));
        content.insert(content.end(), chunk.body.begin(), chunk.body.end());
        if (chunk.body.size() % 2 != 0)
            content.push_back(0);
    }
    std::vector<uint8_t> file = {'R', 'I', 'F', 'F'};
    putLe32(file, static_cast<uint32_t>(content.size()));
    file.insert(file.end(), content.begin(), content.end());
    return file;
}

std::vector<uint8_t> makeWav(WavEncoding encoding, unsigned channels, uint32_t sampleRate,
                             const std::vector<float>& interleaved) {
    uint16_t bits = bitsOf(encoding);
    uint16_t channelCount = static_cast<uint16_t>(channels);
    std::vector<uint8_t> format;
    if (encoding == WavEncoding::pcm24Extensible)
        format = extensibleFormatBody(channelCount, sampleRate, bits);
    else
        format = formatChunkBody(encoding == WavEncoding::float32 ? 3 : 1, channelCount, sampleRate, bits);
    return makeRiff(
        {{"fmt ", format, std::nullopt}, {"data", encodeSamples(encoding, interleaved), std::nullopt}});
}

std::vector<float> rampSignal(size_t frames, unsigned channels) {
    std::vector<float> signal;
    signal.reserve(frames * channels);
    for (size_t frame = 0; frame < frames; ++frame) {
        for (unsigned channel = 0; channel < channels; ++channel) {
            double phase = static_cast<double>(frame) / static_cast<double>(frames > 1 ? frames - 1 : 1);
            signal.push_back(static_cast<float>(channel == 0 ? phase * 1.6 - 0.8 : 0.7 - phase));
        }
    }
    return signal;
}

} // namespace vanto::fixtures
