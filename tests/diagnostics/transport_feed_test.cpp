#include "diagnostics/diagnostic_feeds.h"
#include "diagnostics/transport_feed.h"
#include "diagnostics/transport_json.h"
#include "diagnostics/transport_ring.h"

#include "diagnostic_test_support.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <limits>
#include <memory>
#include <string>

namespace vanto {
namespace {

using test::ManualClock;
using test::RecordingPage;

TransportFact factAt(uint64_t frame) {
    TransportFact fact;
    fact.atFrame = frame;
    return fact;
}

TEST(TransportRing, FortyPushesKeepTheLast32AndDrainTheNewest) {
    DiagnosticTransportRing ring;
    TransportFact out;
    EXPECT_FALSE(ring.drainLatest(out));
    for (uint64_t i = 1; i <= 40; ++i) {
        ring.push(factAt(i));
    }
    EXPECT_EQ(ring.pending(), 32u);
    EXPECT_EQ(ring.dropped(), 8u);
    ASSERT_TRUE(ring.drainLatest(out));
    EXPECT_EQ(out.atFrame, 40u);
    EXPECT_EQ(ring.pending(), 0u);
    EXPECT_FALSE(ring.drainLatest(out));
    EXPECT_EQ(out.atFrame, 40u);

    ring.push(factAt(41));
    ring.push(factAt(42));
    ASSERT_TRUE(ring.drainLatest(out));
    EXPECT_EQ(out.atFrame, 42u);
    EXPECT_EQ(ring.dropped(), 8u);
}

TEST(TransportRing, CarriesEveryFieldIntact) {
    DiagnosticTransportRing ring;
    TransportFact fact;
    fact.atFrame = 99;
    fact.source = kTransportSourceInternal;
    fact.recording = true;
    fact.canSetTempo = true;
    fact.tempo = 133.25;
    fact.numerator = 5;
    fact.denominator = 16;
    fact.ppqPosition = 7.5;
    fact.barPositionPpq = 5;
    fact.loopStartPpq = 1;
    fact.loopEndPpq = 9;
    fact.sampleRate = 44100;
    fact.projectTimeSamples = 123456;
    ring.push(fact);
    TransportFact out;
    ASSERT_TRUE(ring.drainLatest(out));
    EXPECT_EQ(std::memcmp(&out, &fact, sizeof fact), 0);
}

TEST(TransportFactDiffers, IgnoresOnlyThePositionFields) {
    const struct {
        const char* what;
        std::function<void(TransportFact&)> change;
        bool differs;
    } cases[] = {
        {"nothing", [](TransportFact&) {}, false},
        {"atFrame", [](TransportFact& f) { f.atFrame = 5; }, false},
        {"ppqPosition", [](TransportFact& f) { f.ppqPosition = 3.5; }, false},
        {"barPositionPpq", [](TransportFact& f) { f.barPositionPpq = 4; }, false},
        {"projectTimeSamples", [](TransportFact& f) { f.projectTimeSamples = 9; }, false},
        {"source", [](TransportFact& f) { f.source = kTransportSourceHost; }, true},
        {"playing", [](TransportFact& f) { f.playing = true; }, true},
        {"recording", [](TransportFact& f) { f.recording = true; }, true},
        {"looping", [](TransportFact& f) { f.looping = true; }, true},
        {"hasTempo", [](TransportFact& f) { f.hasTempo = true; }, true},
        {"hasTimeSignature", [](TransportFact& f) { f.hasTimeSignature = true; }, true},
        {"hasPosition", [](TransportFact& f) { f.hasPosition = true; }, true},
        {"hasLoop", [](TransportFact& f) { f.hasLoop = true; }, true},
        {"canSetTempo", [](TransportFact& f) { f.canSetTempo = true; }, true},
        {"tempo", [](TransportFact& f) { f.tempo = 121; }, true},
        {"numerator", [](TransportFact& f) { f.numerator = 3; }, true},
        {"denominator", [](TransportFact& f) { f.denominator = 8; }, true},
        {"loopStartPpq", [](TransportFact& f) { f.loopStartPpq = 1; }, true},
        {"loopEndPpq", [](TransportFact& f) { f.loopEndPpq = 1; }, true},
        {"sampleRate", [](TransportFact& f) { f.sampleRate = 48000; }, true},
    };
    const TransportFact base;
    for (const auto& c : cases) {
        TransportFact other = base;
        c.change(other);
        EXPECT_EQ(other.differsFrom(base), c.differs) << c.what;
        EXPECT_EQ(base.differsFrom(other), c.differs) << c.what;
    }
    TransportFact nanTempo;
    nanTempo.tempo = std::nan("");
    EXPECT_FALSE(nanTempo.differsFrom(nanTempo));
}

TEST(TransportFrame, WritesEveryMemberInOrder) {
    TransportFact fact;
    fact.atFrame = 4800;
    fact.source = kTransportSourceHost;
    fact.playing = true;
    fact.hasTempo = true;
    fact.hasTimeSignature = true;
    fact.hasPosition = true;
    fact.hasLoop = true;
    fact.tempo = 121.5;
    fact.numerator = 7;
    fact.denominator = 8;
    fact.ppqPosition = 0.1;
    fact.barPositionPpq = 0;
    fact.loopStartPpq = 4;
    fact.loopEndPpq = 8;
    fact.sampleRate = 44100;
    fact.projectTimeSamples = 4800;
    std::string out;
    writeDiagnosticTransportJson(out, fact);
    EXPECT_EQ(
        out, "{\"type\":\"vanto.transport\",\"frame\":{\"atFrame\":4800,\"source\":\"host\",\"state\":{"
             "\"playing\":true,\"recording\":false,\"looping\":false,\"tempo\":121.5,"
             "\"timeSignature\":{\"numerator\":7,\"denominator\":8},\"ppqPosition\":0.1,\"barPositionPpq\":0,"
             "\"loopStartPpq\":4,\"loopEndPpq\":8,\"sampleRate\":44100,\"projectTimeSamples\":4800},"
             "\"capabilities\":{\"tempo\":true,\"timeSignature\":true,\"position\":true,\"loop\":true,"
             "\"canSetTempo\":false}}}");
}

TEST(TransportFrame, WritesNullWhereAValueMeansNothing) {
    const struct {
        const char* what;
        std::function<void(TransportFact&)> change;
        const char* expectedPart;
    } cases[] = {
        {"no sample rate", [](TransportFact&) {}, "\"sampleRate\":null"},
        {"negative sample rate", [](TransportFact& f) { f.sampleRate = -1; }, "\"sampleRate\":null"},
        {"infinite sample rate", [](TransportFact& f) { f.sampleRate = INFINITY; }, "\"sampleRate\":null"},
        {"loop without capability", [](TransportFact& f) { f.loopStartPpq = 1; },
         "\"loopStartPpq\":null,\"loopEndPpq\":null"},
        {"loop with NaN end",
         [](TransportFact& f) {
             f.hasLoop = true;
             f.loopEndPpq = std::nan("");
         },
         "\"loopStartPpq\":0,\"loopEndPpq\":null"},
        {"NaN tempo and positions",
         [](TransportFact& f) {
             f.tempo = std::nan("");
             f.ppqPosition = INFINITY;
             f.barPositionPpq = -INFINITY;
         },
         "\"tempo\":null,\"timeSignature\":{\"numerator\":4,\"denominator\":4},\"ppqPosition\":null,"
         "\"barPositionPpq\":null"},
        {"internal source", [](TransportFact& f) { f.source = kTransportSourceInternal; },
         "\"source\":\"internal\""},
        {"unknown source", [](TransportFact& f) { f.source = 9; }, "\"source\":\"none\""},
    };
    for (const auto& c : cases) {
        TransportFact fact;
        c.change(fact);
        std::string out;
        writeDiagnosticTransportJson(out, fact);
        EXPECT_NE(out.find(c.expectedPart), std::string::npos) << c.what << ": " << out;
    }
}

TEST(DiagnosticSubscription, CapsTheRateAndDerivesIntervals) {
    const struct {
        double requested;
        double stored;
        double feedIntervalMs;
        double cadenceSeconds;
    } cases[] = {
        {0, 0, 1000.0 / 30, 1.0 / 30},
        {120, 30, 1000.0 / 30, 1.0 / 30},
        {30, 30, 1000.0 / 30, 1.0 / 30},
        {10, 10, 100, 0.1},
        {0.5, 0.5, 2000, 1.0},
        {-5, -5, 1000.0 / 30, 1.0 / 30},
        {std::nan(""), 0, 1000.0 / 30, 1.0 / 30},
    };
    for (const auto& c : cases) {
        DiagnosticSubscription subscription;
        subscription.update(kFeedTransport, c.requested);
        EXPECT_EQ(subscription.rateHz, c.stored) << c.requested;
        EXPECT_DOUBLE_EQ(subscription.feedIntervalMs(), c.feedIntervalMs) << c.requested;
        EXPECT_DOUBLE_EQ(subscription.cadenceIntervalSeconds(), c.cadenceSeconds) << c.requested;
    }
}

TEST(DiagnosticFeeds, MapNamesToBits) {
    const struct {
        const char* name;
        uint32_t bit;
    } cases[] = {{"host", 1},     {"transport", 2},  {"midiIn", 4},     {"midiOut", 8},  {"meters", 16},
                 {"scope", 32},   {"lifecycle", 64}, {"counters", 128}, {"params", 256}, {"presets", 512},
                 {"clock", 1024}, {"Lifecycle", 0},  {"", 0},           {nullptr, 0}};
    for (const auto& c : cases) {
        EXPECT_EQ(diagnosticFeedBit(c.name), c.bit) << (c.name ? c.name : "null");
    }
}

// The controller's transport feed, with the page subscribed to transport and lifecycle at 10 Hz.
class TransportFeedTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ManualClock::reset();
        log = std::make_unique<DiagnosticLifecycleLog>(ManualClock::read);
        subscription.update(kFeedTransport | kFeedLifecycle, 10);
    }

    std::size_t frames() const { return page.startingWith("{\"type\":\"vanto.transport\"").size(); }
    std::vector<std::string> events() const { return page.startingWith("{\"type\":\"vanto.lifecycle\""); }

    void adopt(const TransportFact& fact) { feed.adopt(fact, *log, subscription, page); }

    static TransportFact playing(uint64_t frame) {
        TransportFact fact = factAt(frame);
        fact.source = kTransportSourceHost;
        fact.playing = true;
        fact.hasTempo = true;
        fact.hasTimeSignature = true;
        return fact;
    }

    std::unique_ptr<DiagnosticLifecycleLog> log;
    DiagnosticSubscription subscription;
    RecordingPage page;
    DiagnosticTransportFeed feed;
};

TEST_F(TransportFeedTest, WhilePlayingUnchangedFramesFollowTheRate) {
    adopt(playing(0)); // the first fact is a change
    EXPECT_EQ(frames(), 1u);
    for (int step = 1; step <= 10; ++step) { // every 20 ms for 200 ms, position moving
        ManualClock::advanceMs(20);
        TransportFact fact = playing(step * 960);
        fact.ppqPosition = step * 0.04;
        adopt(fact);
    }
    // At 10 Hz: at 100 ms and at 200 ms.
    EXPECT_EQ(frames(), 3u);
    EXPECT_NE(page.messages.back().find("\"atFrame\":9600"), std::string::npos);
    EXPECT_TRUE(events().empty());
}

TEST_F(TransportFeedTest, ChangesGoOutAtOnceAndStoppedTransportStaysQuiet) {
    adopt(playing(0));
    ManualClock::advanceMs(1);
    TransportFact stopped = playing(10);
    stopped.playing = false;
    adopt(stopped); // a change: sent despite the rate limit
    EXPECT_EQ(frames(), 2u);
    for (int i = 0; i < 5; ++i) {
        ManualClock::advanceMs(500);
        TransportFact still = stopped;
        still.ppqPosition = i; // not a change
        adopt(still);
    }
    EXPECT_EQ(frames(), 2u);
}

TEST_F(TransportFeedTest, AZeroRateMeansThirtyFramesASecond) {
    subscription.update(kFeedTransport, 0);
    adopt(playing(0));
    ManualClock::advanceMs(33);
    adopt(playing(1));
    EXPECT_EQ(frames(), 1u);
    ManualClock::advanceMs(1);
    adopt(playing(2));
    EXPECT_EQ(frames(), 2u);
}

TEST_F(TransportFeedTest, NothingGoesToAPageWithoutTheTransportFeed) {
    subscription.update(kFeedLifecycle, 30);
    adopt(playing(0));
    page.connected = false;
    subscription.update(kFeedTransport, 30);
    TransportFact changed = playing(1);
    changed.tempo = 90;
    adopt(changed);
    EXPECT_EQ(frames(), 0u);
    EXPECT_EQ(log->count(), 1u); // the tempo change is still recorded
    EXPECT_TRUE(feed.hasFact());
    EXPECT_EQ(feed.lastFact().tempo, 90.0);
}

TEST_F(TransportFeedTest, TempoChangeRecordsOneEventWithThePreviousTempo) {
    adopt(playing(100)); // the very first tempo: no event
    EXPECT_EQ(log->count(), 0u);
    TransportFact faster = playing(200);
    faster.tempo = 121;
    adopt(faster);
    adopt(faster); // same tempo again: nothing new
    ASSERT_EQ(log->count(), 1u);
    const DiagnosticLifecycleEvent& event = *log->newest();
    EXPECT_EQ(event.kind, kLifecycleTempoChanged);
    EXPECT_EQ(event.atFrame, 200);
    const auto published = events();
    ASSERT_EQ(published.size(), 1u);
    EXPECT_NE(published[0].find("\"atFrame\":200,\"kind\":\"tempoChanged\",\"detail\":{\"tempo\":121,"
                                "\"previous\":120}"),
              std::string::npos)
        << published[0];
}

TEST_F(TransportFeedTest, TempoEventsNeedTheCapabilityOnBothFacts) {
    TransportFact noTempo = playing(0);
    noTempo.hasTempo = false;
    noTempo.tempo = 90;
    adopt(noTempo);
    TransportFact withTempo = playing(1);
    withTempo.tempo = 100;
    adopt(withTempo); // the previous fact had no tempo
    EXPECT_EQ(log->count(), 0u);
    adopt(noTempo); // no tempo now: nothing, and the last tempo seen stays 100
    withTempo.tempo = 100;
    adopt(withTempo); // the previous fact had no tempo again
    EXPECT_EQ(log->count(), 0u);
    withTempo.tempo = 110;
    adopt(withTempo);
    ASSERT_EQ(log->count(), 1u);
    EXPECT_EQ(log->newest()->fields[1].number, 100.0);
}

TEST_F(TransportFeedTest, MeterChangeRecordsOneEventWithBothSignatures) {
    adopt(playing(0));
    TransportFact waltz = playing(500);
    waltz.numerator = 3;
    waltz.denominator = 4;
    waltz.tempo = 90; // both change in one fact: two events, each published
    adopt(waltz);
    ASSERT_EQ(log->count(), 2u);
    EXPECT_EQ(log->at(0).kind, kLifecycleTempoChanged);
    EXPECT_EQ(log->at(1).kind, kLifecycleTimeSignatureChanged);
    const auto published = events();
    ASSERT_EQ(published.size(), 2u);
    EXPECT_NE(published[0].find("tempoChanged"), std::string::npos);
    EXPECT_NE(
        published[1].find("\"atFrame\":500,\"kind\":\"timeSignatureChanged\",\"detail\":{\"numerator\":3,"
                          "\"denominator\":4,\"previousNumerator\":4,\"previousDenominator\":4}"),
        std::string::npos)
        << published[1];
}

TEST_F(TransportFeedTest, SubscribingSendsAWaitingFactAndMakesTheNextOneCount) {
    subscription.clear();
    TransportFact stopped = playing(0);
    stopped.playing = false;
    adopt(stopped);
    EXPECT_EQ(frames(), 0u);
    EXPECT_FALSE(feed.takeResetRequest());

    subscription.update(kFeedTransport, 30);
    feed.onSubscribe(*log, subscription, page);
    EXPECT_EQ(frames(), 1u); // the waiting fact, at once
    EXPECT_TRUE(feed.takeResetRequest());
    EXPECT_FALSE(feed.takeResetRequest());

    feed.onSubscribe(*log, subscription, page); // nothing fresh to send now
    EXPECT_EQ(frames(), 1u);

    adopt(stopped); // equal to the previous fact, but the first since the subscription
    EXPECT_EQ(frames(), 2u);
    adopt(stopped); // equal and stopped: nothing
    EXPECT_EQ(frames(), 2u);
}

} // namespace
} // namespace vanto
