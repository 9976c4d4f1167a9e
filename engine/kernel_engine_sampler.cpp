#include "engine/kernel_engine.h"

#include <algorithm>
#include <span>

#include "diagnostics/bank_diagnostics.h"

namespace vanto {

namespace {

// No sample bank is compiled into this build.
constexpr uint32_t kCompiledBankCount = 0;

bool publishablePad(const SamplerPadOverride& pad) {
    return pad.mask != 0 && !pad.padId.empty() && pad.padId.size() <= kMaxSamplerPadIdBytes;
}

bool publishable(const SamplerPadOverrides& overrides) {
    return overrides.size() <= kMaxSamplerPadOverrides &&
           std::all_of(overrides.begin(), overrides.end(), publishablePad);
}

} // namespace

bool KernelEngine::publishSamplerPadOverrides(const SamplerPadOverrides& overrides) {
    if (!publishable(overrides)) {
        return false;
    }
    auto snapshot = std::make_shared<const SamplerPadOverrides>(overrides);
    if (samplerPadSnapshot_ != nullptr) {
        retiredSamplerPadOverrides_.push_back(std::move(samplerPadSnapshot_));
    }
    samplerPadSnapshot_ = std::move(snapshot);
    samplerPadOverridesReader_.store(samplerPadSnapshot_.get(), std::memory_order_seq_cst);
    // The engine keeps no bank, so no zone takes its sensitivity from the overrides.
    refreshSamplerPadVelocitySensitivity(samplerPadSnapshot_.get(), nullptr, 0);

    // Only after the new snapshot is visible: a reader that marked an old one before that is seen here.
    const SamplerPadOverrides* inUse = samplerPadOverridesInUse_.load(std::memory_order_seq_cst);
    std::erase_if(retiredSamplerPadOverrides_,
                  [inUse](const std::shared_ptr<const SamplerPadOverrides>& retired) {
                      return retired.get() != inUse;
                  });

    ++samplerPadGeneration_;
    if (samplerPadGeneration_ == 0) {
        samplerPadGeneration_ = 1;
    }
    return true;
}

const SamplerPadOverrides* KernelEngine::acquireSamplerPadOverrides() {
    const SamplerPadOverrides* current = samplerPadOverridesReader_.load(std::memory_order_seq_cst);
    for (;;) {
        samplerPadOverridesInUse_.store(current, std::memory_order_seq_cst);
        // If no publication replaced the snapshot before the mark became visible, every later one sees
        // the mark and keeps the snapshot alive.
        const SamplerPadOverrides* again = samplerPadOverridesReader_.load(std::memory_order_seq_cst);
        if (again == current) {
            return current;
        }
        current = again;
    }
}

void KernelEngine::releaseSamplerPadOverrides() {
    samplerPadOverridesInUse_.store(nullptr, std::memory_order_seq_cst);
}

void KernelEngine::refreshSamplerPadVelocitySensitivity(const SamplerPadOverrides* overrides,
                                                        const StagedBank* bank, unsigned /*unused*/) {
    rebuildSamplerVelocitySensitivity(samplerVelocitySensitivity_, overrides, bank);
}

float KernelEngine::samplerVelocitySensitivity(int key) const {
    return key >= 0 && key < kSamplerKeyCount
               ? samplerVelocitySensitivity_[static_cast<std::size_t>(key)].load(std::memory_order_relaxed)
               : 1.0f;
}

double KernelEngine::resolveSamplerVelocity(int note, double velocity) {
    return vanto::resolveSamplerVelocity(note, velocity, samplerVelocityParams_, std::span(params_),
                                         samplerVelocitySensitivity_, velocityRandomState_);
}

bool KernelEngine::publishRuntimeBank(std::shared_ptr<const StagedBank> /*bank*/) {
    return false;
}

BankRecallOutcome KernelEngine::recallSampleBank(bool hasBankRef, const char* bankId) {
    if (!hasBankRef || bankId == nullptr || bankId[0] == '\0') {
        return BankRecallOutcome::ok;
    }
    recordBankRecallFailure(BankRecallOutcome::missing, bankId);
    return BankRecallOutcome::missing;
}

void KernelEngine::recordRuntimeBankFailure(RuntimeBankOutcome outcome, const char* message,
                                            const char* source) {
    if (outcome == RuntimeBankOutcome::ok) {
        return;
    }
    recordRuntimeBankRefusal(diagnostics_, outcome == RuntimeBankOutcome::bankHashMismatch,
                             runtimeBankOutcomeName(outcome), message, source);
}

void KernelEngine::recordBankRecallFailure(BankRecallOutcome outcome, const char* bankId) {
    if (outcome != BankRecallOutcome::missing && outcome != BankRecallOutcome::hashMismatch) {
        return;
    }
    recordBankRecallRefusal(diagnostics_, outcome == BankRecallOutcome::hashMismatch, bankId,
                            kCompiledBankCount);
}

} // namespace vanto
