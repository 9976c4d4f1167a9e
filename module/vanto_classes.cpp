#include "vanto_classes.h"

#include "class_records.h"
#include "processor/vanto_processor.h"

#include <array>

namespace vanto {

namespace {

// One row per class, in listing order: the processor, then its edit controller
// ({controllerClassInfo, <controller create function>}) once that class is linked in.
constexpr std::array<ClassRegistration, 1> kVantoClasses{{
    {processorClassInfo, VantoProcessor::createInstance},
}};

} // namespace

void registerVantoClasses(PluginFactory& factory) {
    for (const ClassRegistration& registration : kVantoClasses)
        factory.registerClass(registration.classInfo(), registration.createInstance);
}

} // namespace vanto
