#include "controller/midi_cc_parameters.h"

#include "ccmap/midi_cc_parameter_ids.h"

#include "pluginterfaces/base/ustring.h"

#include <cstdio>

namespace vanto {

using Steinberg::Vst::ParameterInfo;

void registerMidiCcParameters(Steinberg::Vst::ParameterContainer& parameters) {
    for (int channel = 0; channel < static_cast<int>(kMidiCcChannels); ++channel) {
        for (int controller = 0; controller < static_cast<int>(kMidiCcControllers); ++controller) {
            char title[32];
            std::snprintf(title, sizeof title, "MIDI CC %d|%d", channel + 1, controller);
            parameters.addParameter(Steinberg::UString128(title), nullptr, 0, 0, ParameterInfo::kIsHidden,
                                    midiCcParamId(channel, controller), Steinberg::Vst::kRootUnitId);
        }
    }
}

} // namespace vanto
