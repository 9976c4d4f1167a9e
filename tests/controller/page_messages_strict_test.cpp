// Every type of message the controller writes for the page must be strict JSON: the web view hands
// each one to the page as the argument of a script call, so anything else could break out of it.
// One session reaches every type with awkward values (quotes, backslashes, control bytes, stray
// UTF-8, non-finite numbers) and every message is checked.
#include "controller_fixture.h"

#include "diagnostics/host_facts.h"
#include "diagnostics/transport_fact.h"
#include "processor/processor_message_ids.h"
#include "support/strict_json.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <set>
#include <string>

namespace vanto::test {
namespace {

void send(ControllerUnderTest& controller, const std::string& message) {
    controller->handleBridgeMessage(message.data(), message.size());
}

std::string awkwardHostFacts(double sampleRate) {
    HostFacts facts;
    std::strcpy(facts.hostName, "Host \"quoted\" \\ \t\x01 \xff");
    std::strcpy(facts.hostPath, "C:\\Hosts\\\xc3");
    facts.sampleRate = sampleRate;
    facts.maxBlockFrames = 512;
    facts.internalSampleRate = std::nan("");
    return std::string(reinterpret_cast<const char*>(&facts), sizeof facts);
}

std::string transportBytes(double tempo) {
    TransportFact fact;
    fact.source = kTransportSourceHost;
    fact.playing = true;
    fact.hasTempo = true;
    fact.tempo = tempo;
    fact.ppqPosition = INFINITY;
    fact.sampleRate = -0.0;
    return std::string(reinterpret_cast<const char*>(&fact), sizeof fact);
}

// One record whose numbers cover the writer's awkward cases: a missing hit, zero, negative zero and
// tiny values.
std::string meterPayload() {
    return R"({"v":1,"dropped":3,"records":[{"at":96000,"frames":512,)"
           R"("lanes":[{"duckDb":3.41,"hit":37},{"duckDb":0,"hit":null},{"duckDb":-0.0,"hit":null},)"
           R"({"duckDb":1e-30,"hit":null}],"lowBandGainDb":-0.42,"glueReductionDb":1.87,)"
           R"("bells":[{"on":true,"hz":90,"gainDb":-1.15},{"on":true,"hz":880,"gainDb":0},)"
           R"({"on":true,"hz":3220,"gainDb":-0.13},{"on":false,"hz":8000,"gainDb":0}],)"
           R"("input":{"peak":[0.6,0.5],"meanSquare":[0.04,0.03]},)"
           R"("output":{"peak":[0.5,0.5],"meanSquare":[0.03,0.02]}}]})";
}

TEST(PageMessages, EveryTypeIsStrictJson) {
    ControllerUnderTest controller;
    controller.openPage();
    send(controller, R"({"type":"vanto.ready"})"); // hello
    send(controller,
         R"({"type":"vanto.diag.subscribe","feeds":["lifecycle","transport","meters","midiIn"]})"); // lifecycle
                                                                                                    // replay
    controller.deliver(kMessageRuntimeDiagnostics, R"({"format":"vanto-runtime-health/v1","m":"a\"b"})");
    controller.deliver(kMessageHostFacts, awkwardHostFacts(44100.0));
    controller.deliver(kMessageHostFacts, awkwardHostFacts(48000.0)); // hostChanged
    controller.deliver(kMessageTransport, transportBytes(120.0));
    controller.deliver(kMessageTransport, transportBytes(NAN));
    send(controller, R"({"type":"vanto.setParam","path":"sync.source","value":1})");
    controller.deliver(kMessageTransport, transportBytes(97.5));        // tempo: the host's now rules
    controller.deliver(kMessageSignal, meterPayload());                 // meters, on the next tick
    controller.deliver(kMessageMidiIn, std::string("\x4a\x03\x64", 3)); // midiCc: 74, channel 3, 100
    send(controller, R"({"type":"vanto.setParam","path":"glue.ratio","value":8})");
    controller->setParamNormalized(26, 0.25); // paramChanged
    send(controller, R"({"type":"vanto.loadFactoryPreset","id":"barely-there"})");
    send(controller,
         R"({"type":"vanto.setCcMap","map":{"bindings":[{"cc":7,"channel":0,"path":"glue.ratio"}]}})");
    send(controller, R"({"type":"vanto.getState"})");
    send(controller, R"({"type":"vanto.getBankState"})");
    send(controller, R"({"type":"vanto.loadBank","source":"folder","bankPath":"/no/such \"bank\"\u0001"})");
    send(controller, R"({"type":"vanto.pickFolder"})");
    send(controller, R"({"type":"vanto.loadBankPreset","id":"missing\\preset"})");
    controller->tickCadence();
    send(controller, "{\"type\":\"vanto.setState\",\"state\":{\"params\":{\"glue.ratio\":3}}}");

    std::set<std::string> types;
    const std::vector<std::string> errors = strictJsonErrors(controller.page);
    for (std::size_t i = 0; i < controller.page.size(); ++i) {
        EXPECT_EQ(errors[i], "") << controller.page[i];
        types.insert(messageType(controller.page[i]));
    }
    const std::set<std::string> everyType = {
        "vanto.hello",        "vanto.paramChanged", "vanto.state",       "vanto.runtimeDiagnostics",
        "vanto.ccMapChanged", "vanto.lifecycle",    "vanto.hostChanged", "vanto.transport",
        "vanto.bankState",    "vanto.folderPicked", "vanto.tempo",       "vanto.meters",
        "vanto.midiCc"};
    EXPECT_EQ(types, everyType);
}

} // namespace
} // namespace vanto::test
