// The ids shared by the gain fixture plug-in and the tests that host it.
#pragma once

#include "pluginterfaces/base/funknown.h"
#include "pluginterfaces/vst/vsttypes.h"

namespace vanto::test {

inline const Steinberg::FUID kGainFixtureProcessorUid(0x0A11F1C7, 0x5E700001, 0x9A1A0001, 0x0000CAFE);
inline const Steinberg::FUID kGainFixtureControllerUid(0x0A11F1C7, 0x5E700002, 0x9A1A0002, 0x0000CAFE);

// Normalized gain applied to every sample; also the component state.
constexpr Steinberg::Vst::ParamID kGainParam = 0;
// Read-only: the sample rate the processor reported when activated, divided by kRateScale.
constexpr Steinberg::Vst::ParamID kReportedRateParam = 1;
constexpr double kRateScale = 192000.0;

// Sent by the processor on activation, with float attribute "sampleRate".
constexpr const char* kActivatedMessage = "fixture.activated";

} // namespace vanto::test
