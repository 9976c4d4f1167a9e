// One decoded message from the editor page. The page posts one JSON object per message; the
// controller and its bank control read the members they need from this record.
#pragma once

#include "banks/sampler_pad_overrides.h"
#include "ccmap/cc_map.h"
#include "diagnostics/diagnostic_feeds.h"
#include "processor/state_chunk.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace vanto {

enum BridgeDiagnosticKind : uint8_t {
    kBridgeDiagnosticNone = 0,
    kBridgeDiagnosticSubscribe = 1,
    kBridgeDiagnosticUnsubscribe = 2,
    kBridgeDiagnosticStimulus = 3,
};

struct BridgeMessage {
    std::string type;
    std::string path;
    std::string id;
    std::string source;
    std::string bankPath;
    std::string url;
    std::string sha256;
    std::string instrument;
    double value = 0.0;
    bool hasValue = false;
    double note = 0.0;
    double velocity = 0.0;
    StateChunk state;
    bool hasState = false;
    CcMap map;
    bool hasMap = false;
    SamplerPadOverrides pads;
    bool hasPads = false;
    BridgeDiagnosticKind diagnosticKind = kBridgeDiagnosticNone;
    uint32_t feeds = 0; // OR of DiagnosticFeedBit
    double hz = 0.0;
    std::string stimulusKind;
};

// Decodes one message. On failure `out` holds no meaningful content and the message is dropped.
bool parseBridgeMessage(const char* bytes, std::size_t length, BridgeMessage& out);

} // namespace vanto
