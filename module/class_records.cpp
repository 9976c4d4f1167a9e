#include "class_records.h"

#include "processor/class_ids.h"

#include "pluginterfaces/vst/ivstaudioprocessor.h"
#include "pluginterfaces/vst/ivsteditcontroller.h"

namespace vanto {

using Steinberg::PClassInfo;
using Steinberg::PClassInfo2;

namespace {

constexpr const char* kClassVersion = "0.0.0";
// The SDK release the classes follow, reported to hosts with each class.
constexpr const char* kClassSdkVersion = "VST 3.8.1";
// An empty vendor lets the factory's vendor apply.
constexpr const char* kFactoryVendor = "";

PClassInfo2 makeClassInfo(const Steinberg::FUID& uid, const char* category, const char* name,
                          Steinberg::int32 classFlags, const char* subCategories) {
    Steinberg::TUID cid;
    uid.toTUID(cid);
    return PClassInfo2(cid, PClassInfo::kManyInstances, category, name, classFlags, subCategories,
                       kFactoryVendor, kClassVersion, kClassSdkVersion);
}

} // namespace

const PClassInfo2& processorClassInfo() {
    static const PClassInfo2 info =
        makeClassInfo(kProcessorUid, kVstAudioEffectClass, "Dovrel", Steinberg::Vst::kDistributable,
                      Steinberg::Vst::PlugType::kFx);
    return info;
}

const PClassInfo2& controllerClassInfo() {
    static const PClassInfo2 info =
        makeClassInfo(kControllerUid, kVstComponentControllerClass, "Dovrel Controller", 0, "");
    return info;
}

} // namespace vanto
