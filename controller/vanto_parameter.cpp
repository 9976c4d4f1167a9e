#include "controller/vanto_parameter.h"

#include "controller/sync_source_text.h"

#include "pluginterfaces/base/ustring.h"

#include <algorithm>
#include <string>

namespace vanto {

using Steinberg::int32;
using Steinberg::UString;
using Steinberg::Vst::ParameterInfo;
using Steinberg::Vst::ParamValue;

namespace {

ParameterInfo infoForRow(const vanto_param_desc& row) {
    ParameterInfo info{};
    info.id = row.id;
    UString(info.title, 128).fromAscii(row.title);
    UString(info.shortTitle, 128).fromAscii(row.title);
    UString(info.units, 128).fromAscii(row.units != nullptr ? row.units : "");
    info.stepCount = parameterStepCount(row);
    info.defaultNormalizedValue = row.defaultNormalized;
    info.unitId = Steinberg::Vst::kRootUnitId;
    info.flags = ParameterInfo::kCanAutomate;
    return info;
}

} // namespace

int32 parameterStepCount(const vanto_param_desc& row) {
    switch (row.kind) {
    case VANTO_PARAM_LIST:
        return std::max<int32>(row.listCount - 1, 1);
    case VANTO_PARAM_TOGGLE:
        return 1;
    default:
        return 0;
    }
}

VantoParameter::VantoParameter(const vanto_param_desc& row) : Parameter(infoForRow(row)), row(row) {}

void VantoParameter::toString(ParamValue normalized, Steinberg::Vst::String128 string) const {
    if (isSyncSource(row)) {
        UString(string, 128).fromAscii(syncSourceText(normalized));
        return;
    }
    UString(string, 128).fromAscii(vanto_param_to_text(&row, normalized).c_str());
}

bool VantoParameter::fromString(const Steinberg::Vst::TChar* string, ParamValue& normalized) const {
    if (string == nullptr) {
        return false;
    }
    // Display texts are ASCII; the table reads at most 255 characters of them.
    char ascii[256] = {};
    UString(const_cast<Steinberg::Vst::TChar*>(string), 256).toAscii(ascii, sizeof ascii);
    if (isSyncSource(row) && syncSourceFromText(ascii, normalized)) {
        return true;
    }
    return vanto_param_from_text(&row, ascii, &normalized);
}

ParamValue VantoParameter::toPlain(ParamValue normalized) const {
    return vanto_param_to_plain(&row, normalized);
}

ParamValue VantoParameter::toNormalized(ParamValue plain) const {
    return vanto_param_normalize(&row, plain);
}

} // namespace vanto
