#include "banks/sound_pack_fixture.h"

#include "banks/temp_folder.h"
#include "banks/wav_fixture.h"
#include "encoding/json_writer.h"
#include "encoding/sha256.h"

#include <stdexcept>

namespace vanto::fixtures {

namespace {

void appendMember(std::string& out, const char* key, const std::string& value) {
    if (out.back() != '{')
        out += ',';
    jsonAppendQuoted(out, key);
    out += ':';
    jsonAppendQuoted(out, value.c_str());
}

void appendNumberMember(std::string& out, const char* key, double value) {
    if (out.back() != '{')
        out += ',';
    jsonAppendQuoted(out, key);
    out += ':';
    jsonAppendNumber(out, value);
}

std::string assetEntryJson(const PackAsset& asset) {
    std::string entry = "{";
    appendMember(entry, "id", asset.id);
    appendMember(entry, "path", asset.path);
    appendNumberMember(entry, "bytes", asset.declaredBytes.value_or(static_cast<double>(asset.bytes.size())));
    std::string digest = asset.declaredSha256.value_or(sha256Hex(asset.bytes.data(), asset.bytes.size()));
    if (!digest.empty())
        appendMember(entry, "sha256", digest);
    if (!asset.codec.empty())
        appendMember(entry, "codec", asset.codec);
    return entry + "}";
}

std::string positioningJson(const PackInstrument& instrument) {
    std::string entry = "{";
    appendMember(entry, "id", instrument.id);
    appendMember(entry, "name", instrument.name);
    if (!instrument.document.empty())
        appendMember(entry, "document", instrument.document);
    return entry + "}";
}

std::string presetEntryJson(const PackPreset& preset) {
    std::string entry = "{";
    appendMember(entry, "id", preset.id);
    appendMember(entry, "name", preset.name);
    appendMember(entry, "instrument", preset.instrument);
    appendMember(entry, "document", preset.document);
    return entry + "}";
}

std::string zoneJson(const PackZone& zone) {
    std::string entry = "{";
    appendMember(entry, "id", zone.id);
    appendMember(entry, "assetId", zone.assetId);
    if (!zone.extraMembers.empty())
        entry += "," + zone.extraMembers;
    return entry + "}";
}

template <typename Item, typename Writer>
std::string jsonArray(const std::vector<Item>& items, Writer write) {
    std::string out = "[";
    for (const Item& item : items) {
        if (out.size() > 1)
            out += ',';
        out += write(item);
    }
    out += ']';
    return out;
}

std::string positioningList(const std::vector<PackInstrument>& instruments, const std::string& list) {
    std::vector<PackInstrument> members;
    for (const PackInstrument& instrument : instruments) {
        if (instrument.list == list)
            members.push_back(instrument);
    }
    return jsonArray(members, positioningJson);
}

} // namespace

std::string SoundPack::manifestJson() const {
    if (manifestText)
        return *manifestText;
    std::string out = "{";
    appendMember(out, "format", format);
    appendMember(out, "id", id);
    appendMember(out, "version", version);
    appendMember(out, "name", name);
    out += ",\"assetTable\":" + jsonArray(assets, assetEntryJson);
    out += ",\"instruments\":" + positioningList(instruments, "instruments");
    out += ",\"kits\":" + positioningList(instruments, "kits");
    out += ",\"presets\":" + jsonArray(presets, presetEntryJson);
    return out + "}";
}

std::string SoundPack::instrumentJson(const PackInstrument& instrument) const {
    if (instrument.documentText)
        return *instrument.documentText;
    std::string out = "{";
    appendMember(out, "format", instrument.format);
    appendMember(out, "id", instrument.id);
    out += ",\"zones\":" + jsonArray(instrument.zones, zoneJson);
    return out + "}";
}

void SoundPack::writeTo(const std::string& folder) const {
    writeFile(folder + "/bank.json", manifestJson());
    for (const PackAsset& asset : assets) {
        if (asset.writeToDisk)
            writeFile(folder + "/" + asset.path, asset.bytes);
    }
    for (const PackInstrument& instrument : instruments) {
        if (!instrument.document.empty())
            writeFile(folder + "/" + instrument.document, instrumentJson(instrument));
    }
    for (const PackPreset& preset : presets)
        writeFile(folder + "/" + preset.document, "{\"params\":" + preset.paramsJson + "}");
}

PackAsset& SoundPack::asset(const std::string& assetId) {
    for (PackAsset& candidate : assets) {
        if (candidate.id == assetId)
            return candidate;
    }
    throw std::invalid_argument("no fixture asset " + assetId);
}

PackInstrument& SoundPack::instrument(const std::string& instrumentId) {
    for (PackInstrument& candidate : instruments) {
        if (candidate.id == instrumentId)
            return candidate;
    }
    throw std::invalid_argument("no fixture instrument " + instrumentId);
}

SoundPack minimalPack() {
    SoundPack pack;
    pack.assets.push_back({"kick", "samples/kick.wav",
                           makeWav(WavEncoding::pcm16, 1, 44100, rampSignal(64, 1)), "", std::nullopt,
                           std::nullopt, true});
    pack.instruments.push_back({"drums",
                                "Drums",
                                "instruments",
                                "instruments/drums.json",
                                {{"kick-zone", "kick", ""}},
                                "vanto-sampler-instrument/v1",
                                std::nullopt});
    return pack;
}

SoundPack richPack() {
    SoundPack pack;
    pack.id = "rich-pack";
    pack.name = "Rich Pack";
    pack.assets = {
        {"mono16", "samples/mono16.wav", makeWav(WavEncoding::pcm16, 1, 48000, rampSignal(100, 1)), "wav",
         std::nullopt, std::nullopt, true},
        {"stereo16", "samples/stereo16.wav", makeWav(WavEncoding::pcm16, 2, 44100, rampSignal(80, 2)), "",
         std::nullopt, std::nullopt, true},
        {"stereo24", "samples/stereo24.wav",
         makeWav(WavEncoding::pcm24Extensible, 2, 96000, rampSignal(60, 2)), "", std::nullopt, std::nullopt,
         true},
        {"float32", "samples/float32.wav", makeWav(WavEncoding::float32, 1, 48000, rampSignal(40, 1)), "",
         std::nullopt, std::nullopt, true},
    };
    pack.instruments = {
        {"keys",
         "Keys",
         "instruments",
         "instruments/keys.json",
         {{"low", "stereo16", "\"lowKey\":0,\"highKey\":59"},
          {"high", "mono16", "\"lowKey\":60,\"highKey\":127"}},
         "vanto-sampler-instrument/v1",
         std::nullopt},
        {"pads",
         "Pads",
         "instruments",
         "instruments/pads.json",
         {{"pad", "stereo24", ""}, {"pad-again", "stereo24", "\"startFrame\":10"}, {"air", "float32", ""}},
         "vanto-sampler-instrument/v1",
         std::nullopt},
        {"kit",
         "Kit",
         "kits",
         "kits/kit.json",
         {{"hit", "mono16", "\"chokeGroup\":2"}},
         "vanto-sampler-instrument/v1",
         std::nullopt},
    };
    pack.presets = {
        {"bright", "Bright", "keys", "presets/bright.json", "{\"glue.ratio\":4,\"mix\":0.5}"},
        {"empty", "Empty", "pads", "presets/empty.json", "{}"},
    };
    return pack;
}

} // namespace vanto::fixtures
