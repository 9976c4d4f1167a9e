#include "biquad_coefficients.h"

#include <cmath>
#include <numbers>

namespace vanto {

BiquadTrigonometry biquadTrigonometry(double frequency, double sampleRate, double q) {
    const double w0 = 2.0 * std::numbers::pi * frequency / sampleRate;
    BiquadTrigonometry trig;
    trig.cosW = static_cast<float>(std::cos(w0));
    trig.sinW = static_cast<float>(std::sin(w0));
    trig.alpha = trig.sinW / (2.0 * q);
    return trig;
}

BiquadCoefficients biquadCoefficients(int type, const BiquadTrigonometry& trig, double gainDb) {
    const double c = trig.cosW;
    const double alpha = trig.alpha;
    double b0 = 1, b1 = 0, b2 = 0, a0 = 1 + alpha, a1 = -2 * c, a2 = 1 - alpha;
    switch (type) {
    case BIQUAD_LOWPASS:
        b0 = b2 = (1 - c) / 2;
        b1 = 1 - c;
        break;
    case BIQUAD_HIGHPASS:
        b0 = b2 = (1 + c) / 2;
        b1 = -(1 + c);
        break;
    case BIQUAD_BANDPASS:
        b0 = alpha;
        b1 = 0;
        b2 = -alpha;
        break;
    case BIQUAD_NOTCH:
        b0 = b2 = 1;
        b1 = -2 * c;
        break;
    case BIQUAD_PEAKING: {
        const double A = std::pow(10.0, gainDb / 40.0);
        b0 = 1 + alpha * A;
        b1 = -2 * c;
        b2 = 1 - alpha * A;
        a0 = 1 + alpha / A;
        a2 = 1 - alpha / A;
        break;
    }
    case BIQUAD_LOWSHELF:
    case BIQUAD_HIGHSHELF: {
        const double A = std::pow(10.0, gainDb / 40.0);
        const double rootTerm = 2 * std::sqrt(A) * alpha;
        const double sign = type == BIQUAD_LOWSHELF ? 1.0 : -1.0;
        b0 = A * ((A + 1) - sign * (A - 1) * c + rootTerm);
        b1 = sign * 2 * A * ((A - 1) - sign * (A + 1) * c);
        b2 = A * ((A + 1) - sign * (A - 1) * c - rootTerm);
        a0 = (A + 1) + sign * (A - 1) * c + rootTerm;
        a1 = -sign * 2 * ((A - 1) + sign * (A + 1) * c);
        a2 = (A + 1) + sign * (A - 1) * c - rootTerm;
        break;
    }
    default:
        break;
    }
    BiquadCoefficients out;
    out.b0 = static_cast<float>(b0 / a0);
    out.b1 = static_cast<float>(b1 / a0);
    out.b2 = static_cast<float>(b2 / a0);
    out.a1 = static_cast<float>(a1 / a0);
    out.a2 = static_cast<float>(a2 / a0);
    return out;
}

} // namespace vanto
