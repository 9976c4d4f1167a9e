// Writing the component state document: one compact JSON object holding the plain parameter values
// and whatever else the caller hands in. The processor's stream and the editor's state export carry it.
#pragma once

#include "ccmap/cc_map.h"
#include "processor/state_chunk.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace vanto {

// A bank reference to be written: texts owned by the caller, null or empty meaning absent.
struct BankStateRefOut {
    const char* id = nullptr;
    const char* bankVersion = nullptr;
    const char* sha256 = nullptr;
    const char* source = nullptr; // written as "embedded" when absent
    const char* presetId = nullptr;
    const char* instrument = nullptr;
    const char* locator = nullptr;
};

// An opaque authored block, written as Base64 with its version.
struct AuthoredStateOut {
    const unsigned char* bytes = nullptr;
    std::size_t size = 0;
    int32_t version = 0;
};

// `params` holds VANTO_PARAM_COUNT plain values in parameter-id order (a non-finite value is written
// as null). Leave parts out with variation -1, null pointers, fault 0 and program 0. A bank
// reference without an id, an authored block without bytes and an empty list of pad overrides are
// left out as well. The pad overrides are written in a "sampler" block between the zone program and
// the bank reference.
std::string writeStateJson(const double* params, int variation, const CcMap* ccMap,
                           SamplerAssetDiagnostic fault, SamplerZoneProgram program,
                           const BankStateRefOut* bank, const AuthoredStateOut* authored,
                           const SamplerPadOverrides* pads = nullptr);

} // namespace vanto
