#include "banks/bank_control_reply.h"

#include "banks/runtime_bank_reply.h"
#include "banks/split_fields.h"
#include "encoding/c_locale_number.h"

#include <cmath>
#include <optional>

namespace vanto {

namespace {

std::vector<std::string> splitAt(const std::string& text, char separator) {
    std::vector<std::string> parts;
    std::size_t begin = 0;
    for (;;) {
        std::size_t end = text.find(separator, begin);
        parts.push_back(text.substr(begin, end == std::string::npos ? std::string::npos : end - begin));
        if (end == std::string::npos)
            return parts;
        begin = end + 1;
    }
}

// The whole text must be one finite number.
std::optional<double> finiteNumber(const std::string& text) {
    char* stop = nullptr;
    double value = strtodCLocale(text.c_str(), &stop);
    if (text.empty() || stop != text.c_str() + text.size() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

// "path=value"; the value is after the last "=", since numbers never contain one.
void appendParam(BankControlPreset& preset, const std::string& pair) {
    std::size_t equals = pair.rfind('=');
    if (equals == std::string::npos)
        return;
    if (std::optional<double> value = finiteNumber(pair.substr(equals + 1)))
        preset.params.emplace_back(pair.substr(0, equals), *value);
}

BankControlPreset presetFromLine(const std::string& line) {
    std::vector<std::string> fields = splitFields(line.substr(1), 4);
    fields.resize(4);
    BankControlPreset preset{fields[0], fields[1], fields[2], {}};
    if (!fields[3].empty()) {
        for (const std::string& pair : splitAt(fields[3], kReplyParamSeparator))
            appendParam(preset, pair);
    }
    return preset;
}

void readInstrumentLine(const std::string& line, LoadedBankFacts& bank) {
    std::vector<std::string> fields = splitFields(line, 3);
    fields.resize(3);
    bank.instrumentId = fields[0];
    bank.instrumentName = fields[1];
    bank.instrumentList = fields[2];
}

} // namespace

bool parseRuntimeBankReply(const std::string& text, std::string& outcome, LoadedBankFacts& bank) {
    std::vector<std::string> lines = splitAt(text, kReplyLineSeparator);
    outcome = lines[0];
    bank = LoadedBankFacts();
    if (outcome.empty())
        return false;
    if (outcome != "ok")
        return true;
    // Line 2 is the loader's message, which stays with the processor.
    if (lines.size() > 2)
        readInstrumentLine(lines[2], bank);
    for (std::size_t i = 3; i < lines.size(); ++i) {
        if (lines[i].empty())
            continue;
        if (lines[i][0] == kReplyPresetMarker)
            bank.presets.push_back(presetFromLine(lines[i]));
        else
            bank.positionings.push_back(lines[i]);
    }
    return true;
}

} // namespace vanto
