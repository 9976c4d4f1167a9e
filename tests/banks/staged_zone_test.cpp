#include "banks/staged_zone.h"

#include <gtest/gtest.h>

namespace vanto {
namespace {

// The asset lies at frames 100 … 1099 of the pool.
const PooledAsset kAsset{100, 1000, 44100.0};

StagedZone stage(const std::string& zoneJson) {
    JsonValue zone;
    const auto* bytes = reinterpret_cast<const uint8_t*>(zoneJson.data());
    EXPECT_TRUE(parseJsonDocument(bytes, bytes + zoneJson.size(), zone)) << zoneJson;
    return stageZone(zone, kAsset);
}

TEST(StagedZone, DefaultsCoverTheWholeAsset) {
    StagedZone zone = stage(R"({"id":"z"})");
    EXPECT_EQ(zone.id, "z");
    EXPECT_EQ(zone.assetOffset, 100u);
    EXPECT_EQ(zone.assetFrames, 1000u);
    EXPECT_EQ(zone.start, 100u);
    EXPECT_EQ(zone.frames, 1000u);
    EXPECT_EQ(zone.sampleRate, 44100.0);
    EXPECT_EQ(zone.lowKey, 0u);
    EXPECT_EQ(zone.highKey, 127u);
    EXPECT_EQ(zone.rootKey, 60u);
    EXPECT_TRUE(zone.keyTracking);
    EXPECT_EQ(zone.lowVelocity, 0u);
    EXPECT_EQ(zone.highVelocity, 127u);
    EXPECT_EQ(zone.gain, 1.0);
    EXPECT_EQ(zone.pan, 0.0);
    EXPECT_EQ(zone.fineTuneCents, 0.0);
    EXPECT_EQ(zone.roundRobinGroup, 0u);
    EXPECT_EQ(zone.chokeGroup, 0u);
    EXPECT_EQ(zone.trigger, 0u);
    EXPECT_FALSE(zone.loopEnabled);
    EXPECT_EQ(zone.loopStartRaw, kNoLoopFrame);
    EXPECT_EQ(zone.loopEndRaw, kNoLoopFrame);
    EXPECT_EQ(zone.loopCrossfadeRaw, kNoLoopFrame);
    EXPECT_EQ(zone.attackSeconds, 0.001);
    EXPECT_EQ(zone.releaseSeconds, 0.05);
    EXPECT_FALSE(zone.reverse);
    EXPECT_EQ(zone.filterCutoffHz, 0.0);
    EXPECT_EQ(zone.filterResonance, 0.0);
}

struct WindowCase {
    const char* members;
    uint32_t start;
    uint32_t frames;
    bool loopEnabled;
    uint32_t loopStart, loopEnd, loopCrossfade;
    uint32_t loopStartRaw, loopEndRaw, loopCrossfadeRaw;
};

constexpr uint32_t kNone = kNoLoopFrame;

TEST(StagedZone, SampleWindowAndLoopStayInsideTheAsset) {
    const WindowCase cases[] = {
        {R"("startFrame":200)", 300, 800, false, 0, 0, 0, kNone, kNone, kNone},
        {R"("startFrame":999.9)", 1099, 1, false, 0, 0, 0, kNone, kNone, kNone},
        {R"("startFrame":1000)", 100, 1000, false, 0, 0, 0, kNone, kNone, kNone}, // beyond: the whole asset
        {R"("startFrame":5000)", 100, 1000, false, 0, 0, 0, kNone, kNone, kNone},
        {R"("startFrame":-5)", 100, 1000, false, 0, 0, 0, kNone, kNone, kNone},
        {R"("startFrame":null,"endFrame":null)", 100, 1000, false, 0, 0, 0, kNone, kNone, kNone},
        {R"("startFrame":"200")", 100, 1000, false, 0, 0, 0, kNone, kNone, kNone},
        {R"("startFrame":200,"endFrame":500)", 300, 300, false, 0, 0, 0, kNone, kNone, kNone},
        {R"("startFrame":200,"endFrame":150)", 300, 800, false, 0, 0, 0, kNone, kNone, kNone},
        {R"("startFrame":200,"endFrame":9000)", 300, 800, false, 0, 0, 0, kNone, kNone, kNone},
        {R"("startFrame":5000,"endFrame":300)", 100, 300, false, 0, 0, 0, kNone, kNone, kNone},
        {R"("endFrame":1e30)", 100, 1000, false, 0, 0, 0, kNone, kNone, kNone},
        // A forward loop is kept relative to the window's start.
        {R"("startFrame":50,"loopMode":"forward","loopStartFrame":100,"loopEndFrame":400,"loopCrossfadeFrames":100)",
         150, 950, true, 50, 350, 100, 100, 400, 100},
        {R"("startFrame":50,"loopMode":"forward","loopStartFrame":100,"loopEndFrame":400,"loopCrossfadeFrames":301)",
         150, 950, true, 50, 350, 0, 100, 400, 301},
        {R"("loopMode":"forward","loopStartFrame":0,"loopEndFrame":1000)", 100, 1000, true, 0, 1000, 0, 0,
         1000, kNone},
        // Loops that do not fit are dropped; the raw frames are still recorded.
        {R"("loopMode":"forward","loopStartFrame":100,"loopEndFrame":1001)", 100, 1000, false, 0, 0, 0, 100,
         1001, kNone},
        {R"("endFrame":500,"loopMode":"forward","loopStartFrame":100,"loopEndFrame":600)", 100, 500, false, 0,
         0, 0, 100, 600, kNone},
        {R"("startFrame":200,"loopMode":"forward","loopStartFrame":100,"loopEndFrame":300)", 300, 800, false,
         0, 0, 0, 100, 300, kNone},
        {R"("loopMode":"forward","loopStartFrame":300,"loopEndFrame":300)", 100, 1000, false, 0, 0, 0, 300,
         300, kNone},
        {R"("loopMode":"forward","loopStartFrame":100)", 100, 1000, false, 0, 0, 0, kNone, kNone, kNone},
        {R"("loopMode":"pingpong","loopStartFrame":100,"loopEndFrame":300)", 100, 1000, false, 0, 0, 0, kNone,
         kNone, kNone},
    };
    for (const WindowCase& c : cases) {
        StagedZone zone = stage(std::string("{") + c.members + "}");
        EXPECT_EQ(zone.start, c.start) << c.members;
        EXPECT_EQ(zone.frames, c.frames) << c.members;
        EXPECT_EQ(zone.loopEnabled, c.loopEnabled) << c.members;
        EXPECT_EQ(zone.loopStart, c.loopStart) << c.members;
        EXPECT_EQ(zone.loopEnd, c.loopEnd) << c.members;
        EXPECT_EQ(zone.loopCrossfade, c.loopCrossfade) << c.members;
        EXPECT_EQ(zone.loopStartRaw, c.loopStartRaw) << c.members;
        EXPECT_EQ(zone.loopEndRaw, c.loopEndRaw) << c.members;
        EXPECT_EQ(zone.loopCrossfadeRaw, c.loopCrossfadeRaw) << c.members;
        EXPECT_EQ(zone.assetOffset, 100u) << c.members;
        EXPECT_EQ(zone.assetFrames, 1000u) << c.members;
    }
}

TEST(StagedZone, KeysVelocitiesAndGroupsAreRoundedAndClamped) {
    StagedZone zone = stage(
        R"({"lowKey":-3,"highKey":200,"rootKey":59.5,"lowVelocity":10.49,"highVelocity":"90","roundRobinGroup":3.7,"chokeGroup":1e20})");
    EXPECT_EQ(zone.lowKey, 0u);
    EXPECT_EQ(zone.highKey, 127u);
    EXPECT_EQ(zone.rootKey, 60u);
    EXPECT_EQ(zone.lowVelocity, 10u);
    EXPECT_EQ(zone.highVelocity, 127u); // not a number: the default
    EXPECT_EQ(zone.roundRobinGroup, 3u);
    EXPECT_EQ(zone.chokeGroup, 0xFFFFFFFFu);
}

TEST(StagedZone, FlagsAndFactorsTakeOnlyValuesOfTheirType) {
    StagedZone zone = stage(
        R"({"keyTracking":false,"reverse":true,"gain":0.5,"pan":-1,"fineTuneCents":12.5,"attackSeconds":0.01,)"
        R"("releaseSeconds":2,"filterCutoffHz":800,"filterResonance":0.7})");
    EXPECT_FALSE(zone.keyTracking);
    EXPECT_TRUE(zone.reverse);
    EXPECT_EQ(zone.gain, 0.5);
    EXPECT_EQ(zone.pan, -1.0);
    EXPECT_EQ(zone.fineTuneCents, 12.5);
    EXPECT_EQ(zone.attackSeconds, 0.01);
    EXPECT_EQ(zone.releaseSeconds, 2.0);
    EXPECT_EQ(zone.filterCutoffHz, 800.0);
    EXPECT_EQ(zone.filterResonance, 0.7);

    StagedZone wrongTypes =
        stage(R"({"keyTracking":0,"reverse":"yes","gain":"2","pan":null,"fineTuneCents":1e999})");
    EXPECT_TRUE(wrongTypes.keyTracking);
    EXPECT_FALSE(wrongTypes.reverse);
    EXPECT_EQ(wrongTypes.gain, 1.0);
    EXPECT_EQ(wrongTypes.pan, 0.0);
    EXPECT_EQ(wrongTypes.fineTuneCents, 0.0); // an infinite value counts as absent
}

TEST(StagedZone, TriggerNames) {
    EXPECT_EQ(triggerCode("attack"), 0u);
    EXPECT_EQ(triggerCode("release"), 1u);
    EXPECT_EQ(triggerCode("legato"), 2u);
    EXPECT_EQ(triggerCode("Release"), 0u);
    EXPECT_EQ(triggerCode(""), 0u);
    EXPECT_EQ(stage(R"({"trigger":"legato"})").trigger, 2u);
    EXPECT_EQ(stage(R"({"trigger":1})").trigger, 0u);
}

} // namespace
} // namespace vanto
