// Sound packs described in code and written into a folder: the manifest, instrument and preset
// documents and the asset files. Every field a test may want to break is a plain member.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vanto::fixtures {

struct PackAsset {
    std::string id;
    std::string path;
    std::vector<uint8_t> bytes;
    std::string codec;                         // empty: no "codec" key
    std::optional<double> declaredBytes;       // unset: the real size
    std::optional<std::string> declaredSha256; // unset: the real digest; "": no "sha256" key
    bool writeToDisk = true;
};

struct PackZone {
    std::string id;
    std::string assetId;
    std::string extraMembers; // raw JSON members added to the zone object, e.g. "\"startFrame\":10"
};

struct PackInstrument {
    std::string id;
    std::string name;
    std::string list = "instruments"; // or "kits"
    std::string document;             // path of its document; empty: no "document" key
    std::vector<PackZone> zones;
    std::string format = "vanto-sampler-instrument/v1";
    std::optional<std::string> documentText; // replaces the generated document
};

struct PackPreset {
    std::string id;
    std::string name;
    std::string instrument;
    std::string document;
    std::string paramsJson = "{}"; // the document's "params" value
};

struct SoundPack {
    std::string format = "vanto-sound-pack/v1";
    std::string id = "fixture-pack";
    std::string version = "1.0.0";
    std::string name = "Fixture Pack";
    std::vector<PackAsset> assets;
    std::vector<PackInstrument> instruments; // both lists; each entry says which
    std::vector<PackPreset> presets;
    std::optional<std::string> manifestText; // replaces the generated manifest

    std::string manifestJson() const;
    std::string instrumentJson(const PackInstrument& instrument) const;
    // Writes bank.json, the documents and the assets into `folder` (created when missing).
    void writeTo(const std::string& folder) const;

    PackAsset& asset(const std::string& id);
    PackInstrument& instrument(const std::string& id);
};

// One mono 16-bit asset "kick" (64 frames at 44100 Hz) and one instrument "drums" with one zone.
SoundPack minimalPack();

// Assets in every accepted encoding (mono 16-bit "mono16", stereo 16-bit "stereo16", stereo 24-bit
// extensible "stereo24", mono float "float32"), instruments "keys" and "pads", the kit "kit", and the
// presets "bright" (for "keys") and "empty" (no parameters, so dropped by the loader).
SoundPack richPack();

} // namespace vanto::fixtures
