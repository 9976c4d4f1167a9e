#include "banks/runtime_bank_loader.h"

#include "banks/bank_fixtures.h"
#include "banks/wav_decoder.h"
#include "encoding/sha256.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <set>

namespace vanto {
namespace {

using fixtures::makeWav;
using fixtures::minimalPack;
using fixtures::PackInstrument;
using fixtures::rampSignal;
using fixtures::richPack;
using fixtures::SoundPack;
using fixtures::TempFolder;
using fixtures::WavEncoding;

std::string digestOf(const std::vector<uint8_t>& bytes) {
    return sha256Hex(bytes.data(), bytes.size());
}

// The minimal pack plus a second instrument, so that unknown-instrument messages list two ids.
SoundPack twoInstrumentPack() {
    SoundPack pack = minimalPack();
    PackInstrument extra = pack.instruments[0];
    extra.id = "extra";
    extra.name = "Extra";
    extra.document = "instruments/extra.json";
    pack.instruments.push_back(extra);
    return pack;
}

struct FailureCase {
    const char* what;
    std::function<void(SoundPack&)> change;         // applied to the minimal pack before it is written
    std::function<void(const std::string&)> onDisk; // applied to the written pack folder, may be empty
    std::string instrument;
    size_t arenaCapacity;
    RuntimeBankOutcome outcome;
    std::function<std::string(const std::string&)> message; // given the pack folder
};

std::function<std::string(const std::string&)> fixed(std::string text) {
    return [text](const std::string&) { return text; };
}

std::vector<FailureCase> failureCases() {
    const size_t kickBytes = minimalPack().assets[0].bytes.size();
    const std::string kickDigest16 = digestOf(minimalPack().assets[0].bytes).substr(0, 16);
    std::vector<FailureCase> cases = {
        {"no manifest", nullptr, [](const std::string& dir) { std::filesystem::remove(dir + "/bank.json"); },
         "", 0, RuntimeBankOutcome::bankMissing,
         [](const std::string& dir) { return "cannot read " + dir + "/bank.json"; }},
        {"manifest is an array", [](SoundPack& p) { p.manifestText = "[]"; }, nullptr, "", 0,
         RuntimeBankOutcome::bankMalformed, fixed("bank.json is not a JSON object")},
        {"manifest is not JSON", [](SoundPack& p) { p.manifestText = "{\"format\":"; }, nullptr, "", 0,
         RuntimeBankOutcome::bankMalformed, fixed("bank.json is not a JSON object")},
        {"wrong format", [](SoundPack& p) { p.format = "vanto-sound-pack/v2"; }, nullptr, "", 0,
         RuntimeBankOutcome::bankMalformed,
         fixed("bank.json format is \"vanto-sound-pack/v2\", expected vanto-sound-pack/v1")},
        {"no format", [](SoundPack& p) { p.manifestText = "{\"id\":\"x\"}"; }, nullptr, "", 0,
         RuntimeBankOutcome::bankMalformed, fixed("bank.json format is \"\", expected vanto-sound-pack/v1")},
        {"no id", [](SoundPack& p) { p.id = ""; }, nullptr, "", 0, RuntimeBankOutcome::bankMalformed,
         fixed("bank.json declares no id")},
        {"no assets", [](SoundPack& p) { p.assets.clear(); }, nullptr, "", 0,
         RuntimeBankOutcome::bankMalformed, fixed("bank.json declares no assetTable")},
        {"asset without id", [](SoundPack& p) { p.assets[0].id = ""; }, nullptr, "", 0,
         RuntimeBankOutcome::bankMalformed, fixed("assetTable entry missing id or path")},
        {"asset path with leading ..",
         [](SoundPack& p) {
             p.assets[0].path = "../kick.wav";
             p.assets[0].writeToDisk = false;
         },
         nullptr, "", 0, RuntimeBankOutcome::bankMalformed,
         fixed("asset \"kick\" path escapes the bank directory")},
        {"asset path with inner ..",
         [](SoundPack& p) {
             p.assets[0].path = "samples/../../kick.wav";
             p.assets[0].writeToDisk = false;
         },
         nullptr, "", 0, RuntimeBankOutcome::bankMalformed,
         fixed("asset \"kick\" path escapes the bank directory")},
        {"absolute asset path",
         [](SoundPack& p) {
             p.assets[0].path = "/etc/hostname";
             p.assets[0].writeToDisk = false;
         },
         nullptr, "", 0, RuntimeBankOutcome::bankMalformed,
         fixed("asset \"kick\" path escapes the bank directory")},
        {"asset symlinked outside the pack",
         [](SoundPack& p) {
             p.assets[0].path = "samples/link.wav";
             p.assets[0].writeToDisk = false;
         },
         [](const std::string& dir) {
             fixtures::writeFile(dir + "/../outside-kick.wav", minimalPack().assets[0].bytes);
             std::filesystem::create_directories(dir + "/samples");
             std::filesystem::create_symlink(dir + "/../outside-kick.wav", dir + "/samples/link.wav");
         },
         "", 0, RuntimeBankOutcome::bankMalformed, fixed("asset \"kick\" path escapes the bank directory")},
        {"codec other than wav", [](SoundPack& p) { p.assets[0].codec = "flac"; }, nullptr, "", 0,
         RuntimeBankOutcome::bankUnsupportedCodec,
         fixed("asset \"kick\" codec \"flac\" is not decoded by the native runtime loader (wav only)")},
        {"asset file missing", [](SoundPack& p) { p.assets[0].writeToDisk = false; }, nullptr, "", 0,
         RuntimeBankOutcome::bankMissing, fixed("asset \"kick\" file missing: samples/kick.wav")},
        {"declared 10 bytes larger",
         [kickBytes](SoundPack& p) { p.assets[0].declaredBytes = kickBytes + 10.0; }, nullptr, "", 0,
         RuntimeBankOutcome::bankHashMismatch,
         fixed("asset \"kick\" is " + std::to_string(kickBytes) + " bytes, manifest declares " +
               std::to_string(kickBytes + 10))},
        {"digest in upper case",
         [](SoundPack& p) {
             std::string digest = digestOf(p.assets[0].bytes);
             std::transform(digest.begin(), digest.end(), digest.begin(), ::toupper);
             p.assets[0].declaredSha256 = digest;
         },
         nullptr, "", 0, RuntimeBankOutcome::bankHashMismatch,
         fixed("asset \"kick\" sha256 " + kickDigest16 + "\xE2\x80\xA6 does not match the manifest")},
        {"digest of other bytes", [](SoundPack& p) { p.assets[0].declaredSha256 = std::string(64, '0'); },
         nullptr, "", 0, RuntimeBankOutcome::bankHashMismatch,
         fixed("asset \"kick\" sha256 " + kickDigest16 + "\xE2\x80\xA6 does not match the manifest")},
        {"no instrument lists", [](SoundPack& p) { p.instruments.clear(); }, nullptr, "", 0,
         RuntimeBankOutcome::bankMalformed, fixed("bank.json names no readable instrument/kit document")},
        {"requested from a pack listing none", [](SoundPack& p) { p.instruments.clear(); }, nullptr, "nope",
         0, RuntimeBankOutcome::bankInstrumentUnknown,
         fixed("bank fixture-pack has no instrument or kit \"nope\" (the bank lists none)")},
        {"requested instrument not listed", [](SoundPack& p) { p = twoInstrumentPack(); }, nullptr, "nope", 0,
         RuntimeBankOutcome::bankInstrumentUnknown,
         fixed("bank fixture-pack has no instrument or kit \"nope\" (known: drums, extra)")},
        {"requested id differs in case", [](SoundPack& p) { p = twoInstrumentPack(); }, nullptr, "Drums", 0,
         RuntimeBankOutcome::bankInstrumentUnknown,
         fixed("bank fixture-pack has no instrument or kit \"Drums\" (known: drums, extra)")},
        {"instrument document path escapes",
         [](SoundPack& p) { p.instruments[0].document = "../drums.json"; }, nullptr, "", 0,
         RuntimeBankOutcome::bankMalformed, fixed("bank.json names no readable instrument/kit document")},
        {"requested instrument's document path escapes",
         [](SoundPack& p) { p.instruments[0].document = "../drums.json"; }, nullptr, "drums", 0,
         RuntimeBankOutcome::bankInstrumentUnknown,
         fixed("bank fixture-pack has no instrument or kit \"drums\" (known: drums)")},
        {"requested instrument without document", [](SoundPack& p) { p.instruments[0].document = ""; },
         nullptr, "drums", 0, RuntimeBankOutcome::bankInstrumentUnknown,
         fixed("bank fixture-pack has no instrument or kit \"drums\" (known: drums)")},
        {"instrument document symlinked outside",
         [](SoundPack& p) { p.instruments[0].document = "link.json"; },
         [](const std::string& dir) {
             std::filesystem::rename(dir + "/link.json", dir + "/../outside.json");
             std::filesystem::create_symlink(dir + "/../outside.json", dir + "/link.json");
         },
         "", 0, RuntimeBankOutcome::bankMalformed,
         fixed("bank.json names no readable instrument/kit document")},
        {"instrument document missing", nullptr,
         [](const std::string& dir) { std::filesystem::remove(dir + "/instruments/drums.json"); }, "", 0,
         RuntimeBankOutcome::bankMissing, fixed("instrument document missing: instruments/drums.json")},
        {"instrument document not an object", [](SoundPack& p) { p.instruments[0].documentText = "[1]"; },
         nullptr, "", 0, RuntimeBankOutcome::bankMalformed,
         fixed("instrument document is not a JSON object")},
        {"instrument document format", [](SoundPack& p) { p.instruments[0].format = "sfz"; }, nullptr, "", 0,
         RuntimeBankOutcome::bankMalformed,
         fixed("instrument document format is \"sfz\", expected vanto-sampler-instrument/v1")},
        {"no zones", [](SoundPack& p) { p.instruments[0].zones.clear(); }, nullptr, "", 0,
         RuntimeBankOutcome::bankMalformed, fixed("instrument document declares no zones")},
        {"zone names an undeclared asset", [](SoundPack& p) { p.instruments[0].zones[0].assetId = "snare"; },
         nullptr, "", 0, RuntimeBankOutcome::bankMalformed,
         fixed("zone \"kick-zone\" names asset \"snare\" which the assetTable does not declare")},
        {"8-bit asset",
         [](SoundPack& p) { p.assets[0].bytes = makeWav(WavEncoding::pcm8, 1, 44100, rampSignal(64, 1)); },
         nullptr, "", 0, RuntimeBankOutcome::bankUnsupportedCodec,
         fixed("asset \"kick\": unsupported WAV format tag 1 / 8-bit")},
        {"truncated asset", [](SoundPack& p) { p.assets[0].bytes.resize(p.assets[0].bytes.size() - 8); },
         nullptr, "", 0, RuntimeBankOutcome::bankUnsupportedCodec,
         fixed("asset \"kick\": chunk \"data\" declares 128 bytes but only 120 remain in the file")},
        {"pool larger than the arena", nullptr, nullptr, "", 10, RuntimeBankOutcome::bankTooLarge,
         fixed("bank needs 64 arena frames, the kernel published 10")},
        {"zones that are no objects",
         [](SoundPack& p) {
             p.instruments[0].documentText =
                 "{\"format\":\"vanto-sampler-instrument/v1\",\"zones\":[1,\"z\",null]}";
         },
         nullptr, "", 0, RuntimeBankOutcome::bankMalformed, fixed("bank staged no zones or no samples")},
    };
    return cases;
}

TEST(RuntimeBankLoader, EachFailureStepGivesItsOutcomeAndMessage) {
    for (const FailureCase& c : failureCases()) {
        TempFolder scratch; // the pack lives one level down, so that "../" lands in scratch space
        std::string packDir = scratch.at("pack");
        SoundPack pack = minimalPack();
        if (c.change)
            c.change(pack);
        pack.writeTo(packDir);
        if (c.onDisk)
            c.onDisk(packDir);
        RuntimeBankLoad load = loadRuntimeBank(packDir, c.arenaCapacity, c.instrument);
        EXPECT_EQ(load.outcome, c.outcome) << c.what << ": " << load.error;
        EXPECT_EQ(load.error, c.message(packDir)) << c.what;
        EXPECT_TRUE(load.bank.id.empty() && load.bank.zones.empty() && load.bank.samples.empty()) << c.what;
    }
}

TEST(RuntimeBankLoader, MinimalPackStagesItsManifestInstrumentAndPool) {
    TempFolder folder;
    SoundPack pack = minimalPack();
    pack.writeTo(folder.path());
    RuntimeBankLoad load = loadRuntimeBank(folder.path(), 64, "");
    ASSERT_EQ(load.outcome, RuntimeBankOutcome::ok) << load.error;
    EXPECT_EQ(load.error, "");
    const StagedBank& bank = load.bank;
    EXPECT_EQ(bank.id, "fixture-pack");
    EXPECT_EQ(bank.version, "1.0.0");
    EXPECT_EQ(bank.name, "Fixture Pack");
    EXPECT_EQ(bank.sha256, digestOf(fixtures::fileBytes(folder.at("bank.json"))));
    EXPECT_EQ(bank.instrumentId, "drums");
    EXPECT_EQ(bank.instrumentName, "Drums");
    EXPECT_EQ(bank.instrumentKind, "instruments");
    ASSERT_EQ(bank.zones.size(), 1u);
    EXPECT_EQ(bank.zones[0].id, "kick-zone");
    EXPECT_EQ(bank.zones[0].frames, 64u);
    EXPECT_EQ(bank.samples.size(), 64u);
    EXPECT_EQ(bank.sampleRate, 44100.0);
}

TEST(RuntimeBankLoader, SelectsTheRequestedInstrumentOrTheFirstWithADocument) {
    TempFolder folder;
    SoundPack pack = richPack();
    pack.instruments.insert(pack.instruments.begin(),
                            PackInstrument{"listed-only", "Listed", "instruments", "", {}, "", std::nullopt});
    pack.writeTo(folder.path());
    const struct {
        const char* requested;
        const char* id;
        const char* name;
        const char* kind;
        size_t zones;
    } cases[] = {
        {"", "keys", "Keys", "instruments", 2},
        {"keys", "keys", "Keys", "instruments", 2},
        {"pads", "pads", "Pads", "instruments", 3},
        {"kit", "kit", "Kit", "kits", 1},
    };
    for (const auto& c : cases) {
        RuntimeBankLoad load = loadRuntimeBank(folder.path(), 0, c.requested);
        ASSERT_EQ(load.outcome, RuntimeBankOutcome::ok) << c.requested << ": " << load.error;
        EXPECT_EQ(load.bank.instrumentId, c.id);
        EXPECT_EQ(load.bank.instrumentName, c.name);
        EXPECT_EQ(load.bank.instrumentKind, c.kind);
        EXPECT_EQ(load.bank.zones.size(), c.zones);
        // Positionings list every entry with an id, instruments first, whatever was selected.
        ASSERT_EQ(load.bank.positionings.size(), 4u);
        EXPECT_EQ(load.bank.positionings[0].id, "listed-only");
        EXPECT_EQ(load.bank.positionings[3].id, "kit");
        EXPECT_EQ(load.bank.positionings[3].kind, "kits");
    }
}

TEST(RuntimeBankLoader, EachAssetIsPooledOnceAndZonesPointIntoIt) {
    TempFolder folder;
    richPack().writeTo(folder.path());
    RuntimeBankLoad load = loadRuntimeBank(folder.path(), 0, "pads");
    ASSERT_EQ(load.outcome, RuntimeBankOutcome::ok) << load.error;
    const StagedBank& bank = load.bank;
    // "pad" and "pad-again" share the 60-frame stereo24 asset; "air" adds the 40-frame float32 one.
    EXPECT_EQ(bank.samples.size(), 100u);
    ASSERT_EQ(bank.zones.size(), 3u);
    EXPECT_EQ(bank.zones[0].assetOffset, 0u);
    EXPECT_EQ(bank.zones[1].assetOffset, 0u);
    EXPECT_EQ(bank.zones[1].start, 10u);
    EXPECT_EQ(bank.zones[1].frames, 50u);
    EXPECT_EQ(bank.zones[2].assetOffset, 60u);
    EXPECT_EQ(bank.zones[2].assetFrames, 40u);
    EXPECT_EQ(bank.zones[0].sampleRate, 96000.0);
    EXPECT_EQ(bank.zones[2].sampleRate, 48000.0);
    EXPECT_EQ(bank.sampleRate, 96000.0); // the first zone's asset rate
    // The pool holds the decoded audio itself.
    fixtures::PackAsset stereo24 = richPack().asset("stereo24");
    WavAudio direct;
    std::string error;
    ASSERT_TRUE(
        decodeWav(stereo24.bytes.data(), stereo24.bytes.data() + stereo24.bytes.size(), direct, error));
    EXPECT_TRUE(std::equal(direct.samples.begin(), direct.samples.end(), bank.samples.begin()));
}

TEST(RuntimeBankLoader, ArenaCapacityEqualToThePoolIsEnough) {
    TempFolder folder;
    richPack().writeTo(folder.path());
    EXPECT_EQ(loadRuntimeBank(folder.path(), 100, "pads").outcome, RuntimeBankOutcome::ok);
    RuntimeBankLoad tooSmall = loadRuntimeBank(folder.path(), 99, "pads");
    EXPECT_EQ(tooSmall.outcome, RuntimeBankOutcome::bankTooLarge);
    EXPECT_EQ(tooSmall.error, "bank needs 100 arena frames, the kernel published 99");
}

TEST(RuntimeBankLoader, PresetsNeedAReadableDocumentWithFiniteParameters) {
    TempFolder scratch;
    std::string packDir = scratch.at("pack");
    SoundPack pack = richPack();
    pack.presets.push_back(
        {"unnamed", "", "", "presets/unnamed.json", "{\"mix\":1,\"text\":\"x\",\"big\":1e999}"});
    pack.presets.push_back({"escaping", "Escaping", "", "../presets/x.json", "{\"mix\":1}"});
    pack.presets.push_back({"no-params", "No Params", "", "presets/no-params.json", "[1]"});
    pack.writeTo(packDir);
    fixtures::writeFile(scratch.at("presets/x.json"), "{\"params\":{\"mix\":1}}");
    RuntimeBankLoad load = loadRuntimeBank(packDir, 0, "");
    ASSERT_EQ(load.outcome, RuntimeBankOutcome::ok) << load.error;
    ASSERT_EQ(load.bank.presets.size(), 2u);
    const StagedPreset& bright = load.bank.presets[0];
    EXPECT_EQ(bright.id, "bright");
    EXPECT_EQ(bright.name, "Bright");
    EXPECT_EQ(bright.instrument, "keys");
    ASSERT_EQ(bright.params.size(), 2u);
    EXPECT_EQ(bright.params[0], (std::pair<std::string, double>("glue.ratio", 4.0)));
    EXPECT_EQ(bright.params[1], (std::pair<std::string, double>("mix", 0.5)));
    const StagedPreset& unnamed = load.bank.presets[1];
    EXPECT_EQ(unnamed.name, "unnamed"); // the id stands in for an empty name
    ASSERT_EQ(unnamed.params.size(), 1u);
    EXPECT_EQ(unnamed.params[0].first, "mix");
}

TEST(RuntimeBankLoader, ToleratesWhatTheManifestMayLeaveOutOrRepeat) {
    TempFolder folder;
    SoundPack pack = minimalPack();
    pack.assets[0].path = "..samples/kick.wav"; // two dots that begin a name are no parent segment
    pack.assets[0].declaredSha256 = "";
    pack.assets[0].declaredBytes = -1.0;
    fixtures::PackAsset duplicate = pack.assets[0];
    duplicate.path = "samples/first.wav";
    duplicate.bytes = makeWav(WavEncoding::pcm16, 1, 22050, rampSignal(8, 1));
    pack.assets.insert(pack.assets.begin(), duplicate); // replaced by the later entry of the same id
    pack.writeTo(folder.path());
    std::string manifest = pack.manifestJson();
    manifest.insert(manifest.find("[{") + 1, "1,\"x\",null,"); // elements that are no objects are skipped
    fixtures::writeFile(folder.at("bank.json"), manifest);
    RuntimeBankLoad load = loadRuntimeBank(folder.path(), 0, "");
    ASSERT_EQ(load.outcome, RuntimeBankOutcome::ok) << load.error;
    EXPECT_EQ(load.bank.samples.size(), 64u);
    EXPECT_EQ(load.bank.sampleRate, 44100.0);
}

TEST(RuntimeBankInspection, FailsExactlyWhereTheManifestAloneShowsTheFault) {
    // What only the files behind the manifest reveal: an inspection reads none of them.
    const std::set<std::string> beyondManifest = {
        "asset file missing",
        "declared 10 bytes larger",
        "digest in upper case",
        "digest of other bytes",
        "instrument document missing",
        "instrument document not an object",
        "instrument document format",
        "no zones",
        "zone names an undeclared asset",
        "8-bit asset",
        "truncated asset",
        "pool larger than the arena",
        "zones that are no objects",
    };
    for (const FailureCase& c : failureCases()) {
        TempFolder scratch;
        std::string packDir = scratch.at("pack");
        SoundPack pack = minimalPack();
        if (c.change)
            c.change(pack);
        pack.writeTo(packDir);
        if (c.onDisk)
            c.onDisk(packDir);
        RuntimeBankLoad inspection = inspectRuntimeBank(packDir, c.instrument);
        if (beyondManifest.count(c.what) != 0) {
            EXPECT_EQ(inspection.outcome, RuntimeBankOutcome::ok) << c.what << ": " << inspection.error;
            EXPECT_EQ(inspection.error, "") << c.what;
        } else {
            EXPECT_EQ(inspection.outcome, c.outcome) << c.what << ": " << inspection.error;
            EXPECT_EQ(inspection.error, c.message(packDir)) << c.what;
        }
    }
}

TEST(RuntimeBankInspection, TellsWhatThePackIsWithoutReadingAnyAsset) {
    TempFolder folder;
    SoundPack pack = richPack();
    pack.writeTo(folder.path());
    const RuntimeBankLoad loaded = loadRuntimeBank(folder.path(), 0, "kit");
    ASSERT_EQ(loaded.outcome, RuntimeBankOutcome::ok) << loaded.error;
    // Every asset becomes far larger than memory could hold: reading one would fail the inspection.
    for (const fixtures::PackAsset& asset : pack.assets)
        fixtures::writeSparseFile(folder.at(asset.path), uint64_t{1} << 42);

    const RuntimeBankLoad inspected = inspectRuntimeBank(folder.path(), "kit");
    ASSERT_EQ(inspected.outcome, RuntimeBankOutcome::ok) << inspected.error;
    const StagedBank& bank = inspected.bank;
    EXPECT_EQ(bank.id, loaded.bank.id);
    EXPECT_EQ(bank.version, loaded.bank.version);
    EXPECT_EQ(bank.name, loaded.bank.name);
    EXPECT_EQ(bank.sha256, loaded.bank.sha256);
    EXPECT_EQ(bank.instrumentId, "kit");
    EXPECT_EQ(bank.instrumentName, loaded.bank.instrumentName);
    EXPECT_EQ(bank.instrumentKind, "kits");
    ASSERT_EQ(bank.positionings.size(), loaded.bank.positionings.size());
    for (size_t i = 0; i < bank.positionings.size(); ++i)
        EXPECT_EQ(bank.positionings[i].id, loaded.bank.positionings[i].id);
    // Nothing is staged: no zones, no pool, and no presets, whose documents are not read either.
    EXPECT_TRUE(bank.zones.empty());
    EXPECT_TRUE(bank.samples.empty());
    EXPECT_TRUE(bank.presets.empty());
}

TEST(RuntimeBankLoader, PackDocumentsAboveTheSizeLimitAreRefusedUnread) {
    const std::string tooLarge = " is larger than the 1048576 bytes a pack document may hold";
    // A document padded with trailing whitespace to `size` bytes.
    auto padded = [](std::string document, uint64_t size) {
        document.resize(static_cast<size_t>(size), ' ');
        return document;
    };
    const struct {
        const char* what;
        std::function<void(const std::string&)> onDisk; // given the written minimal pack's folder
        RuntimeBankOutcome outcome;
        std::string message;
        bool inspectionRefusesToo;
    } cases[] = {
        {"a manifest of exactly the limit",
         [&](const std::string& dir) {
             fixtures::writeFile(dir + "/bank.json",
                                 padded(minimalPack().manifestJson(), kMaxPackDocumentBytes));
         },
         RuntimeBankOutcome::ok, "", false},
        {"a manifest one byte above it",
         [&](const std::string& dir) {
             fixtures::writeFile(dir + "/bank.json",
                                 padded(minimalPack().manifestJson(), kMaxPackDocumentBytes + 1));
         },
         RuntimeBankOutcome::bankTooLarge, "bank.json" + tooLarge, true},
        {"a sparse manifest far beyond memory",
         [](const std::string& dir) { fixtures::writeSparseFile(dir + "/bank.json", uint64_t{1} << 42); },
         RuntimeBankOutcome::bankTooLarge, "bank.json" + tooLarge, true},
        {"an instrument document above it",
         [](const std::string& dir) {
             fixtures::writeSparseFile(dir + "/instruments/drums.json", kMaxPackDocumentBytes + 1);
         },
         RuntimeBankOutcome::bankTooLarge, "instrument document instruments/drums.json" + tooLarge, false},
    };
    for (const auto& c : cases) {
        TempFolder folder;
        minimalPack().writeTo(folder.path());
        c.onDisk(folder.path());
        RuntimeBankLoad load = loadRuntimeBank(folder.path(), 0, "");
        EXPECT_EQ(load.outcome, c.outcome) << c.what << ": " << load.error;
        EXPECT_EQ(load.error, c.message) << c.what;
        RuntimeBankLoad inspection = inspectRuntimeBank(folder.path(), "");
        EXPECT_EQ(inspection.outcome, c.inspectionRefusesToo ? c.outcome : RuntimeBankOutcome::ok) << c.what;
        EXPECT_EQ(inspection.error, c.inspectionRefusesToo ? c.message : "") << c.what;
    }

    // An oversized preset document only loses its preset, like any unreadable one.
    TempFolder folder;
    SoundPack pack = richPack();
    pack.writeTo(folder.path());
    fixtures::writeSparseFile(folder.at(pack.presets[0].document), kMaxPackDocumentBytes + 1);
    RuntimeBankLoad load = loadRuntimeBank(folder.path(), 0, "");
    ASSERT_EQ(load.outcome, RuntimeBankOutcome::ok) << load.error;
    EXPECT_TRUE(load.bank.presets.empty());
}

} // namespace
} // namespace vanto
