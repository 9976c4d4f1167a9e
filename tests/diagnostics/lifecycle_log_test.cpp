#include "diagnostics/lifecycle_json.h"
#include "diagnostics/lifecycle_kind.h"
#include "diagnostics/lifecycle_log.h"
#include "diagnostics/lifecycle_publication.h"

#include "diagnostic_test_support.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <string>

namespace vanto {
namespace {

using test::ManualClock;
using test::RecordingPage;

TEST(LifecycleKind, NamesAndNamesBackInValueOrder) {
    const char* expected[] = {"created",
                              "configured",
                              "activated",
                              "deactivated",
                              "reset",
                              "destroyed",
                              "editorOpened",
                              "editorClosed",
                              "editorError",
                              "stateSaved",
                              "stateRestored",
                              "presetLoaded",
                              "presetSaved",
                              "latencyChanged",
                              "tailChanged",
                              "tempoChanged",
                              "timeSignatureChanged",
                              "sampleRateChanged",
                              "blockSizeChanged",
                              "busLayoutChanged",
                              "processModeChanged",
                              "bypassChanged",
                              "ccMapChanged",
                              "stimulus",
                              "runtimeDiagnostic"};
    ASSERT_EQ(std::size(expected), kLifecycleKindCount);
    for (uint32_t i = 0; i < kLifecycleKindCount; ++i) {
        EXPECT_STREQ(diagnosticLifecycleKindName(i), expected[i]);
        DiagnosticLifecycleKind kind{};
        ASSERT_TRUE(diagnosticLifecycleKindFromName(expected[i], kind)) << expected[i];
        EXPECT_EQ(kind, i);
    }
    EXPECT_EQ(diagnosticLifecycleKindName(kLifecycleKindCount), nullptr);
    EXPECT_EQ(diagnosticLifecycleKindName(255), nullptr);
}

TEST(LifecycleKind, RefusesUnlistedNamesAndPayloads) {
    DiagnosticLifecycleKind kind = kLifecycleStimulus;
    EXPECT_FALSE(diagnosticLifecycleKindFromName(nullptr, kind));
    EXPECT_FALSE(diagnosticLifecycleKindFromName("Created", kind));
    EXPECT_FALSE(diagnosticLifecycleKindFromName("created ", kind));
    EXPECT_FALSE(diagnosticLifecycleKindFromName("", kind));
    EXPECT_EQ(kind, kLifecycleStimulus);

    const struct {
        std::string payload;
        bool accepted;
    } payloads[] = {
        {"activated", true},
        {std::string("activated\0", 10), false}, // a terminator is not part of any name
        {"", false},
        {"unknownKind", false},
        {std::string(64, 'a'), false},
        {"timeSignatureChanged", true},
    };
    for (const auto& p : payloads) {
        DiagnosticLifecycleKind read{};
        EXPECT_EQ(diagnosticLifecycleKindFromPayload(p.payload.data(), p.payload.size(), read), p.accepted)
            << p.payload.size();
    }
    DiagnosticLifecycleKind read{};
    ASSERT_TRUE(diagnosticLifecycleKindFromPayload("activated", 9, read));
    EXPECT_EQ(read, kLifecycleActivated);
    EXPECT_FALSE(diagnosticLifecycleKindFromPayload(nullptr, 9, read));
}

TEST(LifecycleEvent, KeepsSixFieldsWithTruncatedTexts) {
    DiagnosticLifecycleEvent event;
    event.addNumber("n", 1.5);
    event.addString(std::string(30, 'k').c_str(), std::string(70, 't').c_str());
    event.addBool("b", true);
    event.addNull(nullptr);
    event.addString("nullText", nullptr);
    event.addNumber("sixth", 6);
    event.addNumber("seventh", 7);
    ASSERT_EQ(event.fieldCount, 6u);
    EXPECT_EQ(event.fields[0].type, kLifecycleFieldNumber);
    EXPECT_EQ(event.fields[0].number, 1.5);
    EXPECT_EQ(std::string(event.fields[1].name), std::string(23, 'k'));
    EXPECT_EQ(std::string(event.fields[1].text), std::string(63, 't'));
    EXPECT_EQ(event.fields[2].boolean, 1);
    EXPECT_STREQ(event.fields[3].name, "");
    EXPECT_EQ(event.fields[3].type, kLifecycleFieldNull);
    EXPECT_STREQ(event.fields[4].text, "");
    EXPECT_STREQ(event.fields[5].name, "sixth");
}

class LifecycleLogTest : public ::testing::Test {
  protected:
    void SetUp() override { ManualClock::reset(); }
};

TEST_F(LifecycleLogTest, StampsEventsWithMillisecondsSinceCreation) {
    DiagnosticLifecycleLog log(ManualClock::read);
    EXPECT_EQ(log.newest(), nullptr);
    EXPECT_EQ(log.nowMs(), 0.0); // the clock has not advanced

    ManualClock::advanceMs(2.5);
    DiagnosticLifecycleEvent& created = log.record(kLifecycleCreated, -1);
    EXPECT_EQ(created.seq, 1u);
    EXPECT_DOUBLE_EQ(created.timeMs, 2.5);
    EXPECT_EQ(created.fieldCount, 0u);

    ManualClock::advanceMs(1000);
    const DiagnosticLifecycleEvent& tempo = log.record(kLifecycleTempoChanged, 48000);
    EXPECT_EQ(tempo.seq, 2u);
    EXPECT_DOUBLE_EQ(tempo.timeMs, 1002.5);
    EXPECT_EQ(tempo.atFrame, 48000);
    EXPECT_EQ(log.newest(), &tempo);
    EXPECT_EQ(&log.at(0), &created);
    EXPECT_EQ(&log.at(99), &created); // out of range reads the oldest
}

TEST_F(LifecycleLogTest, AFailingOrStandingClockGivesZeroTimes) {
    DiagnosticLifecycleLog log(ManualClock::read);
    ManualClock::advanceMs(5);
    ManualClock::working = false;
    EXPECT_EQ(log.record(kLifecycleCreated, -1).timeMs, 0.0);
    EXPECT_EQ(log.nowMs(), 0.0);

    ManualClock::working = false;
    DiagnosticLifecycleLog bornWithoutClock(ManualClock::read);
    ManualClock::working = true;
    ManualClock::advanceMs(5);
    EXPECT_EQ(bornWithoutClock.nowMs(), 0.0);

    DiagnosticLifecycleLog goingBack(ManualClock::read);
    ManualClock::nowNs -= 1'000'000;
    EXPECT_EQ(goingBack.nowMs(), 0.0);
}

TEST_F(LifecycleLogTest, The257thEventDiscardsTheOldest) {
    DiagnosticLifecycleLog log(ManualClock::read);
    for (int i = 0; i < 256; ++i) {
        log.record(kLifecycleStimulus, i);
    }
    EXPECT_EQ(log.count(), 256u);
    EXPECT_EQ(log.dropped(), 0u);
    EXPECT_EQ(log.at(0).seq, 1u);

    log.record(kLifecycleDestroyed, -1).addString("why", "full");
    EXPECT_EQ(log.count(), 256u);
    EXPECT_EQ(log.dropped(), 1u);
    EXPECT_EQ(log.at(0).seq, 2u);
    EXPECT_EQ(log.at(0).atFrame, 1);
    EXPECT_EQ(log.at(255).seq, 257u);
    EXPECT_EQ(log.at(255).kind, kLifecycleDestroyed);
    // Sequence numbers keep counting across discarded events.
    EXPECT_EQ(log.at(0).seq - 1, log.dropped());
    EXPECT_EQ(log.dropped() + log.count(), 257u);

    std::string replay;
    ASSERT_TRUE(writeDiagnosticLifecycleReplayJson(replay, log));
    EXPECT_EQ(replay.rfind("{\"type\":\"vanto.lifecycle\",\"events\":[{\"seq\":2,", 0), 0u)
        << replay.substr(0, 80);
    EXPECT_EQ(replay.substr(replay.size() - 15), "}],\"dropped\":1}");
    std::size_t events = 0;
    for (std::size_t at = replay.find("{\"seq\":"); at != std::string::npos;
         at = replay.find("{\"seq\":", at + 1)) {
        ++events;
    }
    EXPECT_EQ(events, 256u);

    // A recorded event starts clean even in a reused slot.
    for (int i = 0; i < 300; ++i) {
        log.record(kLifecycleStimulus, -1);
    }
    EXPECT_EQ(log.newest()->fieldCount, 0u);
    EXPECT_EQ(log.dropped(), 301u);
}

TEST(LifecycleEventDocument, WritesMembersByTheirConditions) {
    const struct {
        const char* what;
        DiagnosticLifecycleEvent event;
        const char* expected;
    } cases[] = {
        {"no fields, no frame",
         [] {
             DiagnosticLifecycleEvent e;
             e.seq = 1;
             e.timeMs = 0.25;
             e.kind = kLifecycleCreated;
             return e;
         }(),
         "{\"seq\":1,\"timeMs\":0.25,\"kind\":\"created\"}"},
        {"frame and every field type",
         [] {
             DiagnosticLifecycleEvent e;
             e.seq = 7;
             e.timeMs = 12;
             e.atFrame = 96000;
             e.kind = kLifecycleStateRestored;
             e.addNumber("stateBytes", 1234);
             e.addString("source", "ui \"page\"");
             e.addBool("ok", false);
             e.addNull("nothing");
             e.addNumber("inf", std::numeric_limits<double>::infinity());
             return e;
         }(),
         "{\"seq\":7,\"timeMs\":12,\"atFrame\":96000,\"kind\":\"stateRestored\",\"detail\":{\"stateBytes\":"
         "1234,"
         "\"source\":\"ui \\\"page\\\"\",\"ok\":false,\"nothing\":null,\"inf\":null}}"},
        {"kind outside the table, NaN time",
         [] {
             DiagnosticLifecycleEvent e;
             e.seq = 2;
             e.timeMs = std::nan("");
             e.kind = 200;
             return e;
         }(),
         "{\"seq\":2,\"timeMs\":null,\"kind\":\"runtimeDiagnostic\"}"},
        {"a damaged field count is read as six fields",
         [] {
             DiagnosticLifecycleEvent e;
             e.seq = 3;
             for (int i = 0; i < 6; ++i) {
                 e.addBool("b", true);
             }
             e.fieldCount = 1000;
             return e;
         }(),
         "{\"seq\":3,\"timeMs\":0,\"kind\":\"created\",\"detail\":{\"b\":true,\"b\":true,\"b\":true,\"b\":"
         "true,"
         "\"b\":true,\"b\":true}}"},
    };
    for (const auto& c : cases) {
        std::string out;
        writeDiagnosticLifecycleEventJson(out, c.event);
        EXPECT_EQ(out, c.expected) << c.what;
    }
}

TEST(LifecycleMessage, WrapsEventsAndNamesDroppedOnlyWhenNonZero) {
    DiagnosticLifecycleEvent events[2];
    events[0].seq = 4;
    events[1].seq = 5;
    events[1].kind = kLifecycleEditorOpened;
    std::string out;
    EXPECT_FALSE(writeDiagnosticLifecycleJson(out, nullptr, 1, 0));
    EXPECT_FALSE(writeDiagnosticLifecycleJson(out, events, 0, 0));
    EXPECT_EQ(out, "");
    ASSERT_TRUE(writeDiagnosticLifecycleJson(out, events, 2, 0));
    EXPECT_EQ(out, "{\"type\":\"vanto.lifecycle\",\"events\":[{\"seq\":4,\"timeMs\":0,\"kind\":\"created\"},"
                   "{\"seq\":5,\"timeMs\":0,\"kind\":\"editorOpened\"}]}");
    out.clear();
    ASSERT_TRUE(writeDiagnosticLifecycleJson(out, events, 1, 9));
    EXPECT_EQ(out, "{\"type\":\"vanto.lifecycle\",\"events\":[{\"seq\":4,\"timeMs\":0,\"kind\":\"created\"}],"
                   "\"dropped\":9}");

    DiagnosticLifecycleLog empty;
    std::string replay;
    EXPECT_FALSE(writeDiagnosticLifecycleReplayJson(replay, empty));
    EXPECT_EQ(replay, "");
}

TEST_F(LifecycleLogTest, PublishesOnlyToAConnectedPageSubscribedToLifecycle) {
    DiagnosticLifecycleLog log(ManualClock::read);
    DiagnosticSubscription subscription;
    RecordingPage page;

    publishLastLifecycle(log, subscription, page); // empty log, no subscription
    log.record(kLifecycleCreated, -1);
    publishLastLifecycle(log, subscription, page); // not subscribed
    replayLifecycle(log, subscription, page);
    EXPECT_TRUE(page.messages.empty());

    subscription.update(kFeedTransport | kFeedLifecycle, 30);
    log.record(kLifecycleEditorOpened, -1);
    publishLastLifecycle(log, subscription, page);
    replayLifecycle(log, subscription, page);
    ASSERT_EQ(page.messages.size(), 2u);
    EXPECT_EQ(page.messages[0], "{\"type\":\"vanto.lifecycle\",\"events\":[{\"seq\":2,\"timeMs\":0,"
                                "\"kind\":\"editorOpened\"}]}");
    EXPECT_EQ(page.messages[1], "{\"type\":\"vanto.lifecycle\",\"events\":[{\"seq\":1,\"timeMs\":0,"
                                "\"kind\":\"created\"},{\"seq\":2,\"timeMs\":0,\"kind\":\"editorOpened\"}]}");

    page.connected = false;
    publishLastLifecycle(log, subscription, page);
    replayLifecycle(log, subscription, page);
    EXPECT_EQ(page.messages.size(), 2u);
}

} // namespace
} // namespace vanto
