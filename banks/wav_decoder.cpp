#include "banks/wav_decoder.h"

#include <cmath>
#include <cstring>

namespace vanto {

namespace {

constexpr size_t kRiffHeaderBytes = 12;
constexpr size_t kChunkHeaderBytes = 8;
constexpr size_t kMinimumWavBytes = 44;
constexpr uint16_t kFormatPcm = 1;
constexpr uint16_t kFormatFloat = 3;
constexpr uint16_t kFormatExtensible = 0xFFFE;

uint16_t readLe16(const uint8_t* at) {
    return static_cast<uint16_t>(at[0] | (at[1] << 8));
}

uint32_t readLe32(const uint8_t* at) {
    return static_cast<uint32_t>(at[0]) | (static_cast<uint32_t>(at[1]) << 8) |
           (static_cast<uint32_t>(at[2]) << 16) | (static_cast<uint32_t>(at[3]) << 24);
}

// Chunk ids come from the file; anything unprintable is shown as "?" so the message stays one clean line.
std::string printableChunkId(const uint8_t* id) {
    std::string text;
    for (int i = 0; i < 4; ++i)
        text += (id[i] >= 0x20 && id[i] < 0x7F) ? static_cast<char>(id[i]) : '?';
    return text;
}

struct WavLayout {
    uint16_t formatTag = 0;
    uint16_t channels = 0;
    uint32_t sampleRate = 0;
    uint16_t bitsPerSample = 0;
    const uint8_t* data = nullptr;
    size_t dataBytes = 0;
};

void readFormatChunk(const uint8_t* body, uint32_t size, WavLayout& layout) {
    if (size < 16)
        return;
    layout.formatTag = readLe16(body);
    layout.channels = readLe16(body + 2);
    layout.sampleRate = readLe32(body + 4);
    layout.bitsPerSample = readLe16(body + 14);
    if (layout.formatTag == kFormatExtensible && size >= 40)
        layout.formatTag = readLe16(body + 24);
}

// Walks the RIFF chunks. Every chunk must lie inside the file; only the pad byte after an odd-sized
// last chunk may be missing, as many writers omit it.
bool walkChunks(const uint8_t* begin, const uint8_t* end, WavLayout& layout, std::string& error) {
    size_t fileBytes = static_cast<size_t>(end - begin);
    size_t offset = kRiffHeaderBytes;
    while (fileBytes - offset >= kChunkHeaderBytes) {
        const uint8_t* header = begin + offset;
        uint32_t size = readLe32(header + 4);
        size_t remaining = fileBytes - offset - kChunkHeaderBytes;
        if (size > remaining) {
            error = "chunk \"" + printableChunkId(header) + "\" declares " + std::to_string(size) +
                    " bytes but only " + std::to_string(remaining) + " remain in the file";
            return false;
        }
        const uint8_t* body = header + kChunkHeaderBytes;
        if (std::memcmp(header, "fmt ", 4) == 0) {
            readFormatChunk(body, size, layout);
        } else if (std::memcmp(header, "data", 4) == 0) {
            layout.data = body;
            layout.dataBytes = size;
        }
        offset += kChunkHeaderBytes + size;
        if ((size & 1) != 0 && offset < fileBytes)
            ++offset;
    }
    return true;
}

float quantisedMean(double sum, unsigned channels) {
    double value = std::round(sum / channels * 32767.0);
    if (value < -32768.0)
        value = -32768.0;
    if (value > 32767.0)
        value = 32767.0;
    return static_cast<float>(value / 32768.0);
}

double readPcm16(const uint8_t* at) {
    return static_cast<int16_t>(readLe16(at)) / 32768.0;
}

double readPcm24(const uint8_t* at) {
    int32_t value =
        static_cast<int32_t>(static_cast<uint32_t>(at[0]) << 8 | static_cast<uint32_t>(at[1]) << 16 |
                             static_cast<uint32_t>(at[2]) << 24) >>
        8;
    return value / 8388608.0;
}

// A non-finite float sample would poison every voice that plays it; it is kept as silence.
double readFloat32(const uint8_t* at) {
    uint32_t bits = readLe32(at);
    float value = 0.0f;
    std::memcpy(&value, &bits, sizeof value);
    return std::isfinite(value) ? value : 0.0;
}

using SampleReader = double (*)(const uint8_t*);

SampleReader sampleReaderFor(uint16_t formatTag, uint16_t bits) {
    if (formatTag == kFormatPcm && bits == 16)
        return readPcm16;
    if (formatTag == kFormatPcm && bits == 24)
        return readPcm24;
    if (formatTag == kFormatFloat && bits == 32)
        return readFloat32;
    return nullptr;
}

} // namespace

bool decodeWav(const uint8_t* begin, const uint8_t* end, WavAudio& out, std::string& error) {
    out = WavAudio();
    error.clear();
    size_t fileBytes = begin != nullptr && end > begin ? static_cast<size_t>(end - begin) : 0;
    if (fileBytes < kMinimumWavBytes || std::memcmp(begin, "RIFF", 4) != 0 ||
        std::memcmp(begin + 8, "WAVE", 4) != 0) {
        error = "not a RIFF/WAVE file";
        return false;
    }
    WavLayout layout;
    if (!walkChunks(begin, end, layout, error))
        return false;
    if (layout.data == nullptr || layout.dataBytes == 0) {
        error = "no data chunk";
        return false;
    }
    if (layout.channels != 1 && layout.channels != 2) {
        error = "unsupported channel count " + std::to_string(layout.channels);
        return false;
    }
    size_t bytesPerSample = layout.bitsPerSample / 8;
    size_t bytesPerFrame = layout.channels * bytesPerSample;
    if (layout.bitsPerSample < 8 || layout.dataBytes < bytesPerFrame) {
        error = "empty or unreadable data chunk";
        return false;
    }
    SampleReader readSample = sampleReaderFor(layout.formatTag, layout.bitsPerSample);
    if (readSample == nullptr) {
        error = "unsupported WAV format tag " + std::to_string(layout.formatTag) + " / " +
                std::to_string(layout.bitsPerSample) + "-bit";
        return false;
    }
    size_t frames = layout.dataBytes / bytesPerFrame;
    out.sampleRate = layout.sampleRate == 0 ? 48000.0 : static_cast<double>(layout.sampleRate);
    out.samples.resize(frames);
    const uint8_t* frame = layout.data;
    for (size_t i = 0; i < frames; ++i, frame += bytesPerFrame) {
        double sum = 0.0;
        for (unsigned channel = 0; channel < layout.channels; ++channel)
            sum += readSample(frame + channel * bytesPerSample);
        out.samples[i] = quantisedMean(sum, layout.channels);
    }
    return true;
}

} // namespace vanto
