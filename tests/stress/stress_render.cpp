// The render scenario: one instance processed as a careless host would, on a thread watched for
// allocations, locks and system calls.
#include "stress/stress_plugin.h"
#include "stress/stress_scenarios.h"

#include "support/allocation_counter.h"
#include "support/realtime_guard.h"

#include "parameter_changes.h"
#include "process_block.h"

#include "pluginterfaces/vst/ivsteditcontroller.h"
#include "pluginterfaces/vst/ivstprocesscontext.h"

#include <cmath>
#include <limits>
#include <thread>

namespace vanto::stress {

namespace {

using namespace Steinberg;
using namespace Steinberg::Vst;

constexpr int kMaxBlock = 8192;
constexpr ParamID kProgramChange = 0x3F010001;
constexpr int32 kParameters = 34;
// Enough points for a block that brings more changes than the engine's event queue holds.
constexpr int32 kDensePoints = 100;

int32 offsetWithin(Random& random, int frames) {
    // Careless hosts send offsets outside the block now and then.
    if (random.chance(0.02)) {
        return random.chance(0.5) ? -random.integer(1, 64) : frames + random.integer(0, 64);
    }
    return random.integer(0, frames > 0 ? frames - 1 : 0);
}

// The controllers the render scenario's CC map binds, with every value mode and takeover rule.
constexpr int kBoundControllers = 6;
const char kCcMapState[] = R"({"ccMap":{"version":1,"bindings":[)"
                           R"({"cc":0,"path":"glue.ratio","min":2,"max":6,"curve":"exp"},)"
                           R"({"cc":1,"path":"master.level","valueMode":"relative-twos-complement"},)"
                           R"({"cc":2,"path":"mix.amount","valueMode":"toggle","channel":3},)"
                           R"({"cc":3,"path":"glue.drive","takeover":"pickup"},)"
                           R"({"cc":4,"path":"macro.space","takeover":"scaled","curve":"s-curve"},)"
                           R"({"cc":5,"path":"time.division","valueMode":"relative-signed-bit"},)"
                           R"({"cc":5,"path":"sync.bpm","min":200,"max":60,"curve":"log"}]}})";

// The parameters the controller's MIDI mapping names for the bound controllers on every channel, as a
// host asks for them; empty without a mapping.
std::vector<ParamID> mappedControllers(host::PluginInstance& instance) {
    std::vector<ParamID> mapped;
    FUnknownPtr<IMidiMapping> mapping(instance.controller());
    for (int16 channel = 0; mapping && channel < 16; ++channel) {
        for (CtrlNumber cc = 0; cc < kBoundControllers; ++cc) {
            ParamID id = 0;
            if (mapping->getMidiControllerAssignment(0, channel, cc, id) == kResultOk) {
                mapped.push_back(id);
            }
        }
    }
    return mapped;
}

ParamID someParameter(Random& random, const std::vector<ParamID>& controllers) {
    // Controllers as the host delivers them: changes of the parameters the mapping named.
    if (!controllers.empty() && random.chance(0.15)) {
        return controllers[static_cast<std::size_t>(
            random.integer(0, static_cast<int>(controllers.size()) - 1))];
    }
    if (random.chance(0.05)) {
        return random.chance(0.5) ? kProgramChange : static_cast<ParamID>(random.bits());
    }
    return static_cast<ParamID>(random.integer(0, kParameters - 1));
}

void automate(Random& random, host::ParameterChanges& changes, int frames,
              const std::vector<ParamID>& controllers) {
    changes.clear();
    const int mode = random.integer(0, 9);
    if (mode == 0) {
        for (ParamID id = 0; id < static_cast<ParamID>(kParameters); ++id) {
            for (int32 point = 0; point < kDensePoints; ++point) {
                changes.add(id, frames > 0 ? point * frames / kDensePoints : 0, random.hostileNormalized());
            }
        }
        return;
    }
    for (int lane = mode < 6 ? random.integer(1, 6) : 0; lane > 0; --lane) {
        const ParamID id = someParameter(random, controllers);
        for (int point = random.integer(1, 8); point > 0; --point) {
            changes.add(id, offsetWithin(random, frames), random.hostileNormalized());
        }
    }
}

double hostileDouble(Random& random, double usual) {
    static const double kHostile[] = {std::numeric_limits<double>::quiet_NaN(),
                                      std::numeric_limits<double>::infinity(), -1.0, 0.0, 1e308};
    return random.chance(0.1) ? kHostile[random.integer(0, 4)] : usual;
}

void randomiseTransport(Random& random, ProcessContext& context, double rate) {
    context.state = random.bits();
    context.sampleRate = hostileDouble(random, rate);
    context.tempo = hostileDouble(random, random.uniform(20.0, 300.0));
    context.timeSigNumerator = random.integer(-2, 32);
    context.timeSigDenominator = random.integer(-2, 32);
    context.projectTimeMusic = hostileDouble(random, random.uniform(-100.0, 1e6));
    context.barPositionMusic = hostileDouble(random, random.uniform(-100.0, 1e6));
    context.cycleStartMusic = hostileDouble(random, 0.0);
    context.cycleEndMusic = hostileDouble(random, 16.0);
    context.projectTimeSamples = static_cast<TSamples>(random.bits()) - (1LL << 31);
    context.systemTime = static_cast<int64>(random.bits());
    context.continousTimeSamples = static_cast<TSamples>(random.bits());
}

void fillInput(Random& random, host::ProcessBlock& block, int frames, double& phase, double step) {
    for (int i = 0; i < frames; ++i) {
        const float sample = random.hostileSample(phase);
        block.input(0, 0)[static_cast<std::size_t>(i)] = sample;
        block.input(0, 1)[static_cast<std::size_t>(i)] = random.chance(0.5) ? sample : -sample;
        phase += step;
    }
}

struct AudioThreadFindings {
    bool watched = false;
    long allocations = 0;
    test::RealtimeViolations violations;
    long reportedChanges = 0; // the parameter values the CC map set, reported to the host
};

} // namespace

uint64_t renderScenario(const Scenario& scenario, int blocks) {
    const Checks check{scenario.report, "render", scenario.seed};
    Random random(scenario.seed);
    auto instance = makeInstance(scenario.module, check);
    if (!instance) {
        return 0;
    }
    const double rate = random.sampleRate();
    const int maxBlock = random.blockSize(kMaxBlock);
    const std::string setup = " at " + std::to_string(rate) + " Hz, blocks up to " + std::to_string(maxBlock);
    if (!check(instance->start(rate, maxBlock) == kResultOk, "the set-up is accepted" + setup)) {
        return 0;
    }
    check(instance->restoreState(std::vector<char>(kCcMapState, kCcMapState + sizeof kCcMapState - 1)) ==
              kResultOk,
          "the CC map restores");
    const std::vector<ParamID> controllers = mappedControllers(*instance);
    check(controllers.size() == 16 * kBoundControllers, "the controller maps every bound controller");
    host::ProcessBlock block({2}, {2}, maxBlock);
    host::ParameterChanges changes(kParameters + 8, kDensePoints + 28);
    uint64_t hash = kHashStart;
    AudioThreadFindings findings;

    // The host's audio thread does the work between blocks too (states), outside the watched calls.
    std::thread audio([&] {
        findings.watched = test::watchThisThreadForSystemCalls();
        double phase = 0.0;
        const double step = 2.0 * 3.141592653589793 * random.uniform(30.0, 3000.0) / rate;
        for (int index = 0; index < blocks; ++index) {
            const int frames = random.chance(0.05) ? 0 : random.integer(1, maxBlock);
            fillInput(random, block, frames, phase, step);
            automate(random, changes, frames, controllers);
            randomiseTransport(random, block.processContext(), rate);
            ProcessData& data = block.prepare(frames);
            data.inputParameterChanges = &changes;
            data.processContext = random.chance(0.1) ? nullptr : &block.processContext();
            tresult result = kResultFalse;
            const test::RealtimeViolations violations = test::realtimeViolationsDuring([&] {
                findings.allocations += test::allocationsDuring([&] { result = instance->process(data); });
            });
            findings.violations.locks += violations.locks;
            findings.violations.systemCalls += violations.systemCalls;
            if (violations.systemCalls > 0) {
                findings.violations.lastSystemCall = violations.lastSystemCall;
            }
            const std::string where =
                setup + ", block " + std::to_string(index) + " of " + std::to_string(frames);
            check(result == kResultOk, "the block renders" + where);
            for (int32 channel = 0; channel < 2; ++channel) {
                check(cleanAudio(block.output(0, channel).data(), frames),
                      "the output is finite and normal" + where);
                hash = hashBytes(hash, block.output(0, channel).data(),
                                 static_cast<std::size_t>(frames) * sizeof(float));
            }
            findings.reportedChanges += block.outputParameterChanges().getParameterCount();
            if (index % 16 == 15) {
                checkStatesRoundTrip(*instance, random, check);
            }
        }
    });
    audio.join();
    check(findings.watched || !test::kWatchesLocksAndSystemCalls, "the processing thread is watched");
    check(blocks < 32 || findings.reportedChanges > 0, "controllers move the parameters the CC map binds");
    check(findings.allocations == 0,
          "process allocates nothing (" + std::to_string(findings.allocations) + ")");
    check(findings.violations.locks == 0,
          "process takes no lock (" + std::to_string(findings.violations.locks) + ")");
    check(findings.violations.systemCalls == 0,
          "process makes no system call (last " + std::to_string(findings.violations.lastSystemCall) + ")");
    return hash;
}

} // namespace vanto::stress
