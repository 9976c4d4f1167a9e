// The sound-pack loader on a pack folder written from the input: its sections are bank.json, then
// pairs of a relative path and that file's bytes (documents, WAV assets; paths are reduced to plain
// folder and file names so every file lands inside the pack). A load either fails with an outcome and
// a one-line message and no bank, or stages a bank whose zones, windows and loops all lie inside the
// sample pool, with finite samples.
#include "fuzz_check.h"
#include "fuzz_sections.h"

#include "banks/runtime_bank_loader.h"
#include "banks/temp_folder.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

using vanto::StagedBank;
using vanto::StagedZone;

constexpr std::size_t kMaxSections = 9; // bank.json and four files
constexpr std::size_t kMaxPathComponents = 3;

bool isNameCharacter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' ||
           c == '_' || c == '-';
}

// The input's path with every component that is not a plain name dropped; empty when none is left.
std::string packRelativePath(const std::string& text) {
    std::string path;
    std::size_t components = 0;
    std::size_t begin = 0;
    while (begin <= text.size() && components < kMaxPathComponents) {
        std::size_t end = text.find('/', begin);
        end = end == std::string::npos ? text.size() : end;
        const std::string component = text.substr(begin, end - begin);
        bool plain = !component.empty() && component != "." && component != "..";
        for (char c : component) {
            plain = plain && isNameCharacter(c);
        }
        if (plain) {
            path += (path.empty() ? "" : "/") + component;
            ++components;
        }
        begin = end + 1;
    }
    return path;
}

std::string writePack(const std::vector<std::string>& sections) {
    static const vanto::fixtures::TempFolder scratch;
    const std::string pack = scratch.at("pack");
    std::filesystem::remove_all(pack);
    std::filesystem::create_directories(pack);
    vanto::fixtures::writeFile(pack + "/bank.json", sections[0]);
    for (std::size_t i = 1; i + 1 < sections.size(); i += 2) {
        const std::string relative = packRelativePath(sections[i]);
        if (relative.empty() || relative == "bank.json") {
            continue;
        }
        try {
            vanto::fixtures::writeFile(pack + "/" + relative, sections[i + 1]);
        } catch (const std::runtime_error&) {
            // A path through a file written before it, or naming a folder, cannot be written; the pack goes
            // without it.
        }
    }
    return pack;
}

void checkZone(const StagedZone& zone, std::size_t poolFrames) {
    FUZZ_CHECK(uint64_t{zone.assetOffset} + zone.assetFrames <= poolFrames);
    FUZZ_CHECK(zone.start >= zone.assetOffset);
    FUZZ_CHECK(uint64_t{zone.start} + zone.frames <= uint64_t{zone.assetOffset} + zone.assetFrames);
    if (zone.loopEnabled) {
        FUZZ_CHECK(zone.loopStart < zone.loopEnd);
        FUZZ_CHECK(zone.loopEnd <= zone.frames);
        FUZZ_CHECK(zone.loopCrossfade <= zone.loopEnd - zone.loopStart);
    }
    FUZZ_CHECK(zone.sampleRate > 0.0);
}

void checkBank(const StagedBank& bank) {
    FUZZ_CHECK(!bank.id.empty());
    FUZZ_CHECK(!bank.zones.empty());
    FUZZ_CHECK(!bank.samples.empty());
    for (float sample : bank.samples) {
        FUZZ_CHECK(std::isfinite(sample));
    }
    for (const StagedZone& zone : bank.zones) {
        checkZone(zone, bank.samples.size());
    }
    for (const vanto::StagedPreset& preset : bank.presets) {
        FUZZ_CHECK(!preset.params.empty());
        for (const auto& [path, value] : preset.params) {
            FUZZ_CHECK(std::isfinite(value));
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const std::string pack = writePack(vanto::fuzz::splitSections(data, size, kMaxSections));
    const vanto::RuntimeBankLoad load = vanto::loadRuntimeBank(pack, 0, "");
    if (load.outcome == vanto::RuntimeBankOutcome::ok) {
        FUZZ_CHECK(load.error.empty());
        checkBank(load.bank);
    } else {
        FUZZ_CHECK(!load.error.empty());
        FUZZ_CHECK(load.error.find('\n') == std::string::npos);
        FUZZ_CHECK(load.bank.zones.empty() && load.bank.samples.empty());
    }
    return 0;
}
