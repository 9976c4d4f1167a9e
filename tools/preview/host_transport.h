// The transport the preview plays as the host: playing at 120 BPM in 4/4; or, given a step length, a
// round of changes one step after another (tempo 100, then 3/4, then stopped, then from the start),
// so that the page's transport view and the tempo and meter events can be watched.
#pragma once

#include "pluginterfaces/vst/ivstprocesscontext.h"

#include <cstdint>

namespace vanto::preview {

class HostTransport {
  public:
    // `stepSeconds` 0: the steady transport.
    HostTransport(double sampleRate, double stepSeconds) : sampleRate(sampleRate), stepSeconds(stepSeconds) {}

    // The process context of the block starting at `projectTime` (frames since the start).
    void fill(Steinberg::Vst::ProcessContext& context, std::int64_t projectTime) const;

  private:
    double sampleRate;
    double stepSeconds;
};

} // namespace vanto::preview
