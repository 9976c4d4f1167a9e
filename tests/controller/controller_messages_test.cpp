// Messages between the controller and the processor: what each processor message does, its size
// rules, and what the controller sends (CC map, transport polls and feed drains on every cadence
// tick, preset notices).
#include "controller_fixture.h"

#include "banks/runtime_bank_reply.h"
#include "ccmap/cc_map_json_writer.h"
#include "diagnostics/host_facts.h"
#include "diagnostics/transport_fact.h"
#include "processor/processor_message_ids.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace vanto::test {
namespace {

using Steinberg::kResultOk;

std::string bytesOf(const void* record, std::size_t size) {
    return std::string(static_cast<const char*>(record), size);
}

std::string hostFactsBytes(double sampleRate) {
    HostFacts facts;
    std::strcpy(facts.hostName, "Reported By Processor");
    facts.sampleRate = sampleRate;
    facts.maxBlockFrames = 512;
    return bytesOf(&facts, sizeof facts);
}

void subscribe(ControllerUnderTest& controller, const char* feeds) {
    const std::string message = std::string(R"({"type":"vanto.diag.subscribe","feeds":)") + feeds + "}";
    controller->handleBridgeMessage(message.data(), message.size());
}

TEST(ControllerNotify, HostFactsOfExactlyTheRecordSizeAreAdopted) {
    ControllerUnderTest controller("Studio Host");
    std::string facts = hostFactsBytes(44100.0);
    EXPECT_EQ(controller.deliver(kMessageHostFacts, facts.substr(0, kHostFactsSize - 1)), kResultOk);
    EXPECT_EQ(controller.deliver(kMessageHostFacts, facts + '\0'), kResultOk);
    EXPECT_EQ(controller->hostFactsView().sampleRate, 0.0);

    EXPECT_EQ(controller.deliver(kMessageHostFacts, facts), kResultOk);
    EXPECT_EQ(controller->hostFactsView().sampleRate, 44100.0);
    // The controller's own view of the host's identity wins over the record's.
    EXPECT_STREQ(controller->hostFactsView().hostName, "Studio Host");
    EXPECT_EQ(controller->lifecycleView().newest()->kind, kLifecycleSampleRateChanged);
}

TEST(ControllerNotify, HostChangesReachThePageOnlyAfterTheHello) {
    ControllerUnderTest controller;
    controller.openPage();
    controller.deliver(kMessageHostFacts, hostFactsBytes(44100.0));
    EXPECT_TRUE(controller.pageMessages("vanto.hostChanged").empty());
    const std::string ready = R"({"type":"vanto.ready"})";
    controller->handleBridgeMessage(ready.data(), ready.size());
    ASSERT_EQ(controller.pageMessages("vanto.hello").size(), 1u);
    controller.deliver(kMessageHostFacts, hostFactsBytes(48000.0));
    EXPECT_EQ(controller.pageMessages("vanto.hostChanged").size(), 1u);
    controller.deliver(kMessageHostFacts, hostFactsBytes(48000.0));
    EXPECT_EQ(controller.pageMessages("vanto.hostChanged").size(), 1u);
}

TEST(ControllerNotify, LifecycleNamesAreRecordedOnlyWithoutTerminator) {
    const struct {
        std::string payload;
        bool recorded;
    } cases[] = {
        {"activated", true}, {std::string("activated\0", 10), false}, {"Activated", false},
        {"", false},         {std::string(64, 'a'), false},
    };
    for (const auto& c : cases) {
        ControllerUnderTest controller;
        const uint32_t before = controller->lifecycleView().count();
        EXPECT_EQ(controller.deliver(kMessageLifecycle, c.payload), kResultOk);
        EXPECT_EQ(controller->lifecycleView().count(), before + (c.recorded ? 1u : 0u)) << c.payload.size();
        if (c.recorded) {
            EXPECT_EQ(controller->lifecycleView().newest()->kind, kLifecycleActivated);
            EXPECT_EQ(controller->lifecycleView().newest()->fieldCount, 0u);
        }
    }
}

TEST(ControllerNotify, TransportFactsOfExactlyTheRecordSizeReachASubscribedPage) {
    ControllerUnderTest controller;
    controller.openPage();
    subscribe(controller, R"(["transport"])");
    TransportFact fact;
    fact.source = kTransportSourceHost;
    fact.playing = true;
    const std::string bytes = bytesOf(&fact, sizeof fact);
    controller.deliver(kMessageTransport, bytes.substr(0, kTransportFactSize - 1));
    controller.deliver(kMessageTransport, bytes + '\0');
    EXPECT_TRUE(controller.pageMessages("vanto.transport").empty());
    controller.deliver(kMessageTransport, bytes);
    ASSERT_EQ(controller.pageMessages("vanto.transport").size(), 1u);
    EXPECT_NE(controller.page.back().find("\"playing\":true"), std::string::npos);
}

// Reports are embedded verbatim in page messages, so only one JSON object of at most 64 KiB is kept.
TEST(ControllerNotify, RuntimeReportsOfOneObjectUpTo64KiBAreKept) {
    ControllerUnderTest controller;
    controller.openPage();
    std::string largest = R"({"pad":")";
    largest.append(65536 - largest.size() - 2, ' ');
    largest += "\"}";
    EXPECT_EQ(controller.deliver(kMessageRuntimeDiagnostics, largest), kResultOk);
    EXPECT_EQ(controller->runtimeHealthReport(), largest);
    ASSERT_EQ(controller.pageMessages("vanto.runtimeDiagnostics").size(), 1u);
    EXPECT_EQ(controller.page.back(), "{\"type\":\"vanto.runtimeDiagnostics\",\"report\":" + largest + "}");
    const DiagnosticLifecycleEvent* event = controller->lifecycleView().newest();
    EXPECT_EQ(event->kind, kLifecycleRuntimeDiagnostic);
    EXPECT_STREQ(event->fields[0].name, "reportBytes");
    EXPECT_EQ(event->fields[0].number, 65536.0);

    const std::string tooLarge = std::string(1, ' ').append(largest);
    EXPECT_EQ(controller.deliver(kMessageRuntimeDiagnostics, tooLarge), kResultOk);
    EXPECT_EQ(controller.deliver(kMessageRuntimeDiagnostics, std::string()), kResultOk);
    for (const char* oneObject : {"{}", "{} ", " {\"a\":1}"}) {
        EXPECT_EQ(controller.deliver(kMessageRuntimeDiagnostics, oneObject), kResultOk);
        EXPECT_EQ(controller->runtimeHealthReport(), oneObject);
    }
    for (const char* notOneObject : {" ", "1", "[]", "{}1", "{}); alert(1); ({", "{\"a\":1}}", "{\"a\":"}) {
        EXPECT_EQ(controller.deliver(kMessageRuntimeDiagnostics, notOneObject), kResultOk);
        EXPECT_NE(controller->runtimeHealthReport(), notOneObject);
    }
    EXPECT_NE(controller->runtimeHealthReport(), tooLarge);
    EXPECT_EQ(controller.pageMessages("vanto.runtimeDiagnostics").size(), 4u);

    const std::string report = R"({"format":"vanto-runtime-health/v1"})";
    controller.deliver(kMessageRuntimeDiagnostics, report);
    EXPECT_EQ(controller->runtimeHealthReport(), report);
}

TEST(ControllerNotify, KnownMessagesWithoutPayloadAreHandledAndIgnored) {
    ControllerUnderTest controller;
    const uint32_t before = controller->lifecycleView().count();
    for (const char* id : {kMessageRuntimeBankResult, kMessageLifecycle, kMessageTransport, kMessageSignal,
                           kMessageHostFacts, kMessageRuntimeDiagnostics}) {
        EXPECT_EQ(controller.deliver(id, std::nullopt), kResultOk) << id;
    }
    EXPECT_EQ(controller.deliver(kMessageSignal, std::string("levels")), kResultOk);
    EXPECT_EQ(controller->lifecycleView().count(), before);
    EXPECT_NE(controller.deliver("vanto.somethingElse", std::string("x")), kResultOk);
    EXPECT_NE(controller->notify(nullptr), kResultOk);
}

TEST(ControllerNotify, OnlyRealConfigurationChangesAreLogged) {
    ControllerUnderTest controller;
    controller.deliver(kMessageHostFacts, hostFactsBytes(44100.0));
    const uint32_t afterFirst = controller->lifecycleView().count();
    controller.deliver(kMessageHostFacts, hostFactsBytes(44100.0));
    EXPECT_EQ(controller->lifecycleView().count(), afterFirst);

    // The record's own identity texts never count: the controller keeps its own.
    HostFacts renamed;
    std::memcpy(&renamed, hostFactsBytes(44100.0).data(), sizeof renamed);
    std::strcpy(renamed.hostName, "Another Name");
    controller.deliver(kMessageHostFacts, bytesOf(&renamed, sizeof renamed));
    EXPECT_EQ(controller->lifecycleView().count(), afterFirst);

    renamed.sampleSize = 64;
    controller.deliver(kMessageHostFacts, bytesOf(&renamed, sizeof renamed));
    EXPECT_EQ(controller->lifecycleView().count(), afterFirst + 1);
    EXPECT_EQ(controller->lifecycleView().newest()->kind, kLifecycleConfigured);
}

TEST(ControllerNotify, LifecycleReachesOnlyAPageSubscribedToIt) {
    ControllerUnderTest controller;
    controller.openPage();
    controller.deliver(kMessageLifecycle, std::string("activated"));
    subscribe(controller, R"(["transport"])");
    controller.deliver(kMessageLifecycle, std::string("deactivated"));
    EXPECT_TRUE(controller.pageMessages("vanto.lifecycle").empty());

    subscribe(controller, R"(["lifecycle"])");
    ASSERT_EQ(controller.pageMessages("vanto.lifecycle").size(), 1u); // the replay of all three events
    EXPECT_NE(controller.page.back().find("\"kind\":\"deactivated\""), std::string::npos);
    controller.deliver(kMessageLifecycle, std::string("reset"));
    ASSERT_EQ(controller.pageMessages("vanto.lifecycle").size(), 2u);
    EXPECT_NE(controller.page.back().find("\"events\":[{\"seq\":4,"), std::string::npos);
}

TEST(ControllerNotify, TempoChangesAreLoggedFromTheSecondFactOn) {
    ControllerUnderTest controller;
    TransportFact fact;
    fact.hasTempo = true;
    controller.deliver(kMessageTransport, bytesOf(&fact, sizeof fact));
    const uint32_t afterFirst = controller->lifecycleView().count();
    fact.tempo = 121.0;
    fact.atFrame = 4800;
    controller.deliver(kMessageTransport, bytesOf(&fact, sizeof fact));
    ASSERT_EQ(controller->lifecycleView().count(), afterFirst + 1);
    const DiagnosticLifecycleEvent* event = controller->lifecycleView().newest();
    EXPECT_EQ(event->kind, kLifecycleTempoChanged);
    EXPECT_EQ(event->atFrame, 4800);
    EXPECT_EQ(event->fields[1].number, 120.0);
}

TEST(ControllerNotify, BankRepliesReachBankControl) {
    ControllerUnderTest controller;
    controller.openPage();
    EXPECT_EQ(controller.deliver(kMessageRuntimeBankResult, std::string("failed\tno such folder")),
              kResultOk);
    EXPECT_EQ(controller.pageMessages("vanto.bankState").size(), 1u);
}

TEST(ControllerCadence, EveryTickPollsTheTransportThenDrainsTheFeeds) {
    ControllerUnderTest controller;
    for (int tick = 0; tick < 3; ++tick) {
        controller->tickCadence();
    }
    ASSERT_EQ(controller.processor.messages.size(), 6u);
    for (std::size_t i = 0; i < 6; i += 2) {
        EXPECT_EQ(controller.processor.messages[i].id, kMessageTransportPoll);
        EXPECT_EQ(controller.processor.messages[i].reset, 0);
        EXPECT_EQ(controller.processor.messages[i + 1].id, kMessageFeedDrain);
        EXPECT_FALSE(controller.processor.messages[i + 1].payload.has_value());
    }
}

TEST(ControllerCadence, ASubscriptionPollsWithResetOnceAndTicksGoOnWithout) {
    ControllerUnderTest controller;
    controller.openPage();
    subscribe(controller, R"(["transport"],"hz":120)");
    EXPECT_EQ(controller->subscriptionView().rateHz, 30.0);
    ASSERT_EQ(controller.processor.messages.size(), 1u);
    EXPECT_EQ(controller.processor.messages[0].id, kMessageTransportPoll);
    EXPECT_EQ(controller.processor.messages[0].reset, 1);
    controller->tickCadence();
    ASSERT_EQ(controller.processor.messages.size(), 3u);
    EXPECT_EQ(controller.processor.messages[1].reset, 0);
}

TEST(ControllerCadence, RunsOnTheHostRunLoopFromInitialiseToTerminate) {
    ControllerUnderTest controller("Test Host", true);
    ASSERT_TRUE(controller->cadenceClockRunning());
    ASSERT_EQ(controller.host.timers.size(), 1u);
    EXPECT_EQ(controller.host.intervals[0], 33u);
    controller.host.fireTimers();
    EXPECT_EQ(controller.processor.ids(),
              (std::vector<std::string>{kMessageTransportPoll, kMessageFeedDrain}));

    controller->terminate();
    controller.terminated = true;
    EXPECT_FALSE(controller->cadenceClockRunning());
    EXPECT_TRUE(controller.host.timers.empty());
    EXPECT_EQ(controller->lifecycleView().newest()->kind, kLifecycleDestroyed);
}

TEST(ControllerCadence, WithoutARunLoopTheClockDoesNotRun) {
    ControllerUnderTest controller;
    EXPECT_FALSE(controller->cadenceClockRunning());
    EXPECT_EQ(controller->lifecycleView().at(0).kind, kLifecycleCreated);
}

TEST(ControllerMessages, AdoptedCcMapGoesToProcessorHostAndPage) {
    ControllerUnderTest controller;
    controller.openPage();
    CcMap map;
    CcBinding binding;
    binding.cc = 7;
    binding.parameter = 31;
    map.append(binding);
    controller->adoptCcMap(map, true);

    std::string expected;
    writeCcMapJson(expected, map);
    const auto sent = controller.processor.withId(kMessageCcMap);
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].payload, expected);
    EXPECT_EQ(controller.handler.restarts,
              std::vector<Steinberg::int32>{Steinberg::Vst::kMidiCCAssignmentChanged});
    EXPECT_EQ(controller.pageMessages("vanto.ccMapChanged").size(), 1u);
    const DiagnosticLifecycleEvent* event = controller->lifecycleView().newest();
    EXPECT_EQ(event->kind, kLifecycleCcMapChanged);
    EXPECT_EQ(event->fields[0].number, 1.0);

    controller->adoptCcMap(map, false);
    EXPECT_EQ(controller.pageMessages("vanto.ccMapChanged").size(), 1u);
    EXPECT_EQ(controller.processor.withId(kMessageCcMap).size(), 2u);
}

TEST(ControllerMessages, ResetCountersAndPresetNoticesCarryTheirPayloads) {
    ControllerUnderTest controller;
    controller->sendResetCounters();
    controller->sendPresetLoadedToProcessor("kit-a/preset-1");
    ASSERT_EQ(controller.processor.messages.size(), 2u);
    EXPECT_EQ(controller.processor.messages[0].id, kMessageResetCounters);
    EXPECT_EQ(controller.processor.messages[1].id, kMessagePresetLoaded);
    EXPECT_EQ(controller.processor.messages[1].payload, "kit-a/preset-1");
}

TEST(ControllerMessages, BankRequestsAndPadOverridesGoToTheProcessor) {
    ControllerUnderTest controller;
    controller.openPage();
    const std::string load =
        R"({"type":"vanto.loadBank","source":"user-folder","bankPath":"/banks/kit","instrument":"drums"})";
    controller->handleBridgeMessage(load.data(), load.size());
    const auto requests = controller.processor.withId(kMessageLoadRuntimeBank);
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].payload, "user-folder\n/banks/kit\n\ndrums");

    const std::string pads = R"({"type":"vanto.setPadOverrides","pads":{"kick":{"gain":0.5}}})";
    controller->handleBridgeMessage(pads.data(), pads.size());
    const auto overrides = controller.processor.withId(kMessagePadOverrides);
    ASSERT_EQ(overrides.size(), 1u);
    ASSERT_EQ(controller->padOverrides().size(), 1u);
    std::string expected;
    writeSamplerPadOverridesJson(expected, controller->padOverrides());
    EXPECT_EQ(overrides[0].payload, expected);
}

TEST(ControllerMessages, BankPresetsEditParametersAsTheUserAndBecomeCurrent) {
    ControllerUnderTest controller;
    controller.openPage();
    const std::string load = R"({"type":"vanto.loadBank","source":"user-folder","bankPath":"/banks/kit"})";
    controller->handleBridgeMessage(load.data(), load.size());
    StagedBank bank;
    bank.instrumentId = "drums";
    bank.instrumentName = "Drums";
    bank.instrumentKind = "kits";
    bank.presets.push_back(
        {"tight", "Tight", "", {{"glue.ratio", 8.0}, {"mix.amount", 0.25}, {"no.such", 1.0}}});
    controller.deliver(kMessageRuntimeBankResult, encodeRuntimeBankReply("ok", "", &bank));
    controller.processor.messages.clear();
    controller.handler.calls.clear();
    controller.page.clear();

    const std::string select = R"({"type":"vanto.loadBankPreset","id":"tight"})";
    controller->handleBridgeMessage(select.data(), select.size());
    const uint32_t ratio = vanto_param_find("glue.ratio")->id;
    const uint32_t mix = vanto_param_find("mix.amount")->id;
    EXPECT_EQ(controller->getParamNormalized(ratio), 1.0);
    EXPECT_EQ(controller->getParamNormalized(mix), 0.25);
    EXPECT_EQ(
        controller.handler.calls,
        (std::vector<std::string>{"begin " + std::to_string(ratio), "perform " + std::to_string(ratio) + " 1",
                                  "end " + std::to_string(ratio), "begin " + std::to_string(mix),
                                  "perform " + std::to_string(mix) + " 0.25", "end " + std::to_string(mix)}));
    EXPECT_EQ(controller.pageMessages("vanto.paramChanged").size(), 2u);
    EXPECT_STREQ(controller->presetStateView().currentId, "tight");
    EXPECT_STREQ(controller->presetStateView().currentName, "Tight");
    const auto loaded = controller.processor.withId(kMessagePresetLoaded);
    ASSERT_EQ(loaded.size(), 1u);
    EXPECT_EQ(loaded[0].payload, "tight");
    const DiagnosticLifecycleEvent* event = controller->lifecycleView().newest();
    ASSERT_EQ(event->kind, kLifecyclePresetLoaded);
    ASSERT_EQ(event->fieldCount, 3u);
    EXPECT_STREQ(event->fields[2].text, "bank");
    // A bank preset is no factory baseline: nothing counts as edited.
    EXPECT_FALSE(controller->presetDirty());
}

TEST(ControllerMessages, FolderPickingReportsThatThisBuildHasNoPicker) {
    ControllerUnderTest controller;
    controller.openPage();
    const std::string pick = R"({"type":"vanto.pickFolder"})";
    controller->handleBridgeMessage(pick.data(), pick.size());
    EXPECT_TRUE(controller.processor.withId(kMessageLoadRuntimeBank).empty());
    const auto picked = controller.pageMessages("vanto.folderPicked");
    ASSERT_EQ(picked.size(), 1u);
    EXPECT_NE(picked[0].find("\"ok\":false"), std::string::npos);
    EXPECT_NE(picked[0].find("this build has no folder picker"), std::string::npos);
}

TEST(ControllerMessages, NothingReachesTheProcessorBeforeTheConnection) {
    ControllerUnderTest controller;
    controller->disconnect(&controller.processor);
    controller->tickCadence();
    controller->applyFactoryPreset(0);
    EXPECT_TRUE(controller.processor.messages.empty());
    controller->connect(&controller.processor);
}

} // namespace
} // namespace vanto::test
