// Entry points of the gain fixture bundle, built from the same support pieces as the product's.
#include "factory_slot.h"
#include "gain_fixture_controller.h"
#include "gain_fixture_ids.h"
#include "gain_fixture_processor.h"
#include "module_lifetime.h"

#include "base/source/updatehandler.h"
#include "pluginterfaces/vst/ivstaudioprocessor.h"

namespace {

using namespace Steinberg;

bool initModule() {
    UpdateHandler::instance();
    return true;
}
void deinitModule() {}

PClassInfo2 classInfo(const FUID& uid, const char* category, const char* name, const char* subCategories) {
    return PClassInfo2(uid.toTUID(), PClassInfo::kManyInstances, category, name, 0, subCategories, "",
                       "1.0.0", kVstVersionString);
}

void registerClasses(vanto::PluginFactory& factory) {
    factory.registerClass(
        classInfo(vanto::test::kGainFixtureProcessorUid, kVstAudioEffectClass, "Gain Fixture", "Fx"),
        vanto::test::GainFixtureProcessor::createInstance);
    factory.registerClass(classInfo(vanto::test::kGainFixtureControllerUid, kVstComponentControllerClass,
                                    "Gain Fixture Controller", ""),
                          vanto::test::GainFixtureController::createInstance);
}

vanto::ModuleLifetime lifetime(&initModule, &deinitModule);
vanto::FactorySlot factorySlot(PFactoryInfo("Vanto Music", "", "", PFactoryInfo::kUnicode), &registerClasses);

} // namespace

extern "C" {
SMTG_EXPORT_SYMBOL bool ModuleEntry(void* sharedLibraryHandle) {
    return lifetime.enter(sharedLibraryHandle, "");
}
SMTG_EXPORT_SYMBOL bool ModuleExit() {
    return lifetime.exit();
}
SMTG_EXPORT_SYMBOL IPluginFactory* PLUGIN_API GetPluginFactory() {
    return factorySlot.acquire();
}
}
