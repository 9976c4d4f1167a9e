// The controller's copy of the host configuration: its own view of the host's identity, plus the
// configuration the processor reports after each activation and set-up. Adopting a new report
// records what kind of change it brought in the lifecycle log and, once the page has been greeted,
// announces the change to it.
#pragma once

#include "diagnostics/diagnostic_feeds.h"
#include "diagnostics/diagnostic_page.h"
#include "diagnostics/host_facts.h"
#include "diagnostics/lifecycle_log.h"

#include <cstdint>

namespace vanto {

// The validator a host name reveals, by the first case-sensitive substring that matches:
// "pluginval"/"Pluginval", "auval", "clap-validator"/"clap_validator", "Validator"/"validator",
// "Vanto"/"vanto"; kValidatorNone otherwise and for null.
ValidatorHost validatorHostForName(const char* hostName);

class ControllerHostFacts {
  public:
    const HostFacts& facts() const { return facts_; }

    // The latency the processor last reported.
    int32_t reportedLatency() const { return facts_.latencySamples; }

    // Stores the host application's name (cut to 127 bytes) and the validator kind it reveals.
    void setHostName(const char* hostName);

    // Adopts a record the processor sent (see readHostFactsBytes for received bytes):
    //  1. its identity texts and validator kind are replaced with the controller's own;
    //  2. when it brings a change of a lifecycle kind, that event is recorded (atFrame -1) with its
    //     detail fields and published to the page;
    //  3. when `helloSent` and a page is connected, the page gets a "vanto.hostChanged" message
    //     numbered by a counter that advances only for messages actually sent.
    void adopt(const HostFacts& received, DiagnosticLifecycleLog& log,
               const DiagnosticSubscription& subscription, DiagnosticPage& page, bool helloSent);

  private:
    HostFacts facts_;
    uint32_t changeCounter_ = 0;
};

} // namespace vanto
