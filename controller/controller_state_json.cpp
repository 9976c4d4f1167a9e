#include "controller/controller_state_json.h"

#include "ccmap/cc_map_json_writer.h"

namespace vanto {

void writeControllerStateJson(std::string& out, const CcMap* ccMap, const SamplerPadOverrides& pads) {
    out += '{';
    if (ccMap != nullptr) {
        out += "\"ccMap\":";
        writeCcMapJson(out, *ccMap);
    }
    if (!pads.empty()) {
        if (ccMap != nullptr) {
            out += ',';
        }
        out += "\"sampler\":{\"v\":1,\"pads\":";
        writeSamplerPadOverridesJson(out, pads);
        out += '}';
    }
    out += '}';
}

} // namespace vanto
