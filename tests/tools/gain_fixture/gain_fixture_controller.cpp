#include "gain_fixture_controller.h"

#include "gain_fixture_ids.h"

#include "pluginterfaces/base/ibstream.h"

#include <cstring>

namespace vanto::test {

using namespace Steinberg;
using namespace Steinberg::Vst;

FUnknown* GainFixtureController::createInstance(void*) {
    return static_cast<IEditController*>(new GainFixtureController);
}

tresult PLUGIN_API GainFixtureController::initialize(FUnknown* context) {
    const tresult result = EditControllerEx1::initialize(context);
    if (result != kResultOk)
        return result;
    parameters.addParameter(u"Gain", nullptr, 0, 1.0, ParameterInfo::kCanAutomate, kGainParam);
    parameters.addParameter(u"Reported Rate", u"Hz", 0, 0.0, ParameterInfo::kIsReadOnly, kReportedRateParam);
    return kResultOk;
}

tresult PLUGIN_API GainFixtureController::setComponentState(IBStream* state) {
    float gain = 0;
    int32 read = 0;
    if (state == nullptr || state->read(&gain, sizeof gain, &read) != kResultOk || read != sizeof gain)
        return kResultFalse;
    return setParamNormalized(kGainParam, gain);
}

tresult PLUGIN_API GainFixtureController::notify(IMessage* message) {
    if (message == nullptr || std::strcmp(message->getMessageID(), kActivatedMessage) != 0)
        return EditControllerEx1::notify(message);
    double sampleRate = 0;
    if (message->getAttributes()->getFloat("sampleRate", sampleRate) != kResultOk)
        return kResultFalse;
    return setParamNormalized(kReportedRateParam, sampleRate / kRateScale);
}

} // namespace vanto::test
