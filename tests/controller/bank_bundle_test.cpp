// Bank requests from the page through the built bundle, as a host and its editor drive them: the
// request returns at once, the download and the pack's reading happen away from the host's thread,
// and their results reach the page on the cadence ticks of the host's run loop. Closing the plug-in
// in the middle of a download leaves no helper program and no scratch file behind.
#include "banks/bank_fixtures.h"
#include "banks/json_tree.h"
#include "banks/silent_listener.h"
#include "bundle_fixture.h"
#include "support/child_processes.h"
#include "support/scoped_environment.h"

#include "module.h"
#include "plugin_instance.h"

#include "pluginterfaces/vst/ivsteditcontroller.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

namespace {

using vanto::JsonValue;
using vanto::test::parsedJson;

const std::string kCachedPin(64, 'c');
const std::string kUncachedPin(64, 'd');

class BankBundle : public ::testing::Test {
  protected:
    static std::shared_ptr<vanto::host::Module> bundle() { return vanto::test::loadedBundle(); }

    static void keepMessage(void* context, const char* bytes, std::size_t length) {
        static_cast<BankBundle*>(context)->page.emplace_back(bytes, length);
    }

    void SetUp() override {
        ASSERT_NE(bundle(), nullptr);
        ASSERT_TRUE(bridge.complete());
        instance = vanto::test::processorInstance();
        ASSERT_NE(instance, nullptr);
        ASSERT_EQ(bridge.installSink(instance->controller(), &BankBundle::keepMessage, this), 1);
    }

    void TearDown() override {
        if (instance != nullptr) {
            bridge.installSink(instance->controller(), nullptr, nullptr);
        }
    }

    void send(const std::string& message) {
        ASSERT_EQ(bridge.deliver(instance->controller(), message.data(), message.size()), 1);
    }

    std::vector<JsonValue> bankStates() const {
        std::vector<JsonValue> found;
        for (const std::string& message : page) {
            JsonValue parsed = parsedJson(message);
            if (parsed.str("type") == "vanto.bankState") {
                found.push_back(parsed);
            }
        }
        return found;
    }

    // Ticks the cadence as the host's run loop does until the page has `count` bank states (or a
    // generous time has passed).
    void tickUntilBankStates(std::size_t count) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while (bankStates().size() < count && std::chrono::steady_clock::now() < deadline) {
            ASSERT_EQ(bridge.tick(instance->controller()), 1);
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }

    // Whether a runtime health report on the page mentions `text` (false for an empty text).
    bool runtimeReportMentions(const std::string& text) const {
        for (const std::string& message : page) {
            if (!text.empty() && parsedJson(message).str("type") == "vanto.runtimeDiagnostics" &&
                message.find(text) != std::string::npos) {
                return true;
            }
        }
        return false;
    }

    std::vector<std::string> cacheEntries() const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(dataHome.at("Vanto/banks"))) {
            names.push_back(entry.path().filename().string());
        }
        return names;
    }

    static std::string hostedRequest(const std::string& url, const std::string& pin,
                                     const std::string& instrument) {
        return R"({"type":"vanto.loadBank","source":"hosted","url":")" + url + R"(","sha256":")" + pin +
               R"(","instrument":")" + instrument + R"("})";
    }

    vanto::fixtures::TempFolder dataHome;
    vanto::test::ScopedEnvironment xdg{"XDG_DATA_HOME", dataHome.path().c_str()};
    const vanto::test::BridgeExports& bridge = vanto::test::BridgeExports::found();
    std::unique_ptr<vanto::host::PluginInstance> instance;
    std::vector<std::string> page;
};

TEST_F(BankBundle, AStalledDownloadHoldsUpNothingAndEndsWithThePlugIn) {
    vanto::fixtures::SilentListener silent;
    send(hostedRequest(silent.url("/kit.zip"), kUncachedPin, "drums"));
    // The page's request returned while the helper is still waiting for the server.
    ASSERT_TRUE(vanto::test::waitForChildProcess("dovrel-bank-fetch", 30));
    for (int i = 0; i < 3; ++i) {
        ASSERT_EQ(bridge.tick(instance->controller()), 1);
    }
    EXPECT_TRUE(bankStates().empty()) << "nothing is known of the download yet";
    const std::vector<std::string> atWork = cacheEntries();
    ASSERT_EQ(atWork.size(), 1u);
    EXPECT_EQ(atWork[0].rfind(".download-", 0), 0u) << atWork[0];

    // A second request meanwhile is answered at once, naming what it asked for.
    send(R"({"type":"vanto.loadBank","source":"user-folder","bankPath":"/banks/kit"})");
    const std::vector<JsonValue> busy = bankStates();
    ASSERT_EQ(busy.size(), 1u);
    EXPECT_EQ(busy[0].find("error")->str("code"), "bank-busy");
    EXPECT_EQ(busy[0].find("error")->str("requestedId"), "/banks/kit");

    // Closing the plug-in stops the helper, reaps it and removes its scratch file before it returns.
    bridge.installSink(instance->controller(), nullptr, nullptr);
    instance.reset();
    EXPECT_TRUE(vanto::test::childProcessNames().empty());
    EXPECT_TRUE(cacheEntries().empty());
}

TEST_F(BankBundle, HostedRequestsAreAnsweredOnTheCadenceTicks) {
    // A pack already in the cache under the pin goes on to the processor, which refuses it as this
    // effect's engine refuses every bank; an address where nothing listens fails the download.
    vanto::fixtures::minimalPack().writeTo(dataHome.at("Vanto/banks/" + kCachedPin));
    const struct {
        const char* what;
        std::string pin;
        std::string instrument;
        std::string code;
        std::string requestedId;
        std::string processorReason; // empty: the request never reached the processor
    } cases[] = {
        {"a cached bank", kCachedPin, "drums", "bank-too-large", "drums",
         "the engine refused the staged bank (arena capacity)"},
        {"a refused connection", kUncachedPin, "", "bank-fetch-failed", "https://127.0.0.1:1/kit.zip", ""},
    };
    for (const auto& c : cases) {
        page.clear();
        send(hostedRequest("https://127.0.0.1:1/kit.zip", c.pin, c.instrument));
        EXPECT_TRUE(bankStates().empty()) << c.what << ": answered before any tick";
        tickUntilBankStates(1);
        const std::vector<JsonValue> states = bankStates();
        ASSERT_EQ(states.size(), 1u) << c.what;
        ASSERT_NE(states[0].find("error"), nullptr) << c.what;
        EXPECT_EQ(states[0].find("error")->str("code"), c.code) << c.what;
        EXPECT_EQ(states[0].find("error")->str("requestedId"), c.requestedId) << c.what;
        // The processor's reason reaches the page in its runtime health report, ahead of the state.
        EXPECT_EQ(runtimeReportMentions(c.processorReason), !c.processorReason.empty()) << c.what;
    }
}

} // namespace
