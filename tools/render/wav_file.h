// Reading any audio file libsndfile knows and writing 32-bit float WAV files.
#pragma once

#include "stereo_buffer.h"

#include <string>

namespace vanto {

// Reads the first two channels (a mono file fills both); false with a message when unreadable.
bool readAudioFile(const std::string& path, StereoBuffer& audio, double& sampleRate, std::string& error);
// Writes through a temporary file renamed into place, so a failed write leaves no partial output.
bool writeFloatWav(const std::string& path, const StereoBuffer& audio, double sampleRate, std::string& error);

} // namespace vanto
