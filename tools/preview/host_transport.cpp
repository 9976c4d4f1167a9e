#include "host_transport.h"

#include <cmath>

namespace vanto::preview {

using Steinberg::Vst::ProcessContext;

namespace {

struct TransportStep {
    bool playing;
    double tempo;
    int numerator;
};

constexpr TransportStep kSteps[] = {{true, 120, 4}, {true, 100, 4}, {true, 100, 3}, {false, 100, 3}};
constexpr int kStepCount = sizeof kSteps / sizeof kSteps[0];

} // namespace

void HostTransport::fill(ProcessContext& context, std::int64_t projectTime) const {
    const double seconds = static_cast<double>(projectTime) / sampleRate;
    const int index = stepSeconds > 0 ? static_cast<int>(std::fmod(seconds / stepSeconds, kStepCount)) : 0;
    const TransportStep& step = kSteps[index];
    context = {};
    context.state = ProcessContext::kTempoValid | ProcessContext::kTimeSigValid |
                    ProcessContext::kProjectTimeMusicValid |
                    (step.playing ? static_cast<Steinberg::uint32>(ProcessContext::kPlaying) : 0u);
    context.sampleRate = sampleRate;
    context.projectTimeSamples = projectTime;
    context.tempo = step.tempo;
    context.timeSigNumerator = step.numerator;
    context.timeSigDenominator = 4;
    context.projectTimeMusic = seconds * step.tempo / 60.0;
}

} // namespace vanto::preview
