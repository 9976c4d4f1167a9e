// What a stress run found: every check counts, every failure is kept with the scenario and seed that
// reproduce it. Checks may come from several threads.
#pragma once

#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

namespace vanto::stress {

class Report {
  public:
    // Counts the check; a failed one is kept with `what` and the scenario's name and seed.
    bool check(bool passed, const std::string& scenario, uint64_t seed, const std::string& what);

    long passed() const;
    long failed() const;
    // The kept failures, one line each (the first few hundred).
    std::vector<std::string> failures() const;

  private:
    mutable std::mutex mutex;
    long passedChecks = 0;
    long failedChecks = 0;
    std::vector<std::string> failureLines;
};

} // namespace vanto::stress
