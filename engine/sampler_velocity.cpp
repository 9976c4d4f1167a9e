#include "engine/sampler_velocity.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string_view>

namespace vanto {

namespace {

constexpr double kMinSamplerVelocity = 0.01;
constexpr double kMaxVariation = 0.25;
constexpr uint32_t kVelocityRandomStep = 0x9E3779B9u;

int findParamId(std::span<const vanto_param_desc> table, std::string_view path) {
    for (std::size_t id = 0; id < table.size(); ++id) {
        if (table[id].path != nullptr && table[id].path == path) {
            return static_cast<int>(id);
        }
    }
    return -1;
}

// An id beyond the parameter values reads as `fallback` instead of past the end.
double paramOr(std::span<const std::atomic<double>> params, int id, double fallback) {
    return static_cast<std::size_t>(id) < params.size()
               ? params[static_cast<std::size_t>(id)].load(std::memory_order_relaxed)
               : fallback;
}

// The velocity before sensitivity and variation: the fixed value in fixed mode, else the played one.
double baseVelocity(double velocity, double mode, double fixed) {
    if (std::floor(mode + 0.5) == 1.0) {
        return std::isfinite(fixed) && fixed >= kMinSamplerVelocity ? std::min(fixed, 1.0)
                                                                    : kMinSamplerVelocity;
    }
    return std::isfinite(velocity) && velocity >= 0.0 ? std::min(velocity, 1.0) : 0.0;
}

double keySensitivity(const SamplerVelocitySensitivity& sensitivity, int note) {
    if (note < 0 || note >= kSamplerKeyCount) {
        return 1.0;
    }
    const double value = sensitivity[static_cast<std::size_t>(note)].load(std::memory_order_relaxed);
    return std::isfinite(value) && value >= 0.0 ? std::min(value, 1.0) : 0.0;
}

// A uniform value in [0, 1) from the next state of a Weyl sequence, mixed by an integer hash.
double nextRandomUnit(std::atomic<uint32_t>& randomState) {
    uint32_t x = randomState.fetch_add(kVelocityRandomStep, std::memory_order_relaxed);
    x ^= x >> 16;
    x *= 0x7FEB352Du;
    x ^= x >> 15;
    x *= 0x846CA68Bu;
    return static_cast<double>((x >> 8) ^ (x >> 24)) / 16777216.0;
}

} // namespace

SamplerVelocityParamIds findSamplerVelocityParamIds(std::span<const vanto_param_desc> table) {
    return SamplerVelocityParamIds{findParamId(table, "velocity.mode"), findParamId(table, "velocity.fixed"),
                                   findParamId(table, "velocity.variation")};
}

void rebuildSamplerVelocitySensitivity(SamplerVelocitySensitivity& table,
                                       const SamplerPadOverrides* overrides, const StagedBank* bank) {
    for (std::atomic<float>& value : table) {
        value.store(1.0f, std::memory_order_relaxed);
    }
    if (overrides == nullptr || overrides->empty() || bank == nullptr) {
        return;
    }
    std::array<bool, kSamplerKeyCount> keySet{};
    for (const StagedZone& zone : bank->zones) {
        if (zone.keyTracking || zone.lowKey != zone.highKey || zone.lowKey >= kSamplerKeyCount ||
            keySet[zone.lowKey]) {
            continue;
        }
        // Ids are compared as texts, up to their first zero byte.
        const auto sameId = [&zone](const SamplerPadOverride& pad) {
            return std::strcmp(pad.padId.c_str(), zone.id.c_str()) == 0;
        };
        const auto pad = std::find_if(overrides->begin(), overrides->end(), sameId);
        if (pad != overrides->end() && (pad->mask & kPadVelocitySensitivity) != 0) {
            table[zone.lowKey].store(static_cast<float>(pad->velocitySensitivity), std::memory_order_relaxed);
            keySet[zone.lowKey] = true;
        }
    }
}

double resolveSamplerVelocity(int note, double velocity, const SamplerVelocityParamIds& ids,
                              std::span<const std::atomic<double>> params,
                              const SamplerVelocitySensitivity& sensitivity,
                              std::atomic<uint32_t>& randomState) {
    if (!ids.complete()) {
        return velocity;
    }
    // A missing mode value means fixed mode with a missing fixed value, which gives the minimum.
    const double base =
        baseVelocity(velocity, paramOr(params, ids.mode, 0.5), paramOr(params, ids.fixed, 0.0));
    const double s = keySensitivity(sensitivity, note);
    double v = s == 1.0 ? base : (1.0 - s) + base * s;

    const double variation = paramOr(params, ids.variation, 0.0);
    const double amount =
        std::isfinite(variation) && variation >= 0.0 ? std::min(variation, kMaxVariation) : 0.0;
    if (amount > 0.0) {
        v *= amount * (2.0 * nextRandomUnit(randomState) - 1.0) + 1.0;
    }
    return std::clamp(v, kMinSamplerVelocity, 1.0);
}

} // namespace vanto
