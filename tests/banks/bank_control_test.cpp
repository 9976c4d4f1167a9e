// Bank control against a recording controller: the page's bank messages, requests to the processor,
// the processor's replies, bank presets, pad overrides and hosted downloads from a local HTTPS server.
#include "banks/bank_control.h"

#include "banks/bank_fixtures.h"
#include "banks/bank_state_json.h"
#include "banks/folder_picker.h"
#include "banks/folder_picker_json.h"
#include "banks/json_tree.h"
#include "banks/local_https_server.h"
#include "banks/runtime_bank_loader.h"
#include "banks/runtime_bank_reply.h"
#include "banks/split_fields.h"
#include "encoding/sha256.h"

#include "support/child_processes.h"
#include "support/scoped_environment.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <optional>
#include <thread>

namespace vanto {
namespace {

using fixtures::LocalHttpsServer;
using fixtures::TempFolder;

struct BankRequestSeen {
    std::string source;
    std::string path;
    std::string sha256;
    std::string instrument;

    bool operator==(const BankRequestSeen&) const = default;
};

std::ostream& operator<<(std::ostream& out, const BankRequestSeen& r) {
    return out << "{" << r.source << ", " << r.path << ", " << r.sha256 << ", " << r.instrument << "}";
}

// Records every call; each document sent to the page must be strict JSON.
class RecordingHost : public BankControlHost {
  public:
    std::vector<std::string> documents;
    std::vector<std::pair<uint32_t, double>> edits;
    std::vector<BankRequestSeen> requests;
    std::vector<SamplerPadOverrides> padsSent;
    std::vector<std::pair<std::string, std::string>> presetsSelected;
    bool acceptPads = true;
    bool acceptRequests = true; // false: the request message could not be sent
    // Unset: the build's own folder picker answers.
    std::optional<bool> pickResult;
    std::string pickPath;
    std::string pickError;

    void sendBankJson(const std::string& json) override {
        JsonValue tree;
        EXPECT_TRUE(parseJsonDocument(reinterpret_cast<const uint8_t*>(json.data()),
                                      reinterpret_cast<const uint8_t*>(json.data() + json.size()), tree))
            << json;
        documents.push_back(json);
    }
    void editParam(uint32_t id, double plain) override { edits.emplace_back(id, plain); }
    double readParam(uint32_t) override { return 0.0; }
    bool requestRuntimeBank(const std::string& source, const std::string& path, const std::string& sha256,
                            const std::string& instrument) override {
        requests.push_back({source, path, sha256, instrument});
        return acceptRequests;
    }
    bool applyPadOverrides(const SamplerPadOverrides& overrides) override {
        padsSent.push_back(overrides);
        return acceptPads;
    }
    bool pickFolder(std::string& path, std::string& error) override {
        if (!pickResult)
            return pickBankFolder(path, error);
        path = pickPath;
        error = pickError;
        return *pickResult;
    }
    void notePresetSelected(const std::string& id, const std::string& name) override {
        presetsSelected.emplace_back(id, name);
    }

    const std::string& last() const { return documents.back(); }
    JsonValue lastTree() const {
        JsonValue tree;
        const std::string& json = last();
        parseJsonDocument(reinterpret_cast<const uint8_t*>(json.data()),
                          reinterpret_cast<const uint8_t*>(json.data() + json.size()), tree);
        return tree;
    }
};

BridgeMessage message(const std::string& type) {
    BridgeMessage m;
    m.type = type;
    return m;
}

BridgeMessage loadBankMessage(const std::string& source, const std::string& bankPath,
                              const std::string& instrument, const std::string& url = "",
                              const std::string& sha256 = "") {
    BridgeMessage m = message("vanto.loadBank");
    m.source = source;
    m.bankPath = bankPath;
    m.instrument = instrument;
    m.url = url;
    m.sha256 = sha256;
    return m;
}

BridgeMessage presetMessage(const std::string& id) {
    BridgeMessage m = message("vanto.loadBankPreset");
    m.id = id;
    return m;
}

const std::string kFactoryItems =
    "[{\"id\":\"bass-under-kick\",\"name\":\"Bass Under Kick\"},{\"id\":\"bounce\",\"name\":\"Bounce\"},"
    "{\"id\":\"keys-in-the-gaps\",\"name\":\"Keys In The Gaps\"},{\"id\":\"sample-room\",\"name\":\"Sample "
    "Room\"},{\"id\":\"vocal-sit\",\"name\":\"Vocal Sit\"},{\"id\":\"pad-breathe\",\"name\":\"Pad Breathe\"},"
    "{\"id\":\"tight-modern\",\"name\":\"Tight Modern\"},{\"id\":\"barely-there\",\"name\":\"Barely "
    "There\"}]";

// The document without a runtime bank: `reason`, the pads document and an optional error block.
std::string stateWithoutBank(const std::string& reason, const std::string& pads = "{}",
                             const std::string& error = "") {
    return "{\"type\":\"vanto.bankState\",\"reason\":\"" + reason + "\",\"stateVersion\":1,\"pads\":" + pads +
           ",\"banks\":[],\"presets\":{\"bankScoped\":false,\"items\":" + kFactoryItems + "}" + error + "}";
}

std::string errorBlock(const std::string& code, const std::string& requestedId) {
    return ",\"error\":{\"code\":\"" + code + "\",\"requestedId\":\"" + requestedId + "\"}";
}

// The rich fixture pack with presets for its first instrument, for any instrument and for the kit.
fixtures::SoundPack packWithPresets() {
    fixtures::SoundPack pack = fixtures::richPack();
    pack.presets = {
        {"bright", "Bright", "keys", "presets/bright.json", "{\"glue.ratio\":4,\"mix\":0.5}"},
        {"airy", "Airy", "", "presets/airy.json", "{\"mix.amount\":0.1,\"glue.drive\":3}"},
        {"to-kit", "To Kit", "kit", "presets/to-kit.json", "{\"master.level\":-1.5}"},
    };
    return pack;
}

// What the processor answers after loading `folder` for `instrument`.
std::string okReplyFor(const std::string& folder, const std::string& instrument) {
    RuntimeBankLoad load = loadRuntimeBank(folder, 0, instrument);
    EXPECT_EQ(load.outcome, RuntimeBankOutcome::ok) << load.error;
    return encodeRuntimeBankReply(runtimeBankOutcomeName(load.outcome), load.error, &load.bank);
}

std::string runtimeBlock(const std::string& source, const std::string& locator, const std::string& instrument,
                         const std::string& name, const std::string& list) {
    return ",\"runtime\":{\"source\":\"" + source + "\",\"locator\":\"" + locator +
           "\",\"instrument\":{\"id\":\"" + instrument + "\",\"name\":\"" + name + "\",\"list\":\"" + list +
           "\"},\"positionings\":[{\"id\":\"keys\",\"name\":\"Keys\",\"list\":\"instruments\"},{\"id\":"
           "\"pads\","
           "\"name\":\"Pads\",\"list\":\"instruments\"},{\"id\":\"kit\",\"name\":\"Kit\",\"list\":\"kits\"}]"
           "}";
}

const std::string kBankPresetsBlock =
    ",\"presets\":{\"bankScoped\":true,\"items\":["
    "{\"id\":\"bright\",\"name\":\"Bright\",\"instrument\":\"keys\",\"params\":{\"glue.ratio\":4,\"mix\":0.5}"
    "},"
    "{\"id\":\"airy\",\"name\":\"Airy\",\"instrument\":\"\",\"params\":{\"glue.drive\":3,"
    "\"mix.amount\":0.10000000000000001}},"
    "{\"id\":\"to-kit\",\"name\":\"To Kit\",\"instrument\":\"kit\",\"params\":{\"master.level\":-1.5}}]}";

class BankControlTest : public ::testing::Test {
  protected:
    RecordingHost host;
    BankControl control{host};
};

TEST_F(BankControlTest, StateRightAfterStartHasFactoryPresetsAndNoRuntimeBank) {
    EXPECT_TRUE(control.handleMessage(message("vanto.getBankState")));
    ASSERT_EQ(host.documents.size(), 1u);
    EXPECT_EQ(host.last(), stateWithoutBank("query"));
    control.sendBankState();
    EXPECT_EQ(host.last(), stateWithoutBank("query"));
}

TEST_F(BankControlTest, MessagesItDoesNotHandleAreLeftToTheController) {
    BridgeMessage embeddedWithoutId = loadBankMessage("embedded", "/some/folder", "");
    const BridgeMessage cases[] = {
        message("vanto.setParam"),
        message("vanto.setPadOverrides"), // no pads
        message("vanto.loadBankPreset"),  // no id
        message("vanto.loadBank"),        // neither source nor id
        embeddedWithoutId,
        message(""),
    };
    for (const BridgeMessage& m : cases)
        EXPECT_FALSE(control.handleMessage(m)) << m.type;
    EXPECT_TRUE(host.documents.empty());
    EXPECT_TRUE(host.requests.empty());
    EXPECT_TRUE(host.padsSent.empty());
}

TEST_F(BankControlTest, RequestsThatNameNoLoadableBankAnswerBankMissing) {
    BridgeMessage embedded = loadBankMessage("embedded", "", "");
    embedded.id = "factory-kit";
    const struct {
        BridgeMessage message;
        std::string requestedId;
    } cases[] = {
        {embedded, "factory-kit"},
        {loadBankMessage("user-folder", "", "keys"), "user-folder"},
        {loadBankMessage("module-relative", "", ""), "module-relative"},
        // The request travels as line-separated fields, which a line feed would shift.
        {loadBankMessage("user-folder", "/banks/a\nb", ""), "user-folder"},
        {loadBankMessage("user-folder", "/banks/a", "keys\nextra"), "user-folder"},
        {presetMessage("no-such-preset"), "no-such-preset"},
    };
    for (const auto& c : cases) {
        EXPECT_TRUE(control.handleMessage(c.message)) << c.requestedId;
        EXPECT_EQ(host.last(), stateWithoutBank("loadBank", "{}", errorBlock("bank-missing", c.requestedId)));
    }
    EXPECT_TRUE(host.requests.empty());
    EXPECT_TRUE(host.edits.empty());
    EXPECT_TRUE(host.presetsSelected.empty());
}

TEST_F(BankControlTest, AFolderBankIsRequestedFromTheProcessorAsGiven) {
    EXPECT_TRUE(control.handleMessage(loadBankMessage("user-folder", "/banks/rich", "keys", "", "abc")));
    EXPECT_TRUE(control.handleMessage(loadBankMessage("module-relative", "banks/rich", "")));
    EXPECT_EQ(host.requests, (std::vector<BankRequestSeen>{{"user-folder", "/banks/rich", "abc", "keys"},
                                                           {"module-relative", "banks/rich", "", ""}}));
    // The page hears back once the processor has answered.
    EXPECT_TRUE(host.documents.empty());
}

TEST_F(BankControlTest, AnOkReplyPublishesTheBankAndItsPresets) {
    TempFolder folder;
    packWithPresets().writeTo(folder.path());
    control.handleMessage(loadBankMessage("user-folder", folder.path(), "keys"));
    control.adoptRuntimeBankReply(okReplyFor(folder.path(), "keys"));
    EXPECT_EQ(host.last(), "{\"type\":\"vanto.bankState\",\"reason\":\"loadBank\",\"stateVersion\":1,"
                           "\"pads\":{},\"banks\":[]" +
                               runtimeBlock("user-folder", folder.path(), "keys", "Keys", "instruments") +
                               kBankPresetsBlock + "}");
    // A later query shows the same bank.
    control.handleMessage(message("vanto.getBankState"));
    EXPECT_NE(host.last().find("\"reason\":\"query\""), std::string::npos);
    EXPECT_NE(host.last().find(kBankPresetsBlock), std::string::npos);
}

TEST_F(BankControlTest, ABankPresetSetsTheParametersItNames) {
    TempFolder folder;
    packWithPresets().writeTo(folder.path());
    control.handleMessage(loadBankMessage("user-folder", folder.path(), "keys"));
    control.adoptRuntimeBankReply(okReplyFor(folder.path(), "keys"));
    const std::string loaded = host.last();

    // "mix" names no parameter and is skipped; parameters are set in the bank's order.
    const struct {
        const char* id;
        std::vector<std::pair<uint32_t, double>> edits;
        const char* name;
    } cases[] = {
        {"bright", {{26, 4.0}}, "Bright"},
        {"airy", {{27, 3.0}, {31, 0.1}}, "Airy"},
    };
    for (const auto& c : cases) {
        host.edits.clear();
        host.documents.clear();
        EXPECT_TRUE(control.handleMessage(presetMessage(c.id)));
        EXPECT_EQ(host.edits, c.edits) << c.id;
        EXPECT_EQ(host.presetsSelected.back(), (std::pair<std::string, std::string>{c.id, c.name}));
        EXPECT_EQ(control.selectedPresetId(), c.id);
        ASSERT_EQ(host.documents.size(), 1u) << c.id;
        EXPECT_EQ(host.last(), loaded);
    }
    EXPECT_EQ(host.requests.size(), 1u);
}

TEST_F(BankControlTest, APresetForAnotherInstrumentRequestsTheBankAgain) {
    TempFolder folder;
    packWithPresets().writeTo(folder.path());
    control.handleMessage(loadBankMessage("user-folder", folder.path(), "keys"));
    control.adoptRuntimeBankReply(okReplyFor(folder.path(), "keys"));
    host.documents.clear();

    EXPECT_TRUE(control.handleMessage(presetMessage("to-kit")));
    EXPECT_EQ(host.requests.back(), (BankRequestSeen{"user-folder", folder.path(), "", "kit"}));
    EXPECT_EQ(host.edits, (std::vector<std::pair<uint32_t, double>>{{32, -1.5}}));
    EXPECT_EQ(host.presetsSelected.back(), (std::pair<std::string, std::string>{"to-kit", "To Kit"}));
    // The processor's answer brings the state; nothing is sent before it.
    EXPECT_TRUE(host.documents.empty());

    control.adoptRuntimeBankReply(okReplyFor(folder.path(), "kit"));
    EXPECT_EQ(host.last(), "{\"type\":\"vanto.bankState\",\"reason\":\"loadBank\",\"stateVersion\":1,"
                           "\"pads\":{},\"banks\":[]" +
                               runtimeBlock("user-folder", folder.path(), "kit", "Kit", "kits") +
                               kBankPresetsBlock + "}");
}

TEST_F(BankControlTest, AFailedReplyNamesTheRequestAndClearsTheBank) {
    TempFolder folder;
    packWithPresets().writeTo(folder.path());
    // With an instrument in the request the page learns the instrument, else the folder.
    const struct {
        const char* instrument;
        std::string requestedId;
    } cases[] = {{"keys", "keys"}, {"", folder.path()}};
    for (const auto& c : cases) {
        control.handleMessage(loadBankMessage("user-folder", folder.path(), "keys"));
        control.adoptRuntimeBankReply(okReplyFor(folder.path(), "keys"));
        control.handleMessage(loadBankMessage("user-folder", folder.path(), c.instrument));
        control.adoptRuntimeBankReply(
            encodeRuntimeBankReply("bank-malformed", "bank.json declares no id", nullptr));
        EXPECT_EQ(host.last(),
                  stateWithoutBank("loadBank", "{}", errorBlock("bank-malformed", c.requestedId)));
        // The old bank's presets went with it.
        control.handleMessage(presetMessage("bright"));
        EXPECT_EQ(host.last(), stateWithoutBank("loadBank", "{}", errorBlock("bank-missing", "bright")));
    }
    EXPECT_EQ(control.selectedPresetId(), "");
    EXPECT_TRUE(host.edits.empty());
}

TEST_F(BankControlTest, EachReplyAnswersTheOldestRequestStillWaiting) {
    TempFolder folder;
    packWithPresets().writeTo(folder.path());
    control.handleMessage(loadBankMessage("user-folder", "/banks/first", "keys"));
    control.handleMessage(loadBankMessage("user-folder", "/banks/second", ""));
    control.handleMessage(loadBankMessage("user-folder", folder.path(), "keys"));
    ASSERT_EQ(host.requests.size(), 3u);
    EXPECT_TRUE(host.documents.empty());

    control.adoptRuntimeBankReply(
        encodeRuntimeBankReply("bank-malformed", "bank.json declares no id", nullptr));
    EXPECT_EQ(host.last(), stateWithoutBank("loadBank", "{}", errorBlock("bank-malformed", "keys")));
    control.adoptRuntimeBankReply(encodeRuntimeBankReply("bank-missing", "cannot read", nullptr));
    EXPECT_EQ(host.last(), stateWithoutBank("loadBank", "{}", errorBlock("bank-missing", "/banks/second")));
    // The bank shown is the one of the request this reply answers, not of a failed one before it.
    control.adoptRuntimeBankReply(okReplyFor(folder.path(), "keys"));
    EXPECT_NE(host.last().find(runtimeBlock("user-folder", folder.path(), "keys", "Keys", "instruments")),
              std::string::npos)
        << host.last();
}

TEST_F(BankControlTest, RequestsBeyondTheUnansweredLimitAreAnsweredBusy) {
    for (int i = 0; i < 4; ++i)
        control.handleMessage(loadBankMessage("user-folder", "/banks/" + std::to_string(i), ""));
    ASSERT_EQ(host.requests.size(), 4u);
    EXPECT_TRUE(host.documents.empty());
    const BridgeMessage cases[] = {
        loadBankMessage("user-folder", "/banks/late", ""),
        loadBankMessage("hosted", "", "", "https://127.0.0.1:1/kit.zip", std::string(64, 'a'))};
    for (const BridgeMessage& m : cases) {
        EXPECT_TRUE(control.handleMessage(m));
        EXPECT_EQ(host.last(), stateWithoutBank("loadBank", "{}",
                                                errorBlock("bank-busy", m.url.empty() ? m.bankPath : m.url)));
    }
    EXPECT_EQ(host.requests.size(), 4u);

    // One answer makes room for one more request.
    control.adoptRuntimeBankReply(encodeRuntimeBankReply("bank-too-large", "refused", nullptr));
    control.handleMessage(loadBankMessage("user-folder", "/banks/late", ""));
    EXPECT_EQ(host.requests.back(), (BankRequestSeen{"user-folder", "/banks/late", "", ""}));

    // A request that could not be sent awaits no answer.
    RecordingHost unconnected;
    unconnected.acceptRequests = false;
    BankControl alone(unconnected);
    for (int i = 0; i < 6; ++i)
        alone.handleMessage(loadBankMessage("user-folder", "/banks/" + std::to_string(i), ""));
    EXPECT_EQ(unconnected.requests.size(), 6u);
    EXPECT_TRUE(unconnected.documents.empty());
}

TEST_F(BankControlTest, AReplyWithoutAnOutcomeIsIgnored) {
    control.adoptRuntimeBankReply("");
    control.adoptRuntimeBankReply("\nmessage");
    EXPECT_TRUE(host.documents.empty());
}

TEST_F(BankControlTest, ReplyTextsAreQuotedAndUnusableValuesDropped) {
    control.handleMessage(loadBankMessage("user-folder", "/b", ""));
    control.adoptRuntimeBankReply(
        "ok\n\nk\"1\tName \\ \xC3\xA9\tinstruments\nk\"1\tName \\ \xC3\xA9\tinstruments\n"
        "\x01p\tP\t\tglue.ratio=nan\x1Fglue.drive=2\x1F"
        "broken\x1Fglue.threshold=-3x\x1Fmaster.level=inf\x1Fsync.bpm=1e308");
    JsonValue tree = host.lastTree();
    const JsonValue* runtime = tree.find("runtime");
    ASSERT_NE(runtime, nullptr);
    EXPECT_EQ(runtime->find("instrument")->str("id"), "k\"1");
    EXPECT_EQ(runtime->find("instrument")->str("name"), "Name \\ \xC3\xA9");
    EXPECT_EQ(runtime->find("positionings")->array.at(0).str("name"), "Name \\ \xC3\xA9");
    const JsonValue& params = *tree.find("presets")->find("items")->array.at(0).find("params");
    ASSERT_EQ(params.object.size(), 2u) << host.last();
    EXPECT_EQ(params.find("glue.drive")->number, 2.0);
    EXPECT_EQ(params.find("sync.bpm")->number, 1e308);

    control.handleMessage(presetMessage("p"));
    EXPECT_EQ(host.edits, (std::vector<std::pair<uint32_t, double>>{{27, 2.0}, {0, 1e308}}));
}

TEST_F(BankControlTest, PadOverridesReachThePageOnlyOnceTheProcessorHasThem) {
    SamplerPadOverride kick;
    kick.padId = "kick";
    kick.gain = 0.5;
    kick.muted = 1.0;
    kick.mask = kPadGain | kPadMuted;
    BridgeMessage set = message("vanto.setPadOverrides");
    set.pads = {kick};
    set.hasPads = true;

    EXPECT_TRUE(control.handleMessage(set));
    EXPECT_EQ(host.padsSent.back(), set.pads);
    EXPECT_EQ(control.padOverrides(), set.pads);
    EXPECT_EQ(host.last(), stateWithoutBank("setPadOverrides", "{\"kick\":{\"gain\":0.5,\"muted\":1}}"));

    // A refused hand-over changes nothing and tells the page nothing.
    host.acceptPads = false;
    host.documents.clear();
    BridgeMessage clear = message("vanto.setPadOverrides");
    clear.hasPads = true;
    EXPECT_TRUE(control.handleMessage(clear));
    EXPECT_EQ(host.padsSent.size(), 2u);
    EXPECT_TRUE(host.padsSent.back().empty());
    EXPECT_EQ(control.padOverrides(), set.pads);
    EXPECT_TRUE(host.documents.empty());

    // A restored state replaces them without another hand-over.
    SamplerPadOverride snare;
    snare.padId = "snare";
    snare.transpose = -3.0;
    snare.mask = kPadTranspose;
    control.adoptRestoredPadOverrides({snare});
    control.sendBankState("restore");
    EXPECT_EQ(host.padsSent.size(), 2u);
    EXPECT_EQ(host.last(), stateWithoutBank("restore", "{\"snare\":{\"transpose\":-3}}"));
}

TEST_F(BankControlTest, PickingAFolderTellsThePageThisBuildHasNoPicker) {
    EXPECT_TRUE(control.handleMessage(message("vanto.pickFolder")));
    EXPECT_EQ(host.last(),
              "{\"type\":\"vanto.folderPicked\",\"ok\":false,\"error\":\"this build has no folder "
              "picker\"}");
}

TEST_F(BankControlTest, FolderPickedDocumentForEveryAnswer) {
    const struct {
        bool ok;
        std::string path;
        std::string error;
        std::string json;
    } cases[] = {
        {true, "/Users/me/My \"Banks\"", "",
         "{\"type\":\"vanto.folderPicked\",\"ok\":true,\"path\":\"/Users/me/My "
         "\\\"Banks\\\"\"}"},
        {false, "", "", "{\"type\":\"vanto.folderPicked\",\"ok\":false,\"cancelled\":true}"},
        {false, "", "no access", "{\"type\":\"vanto.folderPicked\",\"ok\":false,\"error\":\"no access\"}"},
    };
    for (const auto& c : cases) {
        host.pickResult = c.ok;
        host.pickPath = c.path;
        host.pickError = c.error;
        control.handlePickFolder();
        EXPECT_EQ(host.last(), c.json);
    }
}

TEST(BankStateJson, ANonFiniteValueIsWrittenAsNull) {
    SamplerPadOverrides pads;
    BankRequest request{"user-folder", "/b", "", ""};
    LoadedBankFacts bank;
    bank.presets = {{"p", "P", "", {{"glue.ratio", std::nan("")}}}};
    std::string json;
    writeBankStateJson(json, BankStateView{pads, true, request, bank}, nullptr, "bank-missing", nullptr);
    EXPECT_EQ(
        json,
        "{\"type\":\"vanto.bankState\",\"reason\":\"query\",\"stateVersion\":1,\"pads\":{},"
        "\"banks\":[],\"runtime\":{\"source\":\"user-folder\",\"locator\":\"/b\",\"positionings\":[]},"
        "\"presets\":{\"bankScoped\":true,\"items\":[{\"id\":\"p\",\"name\":\"P\",\"instrument\":\"\","
        "\"params\":{\"glue.ratio\":null}}]},\"error\":{\"code\":\"bank-missing\",\"requestedId\":\"\"}}");
}

TEST(SplitFields, SplitsAtTabsUpToTheLimit) {
    const struct {
        std::string text;
        size_t maxFields;
        std::vector<std::string> fields;
    } cases[] = {
        {"a\tb\tc", 3, {"a", "b", "c"}}, {"a\tb\tc\td", 3, {"a", "b", "c\td"}},
        {"a\tb", 3, {"a", "b"}},         {"", 3, {""}},
        {"\t\t", 3, {"", "", ""}},       {"a\tb", 1, {"a\tb"}},
        {"a\tb", 0, {"a\tb"}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(splitFields(c.text, c.maxFields), c.fields) << c.text << " " << c.maxFields;
}

// Ticks as the controller's cadence does until a download's outcome has gone to the processor or the
// page (or a generous time has passed).
void tickUntilFetched(BankControl& control, const RecordingHost& host) {
    const size_t before = host.requests.size() + host.documents.size();
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (host.requests.size() + host.documents.size() == before &&
           std::chrono::steady_clock::now() < deadline) {
        control.collectFinishedFetch();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

class HostedBankControl : public BankControlTest {
  protected:
    TempFolder dataHome;
    vanto::test::ScopedEnvironment xdg{"XDG_DATA_HOME", dataHome.path().c_str()};
    LocalHttpsServer server;
    std::vector<uint8_t> archive;
    std::string pin;

    void SetUp() override {
        TempFolder pack;
        packWithPresets().writeTo(pack.path());
        archive = fixtures::makeZip(fixtures::zipEntriesOfFolder(pack.path(), "rich/"));
        pin = sha256Hex(archive.data(), archive.size());
        server.serve("/rich.zip", archive);
        control.setHostedBankFetchOptions(
            {server.caFile(), kHostedBankMaxDownloadBytes, DOVREL_BANK_FETCH_HELPER});
    }

    std::string cached() const { return dataHome.at("Vanto/banks/" + pin); }

    void tickUntilFetched() { vanto::tickUntilFetched(control, host); }

    // The names in the cache root: the banks, and any scratch file or staging folder at work.
    std::vector<std::string> cacheEntries() const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(dataHome.at("Vanto/banks")))
            names.push_back(entry.path().filename().string());
        return names;
    }
};

TEST_F(HostedBankControl, FetchFailuresNameTheUrlAndRequestNothing) {
    const struct {
        std::string url;
        std::string pin;
    } cases[] = {
        {"http://127.0.0.1:1/rich.zip", std::string(64, 'a')},
        {server.url("/rich.zip"), pin.substr(1)},        // 63 characters
        {server.url("/rich.zip"), std::string(64, 'a')}, // not the archive's digest
        {server.url("/missing.zip"), std::string(64, 'b')},
    };
    for (const auto& c : cases) {
        EXPECT_TRUE(control.handleMessage(loadBankMessage("hosted", "", "keys", c.url, c.pin)));
        tickUntilFetched();
        EXPECT_EQ(host.last(), stateWithoutBank("loadBank", "{}", errorBlock("bank-fetch-failed", c.url)));
    }
    EXPECT_TRUE(host.requests.empty());
    // The short pin was refused before any download: only the last two cases reached the server.
    EXPECT_EQ(server.requestCount(), 2);
}

TEST_F(HostedBankControl, ADownloadedBankIsRequestedFromTheCacheAndShownByItsUrl) {
    const std::string url = server.url("/rich.zip");
    EXPECT_TRUE(control.handleMessage(loadBankMessage("hosted", "ignored", "keys", url, pin)));
    tickUntilFetched();
    EXPECT_EQ(host.requests, (std::vector<BankRequestSeen>{{"hosted", cached(), pin, "keys"}}));
    EXPECT_TRUE(host.documents.empty());

    control.adoptRuntimeBankReply(okReplyFor(host.requests.back().path, "keys"));
    EXPECT_EQ(host.last(), "{\"type\":\"vanto.bankState\",\"reason\":\"loadBank\",\"stateVersion\":1,"
                           "\"pads\":{},\"banks\":[]" +
                               runtimeBlock("hosted", url, "keys", "Keys", "instruments") +
                               kBankPresetsBlock + "}");

    // Another instrument of the same bank comes from the cache, without the server.
    control.handleMessage(presetMessage("to-kit"));
    tickUntilFetched();
    EXPECT_EQ(host.requests.back(), (BankRequestSeen{"hosted", cached(), pin, "kit"}));
    EXPECT_EQ(server.requestCount(), 1);
}

TEST_F(HostedBankControl, ACachedDigestNeedsNoNetwork) {
    control.handleMessage(loadBankMessage("hosted", "", "", server.url("/rich.zip"), pin));
    tickUntilFetched();
    ASSERT_EQ(host.requests.size(), 1u);

    // A second controller, nothing listening at the address, no certificate trusted.
    RecordingHost otherHost;
    BankControl other(otherHost);
    EXPECT_TRUE(
        other.handleMessage(loadBankMessage("hosted", "", "pads", "https://127.0.0.1:1/rich.zip", pin)));
    vanto::tickUntilFetched(other, otherHost);
    EXPECT_EQ(otherHost.requests, (std::vector<BankRequestSeen>{{"hosted", cached(), pin, "pads"}}));
    EXPECT_TRUE(otherHost.documents.empty());
    EXPECT_EQ(server.requestCount(), 1);
}

TEST_F(HostedBankControl, ADownloadRunsInTheBackgroundAndRequestsMeanwhileAreAnsweredBusy) {
    server.serveHeld("/held.zip", archive);
    const std::string url = server.url("/held.zip");
    // Returns with the server still holding the transfer back.
    EXPECT_TRUE(control.handleMessage(loadBankMessage("hosted", "", "keys", url, pin)));
    control.collectFinishedFetch();
    EXPECT_TRUE(host.requests.empty());
    EXPECT_TRUE(host.documents.empty());

    const struct {
        BridgeMessage message;
        std::string requestedId;
    } cases[] = {
        {loadBankMessage("hosted", "", "", server.url("/rich.zip"), pin), server.url("/rich.zip")},
        {loadBankMessage("user-folder", "/banks/kit", "drums"), "/banks/kit"},
    };
    for (const auto& c : cases) {
        EXPECT_TRUE(control.handleMessage(c.message));
        EXPECT_EQ(host.last(), stateWithoutBank("loadBank", "{}", errorBlock("bank-busy", c.requestedId)));
    }
    EXPECT_TRUE(host.requests.empty());

    server.release();
    tickUntilFetched();
    EXPECT_EQ(host.requests, (std::vector<BankRequestSeen>{{"hosted", cached(), pin, "keys"}}));
    EXPECT_EQ(host.documents.size(), 2u) << "the processor's reply brings the next document";
    // Free for the next request once the download's result is in.
    control.handleMessage(loadBankMessage("user-folder", "/banks/kit", "drums"));
    EXPECT_EQ(host.requests.back(), (BankRequestSeen{"user-folder", "/banks/kit", "", "drums"}));
}

TEST_F(HostedBankControl, AStoppedDownloadLeavesNoHelperAndNoScratchFile) {
    server.serveHeld("/held.zip", archive);
    for (const bool destroyed : {false, true}) {
        RecordingHost quiet;
        auto downloading = std::make_unique<BankControl>(quiet);
        downloading->setHostedBankFetchOptions(
            {server.caFile(), kHostedBankMaxDownloadBytes, DOVREL_BANK_FETCH_HELPER});
        downloading->handleMessage(loadBankMessage("hosted", "", "keys", server.url("/held.zip"), pin));
        ASSERT_TRUE(test::waitForChildProcess("dovrel-bank-fetch", 30)) << destroyed;
        const std::vector<std::string> atWork = cacheEntries();
        ASSERT_EQ(atWork.size(), 1u) << destroyed;
        EXPECT_EQ(atWork[0].rfind(".download-", 0), 0u) << atWork[0];

        if (destroyed) {
            downloading.reset();
        } else {
            downloading->cancelFetch();
            downloading->collectFinishedFetch();
        }
        EXPECT_TRUE(test::childProcessNames().empty()) << destroyed;
        EXPECT_TRUE(cacheEntries().empty()) << destroyed;
        EXPECT_TRUE(quiet.documents.empty()) << destroyed;
        EXPECT_TRUE(quiet.requests.empty()) << destroyed;
    }
}

} // namespace
} // namespace vanto
