#include "vanto_classes.h"

#include <array>

namespace vanto {

namespace {

// One row per class, in listing order: {processorClassInfo, <processor create function>} and then
// {controllerClassInfo, <controller create function>} (class_records.h) as those classes are linked in.
constexpr std::array<ClassRegistration, 0> kVantoClasses{};

} // namespace

void registerVantoClasses(PluginFactory& factory) {
    for (const ClassRegistration& registration : kVantoClasses)
        factory.registerClass(registration.classInfo(), registration.createInstance);
}

} // namespace vanto
