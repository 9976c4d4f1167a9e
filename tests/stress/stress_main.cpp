// dovrel-host-stress: drives the built bundle as hosts do and as careless hosts do, and reports every
// check that failed with the scenario and seed that reproduce it.
//
//   dovrel_host_stress [--bundle PATH] [--seed N] [--long [--minutes M]]
//
// The short run (the default, part of the tests) takes each scenario once or twice; --long repeats
// them with fresh seeds until the minutes (default 10) are over.
#include "stress/stress_report.h"
#include "stress/stress_scenarios.h"

#include "module.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

using vanto::stress::Report;
using vanto::stress::Scenario;

struct Options {
    std::string bundle = DOVREL_BUNDLE_PATH;
    uint64_t seed = 1;
    bool longRun = false;
    double minutes = 10.0;
};

bool parseOptions(int argc, char** argv, Options& options) {
    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        const bool hasValue = i + 1 < argc;
        if (option == "--bundle" && hasValue) {
            options.bundle = argv[++i];
        } else if (option == "--seed" && hasValue) {
            options.seed = std::strtoull(argv[++i], nullptr, 10);
        } else if (option == "--long") {
            options.longRun = true;
        } else if (option == "--minutes" && hasValue) {
            options.minutes = std::strtod(argv[++i], nullptr);
        } else {
            return false;
        }
    }
    return true;
}

// Runs one scenario; an exception that reaches here came through the plug-in's interface.
template <typename Run> void guarded(Report& report, const char* name, uint64_t seed, Run&& run) {
    try {
        run();
    } catch (const std::exception& exception) {
        report.check(false, name, seed,
                     std::string("an exception came out of the plug-in: ") + exception.what());
    } catch (...) {
        report.check(false, name, seed, "an exception came out of the plug-in");
    }
}

// One round of every scenario from `seed`; the render scenario runs twice per seed, since two runs of
// one seed must render the same audio.
void runRound(const std::shared_ptr<vanto::host::Module>& module, Report& report, uint64_t seed,
              bool longRun) {
    for (uint64_t render = 0; render < 4; ++render) {
        const Scenario scenario{module, report, seed * 16 + render};
        guarded(report, "render", scenario.seed, [&] {
            const int blocks = longRun ? 200 : 48;
            const uint64_t first = renderScenario(scenario, blocks);
            const uint64_t second = renderScenario(scenario, blocks);
            report.check(first == second && first != 0, "render", scenario.seed,
                         "two runs of one seed render the same audio");
        });
    }
    const Scenario concurrent{module, report, seed * 16 + 4};
    guarded(report, "concurrent state", concurrent.seed,
            [&] { concurrentStateScenario(concurrent, longRun ? 400 : 60); });
    const Scenario instances{module, report, seed * 16 + 5};
    guarded(report, "many instances", instances.seed, [&] { manyInstancesScenario(instances, 300); });
    const Scenario parts{module, report, seed * 16 + 6};
    guarded(report, "lone parts", parts.seed, [&] { lonePartsScenario(parts, longRun ? 8 : 2); });
}

} // namespace

int main(int argc, char** argv) {
    Options options;
    if (!parseOptions(argc, argv, options)) {
        std::fprintf(stderr, "usage: %s [--bundle PATH] [--seed N] [--long [--minutes M]]\n", argv[0]);
        return 2;
    }
    std::string error;
    const auto module = vanto::host::Module::load(options.bundle, error);
    if (!module) {
        std::fprintf(stderr, "host stress: cannot load %s: %s\n", options.bundle.c_str(), error.c_str());
        return 1;
    }
    Report report;
    const auto start = std::chrono::steady_clock::now();
    const auto elapsedMinutes = [&] {
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() / 60.0;
    };
    uint64_t seed = options.seed;
    int rounds = 0;
    do {
        runRound(module, report, seed++, options.longRun);
        ++rounds;
        std::fprintf(stderr, "host stress: round %d done after %.1f min, %ld checks failed\n", rounds,
                     elapsedMinutes(), report.failed());
    } while (options.longRun && elapsedMinutes() < options.minutes);

    for (const std::string& failure : report.failures()) {
        std::printf("FAILED %s\n", failure.c_str());
    }
    std::printf("host stress: %d rounds from seed %llu\n", rounds,
                static_cast<unsigned long long>(options.seed));
    std::printf("%ld passed, %ld failed\n", report.passed(), report.failed());
    return report.failed() == 0 ? 0 : 1;
}
