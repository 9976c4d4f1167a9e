// A background job as its owner on the main thread sees it: started, polled, taken, cancelled.
#include "banks/background_job.h"

#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <stdexcept>
#include <string>
#include <thread>

namespace vanto {
namespace {

// Polls as the cadence tick does, until a result comes or a generous time has passed.
template <class Result> std::optional<Result> pollUntilFinished(BackgroundJob<Result>& job) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (std::chrono::steady_clock::now() < deadline) {
        if (std::optional<Result> result = job.takeFinished())
            return result;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return std::nullopt;
}

TEST(BackgroundJob, AResultIsTakenOnceAfterTheWorkEndsAndTheJobIsFreeAgain) {
    BackgroundJob<std::string> job;
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    ASSERT_TRUE(job.start(
        [released](std::stop_token) {
            released.wait();
            return std::string("done");
        },
        "threw"));
    EXPECT_TRUE(job.busy());
    EXPECT_EQ(job.takeFinished(), std::nullopt) << "the work is still waiting";
    EXPECT_FALSE(job.start([](std::stop_token) { return std::string("second"); }, "threw"))
        << "one job at a time";
    release.set_value();
    EXPECT_EQ(pollUntilFinished(job), "done");
    EXPECT_FALSE(job.busy());
    EXPECT_EQ(job.takeFinished(), std::nullopt);

    ASSERT_TRUE(job.start([](std::stop_token) { return std::string("again"); }, "threw"));
    EXPECT_EQ(pollUntilFinished(job), "again");
}

TEST(BackgroundJob, WorkThatThrowsGivesTheStandInResult) {
    BackgroundJob<std::string> job;
    ASSERT_TRUE(job.start(
        [](std::stop_token) -> std::string { throw std::runtime_error("no memory for the download"); },
        "threw"));
    EXPECT_EQ(pollUntilFinished(job), "threw");
}

TEST(BackgroundJob, CancellingOrDestroyingStopsTheWorkAndDropsItsResult) {
    // Work that only ends when asked to stop.
    auto untilStopped = [](std::stop_token stop) {
        while (!stop.stop_requested())
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        return 7;
    };
    BackgroundJob<int> job;
    ASSERT_TRUE(job.start(untilStopped, -1));
    job.cancel();
    EXPECT_FALSE(job.busy());
    EXPECT_EQ(job.takeFinished(), std::nullopt);

    auto destroyed = std::make_unique<BackgroundJob<int>>();
    ASSERT_TRUE(destroyed->start(untilStopped, -1));
    destroyed.reset(); // returns only once the work has seen the stop and ended
}

} // namespace
} // namespace vanto
