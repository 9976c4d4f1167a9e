#include "diagnostics/controller_host_facts.h"
#include "diagnostics/host_change_kind.h"
#include "diagnostics/host_facts_json.h"
#include "diagnostics/lifecycle_json.h"

#include "diagnostic_test_support.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <limits>
#include <string>

namespace vanto {
namespace {

using test::RecordingPage;

// A host running a stereo effect at 48 kHz, as the processor reports it after activation.
HostFacts configuredHost() {
    HostFacts facts;
    facts.sampleRate = 48000;
    facts.maxBlockFrames = 512;
    facts.latencySamples = 0;
    facts.internalSampleRate = 48000;
    facts.addBus("in0", true, 2, true, "stereo");
    facts.addBus("out0", false, 2, true, "stereo");
    return facts;
}

struct ChangeCase {
    const char* what;
    std::function<void(HostFacts&)> change;
    const char* kind; // null = no change
};

const ChangeCase kChangeCases[] = {
    {"nothing", [](HostFacts&) {}, nullptr},
    {"identity texts", [](HostFacts& f) { std::strcpy(f.hostName, "Other Host"); }, nullptr},
    {"validator", [](HostFacts& f) { f.validatorHost = kValidatorPluginval; }, nullptr},
    {"sample rate", [](HostFacts& f) { f.sampleRate = 44100; }, "sampleRateChanged"},
    {"max block", [](HostFacts& f) { f.maxBlockFrames = 1024; }, "blockSizeChanged"},
    {"bus count", [](HostFacts& f) { f.busCount = 1; }, "busLayoutChanged"},
    {"bus channels", [](HostFacts& f) { f.buses[1].channels = 1; }, "busLayoutChanged"},
    {"bus active", [](HostFacts& f) { f.buses[0].active = 0; }, "busLayoutChanged"},
    {"bus layout", [](HostFacts& f) { std::strcpy(f.buses[0].layout, "mono"); }, "busLayoutChanged"},
    {"bus id", [](HostFacts& f) { std::strcpy(f.buses[1].id, "out1"); }, "busLayoutChanged"},
    {"bus direction", [](HostFacts& f) { f.buses[1].isInput = 1; }, "busLayoutChanged"},
    {"latency", [](HostFacts& f) { f.latencySamples = 64; }, "latencyChanged"},
    {"tail kind", [](HostFacts& f) { f.tailKind = kHostTailInfinite; }, "tailChanged"},
    {"tail samples", [](HostFacts& f) { f.tailSamples = 10; }, "tailChanged"},
    {"process mode", [](HostFacts& f) { f.processMode = kHostProcessOffline; }, "processModeChanged"},
    {"bypass known", [](HostFacts& f) { f.bypassKnown = 1; }, "bypassChanged"},
    {"bypassed", [](HostFacts& f) { f.bypassed = 1; }, "bypassChanged"},
    {"last block", [](HostFacts& f) { f.lastBlockFrames = 256; }, "blockSizeChanged"},
    {"sample size", [](HostFacts& f) { f.sampleSize = 64; }, "configured"},
    {"internal rate", [](HostFacts& f) { f.internalSampleRate = 96000; }, "sampleRateChanged"},
    {"rate and latency: the rate decides",
     [](HostFacts& f) {
         f.sampleRate = 96000;
         f.latencySamples = 12;
     },
     "sampleRateChanged"},
    {"latency and sample size: latency decides",
     [](HostFacts& f) {
         f.latencySamples = 12;
         f.sampleSize = 64;
     },
     "latencyChanged"},
};

TEST(HostChangeKind, FirstDifferingTestDecides) {
    const HostFacts previous = configuredHost();
    for (const ChangeCase& c : kChangeCases) {
        HostFacts next = previous;
        c.change(next);
        const char* kind = diagnosticHostChangeKind(previous, next);
        if (c.kind == nullptr) {
            EXPECT_EQ(kind, nullptr) << c.what;
        } else {
            ASSERT_NE(kind, nullptr) << c.what;
            EXPECT_STREQ(kind, c.kind) << c.what;
        }
    }
}

TEST(HostChangeKind, ANanRateThatStaysNanIsNoChange) {
    HostFacts previous = configuredHost();
    previous.sampleRate = std::numeric_limits<double>::quiet_NaN();
    EXPECT_EQ(diagnosticHostChangeKind(previous, previous), nullptr);
}

TEST(HostDocument, WritesAConfiguredHostCompactly) {
    HostFacts facts = configuredHost();
    std::strcpy(facts.hostName, "Bitwig \"Studio\"");
    facts.validatorHost = kValidatorSteinberg;
    facts.lastBlockFrames = 480;
    std::string out;
    writeDiagnosticHostJson(out, facts);
    EXPECT_EQ(
        out,
        "{\"hostName\":\"Bitwig \\\"Studio\\\"\",\"validatorHost\":\"steinberg-validator\","
        "\"sampleRate\":48000,\"maxBlockFrames\":512,\"lastBlockFrames\":480,"
        "\"processMode\":\"realtime\",\"sampleSize\":32,\"latencySamples\":0,"
        "\"tailSamples\":\"unreported\",\"internalSampleRate\":48000,\"buses\":["
        "{\"id\":\"in0\",\"direction\":\"input\",\"channels\":2,\"active\":true,\"layout\":\"stereo\"},"
        "{\"id\":\"out0\",\"direction\":\"output\",\"channels\":2,\"active\":true,\"layout\":\"stereo\"}]}");
}

TEST(HostDocument, OptionalMembersFollowTheirConditions) {
    const struct {
        const char* what;
        std::function<void(HostFacts&)> change;
        const char* expected;
    } cases[] = {
        {"defaults", [](HostFacts&) {},
         "{\"sampleRate\":0,\"maxBlockFrames\":0,\"processMode\":\"realtime\",\"sampleSize\":32,"
         "\"latencySamples\":0,\"tailSamples\":\"unreported\",\"buses\":[]}"},
        {"everything optional",
         [](HostFacts& f) {
             std::strcpy(f.hostVersion, "5.1");
             std::strcpy(f.hostPath, "/usr/bin/host");
             f.sampleRate = std::numeric_limits<double>::infinity();
             f.processMode = kHostProcessPrefetch;
             f.sampleSize = 64;
             f.tailKind = kHostTailSamples;
             f.tailSamples = 4800;
             f.internalSampleRate = std::numeric_limits<double>::infinity();
             f.bypassKnown = 1;
             f.addBus("out0", false, 1, false, nullptr);
         },
         "{\"hostVersion\":\"5.1\",\"hostPath\":\"/usr/bin/host\",\"sampleRate\":null,\"maxBlockFrames\":0,"
         "\"processMode\":\"prefetch\",\"sampleSize\":64,\"latencySamples\":0,\"tailSamples\":4800,"
         "\"internalSampleRate\":null,\"buses\":[{\"id\":\"out0\",\"direction\":\"output\",\"channels\":1,"
         "\"active\":false}],\"bypassed\":false}"},
        {"infinite tail, offline, unknown validator",
         [](HostFacts& f) {
             f.tailKind = kHostTailInfinite;
             f.processMode = kHostProcessOffline;
             f.validatorHost = 9;
         },
         "{\"sampleRate\":0,\"maxBlockFrames\":0,\"processMode\":\"offline\",\"sampleSize\":32,"
         "\"latencySamples\":0,\"tailSamples\":\"infinite\",\"buses\":[]}"},
    };
    for (const auto& c : cases) {
        HostFacts facts;
        c.change(facts);
        std::string out;
        writeDiagnosticHostJson(out, facts);
        EXPECT_EQ(out, c.expected) << c.what;
    }
}

TEST(HostDeltaDocument, HoldsOnlyWhatChangedWithTheNewValues) {
    const struct {
        const char* what;
        std::function<void(HostFacts&)> change;
        const char* expected; // null = no delta
    } cases[] = {
        {"nothing", [](HostFacts&) {}, nullptr},
        {"only identity", [](HostFacts& f) { std::strcpy(f.hostName, "x"); }, nullptr},
        {"rate and latency",
         [](HostFacts& f) {
             f.sampleRate = 44100;
             f.latencySamples = 32;
         },
         "{\"sampleRate\":44100,\"latencySamples\":32}"},
        {"last block appears", [](HostFacts& f) { f.lastBlockFrames = 128; }, "{\"lastBlockFrames\":128}"},
        {"internal rate drops to zero", [](HostFacts& f) { f.internalSampleRate = 0; }, nullptr},
        {"bus layout", [](HostFacts& f) { f.busCount = 1; },
         "{\"buses\":[{\"id\":\"in0\",\"direction\":\"input\",\"channels\":2,\"active\":true,"
         "\"layout\":\"stereo\"}]}"},
        {"bypass and mode",
         [](HostFacts& f) {
             f.bypassKnown = 1;
             f.bypassed = 1;
             f.processMode = kHostProcessOffline;
         },
         "{\"processMode\":\"offline\",\"bypassed\":true}"},
        {"tail and sample size",
         [](HostFacts& f) {
             f.tailKind = kHostTailInfinite;
             f.sampleSize = 64;
         },
         "{\"sampleSize\":64,\"tailSamples\":\"infinite\"}"},
    };
    const HostFacts previous = configuredHost();
    for (const auto& c : cases) {
        HostFacts next = previous;
        c.change(next);
        std::string out = "prefix";
        const bool written = writeDiagnosticHostDeltaJson(out, previous, next);
        if (c.expected == nullptr) {
            EXPECT_FALSE(written) << c.what;
            EXPECT_EQ(out, "prefix") << c.what;
        } else {
            EXPECT_TRUE(written) << c.what;
            EXPECT_EQ(out, std::string("prefix") + c.expected) << c.what;
        }
    }
}

TEST(HostChangedMessage, CarriesTheDeltaAndTheEventWhenTheChangeHasAKind) {
    const HostFacts previous = configuredHost();
    HostFacts next = previous;
    next.latencySamples = 64;
    std::string out;
    ASSERT_TRUE(writeDiagnosticHostChangedJson(out, previous, next, 3, 0));
    EXPECT_EQ(out, "{\"type\":\"vanto.hostChanged\",\"host\":{\"latencySamples\":64},"
                   "\"event\":{\"seq\":3,\"timeMs\":0,\"kind\":\"latencyChanged\"}}");

    std::string unchanged;
    EXPECT_FALSE(writeDiagnosticHostChangedJson(unchanged, previous, previous, 4, 0));
    EXPECT_EQ(unchanged, "");

    std::string nanTime;
    ASSERT_TRUE(writeDiagnosticHostChangedJson(nanTime, previous, next, 1, std::nan("")));
    EXPECT_NE(nanTime.find("\"timeMs\":null"), std::string::npos);
}

TEST(ValidatorHostForName, FirstMatchingWordDecides) {
    const struct {
        const char* name;
        ValidatorHost expected;
    } cases[] = {
        {nullptr, kValidatorNone},
        {"Bitwig Studio", kValidatorNone},
        {"pluginval", kValidatorPluginval},
        {"Pluginval 1.0 Validator", kValidatorPluginval},
        {"auval", kValidatorAuval},
        {"clap-validator", kValidatorClapValidator},
        {"clap_validator", kValidatorClapValidator},
        {"VST3 Validator", kValidatorSteinberg},
        {"some validator", kValidatorSteinberg},
        {"Vanto probe", kValidatorVantoProbe},
        {"vanto", kValidatorVantoProbe},
        {"VALIDATOR", kValidatorNone},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(validatorHostForName(c.name), c.expected) << (c.name ? c.name : "null");
    }
}

// A controller-side set-up: the log, the page's subscription and the page.
class ControllerHostFactsTest : public ::testing::Test {
  protected:
    DiagnosticLifecycleLog log;
    DiagnosticSubscription subscription;
    RecordingPage page;
    ControllerHostFacts host;

    void SetUp() override {
        host.setHostName("Reaper");
        subscription.update(kFeedLifecycle, 30);
    }

    const DiagnosticLifecycleEvent& newestEvent() const { return *log.newest(); }
};

TEST_F(ControllerHostFactsTest, ReplacesTheReceivedIdentityWithItsOwn) {
    HostFacts received = configuredHost();
    std::strcpy(received.hostName, "Processor Says");
    std::strcpy(received.hostPath, "/bin/nowhere");
    received.validatorHost = kValidatorAuval;
    host.adopt(received, log, subscription, page, true);
    EXPECT_STREQ(host.facts().hostName, "Reaper");
    EXPECT_STREQ(host.facts().hostPath, "");
    EXPECT_EQ(host.facts().validatorHost, kValidatorNone);
    EXPECT_EQ(host.facts().sampleRate, 48000.0);

    // A second record that differs only in identity texts changes nothing.
    const uint32_t events = log.count();
    const std::size_t messages = page.messages.size();
    std::strcpy(received.hostName, "Another Name");
    host.adopt(received, log, subscription, page, true);
    EXPECT_EQ(log.count(), events);
    EXPECT_EQ(page.messages.size(), messages);
}

TEST_F(ControllerHostFactsTest, RecordsEachChangeKindWithItsDetail) {
    const struct {
        const char* what;
        std::function<void(HostFacts&)> change;
        const char* expectedEvent; // without seq and time
    } cases[] = {
        {"latency", [](HostFacts& f) { f.latencySamples = 128; },
         "\"kind\":\"latencyChanged\",\"detail\":{\"latencySamples\":128,\"previous\":0,\"reported\":true}}"},
        {"sample rate", [](HostFacts& f) { f.sampleRate = 96000; },
         "\"kind\":\"sampleRateChanged\",\"detail\":{\"sampleRate\":96000,\"previous\":48000}}"},
        {"block size", [](HostFacts& f) { f.maxBlockFrames = 64; },
         "\"kind\":\"blockSizeChanged\",\"detail\":{\"maxBlockFrames\":64,\"previous\":512}}"},
        {"buses", [](HostFacts& f) { f.busCount = 0; },
         "\"kind\":\"busLayoutChanged\",\"detail\":{\"buses\":0,\"layout\":\"\"}}"},
        {"mono bus", [](HostFacts& f) { std::strcpy(f.buses[0].layout, "mono"); },
         "\"kind\":\"busLayoutChanged\",\"detail\":{\"buses\":2,\"layout\":\"mono\"}}"},
        {"process mode", [](HostFacts& f) { f.processMode = kHostProcessOffline; },
         "\"kind\":\"processModeChanged\",\"detail\":{\"processMode\":1}}"},
        {"bypass", [](HostFacts& f) { f.bypassKnown = 1; },
         "\"kind\":\"bypassChanged\",\"detail\":{\"bypassed\":false}}"},
        {"tail", [](HostFacts& f) { f.tailKind = kHostTailInfinite; }, "\"kind\":\"tailChanged\"}"},
        {"sample size", [](HostFacts& f) { f.sampleSize = 64; }, "\"kind\":\"configured\"}"},
    };
    for (const auto& c : cases) {
        // Each case starts from a known configuration, then makes one change.
        host.adopt(configuredHost(), log, subscription, page, false);
        HostFacts next = configuredHost();
        c.change(next);
        const uint32_t before = log.lastSequence();
        host.adopt(next, log, subscription, page, false);
        ASSERT_EQ(log.lastSequence(), before + 1) << c.what;
        EXPECT_EQ(newestEvent().atFrame, -1) << c.what;
        std::string event;
        writeDiagnosticLifecycleEventJson(event, newestEvent());
        EXPECT_NE(event.find(c.expectedEvent), std::string::npos) << c.what << ": " << event;
        EXPECT_NE(page.messages.back().find(c.expectedEvent), std::string::npos) << c.what << " published";
    }
}

TEST_F(ControllerHostFactsTest, AnnouncesChangesOnlyAfterTheHelloWithACountingSequence) {
    host.adopt(configuredHost(), log, subscription, page, false);
    EXPECT_TRUE(page.startingWith("{\"type\":\"vanto.hostChanged\"").empty());

    HostFacts next = configuredHost();
    next.latencySamples = 10;
    host.adopt(next, log, subscription, page, true);
    host.adopt(next, log, subscription, page, true); // identical: nothing to announce
    next.latencySamples = 20;
    host.adopt(next, log, subscription, page, true);

    const auto announced = page.startingWith("{\"type\":\"vanto.hostChanged\"");
    ASSERT_EQ(announced.size(), 2u);
    EXPECT_EQ(announced[0], "{\"type\":\"vanto.hostChanged\",\"host\":{\"latencySamples\":10},"
                            "\"event\":{\"seq\":1,\"timeMs\":0,\"kind\":\"latencyChanged\"}}");
    EXPECT_NE(announced[1].find("\"seq\":2,"), std::string::npos) << announced[1];
    EXPECT_EQ(host.reportedLatency(), 20);
}

TEST_F(ControllerHostFactsTest, SendsNothingToADisconnectedOrUnsubscribedPage) {
    subscription.clear();
    host.adopt(configuredHost(), log, subscription, page, true);
    EXPECT_EQ(log.count(), 1u);                                              // the change is still recorded
    EXPECT_TRUE(page.startingWith("{\"type\":\"vanto.lifecycle\"").empty()); // but not published
    EXPECT_EQ(page.startingWith("{\"type\":\"vanto.hostChanged\"").size(), 1u);

    page.connected = false;
    page.messages.clear();
    HostFacts next = configuredHost();
    next.maxBlockFrames = 128;
    host.adopt(next, log, subscription, page, true);
    EXPECT_TRUE(page.messages.empty());
    EXPECT_EQ(log.count(), 2u);
}

} // namespace
} // namespace vanto
