// A hosted fetch stopped from another thread while its helper unpacks the archive, as closing the
// plug-in stops it: the fetch fails, and neither the helper nor the archive's scratch file nor the
// half-filled staging folder is left behind.
#include "banks/hosted_bank_fetch.h"

#include "banks/temp_folder.h"
#include "encoding/sha256.h"
#include "support/child_processes.h"
#include "support/scoped_environment.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <thread>

namespace fs = std::filesystem;

namespace vanto {
namespace {

std::vector<std::string> namesIn(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    return names;
}

TEST(HostedBankFetchStop, AStopWhileUnpackingLeavesNothingBehind) {
    fixtures::TempFolder scratch;
    fixtures::TempFolder dataHome;
    test::ScopedEnvironment xdg{"XDG_DATA_HOME", dataHome.path().c_str()};
    // A stand-in for the fetch helper: the "download" hands over the archive beside it at once, the
    // "unzip" writes part of the bank and then hangs.
    const std::string archive = "the archive's bytes";
    fixtures::writeFile(scratch.at("archive"), archive);
    const std::string helper = scratch.at("fetch-helper");
    fixtures::writeFile(helper, R"(#!/bin/sh
case "$1" in
download) exec cp "$(dirname "$0")/archive" "$3" ;;
unzip) mkdir "$3/pack" && : > "$3/pack/bank.json" && exec sleep 30 ;;
esac
exit 64
)");
    fs::permissions(helper, fs::perms::owner_all);
    HostedBankFetchOptions options;
    options.helperProgram = helper;
    const std::string pin = sha256Hex(reinterpret_cast<const uint8_t*>(archive.data()), archive.size());

    bool fetched = true;
    std::string path;
    std::string error;
    std::jthread fetch([&](std::stop_token stop) {
        fetched = fetchHostedBank("https://127.0.0.1:1/kit.zip", pin, path, error, options, stop);
    });
    ASSERT_TRUE(test::waitForChildProcess("sleep", 30));
    const std::string cacheRoot = dataHome.at("Vanto/banks");
    // At work: the archive's scratch file beside the staging folder the helper is filling.
    EXPECT_EQ(namesIn(cacheRoot).size(), 2u);

    fetch.request_stop();
    fetch.join();
    EXPECT_FALSE(fetched);
    EXPECT_EQ(path, "");
    EXPECT_EQ(error, "cannot unpack the downloaded archive");
    EXPECT_TRUE(test::childProcessNames().empty());
    EXPECT_TRUE(namesIn(cacheRoot).empty());
}

} // namespace
} // namespace vanto
