#include "banks/runtime_bank_reply.h"

#include "encoding/decimal_17g.h"

namespace vanto {

namespace {

bool isReplySeparator(char byte) {
    return byte == kReplyLineSeparator || byte == '\r' || byte == kReplyFieldSeparator ||
           byte == kReplyPresetMarker || byte == kReplyParamSeparator;
}

void appendField(std::string& out, const std::string& text) {
    for (char byte : text)
        out += isReplySeparator(byte) ? ' ' : byte;
}

void appendFieldLine(std::string& out, const std::string& first, const std::string& second,
                     const std::string& third) {
    out += kReplyLineSeparator;
    appendField(out, first);
    out += kReplyFieldSeparator;
    appendField(out, second);
    out += kReplyFieldSeparator;
    appendField(out, third);
}

void appendPresetLine(std::string& out, const StagedPreset& preset) {
    out += kReplyLineSeparator;
    out += kReplyPresetMarker;
    appendField(out, preset.id);
    out += kReplyFieldSeparator;
    appendField(out, preset.name);
    out += kReplyFieldSeparator;
    appendField(out, preset.instrument);
    out += kReplyFieldSeparator;
    for (size_t i = 0; i < preset.params.size(); ++i) {
        if (i > 0)
            out += kReplyParamSeparator;
        appendField(out, preset.params[i].first);
        out += '=';
        appendDecimal17g(out, preset.params[i].second);
    }
}

} // namespace

std::string encodeRuntimeBankReply(const char* outcomeName, const std::string& message,
                                   const StagedBank* bank) {
    std::string reply;
    appendField(reply, outcomeName != nullptr && outcomeName[0] != '\0' ? outcomeName : "missing");
    reply += kReplyLineSeparator;
    appendField(reply, message);
    if (bank == nullptr)
        return reply;
    appendFieldLine(reply, bank->instrumentId, bank->instrumentName, bank->instrumentKind);
    for (const StagedPositioning& positioning : bank->positionings)
        appendFieldLine(reply, positioning.id, positioning.name, positioning.kind);
    for (const StagedPreset& preset : bank->presets)
        appendPresetLine(reply, preset);
    return reply;
}

} // namespace vanto
