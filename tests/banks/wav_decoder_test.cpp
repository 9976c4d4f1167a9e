#include "banks/wav_decoder.h"

#include "banks/wav_fixture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace vanto {
namespace {

using fixtures::formatChunkBody;
using fixtures::makeRiff;
using fixtures::makeWav;
using fixtures::rampSignal;
using fixtures::RiffChunk;
using fixtures::WavEncoding;

bool decode(const std::vector<uint8_t>& bytes, WavAudio& audio, std::string& error) {
    return decodeWav(bytes.data(), bytes.data() + bytes.size(), audio, error);
}

// The pool stores every value as a whole number of 1/32768 steps.
void expectQuantised(const std::vector<float>& samples) {
    for (float value : samples) {
        double steps = static_cast<double>(value) * 32768.0;
        ASSERT_EQ(steps, std::round(steps)) << value;
    }
}

double quantisedMean(double sum, int channels) {
    return std::round(sum / channels * 32767.0) / 32768.0;
}

TEST(WavDecoder, StereoSixteenBitIsStoredAsTheQuantisedMean) {
    // Left and right one step apart: the mean falls between two steps and is rounded on the 32767 scale.
    std::vector<float> stereo = {1000.0f / 32768, 1001.0f / 32768, -0.5f, 0.25f,
                                 0.999f,          0.999f,          -1.0f, -1.0f};
    WavAudio audio;
    std::string error;
    ASSERT_TRUE(decode(makeWav(WavEncoding::pcm16, 2, 44100, stereo), audio, error)) << error;
    ASSERT_EQ(audio.samples.size(), 4u);
    EXPECT_EQ(audio.sampleRate, 44100.0);
    EXPECT_DOUBLE_EQ(audio.samples[0], quantisedMean(2001.0 / 32768, 2));
    EXPECT_DOUBLE_EQ(audio.samples[1], quantisedMean(-0.25, 2));
    EXPECT_DOUBLE_EQ(audio.samples[3], quantisedMean(-2.0, 2));
    expectQuantised(audio.samples);
}

struct EncodingCase {
    WavEncoding encoding;
    unsigned channels;
};

// Storing on the 32767 scale but reading back in steps of 1/32768 shifts a value by up to |v|/32768,
// plus half a step of rounding.
constexpr double kPoolTolerance = 1.5 / 32768;

TEST(WavDecoder, AcceptsEveryPackEncodingMonoAndStereo) {
    const EncodingCase cases[] = {
        {WavEncoding::pcm16, 1},           {WavEncoding::pcm16, 2},   {WavEncoding::pcm24Extensible, 1},
        {WavEncoding::pcm24Extensible, 2}, {WavEncoding::float32, 1}, {WavEncoding::float32, 2},
    };
    for (const EncodingCase& c : cases) {
        std::vector<float> signal = rampSignal(50, c.channels);
        WavAudio audio;
        std::string error;
        ASSERT_TRUE(decode(makeWav(c.encoding, c.channels, 96000, signal), audio, error)) << error;
        ASSERT_EQ(audio.samples.size(), 50u);
        EXPECT_EQ(audio.sampleRate, 96000.0);
        for (size_t frame = 0; frame < 50; ++frame) {
            double sum = 0.0;
            for (unsigned channel = 0; channel < c.channels; ++channel)
                sum += signal[frame * c.channels + channel];
            EXPECT_NEAR(audio.samples[frame], sum / c.channels, kPoolTolerance) << frame;
        }
        expectQuantised(audio.samples);
    }
}

TEST(WavDecoder, ExtensibleFloatAndUnknownChunksAndMissingFinalPad) {
    std::vector<uint8_t> format = formatChunkBody(0xFFFE, 1, 0, 32);
    format.resize(40, 0);
    format[24] = 3; // sub-format: IEEE float
    float values[3] = {0.5f, std::numeric_limits<float>::quiet_NaN(), -0.25f};
    std::vector<uint8_t> data(reinterpret_cast<uint8_t*>(values), reinterpret_cast<uint8_t*>(values) + 12);
    std::vector<uint8_t> file = makeRiff({{"LIST", {1, 2, 3}, std::nullopt},
                                          {"fmt ", format, std::nullopt},
                                          {"data", data, std::nullopt},
                                          {"junk", {9}, std::nullopt}});
    file.pop_back(); // the pad byte after the odd-sized last chunk is often left out
    WavAudio audio;
    std::string error;
    ASSERT_TRUE(decode(file, audio, error)) << error;
    EXPECT_EQ(audio.sampleRate, 48000.0); // a rate of 0 means 48 kHz
    ASSERT_EQ(audio.samples.size(), 3u);
    EXPECT_FLOAT_EQ(audio.samples[0], static_cast<float>(std::round(0.5 * 32767) / 32768));
    EXPECT_EQ(audio.samples[1], 0.0f); // a NaN sample becomes silence
    EXPECT_FLOAT_EQ(audio.samples[2], static_cast<float>(std::round(-0.25 * 32767) / 32768));
}

struct RefusalCase {
    const char* what;
    std::vector<uint8_t> file;
    const char* message;
};

std::vector<uint8_t> pcm16Data(size_t bytes) {
    return std::vector<uint8_t>(bytes, 0x11);
}

TEST(WavDecoder, RefusesBrokenAndUnsupportedFilesWithTheirMessage) {
    std::vector<uint8_t> good = makeWav(WavEncoding::pcm16, 1, 44100, rampSignal(20, 1));
    std::vector<uint8_t> truncated(good.begin(), good.end() - 10);
    std::vector<uint8_t> rifx = good;
    rifx[3] = 'X';
    const RefusalCase cases[] = {
        {"shorter than a header", std::vector<uint8_t>(good.begin(), good.begin() + 43),
         "not a RIFF/WAVE file"},
        {"not RIFF", rifx, "not a RIFF/WAVE file"},
        {"8-bit", makeWav(WavEncoding::pcm8, 1, 44100, rampSignal(40, 1)),
         "unsupported WAV format tag 1 / 8-bit"},
        {"no data",
         makeRiff({{"fmt ", formatChunkBody(1, 1, 44100, 16), std::nullopt},
                   {"LIST", pcm16Data(30), std::nullopt}}),
         "no data chunk"},
        {"empty data",
         makeRiff({{"fmt ", formatChunkBody(1, 1, 44100, 16), std::nullopt},
                   {"data", {}, std::nullopt},
                   {"LIST", pcm16Data(20), std::nullopt}}),
         "no data chunk"},
        {"three channels",
         makeRiff({{"fmt ", formatChunkBody(1, 3, 44100, 16), std::nullopt},
                   {"data", pcm16Data(60), std::nullopt}}),
         "unsupported channel count 3"},
        {"no fmt", makeRiff({{"data", pcm16Data(60), std::nullopt}}), "unsupported channel count 0"},
        {"less than a frame",
         makeRiff({{"fmt ", formatChunkBody(1, 2, 44100, 24), std::nullopt},
                   {"data", pcm16Data(5), std::nullopt},
                   {"LIST", pcm16Data(20), std::nullopt}}),
         "empty or unreadable data chunk"},
        {"zero bits",
         makeRiff({{"fmt ", formatChunkBody(1, 1, 44100, 0), std::nullopt},
                   {"data", pcm16Data(40), std::nullopt}}),
         "empty or unreadable data chunk"},
        {"64-bit float",
         makeRiff({{"fmt ", formatChunkBody(3, 1, 44100, 64), std::nullopt},
                   {"data", pcm16Data(40), std::nullopt}}),
         "unsupported WAV format tag 3 / 64-bit"},
        {"truncated data", truncated, "chunk \"data\" declares 40 bytes but only 30 remain in the file"},
        {"oversized data size",
         makeRiff({{"fmt ", formatChunkBody(1, 1, 44100, 16), std::nullopt},
                   {"data", pcm16Data(40), 0xFFFFFFFFu}}),
         "chunk \"data\" declares 4294967295 bytes but only 40 remain in the file"},
        {"oversized fmt size",
         makeRiff({{"fmt ", formatChunkBody(1, 1, 44100, 16), 0x7FFFFFF0u},
                   {"data", pcm16Data(40), std::nullopt}}),
         "chunk \"fmt \" declares 2147483632 bytes but only 64 remain in the file"},
        {"unprintable chunk id",
         makeRiff({{std::string("\x01\xFFzz", 4), pcm16Data(4), 99u}, {"data", pcm16Data(40), std::nullopt}}),
         "chunk \"??zz\" declares 99 bytes but only 52 remain in the file"},
    };
    for (const RefusalCase& c : cases) {
        WavAudio audio;
        std::string error;
        EXPECT_FALSE(decode(c.file, audio, error)) << c.what;
        EXPECT_EQ(error, c.message) << c.what;
        EXPECT_TRUE(audio.samples.empty()) << c.what;
    }
}

TEST(WavDecoder, EveryTruncationOfAValidFileIsDecodedOrRefusedWithinItsBytes) {
    std::vector<uint8_t> good = makeWav(WavEncoding::pcm24Extensible, 2, 48000, rampSignal(16, 2));
    for (size_t length = 0; length < good.size(); ++length) {
        // Copied into an exactly-sized buffer so that the address sanitizer sees any read past it.
        std::vector<uint8_t> prefix(good.begin(), good.begin() + static_cast<long>(length));
        WavAudio audio;
        std::string error;
        EXPECT_FALSE(decode(prefix, audio, error)) << length;
        EXPECT_FALSE(error.empty()) << length;
    }
}

} // namespace
} // namespace vanto
