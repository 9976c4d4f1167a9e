// One MIDI CC binding: which controller (and channel) drives which parameter, over which range,
// with which response curve, value encoding and takeover rule.
#pragma once

#include <cstdint>

namespace vanto {

// The shape applied to the controller position before it is spread over the binding's range.
enum class CcCurve : uint8_t { linear = 0, exp = 1, log = 2, sCurve = 3 };

// How the controller encodes its value: an absolute position, one of the three common relative
// (endless encoder) encodings, or a button that toggles between the range ends.
enum class CcValueMode : uint8_t {
    absolute = 0,
    relativeSignedBit = 1,
    relativeBinaryOffset = 2,
    relativeTwosComplement = 3,
    toggle = 4,
};

// What an absolute controller does when its position disagrees with the parameter's current value:
// jump to it, wait until it passes the current value, or approach the range end it moves towards.
enum class CcTakeover : uint8_t { none = 0, pickup = 1, scaled = 2 };

struct CcBinding {
    uint32_t parameter = 0; // parameter id, 0 ... 33
    uint8_t cc = 0;         // controller number, 0 ... 127
    uint8_t channel = 0;    // 0 = any channel, else 1 ... 16
    CcCurve curve = CcCurve::linear;
    CcValueMode valueMode = CcValueMode::absolute;
    CcTakeover takeover = CcTakeover::none;
    bool enabled = true;
    bool hasMin = false;
    bool hasMax = false;
    double min = 0; // plain-value lower end when hasMin, else the parameter's minimum
    double max = 0; // plain-value upper end when hasMax, else the parameter's maximum

    bool operator==(const CcBinding&) const = default;
};

} // namespace vanto
