// The host's transport as the processor sees it: every block's process context becomes a
// TransportFact (audio thread, no allocation, no lock), its tempo is handed to the engine, and the
// newest fact goes to the controller when the controller's cadence polls (main thread).
#include "processor/vanto_processor.h"

#include "processor/processor_message_ids.h"

#include "pluginterfaces/vst/ivstprocesscontext.h"

namespace vanto {

using namespace Steinberg;
using namespace Steinberg::Vst;

namespace {

bool has(const ProcessContext& context, uint32 flag) {
    return (context.state & flag) != 0;
}

TransportFact transportFactOf(const ProcessContext* context, uint64_t atFrame) {
    TransportFact fact;
    fact.atFrame = atFrame;
    if (context == nullptr) {
        return fact;
    }
    fact.source = kTransportSourceHost;
    fact.playing = has(*context, ProcessContext::kPlaying);
    fact.recording = has(*context, ProcessContext::kRecording);
    fact.looping = has(*context, ProcessContext::kCycleActive);
    fact.hasTempo = has(*context, ProcessContext::kTempoValid);
    fact.hasTimeSignature = has(*context, ProcessContext::kTimeSigValid);
    fact.hasPosition = has(*context, ProcessContext::kProjectTimeMusicValid);
    fact.hasLoop = has(*context, ProcessContext::kCycleValid);
    if (fact.hasTempo) {
        fact.tempo = context->tempo;
    }
    if (fact.hasTimeSignature) {
        fact.numerator = context->timeSigNumerator;
        fact.denominator = context->timeSigDenominator;
    }
    if (fact.hasPosition) {
        fact.ppqPosition = context->projectTimeMusic;
    }
    if (has(*context, ProcessContext::kBarPositionValid)) {
        fact.barPositionPpq = context->barPositionMusic;
    }
    if (fact.hasLoop) {
        fact.loopStartPpq = context->cycleStartMusic;
        fact.loopEndPpq = context->cycleEndMusic;
    }
    fact.sampleRate = context->sampleRate;
    fact.projectTimeSamples = context->projectTimeSamples;
    return fact;
}

} // namespace

void VantoProcessor::captureTransportFact(const ProcessContext* context, int32 frames) {
    const TransportFact fact = transportFactOf(context, transportFrames_);
    transportFrames_ += static_cast<uint64_t>(frames);
    engine.setHostTempo(fact.hasTempo ? fact.tempo : 0.0);
    // A stopped, unchanged transport is not reported again unless the controller asks afresh; a
    // playing one is, as its position moves.
    const bool afresh = transportReportRequested_.exchange(false, std::memory_order_acq_rel);
    if (afresh || !transportReported_ || fact.playing || fact.differsFrom(lastTransport_)) {
        transportRing_.push(fact);
        lastTransport_ = fact;
        transportReported_ = true;
    }
}

void VantoProcessor::drainTransportToController() {
    TransportFact fact;
    if (transportRing_.drainLatest(fact)) {
        sendBinaryMessage(kMessageTransport, &fact, sizeof fact);
    }
}

void VantoProcessor::adoptTransportPoll(IMessage& message) {
    int64 reset = 0;
    IAttributeList* attributes = message.getAttributes();
    if (attributes != nullptr && attributes->getInt(kMessageResetAttribute, reset) == kResultOk &&
        reset != 0) {
        transportReportRequested_.store(true, std::memory_order_release);
    }
    drainTransportToController();
}

void VantoProcessor::restartTransportCapture() {
    transportFrames_ = 0;
    transportReported_ = false;
}

} // namespace vanto
