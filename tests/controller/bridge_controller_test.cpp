// The page bridge inside the controller, where a test can see what the page cannot: the stored
// subscription, the processor messages a page message causes, the lifecycle records and the state
// size the greeting reports.
#include "controller_fixture.h"

#include "banks/sampler_pad_overrides.h"
#include "processor/processor_message_ids.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace vanto::test {
namespace {

void post(ControllerUnderTest& controller, const std::string& message) {
    controller->handleBridgeMessage(message.data(), message.size());
}

const DiagnosticLifecycleField* fieldNamed(const DiagnosticLifecycleEvent& event, const char* name) {
    for (uint32_t i = 0; i < event.fieldCount; ++i) {
        if (std::strcmp(event.fields[i].name, name) == 0) {
            return &event.fields[i];
        }
    }
    return nullptr;
}

// The newest lifecycle event must be of `kind` with "stateBytes" and "source" as given.
void expectStateEvent(const ControllerUnderTest& controller, DiagnosticLifecycleKind kind, double bytes) {
    const DiagnosticLifecycleEvent* event = controller->lifecycleView().newest();
    ASSERT_NE(event, nullptr);
    EXPECT_EQ(event->kind, kind);
    const DiagnosticLifecycleField* size = fieldNamed(*event, "stateBytes");
    const DiagnosticLifecycleField* source = fieldNamed(*event, "source");
    ASSERT_TRUE(size != nullptr && source != nullptr);
    EXPECT_EQ(size->number, bytes);
    EXPECT_STREQ(source->text, "ui");
}

TEST(BridgeSubscription, StoresKnownFeedsAndTheCappedRateThenReplays) {
    ControllerUnderTest controller;
    controller.openPage();
    post(controller, R"({"type":"vanto.diag.subscribe","feeds":["lifecycle","sparkles"],"hz":120})");
    EXPECT_EQ(controller->subscriptionView().feeds, static_cast<uint32_t>(kFeedLifecycle));
    EXPECT_EQ(controller->subscriptionView().rateHz, 30.0);
    ASSERT_EQ(controller.pageMessages("vanto.lifecycle").size(), 1u);

    post(controller, R"({"type":"vanto.diag.subscribe","feeds":["transport","host"]})");
    EXPECT_EQ(controller->subscriptionView().feeds, static_cast<uint32_t>(kFeedTransport | kFeedHost));
    EXPECT_EQ(controller->subscriptionView().rateHz, 0.0);
    EXPECT_EQ(controller.pageMessages("vanto.lifecycle").size(), 1u);
    // Every subscription asks the processor to report its transport afresh.
    const auto polls = controller.processor.withId(kMessageTransportPoll);
    ASSERT_EQ(polls.size(), 2u);
    EXPECT_EQ(polls[0].reset, 1);
    EXPECT_EQ(polls[1].reset, 1);

    post(controller, R"({"type":"vanto.diag.stimulus","stimulus":{"kind":"pulse"}})");
    EXPECT_EQ(controller->subscriptionView().feeds, static_cast<uint32_t>(kFeedTransport | kFeedHost));
    post(controller, R"({"type":"vanto.diag.unsubscribe","feeds":["host"],"hz":10})");
    EXPECT_EQ(controller->subscriptionView().feeds, 0u);
    EXPECT_EQ(controller->subscriptionView().rateHz, 0.0);
}

TEST(BridgeState, ExportRecordsItsSizeForTheGreeting) {
    ControllerUnderTest controller;
    controller.openPage();
    post(controller, R"({"type":"vanto.getState"})");
    const auto replies = controller.pageMessages("vanto.state");
    ASSERT_EQ(replies.size(), 1u);
    const std::size_t prefix = std::strlen(R"({"type":"vanto.state","state":)");
    const std::size_t documentBytes = replies[0].size() - prefix - 1;
    EXPECT_EQ(controller->presetStateView().lastStateBytes, static_cast<int64_t>(documentBytes));
    expectStateEvent(controller, kLifecycleStateSaved, static_cast<double>(documentBytes));
}

TEST(BridgeState, ImportHandsPadsToTheProcessorAndKeepsThemOnlyWhenSent) {
    ControllerUnderTest controller;
    controller.openPage();
    const std::string import =
        R"({"type":"vanto.setState","state":{"params":{"mix.amount":0.5},"sampler":{"v":1,"pads":{"kick":{"gain":0.5}}}}})";
    post(controller, import);
    const auto sent = controller.processor.withId(kMessagePadOverrides);
    ASSERT_EQ(sent.size(), 1u);
    ASSERT_EQ(controller->padOverrides().size(), 1u);
    EXPECT_EQ(controller->padOverrides()[0].padId, "kick");
    std::string expected;
    writeSamplerPadOverridesJson(expected, controller->padOverrides());
    EXPECT_EQ(sent[0].payload, expected);
    EXPECT_EQ(controller.pageMessages("vanto.bankState").size(), 1u);
    expectStateEvent(controller, kLifecycleStateRestored, static_cast<double>(import.size()));

    // Without the processor the overrides cannot be delivered, so the controller keeps the old ones.
    controller->disconnect(&controller.processor);
    post(controller, R"({"type":"vanto.setState","state":{"sampler":{"v":1,"pads":{"snare":{"gain":2}}}}})");
    ASSERT_EQ(controller->padOverrides().size(), 1u);
    EXPECT_EQ(controller->padOverrides()[0].padId, "kick");
    EXPECT_EQ(controller.pageMessages("vanto.bankState").size(), 2u);
    controller->connect(&controller.processor);

    // A state without a sampler block clears the overrides.
    post(controller, R"({"type":"vanto.setState","state":{}})");
    EXPECT_TRUE(controller->padOverrides().empty());
}

TEST(BridgeState, ImportSkipsValuesNoDocumentCanWrite) {
    ControllerUnderTest controller;
    controller.openPage();
    const double before = controller->getParamNormalized(31);
    post(controller, R"({"type":"vanto.setState","state":{"params":{"mix.amount":nan,"glue.ratio":inf}}})");
    EXPECT_EQ(controller->getParamNormalized(31), before);
    EXPECT_TRUE(controller.pageMessages("vanto.paramChanged").empty());
    EXPECT_TRUE(controller.handler.performed.empty());
}

TEST(BridgeHello, GreetingWithoutAPageStillCountsAsSent) {
    ControllerUnderTest controller;
    post(controller, R"({"type":"vanto.ready"})");
    // Host changes are announced only after a greeting; it went nowhere, but it was made.
    controller.openPage();
    HostFacts facts;
    facts.sampleRate = 96000;
    facts.maxBlockFrames = 64;
    controller->adoptHostFacts(facts);
    EXPECT_EQ(controller.pageMessages("vanto.hostChanged").size(), 1u);
}

} // namespace
} // namespace vanto::test
