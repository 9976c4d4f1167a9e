// The built-in demo: the test pulse's kicks and claps at 120 BPM over a sustained bass tone.
#pragma once

#include "stereo_buffer.h"

namespace vanto {

StereoBuffer makeDemoSignal(double sampleRate, double seconds);

} // namespace vanto
