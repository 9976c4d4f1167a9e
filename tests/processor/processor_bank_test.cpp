// Runtime sample banks through the built bundle: banks named by a restored state and banks asked for by
// the controller, with the diagnostics each outcome leaves. This effect's engine keeps no bank, so even
// a pack that loads cleanly ends in a refusal.
#include "processor/processor_harness.h"

#include "banks/bank_fixtures.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace Steinberg;
using vanto::fixtures::SoundPack;
using vanto::fixtures::TempFolder;
using vanto::test::ProcessorHarness;

struct Record {
    std::string code;
    std::string phase;
    std::string message;
    std::string detail;
};

// The text of a string member inside `text` from `from` on, unescaped; empty when absent.
std::string stringMember(const std::string& text, const std::string& key, std::size_t from, std::size_t to) {
    const std::string marker = "\"" + key + "\":\"";
    const std::size_t start = text.find(marker, from);
    if (start == std::string::npos || start >= to) {
        return std::string();
    }
    std::string value;
    for (std::size_t i = start + marker.size(); i < text.size() && text[i] != '"'; ++i) {
        value += text[i] == '\\' ? text[++i] : text[i];
    }
    return value;
}

// The records listed in a health report, in ring order.
std::vector<Record> recordsOf(const std::string& report) {
    const std::string format = "{\"format\":\"vanto-plugin-runtime-diagnostic/v1\"";
    const std::size_t end = std::min(report.find(",\"firstError\":"), report.size());
    std::vector<Record> records;
    for (std::size_t at = report.find(format); at < end; at = report.find(format, at + 1)) {
        const std::size_t next = std::min(report.find(format, at + 1), end);
        records.push_back({stringMember(report, "code", at, next), stringMember(report, "phase", at, next),
                           stringMember(report, "message", at, next),
                           stringMember(report, "detail", at, next)});
    }
    return records;
}

// Asks the processor for a report: a refused set-up always sends one.
std::vector<Record> currentRecords(ProcessorHarness& harness) {
    harness.recorder().clear();
    EXPECT_EQ(harness.setupProcessing(48000, 0), kResultFalse);
    const auto reports = harness.recorder().withId("vanto.runtimeDiagnostics");
    EXPECT_EQ(reports.size(), 1u);
    std::vector<Record> records =
        reports.empty() ? std::vector<Record>() : recordsOf(*reports.back().payload);
    // The refused set-up's own record comes last; only the bank records matter here.
    if (!records.empty() && records.back().code == "runtime.invalid-configuration") {
        records.pop_back();
    }
    return records;
}

// Drains the processor's feeds as the controller's cadence does, until `count` bank replies have come
// in all (or a generous time has passed).
void drainUntilReplies(ProcessorHarness& harness, std::size_t count) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (harness.recorder().withId("vanto.runtimeBankResult").size() < count &&
           std::chrono::steady_clock::now() < deadline) {
        EXPECT_EQ(harness.notify("vanto.diag.feedDrain", std::nullopt), kResultOk);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

// Sends a bank request and returns the processor's reply, once it has come; empty when none came.
std::string answerToBankRequest(ProcessorHarness& harness, const std::string& payload) {
    EXPECT_EQ(harness.notify("vanto.loadRuntimeBank", payload), kResultOk);
    drainUntilReplies(harness, 1);
    const auto replies = harness.recorder().withId("vanto.runtimeBankResult");
    EXPECT_EQ(replies.size(), 1u);
    return replies.empty() ? std::string() : replies.back().payload.value_or("");
}

std::string stateNaming(const std::string& bankMembers) {
    return "{\"params\":{\"glue.ratio\":3.5},\"bank\":{\"version\":1," + bankMembers + "}}";
}

class ProcessorBanks : public ::testing::Test {
  protected:
    void SetUp() override {
        pack = vanto::fixtures::minimalPack();
        pack.writeTo(folder.at("pack"));
    }

    std::string packPath() const { return folder.at("pack"); }

    TempFolder folder;
    SoundPack pack;
};

TEST_F(ProcessorBanks, AStateNamingAPackThatLoadsKeepsItsParametersAndRecordsTheRefusalAndTheRecall) {
    ProcessorHarness harness;
    ASSERT_EQ(
        harness.restoreState(stateNaming("\"id\":\"fixture-pack\",\"source\":\"user-folder\",\"locator\":\"" +
                                         packPath() + "\",\"instrument\":\"drums\"")),
        kResultOk);
    // The failed load is reported at once.
    const auto reports = harness.recorder().withId("vanto.runtimeDiagnostics");
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_NE(reports[0].payload->find("\"lifecycle\":\"configured\""), std::string::npos);
    const std::string saved = harness.saveState();
    EXPECT_NE(saved.find("\"glue.ratio\":3.5,"), std::string::npos);
    EXPECT_EQ(saved.find("\"bank\""), std::string::npos) << "no bank is loaded, so none is saved";

    const std::vector<Record> records = currentRecords(harness);
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].code, "bank.missing");
    EXPECT_EQ(records[0].phase, "load");
    EXPECT_EQ(
        records[0].message,
        "runtime bank load refused (bank-too-large): the engine refused the staged bank (arena capacity)");
    EXPECT_EQ(records[0].detail, "{\"reason\":\"bank-too-large\",\"source\":\"user-folder\"}");
    EXPECT_EQ(records[1].code, "bank.missing");
    EXPECT_EQ(records[1].phase, "state");
    EXPECT_EQ(records[1].detail, "{\"bank\":\"fixture-pack\",\"banks\":0}");
}

TEST_F(ProcessorBanks, EachLoadFailureIsRecordedWithItsOutcome) {
    struct Case {
        const char* what;
        std::function<void(SoundPack&)> damage;
        std::string instrument;
        const char* code;
        const char* reason;
    };
    const Case cases[] = {
        {"a missing folder", [](SoundPack&) {}, "", "bank.missing", "bank-missing"},
        {"a manifest that is no JSON", [](SoundPack& p) { p.manifestText = "{"; }, "", "bank.missing",
         "bank-malformed"},
        // The digest belongs to an asset, which is never read: the pack is refused like one that loads.
        {"an asset whose digest differs",
         [](SoundPack& p) { p.asset("kick").declaredSha256 = std::string(64, '0'); }, "", "bank.missing",
         "bank-too-large"},
        {"an unknown instrument", [](SoundPack&) {}, "strings", "bank.missing", "bank-instrument-unknown"},
    };
    for (const Case& c : cases) {
        SoundPack damaged = vanto::fixtures::minimalPack();
        c.damage(damaged);
        const std::string path = folder.at(std::string("damaged-") + c.reason);
        if (std::string(c.what) != "a missing folder") {
            damaged.writeTo(path);
        }
        ProcessorHarness harness;
        ASSERT_EQ(harness.restoreState(stateNaming("\"id\":\"fixture-pack\",\"source\":\"module-relative\","
                                                   "\"locator\":\"" +
                                                   path + "\",\"instrument\":\"" + c.instrument + "\"")),
                  kResultOk)
            << c.what;
        EXPECT_NE(harness.saveState().find("\"glue.ratio\":3.5,"), std::string::npos) << c.what;
        const std::vector<Record> records = currentRecords(harness);
        ASSERT_EQ(records.size(), 2u) << c.what;
        EXPECT_EQ(records[0].code, c.code) << c.what;
        EXPECT_EQ(records[0].detail,
                  std::string("{\"reason\":\"") + c.reason + "\",\"source\":\"module-relative\"}")
            << c.what;
        EXPECT_EQ(records[0].message.rfind(std::string("runtime bank load refused (") + c.reason + "): ", 0),
                  0u)
            << c.what << ": " << records[0].message;
        EXPECT_EQ(records[1].code, "bank.missing") << c.what;
        EXPECT_EQ(records[1].phase, "state") << c.what;
    }
}

// A hand-made project may name a pack of any size. Only its manifest is read, so a restore or a request
// is answered at once and leaves the diagnostics its manifest calls for, however large the assets are.
TEST_F(ProcessorBanks, APackIsJudgedByItsManifestAloneWhateverItsAssetsHold) {
    const std::string refusal = "the engine refused the staged bank (arena capacity)";
    const std::string oversized = "bank.json is larger than the 1048576 bytes a pack document may hold";
    const struct {
        const char* what;
        std::string file; // made far larger than memory could hold
        std::string message;
    } cases[] = {
        {"an enormous asset", pack.asset("kick").path, refusal},
        {"an enormous manifest", "bank.json", oversized},
    };
    for (const auto& c : cases) {
        const std::string path = folder.at(std::string("huge-") + c.what);
        pack.writeTo(path);
        vanto::fixtures::writeSparseFile(path + "/" + c.file, uint64_t{1} << 42);

        ProcessorHarness restored;
        ASSERT_EQ(restored.restoreState(stateNaming("\"id\":\"fixture-pack\",\"source\":\"user-folder\","
                                                    "\"locator\":\"" +
                                                    path + "\"")),
                  kResultOk)
            << c.what;
        const std::vector<Record> records = currentRecords(restored);
        ASSERT_EQ(records.size(), 2u) << c.what;
        EXPECT_EQ(records[0].message, "runtime bank load refused (bank-too-large): " + c.message) << c.what;
        EXPECT_EQ(records[0].detail, "{\"reason\":\"bank-too-large\",\"source\":\"user-folder\"}") << c.what;
        EXPECT_EQ(records[1].detail, "{\"bank\":\"fixture-pack\",\"banks\":0}") << c.what;

        ProcessorHarness requested;
        EXPECT_EQ(answerToBankRequest(requested, "user-folder\n" + path + "\n\n"),
                  "bank-too-large\n" + c.message)
            << c.what;
    }
}

// The hosted-bank cache lies below the user's data folder, here a folder of the test's own.
class HostedProcessorBanks : public ProcessorBanks {
  protected:
    void SetUp() override {
        ProcessorBanks::SetUp();
        const char* previous = std::getenv("XDG_DATA_HOME");
        savedDataHome = previous != nullptr ? std::optional<std::string>(previous) : std::nullopt;
        setenv("XDG_DATA_HOME", folder.at("data").c_str(), 1);
    }
    void TearDown() override {
        if (savedDataHome) {
            setenv("XDG_DATA_HOME", savedDataHome->c_str(), 1);
        } else {
            unsetenv("XDG_DATA_HOME");
        }
    }

    std::string cacheFolder(const std::string& pin) const { return folder.at("data/Vanto/banks/" + pin); }

    std::optional<std::string> savedDataHome;
};

TEST_F(HostedProcessorBanks, AHostedBankIsLoadedFromTheCacheFolderOfItsPin) {
    const std::string pin(64, 'a');
    pack.writeTo(cacheFolder(pin));
    ProcessorHarness harness;
    ASSERT_EQ(harness.restoreState(stateNaming("\"id\":\"fixture-pack\",\"source\":\"hosted\",\"sha256\":\"" +
                                               pin + "\",\"locator\":\"https://banks.invalid/kit.zip\"")),
              kResultOk);
    const std::vector<Record> records = currentRecords(harness);
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(
        records[0].message,
        "runtime bank load refused (bank-too-large): the engine refused the staged bank (arena capacity)");
    EXPECT_EQ(records[0].detail, "{\"reason\":\"bank-too-large\",\"source\":\"hosted\"}");
    EXPECT_EQ(records[1].detail, "{\"bank\":\"fixture-pack\",\"banks\":0}");
}

TEST_F(HostedProcessorBanks, ADigestThatIsNoPinNeverLeadsOutOfTheCache) {
    // From the cache root, three levels up is the test folder, where a loadable pack lies.
    for (const std::string& digest : {std::string("../../../pack"), std::string(63, 'a'), std::string()}) {
        pack.writeTo(cacheFolder(std::string(63, 'a')));
        ProcessorHarness harness;
        ASSERT_EQ(
            harness.restoreState(stateNaming("\"id\":\"fixture-pack\",\"source\":\"hosted\",\"sha256\":\"" +
                                             digest + "\",\"locator\":\"https://banks.invalid/kit.zip\"")),
            kResultOk)
            << digest;
        const std::vector<Record> records = currentRecords(harness);
        ASSERT_EQ(records.size(), 2u) << digest;
        EXPECT_EQ(records[0].message, "runtime bank load refused (bank-missing): cannot read "
                                      "https://banks.invalid/kit.zip/bank.json")
            << digest;
    }
}

TEST_F(ProcessorBanks, AStateNamingAnEmbeddedOrUnlocatedBankOnlyRecordsTheRecall) {
    for (const std::string& members :
         {std::string("\"id\":\"studio-kit\",\"source\":\"embedded\",\"locator\":\"") + packPath() + "\"",
          std::string("\"id\":\"studio-kit\",\"source\":\"hosted\"")}) {
        ProcessorHarness harness;
        ASSERT_EQ(harness.restoreState(stateNaming(members)), kResultOk);
        EXPECT_TRUE(harness.recorder().messages.empty()) << "nothing was loaded, so nothing is reported yet";
        const std::vector<Record> records = currentRecords(harness);
        ASSERT_EQ(records.size(), 1u) << members;
        EXPECT_EQ(records[0].code, "bank.missing");
        EXPECT_EQ(records[0].phase, "state");
        EXPECT_EQ(
            records[0].message,
            "state recall named a bank this build does not contain; parameters kept, output silent, no bank "
            "substituted");
        EXPECT_EQ(records[0].detail, "{\"bank\":\"studio-kit\",\"banks\":0}");
    }
}

TEST_F(ProcessorBanks, AStateWithoutAUsableBankIdRecordsNothing) {
    for (const std::string& members :
         {"\"id\":\"" + std::string(128, 'k') + "\",\"locator\":\"" + packPath() + "\"",
          std::string("\"id\":\"\",\"source\":\"embedded\""), std::string("\"id\":5")}) {
        ProcessorHarness harness;
        ASSERT_EQ(harness.restoreState(stateNaming(members)), kResultOk);
        EXPECT_TRUE(currentRecords(harness).empty()) << members;
    }
}

TEST_F(ProcessorBanks, EachBankRequestGetsExactlyOneReply) {
    struct Case {
        const char* what;
        std::string payload;
        std::string reply;
        std::string source;
    };
    const Case cases[] = {
        {"a pack that loads", "user-folder\n" + packPath() + "\n\ndrums",
         "bank-too-large\nthe engine refused the staged bank (arena capacity)", "user-folder"},
        {"an empty source", "\n" + packPath(),
         "bank-too-large\nthe engine refused the staged bank (arena capacity)", "user-folder"},
        {"a missing folder", "hosted\n" + folder.at("nothing") + "\nabc\n",
         "bank-missing\ncannot read " + folder.at("nothing") + "/bank.json", "hosted"},
        {"an unknown instrument", "user-folder\n" + packPath() + "\n\nstrings\nignored",
         "bank-instrument-unknown\nbank fixture-pack has no instrument or kit \"strings\" (known: drums)",
         "user-folder"},
        {"a request without line feeds", "module-relative", "bank-missing\nno bank folder was named",
         "module-relative"},
    };
    for (const Case& c : cases) {
        ProcessorHarness harness;
        ASSERT_EQ(harness.notify("vanto.loadRuntimeBank", c.payload), kResultOk) << c.what;
        // The pack is read away from the host's thread; the answer goes out when the feeds are drained.
        EXPECT_TRUE(harness.recorder().messages.empty()) << c.what;
        drainUntilReplies(harness, 1);
        const auto& messages = harness.recorder().messages;
        ASSERT_EQ(messages.size(), 2u) << c.what;
        EXPECT_EQ(messages[0].id, "vanto.runtimeDiagnostics") << c.what;
        EXPECT_EQ(messages[1].id, "vanto.runtimeBankResult") << c.what;
        EXPECT_EQ(messages[1].payload, c.reply) << c.what;
        const std::vector<Record> records = recordsOf(*messages[0].payload);
        ASSERT_EQ(records.size(), 1u) << c.what;
        EXPECT_NE(records[0].detail.find("\"source\":\"" + c.source + "\""), std::string::npos)
            << c.what << ": " << records[0].detail;
    }
    // A request whose payload cannot be read is ignored without a reply.
    ProcessorHarness harness;
    ASSERT_EQ(harness.notify("vanto.loadRuntimeBank", std::nullopt), kResultOk);
    ASSERT_EQ(harness.notify("vanto.diag.feedDrain", std::nullopt), kResultOk);
    EXPECT_TRUE(harness.recorder().messages.empty());
}

TEST_F(ProcessorBanks, RequestsAreAnsweredInTheOrderTheyCame) {
    const std::string missing = folder.at("nothing");
    const std::vector<std::pair<std::string, std::string>> requests = {
        {"user-folder\n" + missing + "\n\n", "bank-missing\ncannot read " + missing + "/bank.json"},
        {"user-folder\n" + packPath() + "\n\nstrings",
         "bank-instrument-unknown\nbank fixture-pack has no instrument or kit \"strings\" (known: drums)"},
        {"user-folder\n" + packPath() + "\n\n",
         "bank-too-large\nthe engine refused the staged bank (arena capacity)"},
    };
    ProcessorHarness harness;
    for (const auto& request : requests) {
        ASSERT_EQ(harness.notify("vanto.loadRuntimeBank", request.first), kResultOk);
    }
    drainUntilReplies(harness, requests.size());
    const auto replies = harness.recorder().withId("vanto.runtimeBankResult");
    ASSERT_EQ(replies.size(), requests.size());
    for (std::size_t i = 0; i < requests.size(); ++i) {
        EXPECT_EQ(replies[i].payload, requests[i].second) << i;
    }
}

TEST_F(ProcessorBanks, RequestsBeyondTheWaitingLimitAreAnsweredBusyAtOnce) {
    ProcessorHarness harness;
    const std::string request = "user-folder\n" + packPath() + "\n\n";
    // Nothing drains the feeds, so every request stays waiting.
    for (int i = 0; i < 8; ++i) {
        ASSERT_EQ(harness.notify("vanto.loadRuntimeBank", request), kResultOk);
    }
    EXPECT_TRUE(harness.recorder().messages.empty());
    ASSERT_EQ(harness.notify("vanto.loadRuntimeBank", request), kResultOk);
    const auto busy = harness.recorder().withId("vanto.runtimeBankResult");
    ASSERT_EQ(busy.size(), 1u);
    EXPECT_EQ(busy[0].payload, "bank-busy\ntoo many bank requests are waiting");
    // The eight waiting ones are still answered, each once.
    drainUntilReplies(harness, 9);
    EXPECT_EQ(harness.recorder().withId("vanto.runtimeBankResult").size(), 9u);

    // A processor closed with requests waiting waits for the pack being read and answers nothing.
    ProcessorHarness closing;
    for (int i = 0; i < 3; ++i) {
        ASSERT_EQ(closing.notify("vanto.loadRuntimeBank", request), kResultOk);
    }
}

} // namespace
