// Shared fixtures of the diagnostics tests: a page that keeps what it is sent, and a clock the test
// moves by hand.
#pragma once

#include "diagnostics/diagnostic_page.h"

#include <cstdint>
#include <string>
#include <vector>

namespace vanto::test {

class RecordingPage final : public DiagnosticPage {
  public:
    bool connected = true;
    std::vector<std::string> messages;

    bool pageConnected() const override { return connected; }
    void sendToPage(const std::string& message) override { messages.push_back(message); }

    // Messages whose text begins with `prefix`.
    std::vector<std::string> startingWith(const std::string& prefix) const {
        std::vector<std::string> found;
        for (const std::string& message : messages) {
            if (message.rfind(prefix, 0) == 0) {
                found.push_back(message);
            }
        }
        return found;
    }
};

// A monotonic clock under the test's control; shared by every test in one executable, so each
// fixture resets it.
struct ManualClock {
    static inline uint64_t nowNs = 0;
    static inline bool working = true;

    static void reset(uint64_t ns = 1'000'000'000) {
        nowNs = ns;
        working = true;
    }
    static void advanceMs(double ms) { nowNs += static_cast<uint64_t>(ms * 1e6); }
    static bool read(uint64_t& ns) {
        ns = nowNs;
        return working;
    }
};

} // namespace vanto::test
