// Feed-forward compressor with a soft knee; the level detector works on the instantaneous sample.
#pragma once

namespace vanto {

struct CompressorNode {
    float attackCoefficient = 0;
    double attackSeconds = 0.003;
    double knee = 30;
    double makeup = 0;
    double ratio = 12;
    float envelope = 0; // smoothed gain reduction, dB
    float releaseCoefficient = 0;
    double releaseSeconds = 0.25;
    double sampleRate = 48000;
    double threshold = -24;
};

CompressorNode initCompressorNode(double sampleRate);
void setCompressorTimes(CompressorNode& node, double attackSeconds, double releaseSeconds);
double compressorNodeTick(CompressorNode& node, double x);

} // namespace vanto
