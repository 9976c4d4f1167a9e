// Stopping a helper program from another thread, as closing the plug-in stops a download: the run
// returns, and no process is left running or unreaped, whether or not the program ends when asked.
#include "banks/helper_process.h"

#include "banks/temp_folder.h"
#include "support/child_processes.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <thread>

namespace vanto {
namespace {

using test::childProcessNames;
using test::waitForChildProcess;

TEST(HelperProcessStop, AStoppedHelperIsEndedAndReapedWhetherOrNotItHeedsTheRequest) {
    const struct {
        const char* what;
        std::string script; // run by /bin/sh, which execs a 30-second sleep
    } cases[] = {
        {"a helper that ends when asked", "exec sleep 30"},
        {"a helper that ignores the request", "trap '' TERM; exec sleep 30"},
    };
    for (const auto& c : cases) {
        HelperProcessResult result;
        std::jthread runner([&](std::stop_token stop) {
            result = runHelperProcess("/bin/sh", {"-c", c.script}, stop);
        });
        ASSERT_TRUE(waitForChildProcess("sleep", 30)) << c.what;
        runner.request_stop();
        runner.join();
        EXPECT_TRUE(result.started) << c.what;
        EXPECT_EQ(result.exitCode, -1) << c.what << ": it must have been ended by a signal";
        EXPECT_TRUE(childProcessNames().empty()) << c.what;
    }
}

TEST(HelperProcessStop, AStopRequestedBeforeTheRunStartsNothing) {
    fixtures::TempFolder folder;
    const std::string marker = folder.at("started");
    std::stop_source source;
    source.request_stop();
    HelperProcessResult result =
        runHelperProcess("/bin/sh", {"-c", ": > \"$0\"", marker}, source.get_token());
    EXPECT_FALSE(result.started);
    EXPECT_FALSE(std::filesystem::exists(marker));
    // Without a stop the same run does start, so the check above cannot pass for another reason.
    result = runHelperProcess("/bin/sh", {"-c", ": > \"$0\"", marker});
    EXPECT_TRUE(result.started);
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_TRUE(std::filesystem::exists(marker));
}

} // namespace
} // namespace vanto
