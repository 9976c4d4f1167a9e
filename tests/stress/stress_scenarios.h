// The stress run's scenarios. Each drives the bundle's module as a host or a careless host would, and
// reports its checks; none lets an exception through to the caller.
#pragma once

#include "stress/stress_report.h"

#include "module.h"

#include <cstdint>
#include <memory>

namespace vanto::stress {

struct Scenario {
    std::shared_ptr<host::Module> module;
    Report& report;
    uint64_t seed;
};

// One instance at a random rate and maximum block, random block sizes with flushes, sample-accurate
// automation of every parameter with hostile values and more points than any queue holds, hostile
// input samples and transport, states saved, restored and damaged between blocks. The processing
// thread is watched for allocations, locks and system calls. Returns a hash of everything rendered,
// which two runs of one seed must share.
uint64_t renderScenario(const Scenario& scenario, int blocks);

// States saved, restored and damaged on the calling thread while another thread processes.
void concurrentStateScenario(const Scenario& scenario, int stateRounds);

// `count` instances made, set up, processed, saved and destroyed on four threads at once, more than
// the kernel pool holds.
void manyInstancesScenario(const Scenario& scenario, int count);

// A processor without its controller, a controller without its processor, messages with missing or
// wrong attributes to both, and every controller query with hostile arguments.
void lonePartsScenario(const Scenario& scenario, int rounds);

} // namespace vanto::stress
