#include "banks/runtime_bank_loader.h"

#include "banks/bank_files.h"
#include "banks/json_tree.h"
#include "banks/staged_zone.h"
#include "banks/wav_decoder.h"
#include "encoding/sha256.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <map>
#include <vector>

namespace vanto {

namespace {

constexpr const char* kSoundPackFormat = "vanto-sound-pack/v1";
constexpr const char* kInstrumentFormat = "vanto-sampler-instrument/v1";
constexpr const char* kPositioningLists[] = {"instruments", "kits"};
// Zones address the pool with 32-bit offsets.
constexpr uint64_t kMaxPoolFrames = 0xFFFFFFFFu;

std::string quoted(const std::string& text) {
    return "\"" + text + "\"";
}

// A document number shown in a message: a plain decimal integer.
std::string wholeNumberText(double value) {
    char text[320]; // room for every digit of the largest double
    std::snprintf(text, sizeof text, "%.0f", std::trunc(value));
    return text;
}

std::string digestOf(const std::vector<uint8_t>& bytes) {
    return sha256Hex(bytes.data(), bytes.size());
}

const JsonValue* arrayMember(const JsonValue& value, const char* key) {
    const JsonValue* member = value.find(key);
    return member != nullptr && member->isArray() ? member : nullptr;
}

class RuntimeBankLoader {
  public:
    RuntimeBankLoader(const std::string& directory, size_t arenaFrameCapacity, const std::string& instrument)
        : directory_(directory), arenaFrameCapacity_(arenaFrameCapacity), requestedInstrument_(instrument) {}

    RuntimeBankLoad load() { return resultOf(stageEverything()); }
    RuntimeBankLoad inspect() { return resultOf(checkManifest()); }

  private:
    std::string directory_;
    size_t arenaFrameCapacity_;
    std::string requestedInstrument_;
    JsonValue manifest_;
    StagedBank bank_;
    std::map<std::string, std::vector<uint8_t>> verifiedAssets_;
    std::map<std::string, WavAudio> decodedAssets_;
    std::map<std::string, PooledAsset> pooledAssets_;
    RuntimeBankOutcome failure_ = RuntimeBankOutcome::bankMissing;
    std::string message_;

    RuntimeBankLoad resultOf(bool succeeded) {
        RuntimeBankLoad result;
        if (succeeded) {
            result.outcome = RuntimeBankOutcome::ok;
            result.bank = std::move(bank_);
        } else {
            result.outcome = failure_;
            result.error = std::move(message_);
        }
        return result;
    }

    // Messages quote the pack's own texts (formats, ids, paths), which may hold any byte; a control
    // byte becomes "?" so that the message stays the one line its readers expect.
    bool fail(RuntimeBankOutcome outcome, std::string message) {
        for (char& byte : message) {
            if (static_cast<unsigned char>(byte) < 0x20 || byte == '\x7f')
                byte = '?';
        }
        failure_ = outcome;
        message_ = std::move(message);
        return false;
    }

    // Both the text and, through any symbolic links, the real file must stay inside the pack.
    bool isPackPath(const std::string& relative) const {
        return pathIsContained(relative) && realPathStaysInside(directory_, relative);
    }

    // A document of the pack, read only when it is no larger than kMaxPackDocumentBytes; `name` is how
    // a refusal names it.
    bool readPackDocument(const std::string& path, const std::string& name, std::vector<uint8_t>& bytes,
                          const std::string& unreadableMessage) {
        switch (readFileUpTo(path, kMaxPackDocumentBytes, bytes)) {
        case FileRead::ok:
            return true;
        case FileRead::tooLarge:
            return fail(RuntimeBankOutcome::bankTooLarge, name + " is larger than the " +
                                                              std::to_string(kMaxPackDocumentBytes) +
                                                              " bytes a pack document may hold");
        case FileRead::unreadable:
            break;
        }
        return fail(RuntimeBankOutcome::bankMissing, unreadableMessage);
    }

    bool checkManifest() {
        std::string documentPath;
        if (!readManifest() || !checkAssetDeclarations())
            return false;
        collectPositionings();
        return selectInstrument(documentPath);
    }

    bool stageEverything() {
        JsonValue instrumentDocument;
        if (!readManifest() || !verifyAssets())
            return false;
        collectPositionings();
        collectPresets();
        if (!readInstrumentDocument(instrumentDocument))
            return false;
        const JsonValue& zones = *instrumentDocument.find("zones");
        if (!decodeZoneAssets(zones) || !stageZones(zones))
            return false;
        bank_.sampleRate = firstKnownSampleRate();
        if (bank_.zones.empty() || bank_.samples.empty())
            return fail(RuntimeBankOutcome::bankMalformed, "bank staged no zones or no samples");
        return true;
    }

    bool readManifest() {
        std::string manifestPath = joinPath(directory_, "bank.json");
        std::vector<uint8_t> bytes;
        if (!readPackDocument(manifestPath, "bank.json", bytes, "cannot read " + manifestPath))
            return false;
        if (!parseJsonDocument(bytes, manifest_) || !manifest_.isObject())
            return fail(RuntimeBankOutcome::bankMalformed, "bank.json is not a JSON object");
        std::string format = manifest_.str("format");
        if (format != kSoundPackFormat)
            return fail(RuntimeBankOutcome::bankMalformed,
                        "bank.json format is " + quoted(format) + ", expected " + kSoundPackFormat);
        bank_.id = manifest_.str("id");
        bank_.version = manifest_.str("version");
        bank_.name = manifest_.str("name");
        if (bank_.id.empty())
            return fail(RuntimeBankOutcome::bankMalformed, "bank.json declares no id");
        bank_.sha256 = digestOf(bytes);
        return true;
    }

    // Runs `step` on every object entry of the asset table, in order, until one fails.
    template <class Step> bool forEachAsset(Step step) {
        const JsonValue* assetTable = arrayMember(manifest_, "assetTable");
        if (assetTable == nullptr || assetTable->array.empty())
            return fail(RuntimeBankOutcome::bankMalformed, "bank.json declares no assetTable");
        for (const JsonValue& entry : assetTable->array) {
            if (entry.isObject() && !step(entry))
                return false;
        }
        return true;
    }

    bool verifyAssets() {
        return forEachAsset(
            [this](const JsonValue& entry) { return checkAssetDeclaration(entry) && verifyAsset(entry); });
    }

    bool checkAssetDeclarations() {
        return forEachAsset([this](const JsonValue& entry) { return checkAssetDeclaration(entry); });
    }

    // What an entry must be before its file is looked at.
    bool checkAssetDeclaration(const JsonValue& entry) {
        std::string id = entry.str("id");
        std::string path = entry.str("path");
        std::string codec = entry.str("codec", "wav");
        if (id.empty() || path.empty())
            return fail(RuntimeBankOutcome::bankMalformed, "assetTable entry missing id or path");
        if (!isPackPath(path))
            return fail(RuntimeBankOutcome::bankMalformed,
                        "asset " + quoted(id) + " path escapes the bank directory");
        if (codec != "wav")
            return fail(RuntimeBankOutcome::bankUnsupportedCodec,
                        "asset " + quoted(id) + " codec " + quoted(codec) +
                            " is not decoded by the native runtime loader (wav only)");
        return true;
    }

    bool verifyAsset(const JsonValue& entry) {
        std::string id = entry.str("id");
        std::string path = entry.str("path");
        std::string declaredDigest = entry.str("sha256");
        const JsonValue* bytesMember = entry.find("bytes");
        double declaredBytes = bytesMember != nullptr && bytesMember->isNumber() ? bytesMember->number : -1.0;
        std::vector<uint8_t> bytes;
        if (!readWholeFile(joinPath(directory_, path), bytes))
            return fail(RuntimeBankOutcome::bankMissing, "asset " + quoted(id) + " file missing: " + path);
        if (declaredBytes >= 0.0 && declaredBytes != static_cast<double>(bytes.size()))
            return fail(RuntimeBankOutcome::bankHashMismatch,
                        "asset " + quoted(id) + " is " + std::to_string(bytes.size()) +
                            " bytes, manifest declares " + wholeNumberText(declaredBytes));
        if (!declaredDigest.empty()) {
            std::string digest = digestOf(bytes);
            if (digest != declaredDigest)
                return fail(RuntimeBankOutcome::bankHashMismatch,
                            "asset " + quoted(id) + " sha256 " + digest.substr(0, 16) +
                                "\xE2\x80\xA6 does not match the manifest");
        }
        verifiedAssets_[id] = std::move(bytes);
        return true;
    }

    void collectPositionings() {
        for (const char* list : kPositioningLists) {
            const JsonValue* entries = arrayMember(manifest_, list);
            if (entries == nullptr)
                continue;
            for (const JsonValue& entry : entries->array) {
                if (entry.isObject() && !entry.str("id").empty())
                    bank_.positionings.push_back({entry.str("id"), entry.str("name"), list});
            }
        }
    }

    // A preset whose document is missing, unreadable or holds no usable parameter is left out
    // quietly: presets are an extra, not part of what makes the bank playable.
    void collectPresets() {
        const JsonValue* entries = arrayMember(manifest_, "presets");
        if (entries == nullptr)
            return;
        for (const JsonValue& entry : entries->array) {
            if (!entry.isObject() || entry.str("id").empty())
                continue;
            StagedPreset preset;
            preset.id = entry.str("id");
            preset.name = entry.str("name");
            if (preset.name.empty())
                preset.name = preset.id;
            preset.instrument = entry.str("instrument");
            readPresetParams(entry.str("document"), preset);
            if (!preset.params.empty())
                bank_.presets.push_back(std::move(preset));
        }
    }

    void readPresetParams(const std::string& documentPath, StagedPreset& preset) const {
        std::vector<uint8_t> bytes;
        JsonValue document;
        if (!isPackPath(documentPath) ||
            readFileUpTo(joinPath(directory_, documentPath), kMaxPackDocumentBytes, bytes) != FileRead::ok ||
            !parseJsonDocument(bytes, document))
            return;
        const JsonValue* params = document.find("params");
        if (params == nullptr || !params->isObject())
            return;
        for (const auto& [path, value] : params->object) {
            if (value.isNumber() && std::isfinite(value.number))
                preset.params.emplace_back(path, value.number);
        }
    }

    const JsonValue* findInstrumentEntry(std::string& kind) const {
        for (const char* list : kPositioningLists) {
            const JsonValue* entries = arrayMember(manifest_, list);
            if (entries == nullptr)
                continue;
            for (const JsonValue& entry : entries->array) {
                if (!entry.isObject())
                    continue;
                bool matches = requestedInstrument_.empty() ? !entry.str("document").empty()
                                                            : entry.str("id") == requestedInstrument_;
                if (matches) {
                    kind = list;
                    return &entry;
                }
            }
        }
        return nullptr;
    }

    bool failNoInstrument() {
        if (requestedInstrument_.empty())
            return fail(RuntimeBankOutcome::bankMalformed,
                        "bank.json names no readable instrument/kit document");
        std::string known;
        for (const StagedPositioning& positioning : bank_.positionings)
            known += (known.empty() ? "" : ", ") + positioning.id;
        return fail(RuntimeBankOutcome::bankInstrumentUnknown,
                    "bank " + bank_.id + " has no instrument or kit " + quoted(requestedInstrument_) +
                        (known.empty() ? " (the bank lists none)" : " (known: " + known + ")"));
    }

    // The requested (or first usable) instrument or kit, taken into the bank, and its document's path.
    bool selectInstrument(std::string& documentPath) {
        std::string kind;
        const JsonValue* entry = findInstrumentEntry(kind);
        if (entry == nullptr)
            return failNoInstrument();
        bank_.instrumentId = entry->str("id");
        bank_.instrumentName = entry->str("name");
        bank_.instrumentKind = kind;
        documentPath = entry->str("document");
        return isPackPath(documentPath) || failNoInstrument();
    }

    bool readInstrumentDocument(JsonValue& document) {
        std::string documentPath;
        if (!selectInstrument(documentPath))
            return false;
        std::vector<uint8_t> bytes;
        if (!readPackDocument(joinPath(directory_, documentPath), "instrument document " + documentPath,
                              bytes, "instrument document missing: " + documentPath))
            return false;
        if (!parseJsonDocument(bytes, document) || !document.isObject())
            return fail(RuntimeBankOutcome::bankMalformed, "instrument document is not a JSON object");
        std::string format = document.str("format");
        if (format != kInstrumentFormat)
            return fail(RuntimeBankOutcome::bankMalformed, "instrument document format is " + quoted(format) +
                                                               ", expected " + kInstrumentFormat);
        const JsonValue* zones = arrayMember(document, "zones");
        if (zones == nullptr || zones->array.empty())
            return fail(RuntimeBankOutcome::bankMalformed, "instrument document declares no zones");
        return true;
    }

    // Every zone must name a verified asset; each asset is decoded once, however many zones use it.
    bool decodeZoneAssets(const JsonValue& zones) {
        for (const JsonValue& zone : zones.array) {
            if (!zone.isObject())
                continue;
            std::string assetId = zone.str("assetId");
            auto verified = verifiedAssets_.find(assetId);
            if (verified == verifiedAssets_.end())
                return fail(RuntimeBankOutcome::bankMalformed, "zone " + quoted(zone.str("id")) +
                                                                   " names asset " + quoted(assetId) +
                                                                   " which the assetTable does not declare");
            if (decodedAssets_.count(assetId) != 0)
                continue;
            const std::vector<uint8_t>& bytes = verified->second;
            std::string decoderMessage;
            WavAudio audio;
            if (!decodeWav(bytes.data(), bytes.data() + bytes.size(), audio, decoderMessage))
                return fail(RuntimeBankOutcome::bankUnsupportedCodec,
                            "asset " + quoted(assetId) + ": " + decoderMessage);
            decodedAssets_[assetId] = std::move(audio);
            verified->second = std::vector<uint8_t>(); // the file bytes are not needed once decoded
        }
        return true;
    }

    bool poolAsset(const std::string& assetId) {
        WavAudio& audio = decodedAssets_[assetId];
        uint64_t poolFrames = static_cast<uint64_t>(bank_.samples.size()) + audio.samples.size();
        if (poolFrames > kMaxPoolFrames)
            return fail(RuntimeBankOutcome::bankTooLarge, "bank needs " + std::to_string(poolFrames) +
                                                              " arena frames, more than a zone can address");
        PooledAsset pooled;
        pooled.offset = static_cast<uint32_t>(bank_.samples.size());
        pooled.frames = static_cast<uint32_t>(audio.samples.size());
        pooled.sampleRate = audio.sampleRate;
        bank_.samples.insert(bank_.samples.end(), audio.samples.begin(), audio.samples.end());
        audio.samples = std::vector<float>();
        pooledAssets_[assetId] = pooled;
        if (arenaFrameCapacity_ != 0 && bank_.samples.size() > arenaFrameCapacity_)
            return fail(RuntimeBankOutcome::bankTooLarge,
                        "bank needs " + std::to_string(bank_.samples.size()) +
                            " arena frames, the kernel published " + std::to_string(arenaFrameCapacity_));
        return true;
    }

    bool stageZones(const JsonValue& zones) {
        for (const JsonValue& zone : zones.array) {
            if (!zone.isObject())
                continue;
            std::string assetId = zone.str("assetId");
            if (pooledAssets_.count(assetId) == 0 && !poolAsset(assetId))
                return false;
            bank_.zones.push_back(stageZone(zone, pooledAssets_[assetId]));
        }
        return true;
    }

    double firstKnownSampleRate() const {
        for (const StagedZone& zone : bank_.zones) {
            if (zone.sampleRate > 0.0)
                return zone.sampleRate;
        }
        return 48000.0;
    }
};

} // namespace

RuntimeBankLoad loadRuntimeBank(const std::string& bankDirectory, size_t arenaFrameCapacity,
                                const std::string& instrument) {
    return RuntimeBankLoader(bankDirectory, arenaFrameCapacity, instrument).load();
}

RuntimeBankLoad inspectRuntimeBank(const std::string& bankDirectory, const std::string& instrument) {
    return RuntimeBankLoader(bankDirectory, 0, instrument).inspect();
}

} // namespace vanto
