// The hidden MIDI CC parameters the host delivers controllers through (see ccmap/midi_cc_parameter_ids.h).
//
// They are registered like any parameter because a host only sends changes of parameters the
// controller declares, but flagged kIsHidden and without kCanAutomate: hosts (Ardour, Reaper, Bitwig,
// Cubase) leave hidden parameters out of their generic editors and parameter lists and offer no
// automation lane for parameters that cannot be automated, while still routing mapped MIDI controllers
// to them. They carry no value worth saving: the state, the page, the presets and the program list know
// only the effect's own parameters.
#pragma once

#include "public.sdk/source/vst/vstparameters.h"

#include <cstdint>

namespace vanto {

// Adds the 16 × 128 MIDI CC parameters ("MIDI CC <channel>|<controller>", channels counted from 1).
void registerMidiCcParameters(Steinberg::Vst::ParameterContainer& parameters);

} // namespace vanto
