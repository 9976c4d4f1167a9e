// Runtime sample banks: loading one on the controller's request or because a restored state names
// it, and the recall outcome when a state names a bank that cannot be provided. This effect's engine
// plays no samples, so no bank ever stays loaded: a pack that loads cleanly is refused as well, and
// every attempt ends in a diagnostic the controller is told about.
#include "processor/vanto_processor.h"

#include "banks/hosted_bank_cache.h"
#include "banks/runtime_bank_loader.h"
#include "diagnostics/bank_diagnostics.h"
#include "processor/state_chunk.h"

#include <cstring>

namespace vanto {

namespace {

// The loader checks no pool size; the engine decides when a bank is offered to it.
constexpr std::size_t kNoArenaLimit = 0;
// This build compiles no banks in.
constexpr uint32_t kCompiledBankCount = 0;

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

// Bank records are formatted by the diagnostics library into a ring of its own and then handed to the
// engine's ring, the one every health report is written from.
void recordInEngine(KernelEngine& engine, const vanto_runtime_diagnostic_ring& formatted) {
    for (uint32_t index = 0; index < formatted.count; ++index) {
        const vanto_runtime_diagnostic& record = formatted.entries[index];
        engine.recordDiagnostic(record.code, record.severity, record.phase, record.message, record.detail);
    }
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
        error = "the engine refused the staged bank (arena capacity)";
        outcome = RuntimeBankOutcome::bankTooLarge;
    }
    vanto_runtime_diagnostic_ring formatted{};
    recordRuntimeBankRefusal(formatted, outcome == RuntimeBankOutcome::bankHashMismatch,
                             runtimeBankOutcomeName(outcome), error.c_str(), source.c_str());
    recordInEngine(engine, formatted);
    sendRuntimeDiagnostics(false);
    return outcome;
}

void VantoProcessor::restoreRuntimeBank(const StateChunk& chunk) {
    if (namesLoadableBank(chunk)) {
        std::string error;
        loadRuntimeBankFromPath(folderOfStateBank(chunk), chunk.bankSource, chunk.bankInstrument, error);
    }
    // The parameters just restored stay; no other bank takes the named one's place.
    if (chunk.hasBankRef && chunk.bankId[0] != '\0') {
        vanto_runtime_diagnostic_ring formatted{};
        recordBankRecallRefusal(formatted, false, chunk.bankId, kCompiledBankCount);
        recordInEngine(engine, formatted);
    }
}

} // namespace vanto
