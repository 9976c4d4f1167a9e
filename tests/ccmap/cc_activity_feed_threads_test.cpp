#include "ccmap/cc_activity_feed.h"

#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <thread>

namespace vanto {
namespace {

constexpr int kControllers = 8;
constexpr int kRecordsPerController = 20000;

int valueOf(int i) {
    return i % 128;
}

TEST(CcActivityFeedThreads, LatestValueOfEveryControllerArrivesIntact) {
    CcActivityFeed feed;
    std::atomic<bool> recorderDone{false};

    std::thread recorder([&] {
        for (int i = 0; i < kRecordsPerController; ++i) {
            for (int cc = 0; cc < kControllers; ++cc) {
                feed.record(cc, cc + 1, valueOf(i + cc));
            }
        }
        recorderDone = true;
    });

    std::array<int, kControllers> lastReported;
    lastReported.fill(-1);
    bool torn = false;
    int64_t now = 0;
    const auto drainOnce = [&] {
        CcActivityRecord out[4];
        const unsigned count = feed.drain(now, out, 4);
        for (unsigned i = 0; i < count; ++i) {
            torn = torn || out[i].cc >= kControllers || out[i].channel != out[i].cc + 1;
            if (out[i].cc < kControllers) {
                lastReported[out[i].cc] = out[i].value;
            }
        }
        now += CcActivityFeed::kReportIntervalMs;
    };
    while (!recorderDone) {
        drainOnce();
    }
    recorder.join();
    while (feed.pending()) {
        drainOnce();
    }

    EXPECT_FALSE(torn);
    for (int cc = 0; cc < kControllers; ++cc) {
        EXPECT_EQ(lastReported[cc], valueOf(kRecordsPerController - 1 + cc)) << "cc " << cc;
    }
}

} // namespace
} // namespace vanto
