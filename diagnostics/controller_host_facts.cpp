#include "diagnostics/controller_host_facts.h"

#include "diagnostics/diagnostic_text.h"
#include "diagnostics/host_change_kind.h"
#include "diagnostics/host_facts_json.h"
#include "diagnostics/lifecycle_publication.h"

#include <cstring>

namespace vanto {

namespace {

// The detail fields each kind of host change carries.
void addChangeDetail(DiagnosticLifecycleEvent& event, const HostFacts& previous, const HostFacts& next) {
    switch (event.kind) {
    case kLifecycleLatencyChanged:
        event.addNumber("latencySamples", next.latencySamples);
        event.addNumber("previous", previous.latencySamples);
        event.addBool("reported", true);
        break;
    case kLifecycleSampleRateChanged:
        event.addNumber("sampleRate", next.sampleRate);
        event.addNumber("previous", previous.sampleRate);
        break;
    case kLifecycleBlockSizeChanged:
        event.addNumber("maxBlockFrames", next.maxBlockFrames);
        event.addNumber("previous", previous.maxBlockFrames);
        break;
    case kLifecycleBusLayoutChanged:
        event.addNumber("buses", next.busCount);
        event.addString("layout", next.busCount > 0 ? next.buses[0].layout : "");
        break;
    case kLifecycleProcessModeChanged:
        event.addNumber("processMode", next.processMode);
        break;
    case kLifecycleBypassChanged:
        event.addBool("bypassed", next.bypassed != 0);
        break;
    default:
        break;
    }
}

} // namespace

ValidatorHost validatorHostForName(const char* hostName) {
    if (hostName == nullptr) {
        return kValidatorNone;
    }
    const struct {
        const char* word;
        ValidatorHost validator;
    } rules[] = {
        {"pluginval", kValidatorPluginval},
        {"Pluginval", kValidatorPluginval},
        {"auval", kValidatorAuval},
        {"clap-validator", kValidatorClapValidator},
        {"clap_validator", kValidatorClapValidator},
        {"Validator", kValidatorSteinberg},
        {"validator", kValidatorSteinberg},
        {"Vanto", kValidatorVantoProbe},
        {"vanto", kValidatorVantoProbe},
    };
    for (const auto& rule : rules) {
        if (std::strstr(hostName, rule.word) != nullptr) {
            return rule.validator;
        }
    }
    return kValidatorNone;
}

void ControllerHostFacts::setHostName(const char* hostName) {
    copyDiagnosticText(facts_.hostName, sizeof facts_.hostName, hostName);
    facts_.validatorHost = validatorHostForName(facts_.hostName);
}

void ControllerHostFacts::adopt(const HostFacts& received, DiagnosticLifecycleLog& log,
                                const DiagnosticSubscription& subscription, DiagnosticPage& page,
                                bool helloSent) {
    HostFacts next = received;
    std::memcpy(next.hostName, facts_.hostName, sizeof next.hostName);
    std::memcpy(next.hostVersion, facts_.hostVersion, sizeof next.hostVersion);
    std::memcpy(next.hostPath, facts_.hostPath, sizeof next.hostPath);
    next.validatorHost = facts_.validatorHost;

    const HostFacts previous = facts_;
    facts_ = next;

    DiagnosticLifecycleKind kind{};
    if (diagnosticHostChange(previous, facts_, kind)) {
        addChangeDetail(log.record(kind, -1), previous, facts_);
        publishLastLifecycle(log, subscription, page);
    }

    if (helloSent && page.pageConnected()) {
        std::string message;
        if (writeDiagnosticHostChangedJson(message, previous, facts_, changeCounter_ + 1, 0.0)) {
            ++changeCounter_;
            page.sendToPage(message);
        }
    }
}

} // namespace vanto
