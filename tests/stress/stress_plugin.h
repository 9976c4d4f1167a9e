// What every stress scenario does with the plug-in: make an instance as a host does, check audio,
// check that saved states restore to the same bytes, and make hostile variants of a state.
#pragma once

#include "stress/stress_random.h"
#include "stress/stress_report.h"

#include "module.h"
#include "plugin_instance.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace vanto::stress {

// A scenario's way to report: its name and seed go with every check.
struct Checks {
    Report& report;
    const char* scenario;
    uint64_t seed;

    bool operator()(bool passed, const std::string& what) const {
        return report.check(passed, scenario, seed, what);
    }
};

// The processor class of the bundle with its controller, made, initialised and connected; null, with
// a failed check saying why, when that fails.
std::unique_ptr<host::PluginInstance> makeInstance(const std::shared_ptr<host::Module>& module,
                                                   const Checks& check);

// True when every sample is a finite number and none is subnormal.
bool cleanAudio(const float* samples, int frames);

// FNV-1a over the bytes, continuing from `hash`.
uint64_t hashBytes(uint64_t hash, const void* bytes, std::size_t size);
inline constexpr uint64_t kHashStart = 14695981039346656037ull;

// A state document with a few of the faults a damaged project file has: cut short, bytes changed,
// junk inserted, numbers replaced by words and huge values, members duplicated.
std::vector<char> damagedState(Random& random, const std::vector<char>& state);

// Both states restore to the bytes they were saved as; a damaged component state is either refused
// or, once accepted, round-trips as well.
void checkStatesRoundTrip(host::PluginInstance& instance, Random& random, const Checks& check);

} // namespace vanto::stress
