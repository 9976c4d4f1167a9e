// Hostile packs: whatever the files hold, the loader answers with an outcome and a message and never
// reads outside its buffers (run under the address sanitizer preset).
#include "banks/bank_fixtures.h"
#include "banks/json_tree.h"
#include "banks/runtime_bank_loader.h"
#include "banks/wav_decoder.h"

#include <gtest/gtest.h>

#include <random>

namespace vanto {
namespace {

using fixtures::minimalPack;
using fixtures::SoundPack;
using fixtures::TempFolder;

RuntimeBankLoad loadPack(const SoundPack& pack, const std::string& instrument = "") {
    TempFolder folder;
    pack.writeTo(folder.path());
    return loadRuntimeBank(folder.path(), 0, instrument);
}

TEST(HostileBankInput, NestingBeyond32LevelsIsRefused) {
    SoundPack pack = minimalPack();
    std::string manifest = pack.manifestJson();
    manifest.insert(manifest.size() - 1, ",\"deep\":" + std::string(40, '[') + std::string(40, ']'));
    pack.manifestText = manifest;
    RuntimeBankLoad load = loadPack(pack);
    EXPECT_EQ(load.outcome, RuntimeBankOutcome::bankMalformed);
    EXPECT_EQ(load.error, "bank.json is not a JSON object");

    SoundPack deepZones = minimalPack();
    deepZones.instruments[0].documentText =
        "{\"format\":\"vanto-sampler-instrument/v1\",\"zones\":[{\"x\":" + std::string(5000, '[') +
        std::string(5000, ']') + "}]}";
    load = loadPack(deepZones);
    EXPECT_EQ(load.outcome, RuntimeBankOutcome::bankMalformed);
    EXPECT_EQ(load.error, "instrument document is not a JSON object");
}

TEST(HostileBankInput, VeryLongIdsAreCarriedOrReportedWhole) {
    const std::string longId(200000, 'k');
    SoundPack pack = minimalPack();
    pack.assets[0].id = longId;
    pack.instruments[0].zones[0].assetId = longId;
    pack.instruments[0].id = longId + "-instrument";
    RuntimeBankLoad load = loadPack(pack, longId);
    EXPECT_EQ(load.outcome, RuntimeBankOutcome::bankInstrumentUnknown);
    EXPECT_EQ(load.error, "bank fixture-pack has no instrument or kit \"" + longId + "\" (known: " + longId +
                              "-instrument)");
    load = loadPack(pack, longId + "-instrument");
    ASSERT_EQ(load.outcome, RuntimeBankOutcome::ok) << load.error.substr(0, 200);
    EXPECT_EQ(load.bank.instrumentId, longId + "-instrument");
}

TEST(HostileBankInput, ControlBytesQuotedFromThePackKeepTheMessageOnOneLine) {
    SoundPack pack = minimalPack();
    std::string manifest = pack.manifestJson();
    const std::string format = "\"vanto-sound-pack/v1\"";
    manifest.replace(manifest.find(format), format.size(), "\"v\\n1\\u0000\\t\x7f\"");
    pack.manifestText = manifest;
    RuntimeBankLoad load = loadPack(pack);
    EXPECT_EQ(load.outcome, RuntimeBankOutcome::bankMalformed);
    EXPECT_EQ(load.error, "bank.json format is \"v?1???\", expected vanto-sound-pack/v1");

    pack = minimalPack();
    pack.instruments[0].zones[0].assetId = "kick\r\nsnare";
    load = loadPack(pack);
    EXPECT_EQ(load.outcome, RuntimeBankOutcome::bankMalformed);
    EXPECT_EQ(load.error.find_first_of("\r\n"), std::string::npos) << load.error;
    EXPECT_NE(load.error.find("\"kick??snare\""), std::string::npos) << load.error;
}

TEST(HostileBankInput, BytesThatAreNotUtf8) {
    // Inside strings they are kept as bytes; outside strings they are a syntax error. The manifest is
    // edited as text, since the fixture's JSON writer would replace such bytes.
    SoundPack pack = minimalPack();
    std::string named = pack.manifestJson();
    const std::string fixtureName = "\"Fixture Pack\"";
    named.replace(named.find(fixtureName), fixtureName.size(), "\"Pack \xFF\xFE\xC0\x80\"");
    pack.manifestText = named;
    RuntimeBankLoad load = loadPack(pack);
    ASSERT_EQ(load.outcome, RuntimeBankOutcome::ok) << load.error;
    EXPECT_EQ(load.bank.name, "Pack \xFF\xFE\xC0\x80");

    std::string manifest = minimalPack().manifestJson();
    manifest.insert(1, "\xFF\xFE");
    pack.manifestText = manifest;
    load = loadPack(pack);
    EXPECT_EQ(load.outcome, RuntimeBankOutcome::bankMalformed);
    EXPECT_EQ(load.error, "bank.json is not a JSON object");
}

TEST(HostileBankInput, OversizedAndTruncatedAssetsAreRefused) {
    SoundPack oversized = minimalPack();
    std::vector<uint8_t>& bytes = oversized.assets[0].bytes;
    bytes[40] = bytes[41] = bytes[42] = bytes[43] = 0xFF; // the data chunk's size
    RuntimeBankLoad load = loadPack(oversized);
    EXPECT_EQ(load.outcome, RuntimeBankOutcome::bankUnsupportedCodec);
    EXPECT_EQ(load.error,
              "asset \"kick\": chunk \"data\" declares 4294967295 bytes but only 128 remain in the file");

    SoundPack truncated = minimalPack();
    truncated.assets[0].bytes.resize(30);
    load = loadPack(truncated);
    EXPECT_EQ(load.outcome, RuntimeBankOutcome::bankUnsupportedCodec);
    EXPECT_EQ(load.error, "asset \"kick\": not a RIFF/WAVE file");
}

TEST(HostileBankInput, DeclaredSizesThatNoFileHasAreReportedAsWholeNumbers) {
    const size_t kickBytes = minimalPack().assets[0].bytes.size();
    const std::pair<double, std::string> cases[] = {
        {1e20, "100000000000000000000"},
        {kickBytes + 0.5, std::to_string(kickBytes)},
    };
    for (const auto& [declared, shown] : cases) {
        SoundPack pack = minimalPack();
        pack.assets[0].declaredBytes = declared;
        RuntimeBankLoad load = loadPack(pack);
        EXPECT_EQ(load.outcome, RuntimeBankOutcome::bankHashMismatch);
        std::string expected =
            "asset \"kick\" is " + std::to_string(kickBytes) + " bytes, manifest declares " + shown;
        EXPECT_EQ(load.error, expected);
    }
    // Far beyond any integer type: all 301 digits, not a wrapped or saturated value.
    SoundPack pack = minimalPack();
    pack.assets[0].declaredBytes = 1e300;
    RuntimeBankLoad load = loadPack(pack);
    std::string prefix = "asset \"kick\" is " + std::to_string(kickBytes) + " bytes, manifest declares 1";
    EXPECT_EQ(load.error.compare(0, prefix.size(), prefix), 0) << load.error;
    EXPECT_EQ(load.error.size(), prefix.size() + 300);
}

// Random damage to valid documents and files: every result must be a clean success or a clean refusal.
TEST(HostileBankInput, RandomlyDamagedInputsNeverEscapeTheirBuffers) {
    std::mt19937 random(20240611);
    std::vector<uint8_t> wav =
        fixtures::makeWav(fixtures::WavEncoding::pcm24Extensible, 2, 48000, fixtures::rampSignal(8, 2));
    std::string manifest = fixtures::richPack().manifestJson();
    for (int round = 0; round < 3000; ++round) {
        std::vector<uint8_t> damagedWav = wav;
        std::vector<uint8_t> damagedJson(manifest.begin(), manifest.end());
        for (int hit = 0; hit < 4; ++hit) {
            damagedWav[random() % damagedWav.size()] = static_cast<uint8_t>(random());
            damagedJson[random() % damagedJson.size()] = static_cast<uint8_t>(random());
        }
        damagedWav.resize(random() % (damagedWav.size() + 1));
        damagedJson.resize(random() % (damagedJson.size() + 1));
        WavAudio audio;
        std::string error;
        bool decoded = decodeWav(damagedWav.data(), damagedWav.data() + damagedWav.size(), audio, error);
        EXPECT_EQ(decoded, error.empty());
        EXPECT_EQ(decoded, !audio.samples.empty());
        JsonValue tree;
        parseJsonDocument(damagedJson, tree);
    }
}

} // namespace
} // namespace vanto
