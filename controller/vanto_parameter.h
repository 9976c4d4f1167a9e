// One table parameter as the host sees it. Every conversion (plain value, display text, parsing a
// typed text) goes through the parameter table's own conversions, so the host, the page and the
// kernel agree on every value.
#pragma once

#include "kernel/param_table.h"

#include "public.sdk/source/vst/vstparameters.h"

namespace vanto {

class VantoParameter : public Steinberg::Vst::Parameter {
  public:
    // Title and short title from the row's title, units from its units text, the step count of its
    // kind, its default normalized value, the root unit and kCanAutomate.
    explicit VantoParameter(const vanto_param_desc& row);

    void toString(Steinberg::Vst::ParamValue normalized, Steinberg::Vst::String128 string) const override;
    bool fromString(const Steinberg::Vst::TChar* string,
                    Steinberg::Vst::ParamValue& normalized) const override;
    Steinberg::Vst::ParamValue toPlain(Steinberg::Vst::ParamValue normalized) const override;
    Steinberg::Vst::ParamValue toNormalized(Steinberg::Vst::ParamValue plain) const override;

  private:
    const vanto_param_desc& row;
};

// The host's step count for a row: list rows (entries − 1, at least 1), toggles 1, continuous 0.
Steinberg::int32 parameterStepCount(const vanto_param_desc& row);

} // namespace vanto
