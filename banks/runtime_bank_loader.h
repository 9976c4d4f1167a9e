// Loading a sound pack ("vanto-sound-pack/v1") from a folder into a StagedBank, off the audio thread.
#pragma once

#include "banks/staged_bank.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace vanto {

// The most a pack's JSON documents (its manifest, instrument and preset documents) may hold. A manifest
// of several thousand assets fits easily, and the tree a hostile document of this size builds stays in
// the tens of megabytes. A larger document is refused before any of it is read.
inline constexpr uint64_t kMaxPackDocumentBytes = uint64_t{1} << 20;

// Reads the folder completely: the manifest, every asset verified against it, the instrument or kit
// `instrument` names (the first usable one when empty) and its zones over a mono pool. A non-zero
// `arenaFrameCapacity` refuses a pool larger than it. Any failure gives an outcome, a one-line
// message and an empty bank.
RuntimeBankLoad loadRuntimeBank(const std::string& bankDirectory, size_t arenaFrameCapacity,
                                const std::string& instrument);

// Reads the manifest alone and checks it as loading does before it reads any other file: the pack's
// identity, every declared asset's id, path (inside the pack) and codec, and the instrument or kit
// `instrument` names (the first with a document when empty). Neither an asset nor another document is
// read, so the bank carries its identity, instrument and positionings but no zones, samples or presets.
// For callers that must know what a pack is without staging it.
RuntimeBankLoad inspectRuntimeBank(const std::string& bankDirectory, const std::string& instrument);

} // namespace vanto
