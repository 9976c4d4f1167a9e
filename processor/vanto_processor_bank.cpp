// Runtime sample banks: loading one on the controller's request or because a restored state names
// it, and the recall outcome when a state names a bank that cannot be provided. This effect's engine
// plays no samples and refuses every bank, so even a pack that loads cleanly ends in a diagnostic the
// controller is told about.
#include "processor/vanto_processor.h"

#include "banks/hosted_bank_cache.h"
#include "banks/runtime_bank_loader.h"
#include "processor/state_chunk.h"

#include <cstring>
#include <memory>

namespace vanto {

namespace {

// The loader checks no pool size; the engine decides when a bank is offered to it.
constexpr std::size_t kNoArenaLimit = 0;

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
    // An empty path would name the host's working folder; a request without a folder names no bank.
    RuntimeBankLoad load;
    if (path.empty()) {
        load.error = "no bank folder was named";
    } else {
        load = loadRuntimeBank(path, kNoArenaLimit, instrument);
    }
    RuntimeBankOutcome outcome = load.outcome;
    error = load.error;
    if (outcome == RuntimeBankOutcome::ok) {
        if (engine.publishRuntimeBank(std::make_shared<const StagedBank>(std::move(load.bank)))) {
            return outcome;
        }
        error = "the engine refused the staged bank (arena capacity)";
        outcome = RuntimeBankOutcome::bankTooLarge;
    }
    engine.recordRuntimeBankFailure(outcome, error.c_str(), source.c_str());
    sendRuntimeDiagnostics(false);
    return outcome;
}

void VantoProcessor::restoreRuntimeBank(const StateChunk& chunk) {
    if (namesLoadableBank(chunk)) {
        std::string error;
        if (loadRuntimeBankFromPath(folderOfStateBank(chunk), chunk.bankSource, chunk.bankInstrument,
                                    error) == RuntimeBankOutcome::ok) {
            return;
        }
    }
    // A state that located a bank it could not provide leaves no earlier bank playing in its place.
    if (chunk.hasBankLocator) {
        engine.publishRuntimeBank(nullptr);
    }
    // The parameters just restored stay; no other bank takes the named one's place.
    engine.recallSampleBank(chunk.hasBankRef, chunk.bankId);
}

} // namespace vanto
