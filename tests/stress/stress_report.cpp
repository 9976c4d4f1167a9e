#include "stress/stress_report.h"

namespace vanto::stress {

namespace {

constexpr std::size_t kKeptFailures = 200;

} // namespace

bool Report::check(bool passed, const std::string& scenario, uint64_t seed, const std::string& what) {
    std::lock_guard<std::mutex> hold(mutex);
    if (passed) {
        ++passedChecks;
        return true;
    }
    ++failedChecks;
    if (failureLines.size() < kKeptFailures) {
        failureLines.push_back(scenario + " (seed " + std::to_string(seed) + "): " + what);
    }
    return false;
}

long Report::passed() const {
    std::lock_guard<std::mutex> hold(mutex);
    return passedChecks;
}

long Report::failed() const {
    std::lock_guard<std::mutex> hold(mutex);
    return failedChecks;
}

std::vector<std::string> Report::failures() const {
    std::lock_guard<std::mutex> hold(mutex);
    return failureLines;
}

} // namespace vanto::stress
