#include "ccmap/cc_binding_names.h"

namespace vanto {

namespace {

template <typename Setting> struct NamedSetting {
    Setting setting;
    const char* name;
};

constexpr NamedSetting<CcCurve> kCurveNames[] = {
    {CcCurve::exp, "exp"},
    {CcCurve::log, "log"},
    {CcCurve::sCurve, "s-curve"},
};

constexpr NamedSetting<CcValueMode> kValueModeNames[] = {
    {CcValueMode::relativeSignedBit, "relative-signed-bit"},
    {CcValueMode::relativeBinaryOffset, "relative-binary-offset"},
    {CcValueMode::relativeTwosComplement, "relative-twos-complement"},
    {CcValueMode::toggle, "toggle"},
};

constexpr NamedSetting<CcTakeover> kTakeoverNames[] = {
    {CcTakeover::pickup, "pickup"},
    {CcTakeover::scaled, "scaled"},
};

template <typename Setting, std::size_t N>
const char* nameOf(const NamedSetting<Setting> (&table)[N], Setting setting) {
    for (const NamedSetting<Setting>& entry : table) {
        if (entry.setting == setting) {
            return entry.name;
        }
    }
    return nullptr;
}

template <typename Setting, std::size_t N>
Setting settingOf(const NamedSetting<Setting> (&table)[N], std::string_view name) {
    for (const NamedSetting<Setting>& entry : table) {
        if (name == entry.name) {
            return entry.setting;
        }
    }
    return Setting{};
}

} // namespace

const char* ccCurveName(CcCurve curve) noexcept {
    return nameOf(kCurveNames, curve);
}
const char* ccValueModeName(CcValueMode mode) noexcept {
    return nameOf(kValueModeNames, mode);
}
const char* ccTakeoverName(CcTakeover takeover) noexcept {
    return nameOf(kTakeoverNames, takeover);
}

CcCurve ccCurveFromName(std::string_view name) noexcept {
    return settingOf(kCurveNames, name);
}
CcValueMode ccValueModeFromName(std::string_view name) noexcept {
    return settingOf(kValueModeNames, name);
}
CcTakeover ccTakeoverFromName(std::string_view name) noexcept {
    return settingOf(kTakeoverNames, name);
}

} // namespace vanto
