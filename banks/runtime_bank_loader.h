// Loading a sound pack ("vanto-sound-pack/v1") from a folder into a StagedBank, off the audio thread.
#pragma once

#include "banks/staged_bank.h"

#include <cstddef>
#include <string>

namespace vanto {

// Reads the folder completely: the manifest, every asset verified against it, the instrument or kit
// `instrument` names (the first usable one when empty) and its zones over a mono pool. A non-zero
// `arenaFrameCapacity` refuses a pool larger than it. Any failure gives an outcome, a one-line
// message and an empty bank.
RuntimeBankLoad loadRuntimeBank(const std::string& bankDirectory, size_t arenaFrameCapacity,
                                const std::string& instrument);

} // namespace vanto
