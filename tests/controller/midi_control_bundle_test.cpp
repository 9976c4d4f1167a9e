// MIDI control through the built bundle, as a DAW drives it: the page sets the CC map ("vanto.setCcMap"),
// the host turns controller messages into changes of the hidden MIDI CC parameters its IMidiMapping
// query named, and the processor resolves them through the map. Every resolved value must reach the
// parameter at the message's sample, come back to the host as an output parameter change, and be what
// a state saved afterwards holds; the page hears about every controller that arrives.
#include "bundle_fixture.h"
#include "ccmap/midi_cc_parameter_ids.h"
#include "kernel/param_table.h"
#include "processor/state_chunk.h"
#include "processor/state_json_reader.h"

#include "module.h"
#include "plugin_instance.h"
#include "process_block.h"

#include "pluginterfaces/vst/ivsteditcontroller.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace {

using Steinberg::int32;
using Steinberg::kResultOk;
using Steinberg::Vst::IParamValueQueue;
using Steinberg::Vst::ParamID;
using Steinberg::Vst::ParamValue;
using vanto::JsonValue;

constexpr double kSampleRate = 48000;
constexpr int32 kBlockFrames = 256;

ParamID idOf(const char* path) {
    const vanto_param_desc* row = vanto_param_find(path);
    return row == nullptr ? VANTO_PARAM_COUNT : static_cast<ParamID>(row - VANTO_PARAMS);
}

const ParamID kGlueRatio = idOf("glue.ratio");     // 1 ... 8, default 2.5
const ParamID kGlueDrive = idOf("glue.drive");     // 0 ... 1, default 0.2
const ParamID kMacroSpace = idOf("macro.space");   // 0 ... 1, default 0.35
const ParamID kMix = idOf("mix.amount");           // 0 ... 1, default 1
const ParamID kOutputLevel = idOf("master.level"); // 0 ... 1, default 0.9

// The normalized value of a plain value of a continuous row.
double normalizedOf(ParamID id, double plain) {
    const vanto_param_desc& row = VANTO_PARAMS[id];
    return (plain - row.min) / (row.max - row.min);
}

// One controller message: the block it arrives in, its sample offset, the host's channel (0 ... 15),
// the controller number and the 7-bit value.
struct Cc {
    int block;
    int32 offset;
    int hostChannel;
    int controller;
    int value;
};

// A change of a table parameter that the host's automation makes.
struct HostPoint {
    int block;
    int32 offset;
    ParamID id;
    ParamValue normalized;
};

// A value the processor applied and handed back to the host.
struct Applied {
    int block;
    int32 offset;
    ParamID id;
    ParamValue normalized;
};

class MidiControl : public ::testing::Test {
  protected:
    static std::shared_ptr<vanto::host::Module> bundle() { return vanto::test::loadedBundle(); }

    static void keepPageMessage(void* context, const char* bytes, std::size_t length) {
        static_cast<MidiControl*>(context)->page.emplace_back(bytes, length);
    }

    void SetUp() override {
        ASSERT_NE(bundle(), nullptr);
        ASSERT_TRUE(bridge.complete());
        instance = vanto::test::processorInstance();
        ASSERT_NE(instance, nullptr);
        ASSERT_EQ(bridge.installSink(instance->controller(), &MidiControl::keepPageMessage, this), 1);
        ASSERT_EQ(instance->start(kSampleRate, kBlockFrames), kResultOk);
    }

    void TearDown() override {
        if (instance != nullptr) {
            bridge.installSink(instance->controller(), nullptr, nullptr);
        }
    }

    void send(const std::string& message) {
        ASSERT_EQ(bridge.deliver(instance->controller(), message.data(), message.size()), 1);
    }

    void setMap(const std::string& map) { send(R"({"type":"vanto.setCcMap","map":)" + map + "}"); }

    // The parameter the host sends a controller to, as a host finds it: through IMidiMapping.
    ParamID mappedParameter(int hostChannel, int controller) {
        Steinberg::FUnknownPtr<Steinberg::Vst::IMidiMapping> mapping(instance->controller());
        ParamID id = 0;
        EXPECT_TRUE(mapping);
        EXPECT_EQ(mapping->getMidiControllerAssignment(0, static_cast<Steinberg::int16>(hostChannel),
                                                       static_cast<Steinberg::Vst::CtrlNumber>(controller),
                                                       id),
                  kResultOk);
        return id;
    }

    // Processes the blocks the messages and points fall in, and returns every output change.
    std::vector<Applied> play(const std::vector<Cc>& messages, const std::vector<HostPoint>& host = {}) {
        int blocks = 0;
        for (const Cc& cc : messages) {
            blocks = std::max(blocks, cc.block + 1);
        }
        std::vector<Applied> applied;
        for (int index = 0; index < blocks; ++index) {
            block.clearQueues();
            for (const HostPoint& point : host) {
                if (point.block == index) {
                    block.inputParameterChanges().add(point.id, point.offset, point.normalized);
                }
            }
            for (const Cc& cc : messages) {
                if (cc.block == index) {
                    block.inputParameterChanges().add(mappedParameter(cc.hostChannel, cc.controller),
                                                      cc.offset, cc.value / 127.0);
                }
            }
            EXPECT_EQ(instance->process(block.prepare(kBlockFrames)), kResultOk);
            collectOutput(index, applied);
        }
        return applied;
    }

    void collectOutput(int index, std::vector<Applied>& applied) {
        auto& out = block.outputParameterChanges();
        for (int32 queueIndex = 0; queueIndex < out.getParameterCount(); ++queueIndex) {
            IParamValueQueue* queue = out.getParameterData(queueIndex);
            for (int32 point = 0; point < queue->getPointCount(); ++point) {
                int32 offset = 0;
                ParamValue value = 0;
                ASSERT_EQ(queue->getPoint(point, offset, value), kResultOk);
                applied.push_back({index, offset, queue->getParameterId(), value});
            }
        }
    }

    vanto::StateChunk savedState() {
        std::vector<char> bytes;
        EXPECT_EQ(instance->saveState(bytes), kResultOk);
        vanto::StateChunk state;
        EXPECT_TRUE(vanto::parseStateJson(bytes.data(), bytes.size(), state));
        return state;
    }

    std::vector<JsonValue> pageMessages(const std::string& type) const {
        std::vector<JsonValue> found;
        for (const std::string& message : page) {
            JsonValue parsed = vanto::test::parsedJson(message);
            if (parsed.str("type") == type) {
                found.push_back(parsed);
            }
        }
        return found;
    }

    const vanto::test::BridgeExports& bridge = vanto::test::BridgeExports::found();
    std::vector<std::string> page;
    std::unique_ptr<vanto::host::PluginInstance> instance;
    vanto::host::ProcessBlock block{{2}, {2}, kBlockFrames};
};

struct MapCase {
    const char* name;
    std::string map;
    std::vector<Cc> messages;
    std::vector<HostPoint> host;
    std::vector<Applied> expected;
};

// glue.ratio bound over 2 ... 6 with the "exp" curve: plain = 2 + 4 (v / 127)².
double expRatio(int value) {
    const double x = value / 127.0;
    return normalizedOf(kGlueRatio, 2 + 4 * x * x);
}

std::vector<MapCase> mapCases() {
    const double step = 1.0 / 127.0;
    // Scaled takeover of glue.ratio over its whole range from the host's 0.25 (nearest step 32) with
    // the controller last at 100: moving to 110 covers 10 of the 27 steps left above it, so the
    // parameter covers as much of its 95 steps left, truncated to a step.
    const int scaledStep = static_cast<int>(std::trunc(((95.0 / 27.0) * 10 + 32) / 127.0 * 127.0));
    return {
        {"absolute with a range and the exp curve",
         R"([{"cc":74,"path":"glue.ratio","min":2,"max":6,"curve":"exp"}])",
         {{0, 0, 0, 74, 0}, {0, 17, 0, 74, 64}, {0, 255, 0, 74, 127}, {1, 3, 0, 74, 100}},
         {},
         {{0, 0, kGlueRatio, expRatio(0)},
          {0, 17, kGlueRatio, expRatio(64)},
          {0, 255, kGlueRatio, expRatio(127)},
          {1, 3, kGlueRatio, expRatio(100)}}},
        // master.level 0.9 sits nearest step 114; 0 and 64 mean "no movement".
        {"relative two's complement steps from the current value",
         R"([{"cc":21,"path":"master.level","valueMode":"relative-twos-complement"}])",
         {{0, 10, 0, 21, 1}, {0, 20, 0, 21, 126}, {0, 30, 0, 21, 0}, {0, 40, 0, 21, 64}, {1, 0, 0, 21, 5}},
         {},
         {{0, 10, kOutputLevel, 115 * step},
          {0, 20, kOutputLevel, 113 * step},
          {1, 0, kOutputLevel, 118 * step}}},
        // The host moves master.level to 0.3 (nearest step 38) mid-block; the encoder continues from there.
        {"relative steps follow the host's automation",
         R"([{"cc":21,"path":"master.level","valueMode":"relative-twos-complement"}])",
         {{0, 10, 0, 21, 1}, {0, 100, 0, 21, 1}},
         {{0, 50, kOutputLevel, 0.3}},
         {{0, 10, kOutputLevel, 115 * step}, {0, 100, kOutputLevel, 39 * step}}},
        // glue.ratio 2.5 of 1 ... 8 sits nearest step 27: 100 and 90 are ignored, 90 to 10 crosses it.
        {"pickup ignores the knob until it crosses the current value",
         R"([{"cc":75,"path":"glue.ratio","takeover":"pickup"}])",
         {{0, 0, 0, 75, 100}, {0, 8, 0, 75, 90}, {0, 16, 0, 75, 10}, {0, 24, 0, 75, 50}},
         {},
         {{0, 16, kGlueRatio, 10 * step}, {0, 24, kGlueRatio, 50 * step}}},
        {"scaled reaches both ends",
         R"([{"cc":76,"path":"glue.ratio","takeover":"scaled"}])",
         {{0, 0, 0, 76, 100}, {1, 5, 0, 76, 110}, {1, 6, 0, 76, 127}, {1, 7, 0, 76, 0}},
         {{1, 0, kGlueRatio, 0.25}},
         {{0, 0, kGlueRatio, 100 * step},
          {1, 5, kGlueRatio, scaledStep * step},
          {1, 6, kGlueRatio, 1.0},
          {1, 7, kGlueRatio, 0.0}}},
        // mix.amount starts at its top end, so the first press takes it to the bottom.
        {"toggle flips on rising edges",
         R"([{"cc":64,"path":"mix.amount","valueMode":"toggle"}])",
         {{0, 0, 0, 64, 127}, {0, 1, 0, 64, 127}, {0, 2, 0, 64, 0}, {0, 3, 0, 64, 100}, {0, 4, 0, 64, 63}},
         {},
         {{0, 0, kMix, 0.0}, {0, 3, kMix, 1.0}}},
        {"a channel-bound binding ignores other channels",
         R"([{"cc":7,"path":"master.level","channel":3}])",
         {{0, 0, 0, 7, 10}, {0, 1, 3, 7, 20}, {0, 2, 2, 7, 30}, {0, 3, 15, 7, 40}},
         {},
         {{0, 2, kOutputLevel, 30 * step}}},
        {"two bindings on one controller both act",
         R"([{"cc":30,"path":"glue.drive"},{"cc":30,"path":"macro.space","min":1,"max":0}])",
         {{0, 64, 5, 30, 32}},
         {},
         {{0, 64, kGlueDrive, 32 * step}, {0, 64, kMacroSpace, 1 - 32 * step}}},
        {"controllers nobody bound change nothing",
         R"([{"cc":30,"path":"glue.drive"}])",
         {{0, 0, 0, 31, 90}, {0, 1, 0, 29, 90}},
         {},
         {}},
    };
}

TEST_F(MidiControl, BindingsActThroughTheMapAtTheirSamplesAndTheHostAndStateFollow) {
    for (const MapCase& c : mapCases()) {
        SCOPED_TRACE(c.name);
        SetUp(); // a fresh instance per case
        setMap(c.map);
        const std::vector<Applied> applied = play(c.messages, c.host);
        ASSERT_EQ(applied.size(), c.expected.size());
        for (std::size_t index = 0; index < applied.size(); ++index) {
            SCOPED_TRACE(index);
            EXPECT_EQ(applied[index].block, c.expected[index].block);
            EXPECT_EQ(applied[index].offset, c.expected[index].offset);
            EXPECT_EQ(applied[index].id, c.expected[index].id);
            EXPECT_NEAR(applied[index].normalized, c.expected[index].normalized, 1e-12);
        }
        // The saved state holds the last value applied to each parameter.
        const vanto::StateChunk state = savedState();
        for (const Applied& last : c.expected) {
            bool later = false;
            for (const Applied& other : c.expected) {
                later |= other.id == last.id && (other.block > last.block ||
                                                 (other.block == last.block && other.offset > last.offset));
            }
            if (!later) {
                EXPECT_NEAR(state.params[last.id],
                            vanto_param_to_plain(&VANTO_PARAMS[last.id], last.normalized), 1e-9)
                    << VANTO_PARAMS[last.id].path;
            }
        }
        TearDown();
    }
}

TEST_F(MidiControl, WithoutAMapControllersMoveNothingAndTheStateHasNoMap) {
    const std::vector<Applied> applied = play({{0, 0, 0, 74, 127}, {0, 1, 0, 7, 0}});
    EXPECT_TRUE(applied.empty());
    const vanto::StateChunk state = savedState();
    EXPECT_FALSE(state.hasCcMap);
    for (uint32_t id = 0; id < VANTO_PARAM_COUNT; ++id) {
        EXPECT_EQ(state.params[id], VANTO_PARAMS[id].defaultPlain) << VANTO_PARAMS[id].path;
    }
}

TEST_F(MidiControl, AReplacedMapActsFromTheNextBlockAndForgetsTheOldTakeover) {
    setMap(R"([{"cc":75,"path":"glue.ratio","takeover":"pickup"}])");
    EXPECT_TRUE(play({{0, 0, 0, 75, 27}}).size() == 1); // picked up at once
    setMap(R"([{"cc":75,"path":"mix.amount","takeover":"pickup"}])");
    // mix.amount is at its top: the knob at 27 is far from it and a fresh pickup must wait.
    EXPECT_TRUE(play({{0, 0, 0, 75, 28}}).empty());
    const std::vector<Applied> applied = play({{0, 0, 0, 75, 127}});
    ASSERT_EQ(applied.size(), 1u);
    EXPECT_EQ(applied[0].id, kMix);
}

TEST_F(MidiControl, AFlushCallAppliesTheValuesAtOnce) {
    setMap(R"([{"cc":74,"path":"glue.ratio"}])");
    block.clearQueues();
    block.inputParameterChanges().add(mappedParameter(0, 74), 0, 127 / 127.0);
    ASSERT_EQ(instance->process(block.prepare(0)), kResultOk);
    EXPECT_EQ(savedState().params[kGlueRatio], 8.0);
}

TEST_F(MidiControl, ThePageHearsEveryControllerWhileItSubscribesToMidiIn) {
    // Nobody listens yet: the drained activity goes nowhere.
    play({{0, 0, 0, 1, 5}});
    ASSERT_EQ(bridge.tick(instance->controller()), 1);
    EXPECT_TRUE(pageMessages("vanto.midiCc").empty());

    send(R"({"type":"vanto.diag.subscribe","feeds":["midiIn"],"hz":30})");
    // The latest value of each controller, unbound ones too; channels counted from 1.
    play({{0, 0, 0, 74, 10}, {0, 5, 0, 74, 11}, {0, 9, 4, 7, 99}});
    ASSERT_EQ(bridge.tick(instance->controller()), 1);
    const std::vector<JsonValue> heard = pageMessages("vanto.midiCc");
    ASSERT_EQ(heard.size(), 2u);
    EXPECT_EQ(page[page.size() - 2], R"({"type":"vanto.midiCc","cc":7,"channel":5,"value":99})");
    EXPECT_EQ(page.back(), R"({"type":"vanto.midiCc","cc":74,"channel":1,"value":11})");

    send(R"({"type":"vanto.diag.unsubscribe"})");
    page.clear();
    play({{0, 0, 0, 74, 12}});
    ASSERT_EQ(bridge.tick(instance->controller()), 1);
    EXPECT_TRUE(pageMessages("vanto.midiCc").empty());
}

} // namespace
