#include "banks/staged_zone.h"

#include <algorithm>
#include <cmath>

namespace vanto {

namespace {

// A key is present when it exists and is not null.
const JsonValue* presentMember(const JsonValue& zone, const char* key) {
    const JsonValue* member = zone.find(key);
    return member != nullptr && member->type != JsonValue::Type::null ? member : nullptr;
}

// A frame position from a document: made non-negative and truncated; values past the 32-bit range
// saturate instead of wrapping.
uint32_t clampedFrame(const JsonValue* member) {
    if (member == nullptr || !member->isNumber() || !(member->number > 0.0))
        return 0;
    if (member->number >= 4294967295.0)
        return 0xFFFFFFFFu;
    return static_cast<uint32_t>(member->number);
}

uint32_t midiValue(const JsonValue& zone, const char* key, uint32_t fallback) {
    const JsonValue* member = zone.find(key);
    if (member == nullptr || !member->isNumber() || std::isnan(member->number))
        return fallback;
    if (member->number <= 0.0)
        return 0;
    if (member->number > 127.0)
        return 127;
    return static_cast<uint32_t>(member->number + 0.5);
}

// Non-finite values are treated as absent: they would turn every voice that uses the zone into noise.
double finiteNumber(const JsonValue& zone, const char* key, double fallback) {
    const JsonValue* member = zone.find(key);
    return member != nullptr && member->isNumber() && std::isfinite(member->number) ? member->number
                                                                                    : fallback;
}

bool flag(const JsonValue& zone, const char* key, bool fallback) {
    const JsonValue* member = zone.find(key);
    return member != nullptr && member->isBool() ? member->boolean : fallback;
}

// Returns the window's start relative to the asset (0 when "startFrame" lies beyond the asset).
uint32_t applySampleWindow(const JsonValue& zone, StagedZone& staged) {
    uint32_t startOffset = 0;
    if (const JsonValue* startFrame = presentMember(zone, "startFrame")) {
        startOffset = clampedFrame(startFrame);
        if (startOffset < staged.frames) {
            staged.start += startOffset;
            staged.frames -= startOffset;
        } else {
            startOffset = 0;
        }
    }
    if (const JsonValue* endFrame = presentMember(zone, "endFrame")) {
        uint32_t end = clampedFrame(endFrame);
        if (end > startOffset)
            staged.frames = std::min(end - startOffset, staged.frames);
    }
    return startOffset;
}

void applyForwardLoop(const JsonValue& zone, uint32_t startOffset, StagedZone& staged) {
    const JsonValue* loopStartFrame = presentMember(zone, "loopStartFrame");
    const JsonValue* loopEndFrame = presentMember(zone, "loopEndFrame");
    if (zone.str("loopMode", "none") != "forward" || loopStartFrame == nullptr || loopEndFrame == nullptr)
        return;
    uint32_t loopStart = clampedFrame(loopStartFrame);
    uint32_t loopEnd = clampedFrame(loopEndFrame);
    staged.loopStartRaw = loopStart;
    staged.loopEndRaw = loopEnd;
    if (loopStart < startOffset || loopEnd <= loopStart || loopEnd - startOffset > staged.frames)
        return;
    staged.loopEnabled = true;
    staged.loopStart = loopStart - startOffset;
    staged.loopEnd = loopEnd - startOffset;
    if (const JsonValue* crossfade = presentMember(zone, "loopCrossfadeFrames")) {
        staged.loopCrossfadeRaw = clampedFrame(crossfade);
        if (staged.loopCrossfadeRaw <= staged.loopEnd - staged.loopStart)
            staged.loopCrossfade = staged.loopCrossfadeRaw;
    }
}

} // namespace

uint32_t triggerCode(const std::string& name) {
    if (name == "release")
        return kTriggerRelease;
    if (name == "legato")
        return kTriggerLegato;
    return kTriggerAttack;
}

StagedZone stageZone(const JsonValue& zone, const PooledAsset& asset) {
    StagedZone staged;
    staged.id = zone.str("id");
    staged.assetOffset = asset.offset;
    staged.assetFrames = asset.frames;
    staged.start = asset.offset;
    staged.frames = asset.frames;
    staged.sampleRate = asset.sampleRate;
    uint32_t startOffset = applySampleWindow(zone, staged);
    staged.lowKey = midiValue(zone, "lowKey", staged.lowKey);
    staged.highKey = midiValue(zone, "highKey", staged.highKey);
    staged.rootKey = midiValue(zone, "rootKey", staged.rootKey);
    staged.lowVelocity = midiValue(zone, "lowVelocity", staged.lowVelocity);
    staged.highVelocity = midiValue(zone, "highVelocity", staged.highVelocity);
    staged.keyTracking = flag(zone, "keyTracking", staged.keyTracking);
    staged.reverse = flag(zone, "reverse", staged.reverse);
    staged.gain = finiteNumber(zone, "gain", staged.gain);
    staged.pan = finiteNumber(zone, "pan", staged.pan);
    staged.fineTuneCents = finiteNumber(zone, "fineTuneCents", staged.fineTuneCents);
    staged.attackSeconds = finiteNumber(zone, "attackSeconds", staged.attackSeconds);
    staged.releaseSeconds = finiteNumber(zone, "releaseSeconds", staged.releaseSeconds);
    staged.filterCutoffHz = finiteNumber(zone, "filterCutoffHz", staged.filterCutoffHz);
    staged.filterResonance = finiteNumber(zone, "filterResonance", staged.filterResonance);
    staged.roundRobinGroup = clampedFrame(zone.find("roundRobinGroup"));
    staged.chokeGroup = clampedFrame(zone.find("chokeGroup"));
    staged.trigger = triggerCode(zone.str("trigger", "attack"));
    applyForwardLoop(zone, startOffset, staged);
    return staged;
}

} // namespace vanto
