// The "vanto.bankState" document: everything the editor page shows about sample banks (pad
// overrides, the loaded runtime bank with its instruments and presets, the last error).
#pragma once

#include "banks/bank_control_facts.h"
#include "banks/sampler_pad_overrides.h"

#include <string>

namespace vanto {

struct BankStateView {
    const SamplerPadOverrides& pads;
    bool hasRuntime;
    const BankRequest& request;
    const LoadedBankFacts& bank;
};

// Appends the document. `reason` null means "query"; the "error" block is written only when
// `errorCode` is given (a null `requestedId` is written as ""). Without a loaded bank that has
// presets, the preset list is the factory presets'.
void writeBankStateJson(std::string& out, const BankStateView& state, const char* reason,
                        const char* errorCode, const char* requestedId);

} // namespace vanto
