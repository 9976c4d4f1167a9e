#include "diagnostics/hello_blocks_json.h"
#include "diagnostics/identity_json.h"
#include "diagnostics/preset_state_json.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace vanto {
namespace {

constexpr const char* kIdentityHead = "{\"moduleId\":\"music.vanto.dovrel\",\"name\":\"Dovrel\",\"vendor\":"
                                      "\"Vanto Music\",\"version\":\"0.0.0\","
                                      "\"hostClass\":\"effect\",\"target\":";
constexpr const char* kIdentityTail =
    ",\"ratePolicy\":{\"mode\":\"fixed\",\"sampleRate\":48000},\"state\":{\"version\":1,\"maxBytes\":65536},"
    "\"ports\":[{\"id\":\"in\",\"kind\":\"audio\",\"direction\":\"input\",\"busRole\":\"main\",\"channels\":"
    "2},"
    "{\"id\":\"out\",\"kind\":\"audio\",\"direction\":\"output\",\"busRole\":\"main\",\"channels\":2},"
    "{\"id\":\"midi-in\",\"kind\":\"midi\",\"direction\":\"input\",\"busRole\":\"main\"}]}";
constexpr const char* kBuild =
    ",\"sdkVersion\":\"0.0.0\",\"build\":{\"mode\":\"production\",\"configuration\":\"Release\"}";

TEST(IdentityDocument, NamesThePluginTargetAndUiBuild) {
    const struct {
        uint32_t target;
        DiagnosticUiBuild ui;
        std::string middle; // target name, build and ui block
    } cases[] = {
        {kTargetVst3, {}, std::string("\"vst3\"") + kBuild},
        {kTargetClap, {"", "", ""}, std::string("\"clap\"") + kBuild},
        {kTargetAu,
         {nullptr, "abc123", nullptr},
         std::string("\"au\"") + kBuild + ",\"ui\":{\"sourceRevision\":\"abc123\"}"},
        {kTargetStandalone,
         {"2024-01-01", "r1", "ff00"},
         std::string("\"standalone\"") + kBuild +
             ",\"ui\":{\"buildTime\":\"2024-01-01\",\"sourceRevision\":\"r1\",\"sha256\":\"ff00\"}"},
        {kTargetOffline, {}, std::string("\"offline\"") + kBuild},
        {17, {}, std::string("\"offline\"") + kBuild},
    };
    for (const auto& c : cases) {
        std::string out;
        writeDiagnosticIdentityJson(out, static_cast<DiagnosticTarget>(c.target), c.ui);
        EXPECT_EQ(out, std::string(kIdentityHead) + c.middle + kIdentityTail) << c.target;
    }
}

TEST(BankDocument, WritesTheIdThenPresentTextsThenKnownCounts) {
    BankFacts bank;
    std::strcpy(bank.id, "808-kit");
    std::string bare;
    writeDiagnosticBankJson(bare, bank);
    EXPECT_EQ(bare, "{\"id\":\"808-kit\"}");

    std::strcpy(bank.name, "808 Kit");
    std::strcpy(bank.sha256, "abcd");
    std::strcpy(bank.entryId, "e1");
    bank.index = 0;
    bank.padCount = 16;
    bank.chokeGroups = 0;
    std::string full;
    writeDiagnosticBankJson(full, bank);
    EXPECT_EQ(full,
              "{\"id\":\"808-kit\",\"name\":\"808 Kit\",\"sha256\":\"abcd\",\"entryId\":\"e1\",\"index\":0,"
              "\"chokeGroups\":0,\"padCount\":16}");
}

TEST(CompiledBanks, ThisBuildHasNoneAndDescribingResetsTheRecord) {
    EXPECT_EQ(compiledBankCount(), 0u);
    BankFacts facts;
    facts.valid = true;
    facts.index = 3;
    std::strcpy(facts.id, "stale");
    EXPECT_FALSE(describeCompiledBank(0, facts));
    EXPECT_FALSE(facts.valid);
    EXPECT_EQ(facts.index, -1);
    EXPECT_STREQ(facts.id, "");
    EXPECT_EQ(facts.padCount, -1);
}

TEST(PresetStateDocument, WritesOptionalMembersOnlyWhenPresent) {
    PresetStateFacts facts;
    facts.factoryCount = 8;
    std::string fresh;
    writeDiagnosticPresetStateJson(fresh, facts);
    EXPECT_EQ(fresh, "{\"factoryCount\":8,\"dirty\":false,\"userPresetsSupported\":false}");

    std::strcpy(facts.currentId, "vocal-sit");
    std::strcpy(facts.currentName, "Vocal Sit");
    facts.dirty = true;
    facts.lastStateBytes = 0;
    facts.bank.valid = true; // valid but without an id: no bank block
    std::string edited;
    writeDiagnosticPresetStateJson(edited, facts);
    EXPECT_EQ(edited,
              "{\"factoryCount\":8,\"currentId\":\"vocal-sit\",\"currentName\":\"Vocal Sit\",\"dirty\":true,"
              "\"userPresetsSupported\":false,\"lastStateBytes\":0}");

    std::strcpy(facts.bank.id, "kit");
    std::string withBank;
    writeDiagnosticPresetStateJson(withBank, facts);
    EXPECT_EQ(withBank, edited.substr(0, edited.size() - 1) + ",\"bank\":{\"id\":\"kit\"}}");
}

TEST(HelloBlocks, CarryTheHostOnlyOnceItsRateIsKnown) {
    PresetStateFacts presets;
    presets.factoryCount = 8;
    HostFacts host;
    std::string before;
    appendDiagnosticHelloBlocks(before, kTargetVst3, host, presets);
    EXPECT_EQ(before.rfind(",\"identity\":{\"moduleId\":", 0), 0u);
    EXPECT_EQ(before.find(",\"host\":"), std::string::npos);
    EXPECT_NE(before.find("]},\"diagnostics\":{\"feeds\":[],\"commands\":[],\"maxFeedHz\":0},\"presetState\":"
                          "{\"factoryCount\":8,"),
              std::string::npos)
        << before;

    host.sampleRate = 44100;
    std::string after;
    appendDiagnosticHelloBlocks(after, kTargetVst3, host, presets);
    EXPECT_NE(after.find("]},\"host\":{\"sampleRate\":44100,"), std::string::npos) << after;
    EXPECT_LT(after.find(",\"host\":"), after.find(",\"diagnostics\":"));
}

} // namespace
} // namespace vanto
