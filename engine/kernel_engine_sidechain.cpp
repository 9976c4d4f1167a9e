// The external side-chain on its way to the kernel. A host block may bring the side-chain bus's
// channels next to the main input; they go through the same chunking (and, away from 48000 Hz, the
// same sample-rate adapter) as the main input, so the kernel hears them in step with it and with the
// same latency. A block without side-chain buffers runs exactly as if the bus did not exist.
#include "engine/kernel_engine.h"

#include <algorithm>

#include "engine/finite_samples.h"
#include "kernel/dovrel_kernel.h"

namespace vanto {

void KernelEngine::processBlock(const float* const* in, int inChannels, const float* const* sideChain,
                                int sideChainChannels, float* const* out, int outChannels, int frames) {
    const bool present = sideChain != nullptr && sideChainChannels > 0 && sideChain[0] != nullptr;
    sidechainLeft_ = present ? sideChain[0] : nullptr;
    // A mono side-chain is its own mono sum.
    sidechainRight_ =
        present && sideChainChannels > 1 && sideChain[1] != nullptr ? sideChain[1] : sidechainLeft_;
    processBlock(in, inChannels, out, outChannels, frames);
    sidechainLeft_ = nullptr;
    sidechainRight_ = nullptr;
}

bool KernelEngine::blockHasSidechain() const {
    return sidechainLeft_ != nullptr && kernelSidechain_ != nullptr &&
           kernelSidechainLength_ >= kKernelChannels * kKernelChunkFrames;
}

bool KernelEngine::copyChunkSidechain(int offset, int chunk) {
    if (!blockHasSidechain()) {
        return false;
    }
    const float* sources[kKernelChannels] = {sidechainLeft_, sidechainRight_};
    for (int ch = 0; ch < kKernelChannels; ++ch) {
        copyFiniteSamples(sources[ch] + offset, kernelSidechain_ + ch * kKernelChunkFrames,
                          static_cast<std::size_t>(chunk));
    }
    return true;
}

void KernelEngine::copyStagedSidechain(uint64_t done, uint32_t chunk) {
    for (int ch = 0; ch < kKernelChannels; ++ch) {
        std::copy_n(adapter_.stagedSidechainChannel(ch) + done, chunk,
                    kernelSidechain_ + ch * kKernelChunkFrames);
    }
}

double KernelEngine::processKernelChunk(uint32_t chunk, bool sidechained) {
    return sidechained ? dovrel_kernel_process_sidechained(kernelHandle_, chunk)
                       : dovrel_kernel_process(kernelHandle_, chunk);
}

} // namespace vanto
