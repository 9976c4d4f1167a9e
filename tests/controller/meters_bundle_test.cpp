// The meter feeds end to end through the built bundle, driven as a test harness drives the page
// bridge: processor and controller made and connected as a host does, the demo played block by block
// in real time with a cadence tick every 1/30 s, and the "vanto.meters" frames the page receives.
#include "banks/json_tree.h"
#include "bundle_fixture.h"
#include "demo_signal.h"
#include "support/strict_json.h"

#include "module.h"
#include "plugin_instance.h"
#include "process_block.h"

#include "pluginterfaces/vst/ivsteditcontroller.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

namespace {

using Steinberg::kResultOk;
using Steinberg::Vst::IEditController;
using vanto::JsonValue;
using vanto::test::parsedJson;

constexpr double kRate = 48000;
constexpr int kBlock = 320;
constexpr int kBlocksPerTick = 5; // 1600 frames: 1/30 s
constexpr Steinberg::Vst::ParamID kSidechainSource = 4;
constexpr double kKickSpacingFrames = 12000; // the test pulse kicks every quarter second at 120 BPM

const JsonValue& member(const JsonValue& value, const std::string& key) {
    static const JsonValue missing;
    const JsonValue* found = value.find(key);
    EXPECT_NE(found, nullptr) << key;
    return found != nullptr ? *found : missing;
}

double number(const JsonValue& value, const std::string& key) {
    const JsonValue& found = member(value, key);
    EXPECT_TRUE(found.isNumber()) << key;
    return found.number;
}

// One "vanto.meters" frame as the page got it, with the audio frames played when it came.
struct MetersFrame {
    JsonValue json;
    uint64_t playedFrames = 0;
    int tick = 0;
};

class MetersBundle : public ::testing::Test {
  protected:
    static std::shared_ptr<vanto::host::Module> bundle() { return vanto::test::loadedBundle(); }

    static void keepMessage(void* context, const char* bytes, std::size_t length) {
        static_cast<MetersBundle*>(context)->page.emplace_back(bytes, length);
    }

    void SetUp() override {
        ASSERT_NE(bundle(), nullptr);
        ASSERT_TRUE(bridge.complete());
        instance = vanto::test::processorInstance();
        ASSERT_NE(instance, nullptr);
        controller = instance->controller();
        ASSERT_NE(controller, nullptr);
        ASSERT_EQ(controller->setComponentHandler(&handler), kResultOk);
        ASSERT_EQ(instance->start(kRate, kBlock), kResultOk);
        ASSERT_EQ(bridge.installSink(controller, &MetersBundle::keepMessage, this), 1);
        send(R"({"type":"vanto.ready"})");
        demo = vanto::makeDemoSignal(kRate, 8);
    }

    void TearDown() override {
        if (controller != nullptr) {
            bridge.installSink(controller, nullptr, nullptr);
        }
        const std::vector<std::string> errors = vanto::test::strictJsonErrors(page);
        for (std::size_t i = 0; i < page.size(); ++i) {
            EXPECT_EQ(errors[i], "") << page[i];
        }
    }

    void send(const std::string& message) {
        ASSERT_EQ(bridge.deliver(controller, message.data(), message.size()), 1);
    }

    // Plays `ticks` × 1/30 s of the demo in real time, ticking the cadence after each 1/30 s, and
    // keeps the meter frames that arrive. The side-chain listens to the test pulse, which kicks in
    // step with the demo's own kicks.
    std::vector<MetersFrame> play(int ticks) {
        std::vector<MetersFrame> frames;
        const auto start = std::chrono::steady_clock::now();
        for (int t = 0; t < ticks; ++t) {
            for (int b = 0; b < kBlocksPerTick; ++b) {
                for (int ch = 0; ch < 2; ++ch) {
                    const std::vector<float>& source = ch == 0 ? demo.left : demo.right;
                    std::copy_n(source.begin() + static_cast<std::ptrdiff_t>(played % source.size()), kBlock,
                                block.input(0, ch).begin());
                }
                block.clearQueues();
                if (played == 0) {
                    block.inputParameterChanges().add(kSidechainSource, 0, 1.0);
                }
                EXPECT_EQ(instance->process(block.prepare(kBlock)), kResultOk);
                played += kBlock;
            }
            std::this_thread::sleep_until(start + std::chrono::microseconds(33334 * (t + 1)));
            page.clear();
            EXPECT_EQ(bridge.tick(controller), 1);
            for (const std::string& message : page) {
                JsonValue json = parsedJson(message);
                if (json.str("type") == "vanto.meters") {
                    frames.push_back({json, played, t});
                }
            }
            pageSeen.insert(pageSeen.end(), page.begin(), page.end());
        }
        page = pageSeen;
        return frames;
    }

    const vanto::test::BridgeExports& bridge = vanto::test::BridgeExports::found();
    vanto::test::RecordingComponentHandler handler;
    std::unique_ptr<vanto::host::PluginInstance> instance;
    IEditController* controller = nullptr;
    vanto::host::ProcessBlock block{{2}, {2}, kBlock};
    vanto::StereoBuffer demo;
    uint64_t played = 0;
    std::vector<std::string> page;
    std::vector<std::string> pageSeen;
};

// Every record of every frame, in arrival order.
std::vector<const JsonValue*> recordsOf(const MetersFrame& frame) {
    std::vector<const JsonValue*> records;
    for (const JsonValue& record : member(frame.json, "records").array) {
        records.push_back(&record);
    }
    return records;
}

TEST_F(MetersBundle, FramesFlowOnlyWhileSubscribedAndShowEachKickWithinOneFrame) {
    EXPECT_TRUE(play(10).empty()) << "no meter frames without a subscription";
    send(R"({"type":"vanto.diag.subscribe","feeds":["meters"],"hz":30})");
    const uint64_t subscribedAt = played;
    const std::vector<MetersFrame> frames = play(60);
    ASSERT_GE(frames.size(), 45u);
    EXPECT_LE(frames.size(), 61u) << "at most one frame per tick at 30 Hz";

    // Records arrive back to back, none lost.
    std::vector<std::pair<const JsonValue*, int>> records; // record, index of its frame
    for (std::size_t f = 0; f < frames.size(); ++f) {
        EXPECT_EQ(number(frames[f].json, "dropped"), 0);
        EXPECT_EQ(number(frames[f].json, "frameRate"), 48000);
        for (const JsonValue* record : recordsOf(frames[f])) {
            records.emplace_back(record, static_cast<int>(f));
        }
    }
    ASSERT_GE(records.size(), 190u);
    for (std::size_t i = 1; i < records.size(); ++i) {
        EXPECT_EQ(number(*records[i].first, "at"),
                  number(*records[i - 1].first, "at") + number(*records[i - 1].first, "frames"));
    }

    // Each kick while subscribed: the first frame sent after the audio holding the kick was played,
    // or the one after it, carries the kick's hit and a low band ducked by a quarter dB or more.
    std::vector<double> delaysMs;
    int kicksChecked = 0;
    for (double kick = std::ceil(subscribedAt / kKickSpacingFrames) * kKickSpacingFrames;
         kick + 3200 < static_cast<double>(played); kick += kKickSpacingFrames) {
        const auto firstFrame = std::find_if(frames.begin(), frames.end(), [&](const MetersFrame& frame) {
            return static_cast<double>(frame.playedFrames) > kick;
        });
        ASSERT_NE(firstFrame, frames.end());
        bool hit = false;
        double deepest = 0;
        for (auto frame = firstFrame; frame != frames.end() && frame <= firstFrame + 1; ++frame) {
            for (const JsonValue* record : recordsOf(*frame)) {
                const double at = number(*record, "at");
                const JsonValue& kickLane = member(*record, "lanes").array.at(0);
                if (member(kickLane, "hit").isNumber()) {
                    const double hitFrame = at + number(kickLane, "hit");
                    if (hitFrame >= kick && hitFrame < kick + 960 && !hit) {
                        hit = true;
                        delaysMs.push_back((static_cast<double>(frame->playedFrames) - hitFrame) / 48.0);
                    }
                }
                if (at >= kick) {
                    deepest = std::min(deepest, number(*record, "lowBandGainDb"));
                }
            }
        }
        EXPECT_TRUE(hit) << "kick at frame " << kick;
        EXPECT_LT(deepest, -0.25) << "kick at frame " << kick;
        ++kicksChecked;
    }
    EXPECT_GE(kicksChecked, 6);
    if (!delaysMs.empty()) {
        std::sort(delaysMs.begin(), delaysMs.end());
        std::printf("hit to page data, in played audio: median %.1f ms, max %.1f ms over %zu kicks\n",
                    delaysMs[delaysMs.size() / 2], delaysMs.back(), delaysMs.size());
    }

    send(R"({"type":"vanto.diag.unsubscribe"})");
    EXPECT_TRUE(play(10).empty()) << "unsubscribing stops the frames";
}

TEST_F(MetersBundle, ASlowerRateMergesFramesWithoutLosingRecords) {
    send(R"({"type":"vanto.diag.subscribe","feeds":["scope"],"hz":10})");
    const std::vector<MetersFrame> frames = play(30);
    // One second at 10 frames a second.
    EXPECT_GE(frames.size(), 8u);
    EXPECT_LE(frames.size(), 11u);
    double next = -1;
    std::size_t total = 0;
    for (const MetersFrame& frame : frames) {
        for (const JsonValue* record : recordsOf(frame)) {
            if (next >= 0) {
                EXPECT_EQ(number(*record, "at"), next);
            }
            next = number(*record, "at") + number(*record, "frames");
            ++total;
        }
    }
    // The records of the last tenth of a second wait for the next frame.
    EXPECT_GE(total, 85u);
}

} // namespace
