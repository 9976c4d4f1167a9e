#include "compressor_node.h"

#include "dsp_math.h"

#include <algorithm>
#include <cmath>

namespace vanto {

namespace {

constexpr double kDbPerNeper = 8.685889638065037; // 20 / ln(10)

double gainReductionDb(const CompressorNode& node, double levelDb) {
    const double slope = node.ratio < 1 ? 0.0 : 1.0 - 1.0 / std::min(node.ratio, 20.0);
    const double knee = std::clamp(node.knee, 0.0, 40.0);
    const double over = levelDb - std::clamp(node.threshold, -60.0, 0.0);
    if (knee == 0) {
        return over > 0 ? over * slope : 0.0;
    }
    if (over <= -knee / 2) {
        return 0.0;
    }
    if (over >= knee / 2) {
        return over * slope;
    }
    const double into = over + knee / 2;
    return slope * into * into / (2 * knee);
}

} // namespace

CompressorNode initCompressorNode(double sampleRate) {
    CompressorNode node;
    node.sampleRate = sampleRate;
    setCompressorTimes(node, node.attackSeconds, node.releaseSeconds);
    return node;
}

void setCompressorTimes(CompressorNode& node, double attackSeconds, double releaseSeconds) {
    node.attackSeconds = attackSeconds;
    node.releaseSeconds = releaseSeconds;
    node.attackCoefficient = smoothingCoefficient(attackSeconds, node.sampleRate);
    node.releaseCoefficient = smoothingCoefficient(releaseSeconds, node.sampleRate);
}

double compressorNodeTick(CompressorNode& node, double x) {
    const double magnitude = std::fabs(x);
    const double levelDb = magnitude > 1e-12 ? std::log(magnitude) * kDbPerNeper : -240.0;
    const double reduction = gainReductionDb(node, levelDb);
    const double k = reduction > node.envelope ? node.attackCoefficient : node.releaseCoefficient;
    const float envelope = static_cast<float>(k * node.envelope + (1 - k) * reduction);
    node.envelope = envelope;
    return x * std::pow(10.0, (node.makeup - envelope) / 20.0);
}

} // namespace vanto
