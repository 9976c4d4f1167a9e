// Following the host through the built bundle, processor and controller connected as a DAW connects
// them and the page attached through the exported bridge functions: the host's transport becomes
// "vanto.transport" frames and "tempoChanged" / "timeSignatureChanged" lifecycle events, "sync.source"
// reads "Manual" or "Host", and the page is told the effective tempo.
#include "bundle_fixture.h"

#include "module.h"
#include "plugin_instance.h"
#include "process_block.h"

#include "pluginterfaces/vst/ivstprocesscontext.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace Steinberg;
using namespace Steinberg::Vst;
using vanto::JsonValue;
using vanto::test::parsedJson;

constexpr ParamID kSyncBpm = 0;
constexpr ParamID kSyncSource = 33;
constexpr int32 kBlock = 256;

struct Transport {
    bool playing;
    double tempo;
    int32 numerator;
    int32 denominator;
};

class HostFollowBundle : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_NE(vanto::test::loadedBundle(), nullptr);
        ASSERT_TRUE(bridge.complete());
        instance = vanto::test::processorInstance();
        ASSERT_NE(instance, nullptr);
        controller = instance->controller();
        ASSERT_NE(controller, nullptr);
        ASSERT_EQ(controller->setComponentHandler(&handler), kResultOk);
        ASSERT_EQ(instance->start(48000, kBlock), kResultOk);
        ASSERT_EQ(bridge.installSink(controller, &HostFollowBundle::keep, this), 1);
    }

    void TearDown() override {
        if (controller != nullptr) {
            bridge.installSink(controller, nullptr, nullptr);
        }
    }

    void send(const std::string& message) {
        ASSERT_EQ(bridge.deliver(controller, message.data(), message.size()), 1);
    }

    // One block under the given transport, then one cadence tick, as the host's threads would.
    void play(const Transport& transport) {
        ProcessData& data = block.prepare(kBlock);
        ProcessContext& context = block.processContext();
        context = {};
        context.state = ProcessContext::kTempoValid | ProcessContext::kTimeSigValid |
                        (transport.playing ? static_cast<uint32>(ProcessContext::kPlaying) : 0u);
        context.tempo = transport.tempo;
        context.timeSigNumerator = transport.numerator;
        context.timeSigDenominator = transport.denominator;
        context.sampleRate = 48000;
        ASSERT_EQ(instance->process(data), kResultOk);
        ASSERT_EQ(bridge.tick(controller), 1);
    }

    std::vector<JsonValue> ofType(const std::string& type) const {
        std::vector<JsonValue> found;
        for (const std::string& message : page) {
            const JsonValue parsed = parsedJson(message);
            if (parsed.str("type") == type) {
                found.push_back(parsed);
            }
        }
        return found;
    }

    // The lifecycle events of the given kind the page was sent, in order.
    std::vector<JsonValue> lifecycleEvents(const std::string& kind) const {
        std::vector<JsonValue> found;
        for (const JsonValue& message : ofType("vanto.lifecycle")) {
            for (const JsonValue& event : message.find("events")->array) {
                if (event.str("kind") == kind) {
                    found.push_back(event);
                }
            }
        }
        return found;
    }

    static double number(const JsonValue& value, const std::string& key) {
        const JsonValue* member = value.find(key);
        EXPECT_NE(member, nullptr) << key;
        return member != nullptr ? member->number : -1;
    }

    std::string valueText(ParamID id, ParamValue normalized) const {
        String128 text{};
        EXPECT_EQ(controller->getParamStringByValue(id, normalized, text), kResultOk);
        std::string ascii;
        for (const char16 c : text) {
            if (c == 0) {
                break;
            }
            ascii += static_cast<char>(c);
        }
        return ascii;
    }

    vanto::test::RecordingComponentHandler handler;
    std::vector<std::string> page;
    std::unique_ptr<vanto::host::PluginInstance> instance;
    IEditController* controller = nullptr;
    vanto::host::ProcessBlock block{{2}, {2}, kBlock};

  private:
    static void keep(void* context, const char* bytes, std::size_t length) {
        static_cast<HostFollowBundle*>(context)->page.emplace_back(bytes, length);
    }

    const vanto::test::BridgeExports& bridge = vanto::test::BridgeExports::found();
};

TEST_F(HostFollowBundle, PlayStopTempoAndMeterReachThePageAsFramesAndLifecycleEvents) {
    send(R"({"type":"vanto.diag.subscribe","feeds":["transport","lifecycle"],"hz":30})");
    play({true, 120, 4, 4});
    play({true, 100, 4, 4});
    play({true, 100, 3, 4});
    play({false, 100, 3, 4});

    const std::vector<JsonValue> frames = ofType("vanto.transport");
    ASSERT_GE(frames.size(), 4u);
    const auto state = [](const JsonValue& frame) { return *frame.find("frame")->find("state"); };
    EXPECT_TRUE(state(frames.front()).find("playing")->boolean);
    EXPECT_EQ(number(state(frames.front()), "tempo"), 120);
    EXPECT_EQ(frames.front().find("frame")->str("source"), "host");
    EXPECT_FALSE(state(frames.back()).find("playing")->boolean) << "stopped";
    EXPECT_EQ(number(state(frames.back()), "tempo"), 100);
    EXPECT_EQ(number(*state(frames.back()).find("timeSignature"), "numerator"), 3);

    const std::vector<JsonValue> tempo = lifecycleEvents("tempoChanged");
    ASSERT_EQ(tempo.size(), 1u);
    EXPECT_EQ(number(*tempo[0].find("detail"), "tempo"), 100);
    EXPECT_EQ(number(*tempo[0].find("detail"), "previous"), 120);
    EXPECT_EQ(number(tempo[0], "atFrame"), kBlock) << "stamped with the block the change came in";
    const std::vector<JsonValue> meter = lifecycleEvents("timeSignatureChanged");
    ASSERT_EQ(meter.size(), 1u);
    EXPECT_EQ(number(*meter[0].find("detail"), "numerator"), 3);
    EXPECT_EQ(number(*meter[0].find("detail"), "previousNumerator"), 4);
    EXPECT_EQ(number(*meter[0].find("detail"), "denominator"), 4);
}

TEST_F(HostFollowBundle, SyncSourceReadsManualOrHost) {
    EXPECT_EQ(valueText(kSyncSource, 0.0), "Manual");
    EXPECT_EQ(valueText(kSyncSource, 1.0), "Host");
    EXPECT_EQ(valueText(kSyncSource, 0.7), "Host");
    for (const auto& [text, expected] : {std::pair{u"Host", 1.0}, std::pair{u"Manual", 0.0}}) {
        ParamValue normalized = -1;
        EXPECT_EQ(controller->getParamValueByString(
                      kSyncSource, const_cast<TChar*>(reinterpret_cast<const TChar*>(text)), normalized),
                  kResultOk);
        EXPECT_EQ(normalized, expected);
    }
    EXPECT_EQ(valueText(kSyncBpm, 0.4), "120") << "other parameters keep their texts";
}

TEST_F(HostFollowBundle, ThePageIsToldTheEffectiveTempo) {
    send(R"({"type":"vanto.ready"})");
    const std::vector<JsonValue> hello = ofType("vanto.hello");
    ASSERT_EQ(hello.size(), 1u);
    const JsonValue* greeting = hello[0].find("tempo");
    ASSERT_NE(greeting, nullptr);
    EXPECT_EQ(number(*greeting, "bpm"), 120);
    EXPECT_EQ(greeting->str("source"), "Manual");

    play({true, 90, 4, 4});
    std::vector<JsonValue> told = ofType("vanto.tempo");
    ASSERT_EQ(told.size(), 1u) << "the host's tempo arrived, the effective one is still manual";
    EXPECT_EQ(number(*told.back().find("tempo"), "hostBpm"), 90);
    EXPECT_EQ(number(*told.back().find("tempo"), "bpm"), 120);

    ASSERT_EQ(controller->setParamNormalized(kSyncSource, 1.0), kResultOk);
    told = ofType("vanto.tempo");
    ASSERT_EQ(told.size(), 2u);
    EXPECT_EQ(number(*told.back().find("tempo"), "bpm"), 90);
    EXPECT_EQ(told.back().find("tempo")->str("source"), "Host");

    play({true, 300, 4, 4});
    told = ofType("vanto.tempo");
    ASSERT_EQ(told.size(), 3u);
    EXPECT_EQ(number(*told.back().find("tempo"), "bpm"), 240) << "limited to the tempo range";
    play({true, 300, 4, 4});
    EXPECT_EQ(ofType("vanto.tempo").size(), 3u) << "nothing changed, nothing sent";
    EXPECT_TRUE(handler.performed.empty()) << "following the host edits no parameter";
}

} // namespace
