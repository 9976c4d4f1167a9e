// Every document the diagnostics write, fed with awkward values, must be strict JSON for the page.
#include "diagnostics/hello_blocks_json.h"
#include "diagnostics/host_facts_json.h"
#include "diagnostics/lifecycle_json.h"
#include "diagnostics/preset_state_json.h"
#include "diagnostics/transport_json.h"

#include "support/strict_json.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

namespace vanto {
namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
const double kNan = std::nan("");

HostFacts awkwardHost() {
    HostFacts facts;
    std::strcpy(facts.hostName, "Host \"quoted\" \\ back\ttab");
    std::strcpy(facts.hostPath, "C:\\Program Files\\Host");
    facts.validatorHost = kValidatorClapValidator;
    facts.sampleRate = kNan;
    facts.lastBlockFrames = 0;
    facts.tailKind = kHostTailSamples;
    facts.tailSamples = -5;
    facts.internalSampleRate = kInf;
    facts.bypassKnown = 1;
    facts.bypassed = 1;
    facts.addBus("in\"0", true, 2, true, "ste\\reo");
    facts.addBus("out0", false, 0, false, nullptr);
    return facts;
}

std::vector<std::string> everyDocument() {
    std::vector<std::string> documents;
    const auto add = [&](auto&& write) {
        std::string out;
        write(out);
        documents.push_back(out);
    };
    const HostFacts empty;
    const HostFacts awkward = awkwardHost();
    add([&](std::string& out) { writeDiagnosticHostJson(out, empty); });
    add([&](std::string& out) { writeDiagnosticHostJson(out, awkward); });
    add([&](std::string& out) { appendBusesJson(out, awkward); });
    add([&](std::string& out) { writeDiagnosticHostDeltaJson(out, empty, awkward); });
    add([&](std::string& out) { writeDiagnosticHostChangedJson(out, empty, awkward, 1, kInf); });
    add([&](std::string& out) { writeDiagnosticHostChangedJson(out, awkward, empty, 4294967295u, -0.0); });

    DiagnosticLifecycleLog log;
    for (uint32_t kind = 0; kind <= kLifecycleKindCount; ++kind) {
        DiagnosticLifecycleEvent& event =
            log.record(static_cast<DiagnosticLifecycleKind>(kind), kind % 2 ? -1 : INT64_MAX);
        event.addNumber("nan", kNan);
        event.addNumber("tiny", 1e-300);
        event.addString("text", "line\nbreak \"and\" quote");
        event.addBool("yes", true);
        event.addNull("nothing");
        event.addString("", "");
    }
    add([&](std::string& out) { writeDiagnosticLifecycleReplayJson(out, log); });
    add([&](std::string& out) { writeDiagnosticLifecycleJson(out, log.newest(), 1, 0); });

    PresetStateFacts presets;
    presets.factoryCount = 8;
    std::strcpy(presets.currentName, "Name \"with\" quotes");
    presets.bank.valid = true;
    std::strcpy(presets.bank.id, "id\\");
    presets.bank.zoneCount = INT32_MAX;
    add([&](std::string& out) { writeDiagnosticPresetStateJson(out, presets); });
    add([&](std::string& out) {
        out += "{\"type\":\"vanto.hello\"";
        appendDiagnosticHelloBlocks(out, kTargetVst3, awkwardHost(), presets, {"t\"", "r", "s"});
        out += '}';
    });

    TransportFact fact;
    fact.atFrame = UINT64_MAX;
    fact.source = 77;
    fact.tempo = kNan;
    fact.ppqPosition = -kInf;
    fact.barPositionPpq = 1e21;
    fact.hasLoop = true;
    fact.loopStartPpq = kInf;
    fact.loopEndPpq = 1e-7;
    fact.sampleRate = kInf;
    fact.projectTimeSamples = INT64_MIN;
    fact.numerator = INT32_MIN;
    add([&](std::string& out) { writeDiagnosticTransportJson(out, fact); });
    add([&](std::string& out) { writeDiagnosticTransportJson(out, TransportFact{}); });
    return documents;
}

TEST(DiagnosticDocuments, AreStrictJsonEvenWithAwkwardValues) {
    const std::vector<std::string> documents = everyDocument();
    const std::vector<std::string> errors = test::strictJsonErrors(documents);
    ASSERT_EQ(errors.size(), documents.size());
    for (std::size_t i = 0; i < documents.size(); ++i) {
        EXPECT_EQ(errors[i], "") << documents[i];
    }
}

} // namespace
} // namespace vanto
