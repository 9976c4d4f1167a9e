// How a note-on velocity becomes a sampler velocity: the bank's velocity parameters (mode, fixed
// value, random variation) and the per-key sensitivity that pad overrides give single-key zones.
// Kept apart from the engine so that the rules can run against any parameter table.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <span>

#include "banks/sampler_pad_overrides.h"
#include "banks/staged_bank.h"
#include "kernel/param_table.h"

namespace vanto {

inline constexpr int kSamplerKeyCount = 128;
// The variation generator's state after construction and every reset.
inline constexpr uint32_t kVelocityRandomSeed = 0x6D2B79F5u;

// Per key, how much the played velocity counts (1: fully, 0: not at all). Read by the note path
// while the publication thread rebuilds it, hence atomic.
using SamplerVelocitySensitivity = std::array<std::atomic<float>, kSamplerKeyCount>;

// Parameter ids of the velocity controls; -1 where the table has no such parameter.
struct SamplerVelocityParamIds {
    int mode = -1;
    int fixed = -1;
    int variation = -1;

    bool complete() const { return mode >= 0 && fixed >= 0 && variation >= 0; }
};

// Looks up "velocity.mode", "velocity.fixed" and "velocity.variation" by path; a row's id is its index.
SamplerVelocityParamIds findSamplerVelocityParamIds(std::span<const vanto_param_desc> table);

// Every key back to 1, then, for the bank's single-key zones without key tracking (the first zone
// of a key wins), the velocity sensitivity of the override whose pad id is the zone's id.
void rebuildSamplerVelocitySensitivity(SamplerVelocitySensitivity& table,
                                       const SamplerPadOverrides* overrides, const StagedBank* bank);

// The sampler velocity of a note-on, in [0.01, 1]; the velocity unchanged when the table lacks any of
// the velocity parameters. `params` holds plain values by id; `randomState` advances only when random
// variation is applied.
double resolveSamplerVelocity(int note, double velocity, const SamplerVelocityParamIds& ids,
                              std::span<const std::atomic<double>> params,
                              const SamplerVelocitySensitivity& sensitivity,
                              std::atomic<uint32_t>& randomState);

} // namespace vanto
