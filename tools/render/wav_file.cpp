#include "wav_file.h"

#include <sndfile.h>

#include <cmath>
#include <cstdio>
#include <vector>

namespace vanto {

bool readAudioFile(const std::string& path, StereoBuffer& audio, double& sampleRate, std::string& error) {
    SF_INFO info{};
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
    if (file == nullptr) {
        error = "cannot read " + path + ": " + sf_strerror(nullptr);
        return false;
    }
    if (info.channels < 1 || info.samplerate < 1) {
        sf_close(file);
        error = "cannot read " + path + ": no audio channels";
        return false;
    }
    // Read in pieces rather than trusting the header's frame count, which a damaged file may inflate.
    constexpr sf_count_t kPieceFrames = 65536;
    std::vector<float> interleaved(static_cast<std::size_t>(kPieceFrames) *
                                   static_cast<std::size_t>(info.channels));
    audio = StereoBuffer();
    for (;;) {
        const sf_count_t got = sf_readf_float(file, interleaved.data(), kPieceFrames);
        for (sf_count_t i = 0; i < got; ++i) {
            const float* frame = interleaved.data() + i * info.channels;
            audio.left.push_back(frame[0]);
            audio.right.push_back(info.channels > 1 ? frame[1] : frame[0]);
        }
        if (got < kPieceFrames) {
            break;
        }
    }
    sf_close(file);
    sampleRate = info.samplerate;
    return true;
}

bool writeFloatWav(const std::string& path, const StereoBuffer& audio, double sampleRate,
                   std::string& error) {
    const std::string temporary = path + ".partial";
    SF_INFO info{};
    info.samplerate = static_cast<int>(std::lround(sampleRate));
    info.channels = 2;
    info.format = SF_FORMAT_WAV | SF_FORMAT_FLOAT;
    SNDFILE* file = sf_open(temporary.c_str(), SFM_WRITE, &info);
    if (file == nullptr) {
        error = "cannot write " + path + ": " + sf_strerror(nullptr);
        return false;
    }
    // The PEAK chunk carries the time of writing; without it the same render gives the same bytes.
    sf_command(file, SFC_SET_ADD_PEAK_CHUNK, nullptr, SF_FALSE);
    std::vector<float> interleaved(audio.frames() * 2);
    for (std::size_t i = 0; i < audio.frames(); ++i) {
        interleaved[2 * i] = audio.left[i];
        interleaved[2 * i + 1] = audio.right[i];
    }
    const sf_count_t written =
        sf_writef_float(file, interleaved.data(), static_cast<sf_count_t>(audio.frames()));
    const int closed = sf_close(file);
    if (written != static_cast<sf_count_t>(audio.frames()) || closed != 0 ||
        std::rename(temporary.c_str(), path.c_str()) != 0) {
        std::remove(temporary.c_str());
        error = "cannot write " + path;
        return false;
    }
    return true;
}

} // namespace vanto
