#include "vanto_classes.h"

#include "class_records.h"
#include "controller/vanto_controller.h"
#include "processor/vanto_processor.h"

#include <array>

namespace vanto {

namespace {

// One row per class, in listing order: the processor, then its edit controller.
constexpr std::array<ClassRegistration, 2> kVantoClasses{{
    {processorClassInfo, VantoProcessor::createInstance},
    {controllerClassInfo, VantoController::createInstance},
}};

} // namespace

void registerVantoClasses(PluginFactory& factory) {
    for (const ClassRegistration& registration : kVantoClasses)
        factory.registerClass(registration.classInfo(), registration.createInstance);
}

} // namespace vanto
