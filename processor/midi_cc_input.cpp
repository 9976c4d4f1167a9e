#include "processor/midi_cc_input.h"

#include "ccmap/midi_cc_parameter_ids.h"
#include "kernel/param_table.h"

#include <algorithm>
#include <limits>

namespace vanto {

using namespace Steinberg;
using namespace Steinberg::Vst;

namespace {

constexpr int32 kNotApplied = std::numeric_limits<int32>::min();

} // namespace

void MidiCcInput::CurrentValues::begin(IParameterChanges* in, KernelEngine& owner) {
    engine = &owner;
    hostQueues.fill(nullptr);
    appliedOffset.fill(kNotApplied);
    if (in == nullptr) {
        return;
    }
    const int32 count = in->getParameterCount();
    for (int32 index = 0; index < count; ++index) {
        IParamValueQueue* queue = in->getParameterData(index);
        if (queue != nullptr && queue->getParameterId() < KernelEngine::kParamCount) {
            hostQueues[queue->getParameterId()] = queue;
        }
    }
}

double MidiCcInput::CurrentValues::at(uint32_t parameter) const {
    if (parameter >= KernelEngine::kParamCount) {
        return 0.0;
    }
    // A host point at the same offset as an applied value came first: the engine gets it first too.
    int32 newestOffset = appliedOffset[parameter];
    double value = newestOffset != kNotApplied ? applied[parameter] : engine->paramNormalized(parameter);
    if (IParamValueQueue* queue = hostQueues[parameter]) {
        const int32 points = queue->getPointCount();
        for (int32 point = 0; point < points; ++point) {
            int32 pointOffset = 0;
            ParamValue pointValue = 0;
            if (queue->getPoint(point, pointOffset, pointValue) != kResultOk || pointOffset > offset) {
                continue;
            }
            if (pointOffset > newestOffset) {
                newestOffset = pointOffset;
                value = vanto_param_clamp_normalized(pointValue);
            }
        }
    }
    return value;
}

double MidiCcInput::CurrentValues::read(void* context, unsigned parameter) {
    return static_cast<const CurrentValues*>(context)->at(parameter);
}

int MidiCcInput::collectMessages(IParameterChanges& in) {
    int count = 0;
    const int32 queues = in.getParameterCount();
    for (int32 index = 0; index < queues; ++index) {
        IParamValueQueue* queue = in.getParameterData(index);
        const std::optional<MidiCcAddress> address =
            queue != nullptr ? midiCcAddressOf(queue->getParameterId()) : std::nullopt;
        if (!address) {
            continue;
        }
        const int32 points = queue->getPointCount();
        for (int32 point = 0; point < points && count < kMaxMessagesPerBlock; ++point) {
            int32 sampleOffset = 0;
            ParamValue value = 0;
            if (queue->getPoint(point, sampleOffset, value) != kResultOk) {
                continue;
            }
            messages[count] = {
                std::max<int32>(sampleOffset, 0), count, static_cast<uint8_t>(address->channel),
                static_cast<uint8_t>(address->controller), static_cast<uint8_t>(midiCcValueOf(value))};
            ++count;
        }
    }
    // std::sort works in place; the arrival order breaks ties, so the sort is stable without allocating.
    std::sort(messages.begin(), messages.begin() + count, [](const Message& a, const Message& b) {
        return a.sampleOffset != b.sampleOffset ? a.sampleOffset < b.sampleOffset : a.order < b.order;
    });
    return count;
}

void MidiCcInput::route(IParameterChanges* in, IParameterChanges* out, KernelEngine& engine, bool flush) {
    const CcMapReadPass pass(store);
    // A freed map's address can come back for a new one, so a publication always starts afresh.
    if (pass.changed() || router.map != &pass.map()) {
        router.reset(&pass.map());
    }
    if (in == nullptr) {
        return;
    }
    const int count = collectMessages(*in);
    if (count == 0) {
        return;
    }
    current.begin(in, engine);
    for (int index = 0; index < count; ++index) {
        const Message& message = messages[index];
        activity.record(message.controller, message.channel, message.value);
        current.offset = message.sampleOffset;
        const unsigned resolved =
            ccResolve(pass.map(), message.controller, message.channel, message.value, &router,
                      &CurrentValues::read, &current, results.data(), static_cast<unsigned>(results.size()));
        for (unsigned result = 0; result < resolved; ++result) {
            apply(results[result], message.sampleOffset, out, engine, flush);
        }
    }
}

void MidiCcInput::apply(const CcResolution& result, int32 sampleOffset, IParameterChanges* out,
                        KernelEngine& engine, bool flush) {
    const uint32_t id = result.parameter;
    if (flush) {
        engine.setParamValue(id, vanto_param_to_plain(&VANTO_PARAMS[id], result.normalized));
    } else if (!engine.pushParamNormalized(id, result.normalized, sampleOffset)) {
        // The engine's queue is full: the value still becomes the parameter's value at the block's end.
        engine.deferParamNormalized(id, result.normalized);
    }
    current.applied[id] = result.normalized;
    current.appliedOffset[id] = sampleOffset;
    if (out == nullptr) {
        return;
    }
    int32 queueIndex = 0;
    if (IParamValueQueue* queue = out->addParameterData(id, queueIndex)) {
        int32 pointIndex = 0;
        queue->addPoint(sampleOffset, result.normalized, pointIndex);
    }
}

} // namespace vanto
