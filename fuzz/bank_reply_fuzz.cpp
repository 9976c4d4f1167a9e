// The processor's bank reply as bank control reads it: any text is refused or read into bank facts;
// facts written again by the processor's encoder read back to facts that encode to the very same
// text, and no field of a written reply can forge a line, a field or a preset.
#include "fuzz_check.h"

#include "banks/bank_control_reply.h"
#include "banks/runtime_bank_reply.h"
#include "banks/split_fields.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace {

vanto::StagedBank bankOf(const vanto::LoadedBankFacts& facts) {
    vanto::StagedBank bank;
    bank.instrumentId = facts.instrumentId;
    bank.instrumentName = facts.instrumentName;
    bank.instrumentKind = facts.instrumentList;
    for (const std::string& line : facts.positionings) {
        std::vector<std::string> fields = vanto::splitFields(line, 3);
        fields.resize(3);
        bank.positionings.push_back({fields[0], fields[1], fields[2]});
    }
    for (const vanto::BankControlPreset& preset : facts.presets) {
        bank.presets.push_back({preset.id, preset.name, preset.instrument, preset.params});
    }
    return bank;
}

std::string encodeFacts(const vanto::LoadedBankFacts& facts) {
    const vanto::StagedBank bank = bankOf(facts);
    return vanto::encodeRuntimeBankReply("ok", "", &bank);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    std::string outcome;
    vanto::LoadedBankFacts facts;
    if (!vanto::parseRuntimeBankReply(std::string(reinterpret_cast<const char*>(data), size), outcome,
                                      facts)) {
        FUZZ_CHECK(outcome.empty());
        return 0;
    }
    const std::string first = encodeFacts(facts);
    vanto::LoadedBankFacts again;
    FUZZ_CHECK(vanto::parseRuntimeBankReply(first, outcome, again));
    FUZZ_CHECK(outcome == "ok");
    FUZZ_CHECK(again.positionings.size() == facts.positionings.size());
    FUZZ_CHECK(again.presets.size() == facts.presets.size());
    FUZZ_CHECK(encodeFacts(again) == first);
    return 0;
}
