// Host queries answered by the SDK's parameter container, units and program list. Those index their
// tables with `at()` or dereference the buffers they are given, so a host asking for an index that
// does not exist, or handing over a value outside [0, 1], would get a C++ exception through the
// interface. Every query here checks its arguments first and delegates only what it can answer.
#include "controller/vanto_controller.h"

#include "sdk/host_call_failure.h"

namespace vanto {

using Steinberg::int16;
using Steinberg::int32;
using Steinberg::kInvalidArgument;
using Steinberg::tresult;
using Steinberg::Vst::CString;
using Steinberg::Vst::IComponentHandler;
using Steinberg::Vst::IConnectionPoint;
using Steinberg::Vst::ParameterInfo;
using Steinberg::Vst::ParamID;
using Steinberg::Vst::ParamValue;
using Steinberg::Vst::ProgramListID;
using Steinberg::Vst::ProgramListInfo;
using Steinberg::Vst::String128;
using Steinberg::Vst::TChar;
using Steinberg::Vst::UnitInfo;

namespace {

bool indexWithin(int32 index, int32 count) {
    return index >= 0 && index < count;
}

} // namespace

tresult PLUGIN_API VantoController::getParameterInfo(int32 paramIndex, ParameterInfo& info) try {
    if (!indexWithin(paramIndex, getParameterCount())) {
        return kInvalidArgument;
    }
    return EditControllerEx1::getParameterInfo(paramIndex, info);
} catch (...) {
    return hostCallFailed("getParameterInfo");
}

tresult PLUGIN_API VantoController::getParamStringByValue(ParamID id, ParamValue valueNormalized,
                                                          String128 string) try {
    if (string == nullptr) {
        return kInvalidArgument;
    }
    // The program list's own parameter turns the value into an index of its names unchecked.
    return EditControllerEx1::getParamStringByValue(id, vanto_param_clamp_normalized(valueNormalized),
                                                    string);
} catch (...) {
    return hostCallFailed("getParamStringByValue");
}

tresult PLUGIN_API VantoController::getParamValueByString(ParamID id, TChar* string,
                                                          ParamValue& valueNormalized) try {
    if (string == nullptr) {
        return kInvalidArgument;
    }
    return EditControllerEx1::getParamValueByString(id, string, valueNormalized);
} catch (...) {
    return hostCallFailed("getParamValueByString");
}

ParamValue PLUGIN_API VantoController::normalizedParamToPlain(ParamID id, ParamValue valueNormalized) try {
    return EditControllerEx1::normalizedParamToPlain(id, vanto_param_clamp_normalized(valueNormalized));
} catch (...) {
    hostCallFailed("normalizedParamToPlain");
    return 0.0;
}

ParamValue PLUGIN_API VantoController::plainParamToNormalized(ParamID id, ParamValue plainValue) try {
    return vanto_param_clamp_normalized(EditControllerEx1::plainParamToNormalized(id, plainValue));
} catch (...) {
    hostCallFailed("plainParamToNormalized");
    return 0.0;
}

tresult PLUGIN_API VantoController::getUnitInfo(int32 unitIndex, UnitInfo& info) try {
    if (!indexWithin(unitIndex, getUnitCount())) {
        return kInvalidArgument;
    }
    return EditControllerEx1::getUnitInfo(unitIndex, info);
} catch (...) {
    return hostCallFailed("getUnitInfo");
}

tresult PLUGIN_API VantoController::getProgramListInfo(int32 listIndex, ProgramListInfo& info) try {
    if (!indexWithin(listIndex, getProgramListCount())) {
        return kInvalidArgument;
    }
    return EditControllerEx1::getProgramListInfo(listIndex, info);
} catch (...) {
    return hostCallFailed("getProgramListInfo");
}

tresult PLUGIN_API VantoController::getProgramName(ProgramListID listId, int32 programIndex,
                                                   String128 name) try {
    if (name == nullptr) {
        return kInvalidArgument;
    }
    return EditControllerEx1::getProgramName(listId, programIndex, name);
} catch (...) {
    return hostCallFailed("getProgramName");
}

tresult PLUGIN_API VantoController::getProgramInfo(ProgramListID listId, int32 programIndex,
                                                   CString attributeId, String128 attributeValue) try {
    if (attributeId == nullptr || attributeValue == nullptr) {
        return kInvalidArgument;
    }
    return EditControllerEx1::getProgramInfo(listId, programIndex, attributeId, attributeValue);
} catch (...) {
    return hostCallFailed("getProgramInfo");
}

tresult PLUGIN_API VantoController::getProgramPitchName(ProgramListID listId, int32 programIndex,
                                                        int16 midiPitch, String128 name) try {
    if (name == nullptr) {
        return kInvalidArgument;
    }
    return EditControllerEx1::getProgramPitchName(listId, programIndex, midiPitch, name);
} catch (...) {
    return hostCallFailed("getProgramPitchName");
}

tresult PLUGIN_API VantoController::setComponentHandler(IComponentHandler* handler) try {
    return EditControllerEx1::setComponentHandler(handler);
} catch (...) {
    return hostCallFailed("setComponentHandler");
}

tresult PLUGIN_API VantoController::connect(IConnectionPoint* other) try {
    return EditControllerEx1::connect(other);
} catch (...) {
    return hostCallFailed("connect");
}

tresult PLUGIN_API VantoController::disconnect(IConnectionPoint* other) try {
    return EditControllerEx1::disconnect(other);
} catch (...) {
    return hostCallFailed("disconnect");
}

} // namespace vanto
