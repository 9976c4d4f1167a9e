// The component state document: what the writer produces, what the reader accepts and refuses, and
// that a written document reads back to the same values.
#include "processor/state_json_reader.h"
#include "processor/state_json_writer.h"

#include "kernel/param_table.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <string>

namespace {

using namespace vanto;

std::array<double, VANTO_PARAM_COUNT> defaultParams() {
    std::array<double, VANTO_PARAM_COUNT> params{};
    for (std::size_t id = 0; id < VANTO_PARAM_COUNT; ++id) {
        params[id] = VANTO_PARAMS[id].defaultPlain;
    }
    return params;
}

std::string writeDefaults(int variation = -1, const CcMap* map = nullptr,
                          const BankStateRefOut* bank = nullptr,
                          SamplerAssetDiagnostic fault = kSamplerAssetNone,
                          SamplerZoneProgram program = kZoneProgramLegacySingleZone,
                          const AuthoredStateOut* authored = nullptr,
                          const SamplerPadOverrides* pads = nullptr) {
    return writeStateJson(defaultParams().data(), variation, map, fault, program, bank, authored, pads);
}

SamplerPadOverride padWith(const std::string& id, uint32_t mask, double gain, double muted) {
    SamplerPadOverride pad;
    pad.padId = id;
    pad.mask = mask;
    pad.gain = gain;
    pad.muted = muted;
    return pad;
}

// The params member of the default values, as the writer spells it.
const std::string kDefaultParams =
    "{\"params\":{\"sync.bpm\":120,\"macro.space\":0.35,\"macro.dovrel\":0.4,\"macro.glue\":0.35,"
    "\"sidechain.source\":0,\"time.division\":5,\"time.feel\":1,\"time.attack\":1.5,\"time.hold\":0,"
    "\"time.swing\":50,\"time.adapt\":0.35,\"budget.maxReduction\":9,\"detect.kickWeight\":1,"
    "\"detect.clapWeight\":0.85,\"detect.percWeight\":0.6,\"detect.sustainWeight\":0.45,"
    "\"detect.sensitivity\":0.5,\"detect.kickHz\":70,\"detect.clapHz\":440,\"detect.percHz\":7000,"
    "\"shape.monoCrossover\":120,\"shape.protectHz\":6000,\"shape.protectAmount\":0.6,\"shape.bellCount\":3,"
    "\"shape.bellQ\":1.4,\"glue.threshold\":-18,\"glue.ratio\":2.5,\"glue.drive\":0.2,\"sidechain.hpf\":30,"
    "\"sidechain.link\":1,\"sidechain.audition\":0,\"mix.amount\":1,\"master.level\":0.9,\"sync.source\":0}";

TEST(StateJsonWriter, WritesTheParametersInIdOrderAndOnlyWhatIsGiven) {
    EXPECT_EQ(writeDefaults(), kDefaultParams + "}");
    EXPECT_EQ(writeDefaults(16), kDefaultParams + ",\"variation\":16}");

    auto params = defaultParams();
    params[0] = std::nan("");
    params[33] = std::numeric_limits<double>::infinity();
    const std::string text = writeStateJson(params.data(), -1, nullptr, kSamplerAssetNone,
                                            kZoneProgramLegacySingleZone, nullptr, nullptr);
    EXPECT_EQ(text.rfind("{\"params\":{\"sync.bpm\":null,", 0), 0u) << text;
    EXPECT_NE(text.find("\"sync.source\":null}}"), std::string::npos) << text;
}

TEST(StateJsonWriter, WritesEachOptionalBlockInItsPlace) {
    CcMap map;
    CcBinding binding;
    binding.cc = 74;
    binding.parameter = 26;
    map.append(binding);
    EXPECT_EQ(
        writeDefaults(3, &map),
        kDefaultParams +
            ",\"variation\":3,\"ccMap\":{\"version\":1,\"bindings\":[{\"cc\":74,\"path\":\"glue.ratio\"}]}}");

    EXPECT_EQ(
        writeDefaults(-1, nullptr, nullptr, kSamplerAssetMoved, kZoneProgramChokeAndSustain),
        kDefaultParams +
            ",\"samplerAssetFault\":\"moved-in-memory-asset\",\"samplerZoneAbi\":\"vanto-dual-stack-sampler/"
            "zone-layer/v1\",\"samplerZoneVersion\":1,\"samplerZoneProgram\":\"choke-and-sustain\"}");
    // Values outside the tables still give a valid document.
    EXPECT_EQ(
        writeDefaults(-1, nullptr, nullptr, static_cast<SamplerAssetDiagnostic>(99),
                      static_cast<SamplerZoneProgram>(8)),
        kDefaultParams +
            ",\"samplerAssetFault\":\"none\",\"samplerZoneAbi\":\"vanto-dual-stack-sampler/zone-layer/v1\","
            "\"samplerZoneVersion\":1,\"samplerZoneProgram\":\"legacy-single-zone\"}");

    BankStateRefOut full{"pack", "1.2", "abc", "hosted", "warm", "kit", "/banks/pack"};
    EXPECT_EQ(writeDefaults(-1, nullptr, &full),
              kDefaultParams +
                  ",\"bank\":{\"version\":1,\"id\":\"pack\",\"bankVersion\":\"1.2\",\"sha256\":\"abc\","
                  "\"locator\":\"/banks/pack\",\"source\":\"hosted\",\"instrument\":\"kit\","
                  "\"presetId\":\"warm\"}}");
    BankStateRefOut bare{"pack", "", nullptr, nullptr, "", nullptr, nullptr};
    EXPECT_EQ(writeDefaults(-1, nullptr, &bare),
              kDefaultParams + ",\"bank\":{\"version\":1,\"id\":\"pack\",\"source\":\"embedded\"}}");
    BankStateRefOut noId{"", "1", "abc", "hosted", nullptr, nullptr, "/x"};
    EXPECT_EQ(writeDefaults(-1, nullptr, &noId), kDefaultParams + "}");

    const unsigned char bytes[] = {'h', 'i', '!', 0};
    const AuthoredStateOut authored{bytes, 4, -7};
    EXPECT_EQ(writeDefaults(-1, nullptr, nullptr, kSamplerAssetNone, kZoneProgramLegacySingleZone, &authored),
              kDefaultParams + ",\"authoredState\":{\"v\":-7,\"bytes\":\"aGkhAA==\"}}");
    const AuthoredStateOut empty{bytes, 0, 1};
    EXPECT_EQ(writeDefaults(-1, nullptr, nullptr, kSamplerAssetNone, kZoneProgramLegacySingleZone, &empty),
              kDefaultParams + "}");
}

TEST(StateJsonWriter, WritesPadOverridesInASamplerBlockBetweenTheZoneProgramAndTheBank) {
    const SamplerPadOverrides pads = {padWith("kick", kPadGain | kPadMuted, 0.5, 1),
                                      padWith("snare", kPadGain, 2, 0)};
    const BankStateRefOut bank{"pack", nullptr, nullptr, "user-folder", nullptr, nullptr, nullptr};
    EXPECT_EQ(
        writeDefaults(-1, nullptr, &bank, kSamplerAssetNone, kZoneProgramOneShotDrum, nullptr, &pads),
        kDefaultParams +
            ",\"samplerZoneAbi\":\"vanto-dual-stack-sampler/zone-layer/v1\",\"samplerZoneVersion\":1,"
            "\"samplerZoneProgram\":\"one-shot-drum\",\"sampler\":{\"v\":1,\"pads\":{\"kick\":{\"gain\":0.5,"
            "\"muted\":1},\"snare\":{\"gain\":2}}},\"bank\":{\"version\":1,\"id\":\"pack\",\"source\":"
            "\"user-folder\"}}");
    const SamplerPadOverrides none;
    EXPECT_EQ(
        writeDefaults(-1, nullptr, nullptr, kSamplerAssetNone, kZoneProgramLegacySingleZone, nullptr, &none),
        kDefaultParams + "}");
}

TEST(StateJsonReader, ReadsBackEverythingTheWriterWrites) {
    auto params = defaultParams();
    params[7] = 0.1 + 0.2; // a value with no short decimal form
    params[25] = -39.999999999999993;
    CcMap map;
    CcBinding binding;
    binding.cc = 1;
    binding.channel = 16;
    binding.parameter = 31;
    binding.hasMin = true;
    binding.min = 0.25;
    map.append(binding);
    const BankStateRefOut bank{"pack", "2", "ff00", "user-folder", "warm", "keys", "/p"};
    const unsigned char bytes[] = {1, 2, 3, 4, 5};
    const AuthoredStateOut authored{bytes, sizeof bytes, 3};
    const SamplerPadOverrides pads = {padWith("kick", kPadGain | kPadMuted, 0.5, 1),
                                      padWith("hat \"open\"", kPadGain, 0.1 + 0.7, 0)};
    const std::string text = writeStateJson(params.data(), 12, &map, kSamplerAssetCorrupt,
                                            kZoneProgramKeyZonesPitch, &bank, &authored, &pads);

    StateChunk chunk;
    ASSERT_TRUE(parseStateJson(text.data(), text.size(), chunk)) << text;
    for (std::size_t id = 0; id < VANTO_PARAM_COUNT; ++id) {
        EXPECT_TRUE(chunk.paramPresent[id]);
        EXPECT_EQ(chunk.params[id], params[id]) << VANTO_PARAMS[id].path;
    }
    EXPECT_EQ(chunk.variation, 12);
    EXPECT_TRUE(chunk.hasCcMap);
    EXPECT_EQ(chunk.ccMap, map);
    EXPECT_TRUE(chunk.hasSamplerAssetFault);
    EXPECT_EQ(chunk.samplerAssetFault, kSamplerAssetCorrupt);
    EXPECT_TRUE(chunk.hasSamplerZoneProgram);
    EXPECT_EQ(chunk.samplerZoneProgram, kZoneProgramKeyZonesPitch);
    EXPECT_TRUE(chunk.hasPadOverrides);
    EXPECT_EQ(chunk.padOverrides, pads);
    EXPECT_TRUE(chunk.hasAuthoredState);
    EXPECT_EQ(chunk.authoredVersion, 3);
    EXPECT_EQ(chunk.authoredBytes, std::vector<uint8_t>(bytes, bytes + sizeof bytes));
    EXPECT_TRUE(chunk.hasBankRef);
    EXPECT_STREQ(chunk.bankId, "pack");
    EXPECT_STREQ(chunk.bankVersion, "2");
    EXPECT_STREQ(chunk.bankSha256, "ff00");
    EXPECT_STREQ(chunk.bankSource, "user-folder");
    EXPECT_STREQ(chunk.bankPresetId, "warm");
    EXPECT_TRUE(chunk.hasBankPresetId);
    EXPECT_STREQ(chunk.bankInstrument, "keys");
    EXPECT_STREQ(chunk.bankLocator, "/p");
    EXPECT_TRUE(chunk.hasBankLocator);
}

TEST(StateJsonReader, RefusesEveryTruncationOfAValidDocument) {
    CcMap map;
    map.append(CcBinding{});
    const BankStateRefOut bank{"pack", "2", "ff", "hosted", "warm", "keys", "/p"};
    const unsigned char bytes[] = {9, 8, 7};
    const AuthoredStateOut authored{bytes, sizeof bytes, 1};
    const SamplerPadOverrides pads = {padWith("kick", kPadGain, 0.5, 0)};
    const std::string text = writeStateJson(defaultParams().data(), 4, &map, kSamplerAssetMissing,
                                            kZoneProgramOneShotDrum, &bank, &authored, &pads);
    for (std::size_t length = 0; length < text.size(); ++length) {
        StateChunk chunk;
        EXPECT_FALSE(parseStateJson(text.data(), length, chunk)) << text.substr(0, length);
    }
}

struct ReaderCase {
    const char* what;
    std::string document;
    bool accepted;
    std::function<void(const StateChunk&)> check = [](const StateChunk&) {};
};

std::string nested(int depth, const std::string& inner = "0") {
    return std::string(static_cast<std::size_t>(depth), '[') + inner +
           std::string(static_cast<std::size_t>(depth), ']');
}

std::string bankWith(const std::string& members) {
    return "{\"bank\":{" + members + "}}";
}

std::string samplerWith(const std::string& members) {
    return "{\"sampler\":{" + members + "}}";
}

void checkNoPads(const StateChunk& chunk) {
    EXPECT_FALSE(chunk.hasPadOverrides);
    EXPECT_TRUE(chunk.padOverrides.empty());
}

void checkNoBank(const StateChunk& chunk) {
    EXPECT_FALSE(chunk.hasBankRef);
    EXPECT_STREQ(chunk.bankId, "");
}

const ReaderCase kReaderCases[] = {
    {"an empty object", "{}", true,
     [](const StateChunk& c) {
         EXPECT_EQ(c.variation, -1);
         EXPECT_FALSE(c.hasCcMap);
         EXPECT_FALSE(c.hasBankRef);
         for (bool present : c.paramPresent)
             EXPECT_FALSE(present);
     }},
    {"whitespace around", " \t\r\n{ } \n", true},
    {"text after the object", "{} x", false},
    {"a second object", "{}{}", false},
    {"an array", "[]", false},
    {"nothing", "", false},
    {"the literal true for a parameter", "{\"params\":{\"sync.bpm\":true,\"time.hold\":false}}", true,
     [](const StateChunk& c) {
         EXPECT_TRUE(c.paramPresent[0]);
         EXPECT_EQ(c.params[0], 1.0);
         EXPECT_TRUE(c.paramPresent[8]);
         EXPECT_EQ(c.params[8], 0.0);
     }},
    {"a word that starts like true", "{\"params\":{\"sync.bpm\":tru}}", false},
    {"a word that starts like false", "{\"params\":{\"sync.bpm\":fals}}", false},
    {"a quoted number", "{\"params\":{\"sync.bpm\":\"120\",\"time.hold\":0.25}}", true,
     [](const StateChunk& c) {
         EXPECT_FALSE(c.paramPresent[0]);
         EXPECT_EQ(c.params[8], 0.25);
     }},
    {"null, arrays and objects as parameter values",
     "{\"params\":{\"sync.bpm\":null,\"time.hold\":[1],\"mix.amount\":{}}}", true,
     [](const StateChunk& c) {
         for (bool present : c.paramPresent)
             EXPECT_FALSE(present);
     }},
    {"an unknown parameter and a later duplicate",
     "{\"params\":{\"no.such\":5,\"sync.bpm\":90,\"sync.bpm\":91}}", true,
     [](const StateChunk& c) { EXPECT_EQ(c.params[0], 91.0); }},
    {"a huge parameter value", "{\"params\":{\"sync.bpm\":1e999}}", true,
     [](const StateChunk& c) { EXPECT_TRUE(std::isinf(c.params[0])); }},
    {"params that is null", "{\"params\":null}", false},
    {"params that is an array", "{\"params\":[]}", false},
    {"a variation with a fraction", "{\"variation\":25.7}", true,
     [](const StateChunk& c) { EXPECT_EQ(c.variation, 25); }},
    {"a negative variation", "{\"variation\":-2.9}", true,
     [](const StateChunk& c) { EXPECT_EQ(c.variation, -2); }},
    {"a variation beyond 32 bits", "{\"variation\":1e300}", true,
     [](const StateChunk& c) { EXPECT_EQ(c.variation, std::numeric_limits<int32_t>::max()); }},
    {"a variation that is NaN", "{\"variation\":nan}", false},
    {"a variation that is infinite", "{\"variation\":-1e999}", false},
    {"a quoted variation", "{\"variation\":\"3\"}", false},
    {"a null CC map", "{\"ccMap\":null}", true, [](const StateChunk& c) { EXPECT_FALSE(c.hasCcMap); }},
    {"a CC map given as its binding list", "{\"ccMap\":[{\"cc\":7,\"path\":\"mix.amount\"}]}", true,
     [](const StateChunk& c) {
         EXPECT_TRUE(c.hasCcMap);
         ASSERT_EQ(c.ccMap.count, 1u);
         EXPECT_EQ(c.ccMap.bindings[0].parameter, 31u);
     }},
    {"a CC map object without bindings", "{\"ccMap\":{\"version\":1}}", true,
     [](const StateChunk& c) { EXPECT_FALSE(c.hasCcMap); }},
    {"a CC map whose binding names its curve with a number", "{\"ccMap\":[{\"cc\":7,\"curve\":1}]}", false},
    {"a known asset fault", "{\"samplerAssetFault\":\"unsupported-stereo-source\"}", true,
     [](const StateChunk& c) {
         EXPECT_TRUE(c.hasSamplerAssetFault);
         EXPECT_EQ(c.samplerAssetFault, kSamplerAssetUnsupportedStereo);
     }},
    {"an unknown asset fault after a known one",
     "{\"samplerAssetFault\":\"moved-in-memory-asset\",\"samplerAssetFault\":\"none\"}", true,
     [](const StateChunk& c) {
         EXPECT_FALSE(c.hasSamplerAssetFault);
         EXPECT_EQ(c.samplerAssetFault, kSamplerAssetNone);
     }},
    {"an asset fault that is a number", "{\"samplerAssetFault\":1}", false},
    {"a known zone program", "{\"samplerZoneProgram\":\"voice-limit-steal\"}", true,
     [](const StateChunk& c) {
         EXPECT_TRUE(c.hasSamplerZoneProgram);
         EXPECT_EQ(c.samplerZoneProgram, kZoneProgramVoiceLimitSteal);
     }},
    {"an unknown zone program",
     "{\"samplerZoneProgram\":\"other\",\"samplerZoneAbi\":[1],\"samplerZoneVersion\":{}}", true,
     [](const StateChunk& c) { EXPECT_FALSE(c.hasSamplerZoneProgram); }},
    {"a zone program that is null", "{\"samplerZoneProgram\":null}", false},
    {"an authored block", "{\"authoredState\":{\"bytes\":\"AAEC\",\"x\":[[]]}}", true,
     [](const StateChunk& c) {
         EXPECT_TRUE(c.hasAuthoredState);
         EXPECT_EQ(c.authoredVersion, 0);
         EXPECT_EQ(c.authoredBytes, (std::vector<uint8_t>{0, 1, 2}));
     }},
    {"an authored block that does not decode", "{\"authoredState\":{\"v\":2,\"bytes\":\"AA=A\"}}", true,
     [](const StateChunk& c) { EXPECT_FALSE(c.hasAuthoredState); }},
    {"an authored block over a mebibyte",
     "{\"authoredState\":{\"v\":2,\"bytes\":\"" + std::string(1398104, 'A') + "\"}}", true,
     [](const StateChunk& c) { EXPECT_FALSE(c.hasAuthoredState); }},
    {"an authored block of exactly a mebibyte",
     "{\"authoredState\":{\"bytes\":\"" + std::string(1398100, 'A') + "AA==\"}}", true,
     [](const StateChunk& c) { EXPECT_EQ(c.authoredBytes.size(), 1048576u); }},
    {"an authored version that is text", "{\"authoredState\":{\"v\":\"1\",\"bytes\":\"AAEC\"}}", false},
    {"an authored block that is text", "{\"authoredState\":\"AAEC\"}", true,
     [](const StateChunk& c) { EXPECT_FALSE(c.hasAuthoredState); }},
    {"a bank id of 127 bytes", bankWith("\"id\":\"" + std::string(127, 'b') + "\""), true,
     [](const StateChunk& c) {
         EXPECT_TRUE(c.hasBankRef);
         EXPECT_EQ(std::string(c.bankId), std::string(127, 'b'));
         EXPECT_STREQ(c.bankSource, "");
         EXPECT_FALSE(c.hasBankLocator);
     }},
    {"a bank id of 128 bytes", bankWith("\"id\":\"" + std::string(128, 'b') + "\",\"locator\":\"/x\""), true,
     [](const StateChunk& c) {
         checkNoBank(c);
         EXPECT_FALSE(c.hasBankLocator);
     }},
    {"an empty bank id", bankWith("\"id\":\"\",\"locator\":\"/x\""), true, checkNoBank},
    {"a bank id that is a number", bankWith("\"id\":7,\"version\":{\"a\":[1]}"), true, checkNoBank},
    {"a bank id starting with a NUL byte",
     bankWith("\"id\":\"" + std::string(1, '\0') + "pack\",\"locator\":\"/x\""), true, checkNoBank},
    {"bank texts ending at a NUL byte",
     bankWith("\"id\":\"p" + std::string(1, '\0') + "q\",\"locator\":\"" + std::string(1, '\0') +
              "/x\",\"presetId\":\"" + std::string(1, '\0') + "bright\",\"bankVersion\":\"1" +
              std::string(1, '\0') + std::string(40, 'v') + "\""),
     true,
     [](const StateChunk& c) {
         EXPECT_TRUE(c.hasBankRef);
         EXPECT_STREQ(c.bankId, "p");
         EXPECT_STREQ(c.bankVersion, "1");
         EXPECT_FALSE(c.hasBankLocator);
         EXPECT_FALSE(c.hasBankPresetId);
     }},
    {"bank texts just too long",
     bankWith("\"id\":\"p\",\"bankVersion\":\"" + std::string(32, 'v') + "\",\"sha256\":\"" +
              std::string(65, 'f') + "\",\"locator\":\"" + std::string(1024, 'l') + "\",\"presetId\":\"" +
              std::string(64, 'p') + "\",\"instrument\":\"" + std::string(64, 'i') +
              "\",\"source\":\"somewhere\""),
     true,
     [](const StateChunk& c) {
         EXPECT_TRUE(c.hasBankRef);
         EXPECT_STREQ(c.bankVersion, "");
         EXPECT_STREQ(c.bankSha256, "");
         EXPECT_STREQ(c.bankLocator, "");
         EXPECT_FALSE(c.hasBankLocator);
         EXPECT_STREQ(c.bankPresetId, "");
         EXPECT_FALSE(c.hasBankPresetId);
         EXPECT_STREQ(c.bankInstrument, "");
         EXPECT_STREQ(c.bankSource, "");
     }},
    {"bank texts of the longest lengths kept",
     bankWith("\"id\":\"p\",\"bankVersion\":\"" + std::string(31, 'v') + "\",\"sha256\":\"" +
              std::string(64, 'f') + "\",\"locator\":\"" + std::string(1023, 'l') + "\",\"presetId\":\"" +
              std::string(63, 'p') + "\",\"instrument\":\"" + std::string(63, 'i') +
              "\",\"source\":\"module-relative\""),
     true,
     [](const StateChunk& c) {
         EXPECT_EQ(std::string(c.bankVersion).size(), 31u);
         EXPECT_EQ(std::string(c.bankSha256).size(), 64u);
         EXPECT_EQ(std::string(c.bankLocator).size(), 1023u);
         EXPECT_TRUE(c.hasBankLocator);
         EXPECT_EQ(std::string(c.bankPresetId).size(), 63u);
         EXPECT_TRUE(c.hasBankPresetId);
         EXPECT_EQ(std::string(c.bankInstrument).size(), 63u);
         EXPECT_STREQ(c.bankSource, "module-relative");
     }},
    {"a later bank block replacing an earlier one",
     "{\"bank\":{\"id\":\"a\",\"locator\":\"/a\",\"presetId\":\"p\"},\"bank\":{\"id\":\"b\"}}", true,
     [](const StateChunk& c) {
         EXPECT_STREQ(c.bankId, "b");
         EXPECT_FALSE(c.hasBankLocator);
         EXPECT_FALSE(c.hasBankPresetId);
     }},
    {"a bank that is text", "{\"bank\":\"pack\"}", true, checkNoBank},
    {"a version 1 sampler block", samplerWith("\"v\":1,\"pads\":{\"kick\":{\"gain\":0.5,\"muted\":1}}"), true,
     [](const StateChunk& c) {
         ASSERT_TRUE(c.hasPadOverrides);
         ASSERT_EQ(c.padOverrides.size(), 1u);
         EXPECT_EQ(c.padOverrides[0], padWith("kick", kPadGain | kPadMuted, 0.5, 1));
     }},
    {"pads before the version", samplerWith("\"pads\":{\"kick\":{\"gain\":0.5}},\"v\":1"), true,
     [](const StateChunk& c) { EXPECT_TRUE(c.hasPadOverrides); }},
    {"a version 1 block whose pads are all dropped", samplerWith("\"v\":1,\"pads\":{\"kick\":{\"gain\":9}}"),
     true,
     [](const StateChunk& c) {
         EXPECT_TRUE(c.hasPadOverrides);
         EXPECT_TRUE(c.padOverrides.empty());
     }},
    {"a sampler block of another version", samplerWith("\"v\":2,\"pads\":{\"kick\":{\"gain\":0.5}}"), true,
     checkNoPads},
    {"a sampler block of version 1.5", samplerWith("\"v\":1.5,\"pads\":{\"kick\":{\"gain\":0.5}}"), true,
     checkNoPads},
    {"a sampler block without a version", samplerWith("\"pads\":{\"kick\":{\"gain\":0.5}}"), true,
     checkNoPads},
    {"a later version that is not 1", samplerWith("\"v\":1,\"pads\":{\"kick\":{\"gain\":0.5}},\"v\":3"), true,
     checkNoPads},
    {"an empty sampler block", samplerWith(""), true, checkNoPads},
    {"pads that are a list", samplerWith("\"v\":1,\"pads\":[{\"gain\":0.5}],\"other\":{\"x\":[1]}"), true,
     checkNoPads},
    {"a sampler that is a number", "{\"sampler\":1}", true, checkNoPads},
    {"pads given twice",
     samplerWith("\"v\":1,\"pads\":{\"kick\":{\"gain\":0.5}},\"pads\":{\"snare\":{\"pan\":1}}"), true,
     [](const StateChunk& c) {
         ASSERT_EQ(c.padOverrides.size(), 1u);
         EXPECT_EQ(c.padOverrides[0].padId, "snare");
     }},
    {"a sampler version that is text", samplerWith("\"v\":\"1\",\"pads\":{}"), false},
    {"malformed pads", samplerWith("\"v\":1,\"pads\":{\"kick\":{\"gain\":0.5}"), false},
    {"a pad that is no object inside malformed pads", samplerWith("\"v\":1,\"pads\":{\"kick\":[1,}"), false},
    {"a malformed bank block", "{\"bank\":{\"id\":\"a\",}}", false},
    {"unknown members of every kind", "{\"future\":{\"a\":[1,true,null,\"x\"]},\"also\":-0.5e3}", true},
    {"31 nested arrays below the top-level object", "{\"x\":" + nested(31) + "}", true},
    {"32 nested arrays below the top-level object", "{\"x\":" + nested(32) + "}", false},
    {"nesting too deep inside params", "{\"params\":{\"x\":" + nested(31) + "}}", false},
    {"nesting too deep inside a bank block", bankWith("\"id\":\"a\",\"x\":" + nested(31)), false},
    {"nesting too deep inside a CC map", "{\"ccMap\":[{\"cc\":1,\"x\":" + nested(30) + "}]}", false},
    {"a byte that is no UTF-8 outside any string", "{\"params\":{\"sync.bpm\":\xff}}", false},
    {"a key that is no UTF-8", "{\"params\":{\"sync.bpm\xff\":90,\"time.hold\":0.5}}", true,
     [](const StateChunk& c) {
         EXPECT_FALSE(c.paramPresent[0]);
         EXPECT_TRUE(c.paramPresent[8]);
     }},
    {"a key with an escaped NUL", "{\"params\":{\"sync.bpm\\u0000\":90}}", true,
     [](const StateChunk& c) { EXPECT_FALSE(c.paramPresent[0]); }},
    {"a trailing comma", "{\"variation\":1,}", false},
    {"a missing colon", "{\"variation\" 1}", false},
};

TEST(StateJsonReader, AcceptsAndRefusesDocumentsByTheirMembers) {
    for (const ReaderCase& c : kReaderCases) {
        StateChunk chunk;
        ASSERT_EQ(parseStateJson(c.document.data(), c.document.size(), chunk), c.accepted) << c.what;
        if (c.accepted) {
            SCOPED_TRACE(c.what);
            c.check(chunk);
        }
    }
}

TEST(StateJsonReader, NeverReadsBeyondTheGivenLength) {
    // The document is cut in the middle of a number; the digits after the cut must not count.
    const std::string text = "{\"variation\":12345}";
    StateChunk chunk;
    EXPECT_FALSE(parseStateJson(text.data(), text.size() - 3, chunk));
    EXPECT_FALSE(parseStateJson(nullptr, 0, chunk));
}

} // namespace
