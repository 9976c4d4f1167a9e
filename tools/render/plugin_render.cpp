#include "plugin_render.h"

#include "process_block.h"
#include "stderr_silence.h"

#include "ccmap/midi_cc_parameter_ids.h"

#include "public.sdk/source/common/memorystream.h"

#include <algorithm>
#include <cmath>

namespace vanto {

using namespace Steinberg;
using namespace Steinberg::Vst;

namespace {

// The controller messages from `next` on that fall in the block of `count` frames at `start`, into the
// changes of their MIDI CC parameters at their offsets; `next` moves past them.
bool queueControllers(const std::vector<TimedController>& controllers, std::size_t& next, double rate,
                      std::size_t start, std::size_t count, host::ParameterChanges& changes,
                      std::string& error) {
    for (; next < controllers.size(); ++next) {
        const TimedController& message = controllers[next];
        const auto frame = static_cast<std::size_t>(std::llround(std::max(message.seconds, 0.0) * rate));
        if (frame >= start + count) {
            break;
        }
        const auto offset = static_cast<int32>(frame - std::min(frame, start));
        if (!changes.add(midiCcParamId(message.channel, message.controller), offset, message.value / 127.0)) {
            error = "too many controller messages in the block at frame " + std::to_string(start) +
                    " for the host's parameter queues; render with a smaller --block";
            return false;
        }
    }
    return true;
}

} // namespace

PluginRender::PluginRender(std::shared_ptr<host::Module> module)
    : module(std::move(module)), hostContext(std::make_unique<HostApplication>()) {}

std::unique_ptr<PluginRender> PluginRender::load(const std::string& bundlePath, std::string& error) {
    std::string reason;
    auto module = host::Module::load(bundlePath, reason);
    if (!module) {
        error = "cannot load the plug-in " + bundlePath + ": " + reason;
        return nullptr;
    }
    const auto effect = module->findClass(kVstAudioEffectClass);
    if (!effect) {
        error = bundlePath + " holds no audio effect";
        return nullptr;
    }
    std::unique_ptr<PluginRender> session(new PluginRender(module));
    void* object = nullptr;
    if (module->factory()->createInstance(reinterpret_cast<const char*>(effect->cid.data()), IComponent::iid,
                                          &object) != kResultOk ||
        object == nullptr) {
        error = "the plug-in cannot make its audio processor";
        return nullptr;
    }
    session->component = owned(static_cast<IComponent*>(object));
    if (session->component->initialize(session->hostContext.get()) != kResultOk) {
        error = "the plug-in's audio processor refused to initialise";
        return nullptr;
    }
    session->initialized = true;
    session->processor = FUnknownPtr<IAudioProcessor>(session->component);
    if (!session->processor) {
        error = "the plug-in's component is no audio processor";
        return nullptr;
    }
    return session;
}

PluginRender::~PluginRender() {
    if (processing) {
        processor->setProcessing(false);
    }
    if (active) {
        component->setActive(false);
    }
    if (initialized) {
        component->terminate();
    }
}

bool PluginRender::restoreState(const std::string& document, std::string& error) {
    auto stream =
        owned(new MemoryStream(const_cast<char*>(document.data()), static_cast<TSize>(document.size())));
    if (component->setState(stream) != kResultOk) {
        error = "the plug-in refused the state document";
        return false;
    }
    return true;
}

bool PluginRender::start(double sampleRate, int frames, std::string& error, bool sidechain) {
    ProcessSetup setup{kOffline, kSample32, frames, sampleRate};
    if (sidechain && (component->getBusCount(kAudio, kInput) < 2 ||
                      component->activateBus(kAudio, kInput, 1, true) != kResultOk)) {
        error = "the plug-in has no side-chain input to feed";
        return false;
    }
    // The plug-in logs why it refuses; the tool says it once, in its own words.
    StderrSilence quiet;
    active = processor->setupProcessing(setup) == kResultOk && component->setActive(true) == kResultOk;
    if (!active) {
        error = "the effect refuses to run at " + std::to_string(static_cast<long long>(sampleRate)) +
                " Hz with " + std::to_string(frames) + "-frame blocks";
        return false;
    }
    processing = processor->setProcessing(true) == kResultOk;
    blockFrames = frames;
    setupRate = sampleRate;
    return true;
}

uint32_t PluginRender::latency() const {
    return processor->getLatencySamples();
}

namespace {

// Copies the frames of `source` from `start` into the bus's channels, silence past its end.
void fillBus(host::ProcessBlock& block, int32 bus, const StereoBuffer& source, std::size_t start) {
    const std::size_t frames = source.frames();
    const std::size_t count = start < frames ? std::min<std::size_t>(block.maxFrames(), frames - start) : 0;
    for (int channel = 0; channel < 2; ++channel) {
        const std::vector<float>& samples = channel == 0 ? source.left : source.right;
        const auto destination = block.input(bus, channel);
        std::copy_n(samples.begin() + static_cast<std::ptrdiff_t>(std::min(start, frames)), count,
                    destination.begin());
        std::fill(destination.begin() + static_cast<std::ptrdiff_t>(count), destination.end(), 0.0f);
    }
}

void fillContext(ProcessContext& context, const HostTimeline& host, std::size_t start, std::size_t frames,
                 double sampleRate) {
    context = {};
    context.state = ProcessContext::kPlaying;
    context.sampleRate = sampleRate;
    context.projectTimeSamples = static_cast<TSamples>(start);
    if (host.hasTempo()) {
        context.state |= ProcessContext::kTempoValid;
        context.tempo = host.tempoAt(start, frames);
    }
}

} // namespace

bool PluginRender::render(const StereoBuffer& input, const NormalizedValues& values,
                          const std::vector<TimedController>& controllers, StereoBuffer& output,
                          const std::function<void(uint64_t)>& progress, std::string& error,
                          const HostTimeline& host) {
    const std::size_t delay = latency();
    const std::size_t frames = input.frames();
    const std::size_t total = frames + delay;
    host::ProcessBlock block(host.sidechain != nullptr ? std::vector<int32>{2, 2} : std::vector<int32>{2},
                             {2}, blockFrames);
    output = StereoBuffer(frames);
    std::size_t nextController = 0;
    for (std::size_t start = 0; start < total; start += static_cast<std::size_t>(blockFrames)) {
        const std::size_t count = std::min<std::size_t>(static_cast<std::size_t>(blockFrames), total - start);
        // Past the end of the input the tail is flushed with silence.
        fillBus(block, 0, input, start);
        if (host.sidechain != nullptr) {
            fillBus(block, 1, *host.sidechain, start);
        }
        block.clearQueues();
        if (start == 0) {
            for (std::size_t id = 0; id < values.size(); ++id) {
                if (values[id]) {
                    block.inputParameterChanges().add(static_cast<ParamID>(id), 0, *values[id]);
                }
            }
        }
        if (!queueControllers(controllers, nextController, setupRate, start, count,
                              block.inputParameterChanges(), error)) {
            return false;
        }
        ProcessData& data = block.prepare(static_cast<int32>(count), kOffline);
        fillContext(block.processContext(), host, start, frames, setupRate);
        if (processor->process(data) != kResultOk) {
            error = "the effect failed to render the block at frame " + std::to_string(start);
            return false;
        }
        // The first `delay` frames come before the input's first frame and are dropped.
        for (std::size_t i = 0; i < count; ++i) {
            const std::size_t at = start + i;
            if (at >= delay) {
                output.left[at - delay] = block.output(0, 0)[i];
                output.right[at - delay] = block.output(0, 1)[i];
            }
        }
        progress(start + count);
    }
    return true;
}

bool PluginRender::saveState(std::string& document, std::string& error) {
    auto stream = owned(new MemoryStream);
    if (component->getState(stream) != kResultOk) {
        error = "the plug-in could not save its state";
        return false;
    }
    document.assign(stream->getData(), static_cast<std::size_t>(stream->getSize()));
    return true;
}

} // namespace vanto
