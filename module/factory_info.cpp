#include "factory_info.h"

namespace vanto {

const Steinberg::PFactoryInfo& vantoFactoryInfo() {
    static const Steinberg::PFactoryInfo info("Vanto Music", "https://vanto.music",
                                              "mailto:support@vanto.music",
                                              Steinberg::PFactoryInfo::kUnicode);
    return info;
}

} // namespace vanto
