#include "ccmap/cc_activity_json.h"

namespace vanto {

void writeMidiCcJson(std::string& out, const CcActivityRecord& record) {
    out += "{\"type\":\"vanto.midiCc\",\"cc\":";
    out += std::to_string(record.cc);
    out += ",\"channel\":";
    out += std::to_string(record.channel);
    out += ",\"value\":";
    out += std::to_string(record.value);
    out += '}';
}

} // namespace vanto
