// Runtime sample banks: answering the controller's request for one or a restored state that names one,
// and the recall outcome when a state names a bank that cannot be provided. This effect's engine plays
// no samples and refuses every bank, so a pack is only inspected, never staged, and even a pack that
// would load cleanly ends in a diagnostic the controller is told about.
#include "processor/vanto_processor.h"

#include "banks/hosted_bank_cache.h"
#include "processor/requested_bank_read.h"
#include "processor/state_chunk.h"

#include <cstring>

namespace vanto {

namespace {

bool namesLoadableBank(const StateChunk& chunk) {
    return chunk.hasBankRef && chunk.hasBankLocator && chunk.bankLocator[0] != '\0' &&
           std::strcmp(chunk.bankSource, kBankSourceEmbedded) != 0;
}

// A hosted bank's locator is the address it was downloaded from; the bank itself sits in the
// download cache under its pinned digest. A digest that is no pin is never joined to the cache root,
// since a state could otherwise lead the loader anywhere on disk.
std::string folderOfStateBank(const StateChunk& chunk) {
    if (std::strcmp(chunk.bankSource, kBankSourceHosted) == 0 && isHostedBankPin(chunk.bankSha256)) {
        const std::string cacheRoot = hostedBankCacheRoot();
        if (!cacheRoot.empty()) {
            return cacheRoot + "/" + chunk.bankSha256;
        }
    }
    return chunk.bankLocator;
}

} // namespace

RuntimeBankOutcome VantoProcessor::loadRuntimeBankFromPath(const std::string& path, const std::string& source,
                                                           const std::string& instrument,
                                                           std::string& error) {
    return concludeRuntimeBankLoad(readRequestedBank(path, instrument), source, error);
}

RuntimeBankOutcome VantoProcessor::concludeRuntimeBankLoad(const RuntimeBankLoad& load,
                                                           const std::string& source, std::string& error) {
    RuntimeBankOutcome outcome = load.outcome;
    error = load.error;
    // The engine would refuse the staged bank (KernelEngine::publishRuntimeBank takes none), so a pack
    // that is a bank is refused as that refusal reads, without staging it first.
    if (outcome == RuntimeBankOutcome::ok) {
        error = "the engine refused the staged bank (arena capacity)";
        outcome = RuntimeBankOutcome::bankTooLarge;
    }
    engine.recordRuntimeBankFailure(outcome, error.c_str(), source.c_str());
    sendRuntimeDiagnostics(false);
    return outcome;
}

// No bank a state names can be provided, as the engine takes none; reading the pack still tells the
// controller why it is not there (the pack's own fault, or the engine's refusal).
void VantoProcessor::restoreRuntimeBank(const StateChunk& chunk) {
    if (namesLoadableBank(chunk)) {
        std::string error;
        loadRuntimeBankFromPath(folderOfStateBank(chunk), chunk.bankSource, chunk.bankInstrument, error);
    }
    // A state that located a bank it could not provide leaves no earlier bank playing in its place.
    if (chunk.hasBankLocator) {
        engine.publishRuntimeBank(nullptr);
    }
    // The parameters just restored stay; no other bank takes the named one's place.
    engine.recallSampleBank(chunk.hasBankRef, chunk.bankId);
}

} // namespace vanto
