#include "controller/host_identity.h"

#include "pluginterfaces/vst/ivsthostapplication.h"

namespace vanto {

bool readHostApplicationName(Steinberg::FUnknown* context, char* name, std::size_t capacity) {
    if (context == nullptr || name == nullptr || capacity == 0) {
        return false;
    }
    Steinberg::FUnknownPtr<Steinberg::Vst::IHostApplication> host(context);
    if (!host) {
        return false;
    }
    Steinberg::Vst::String128 wide = {};
    if (host->getName(wide) != Steinberg::kResultOk) {
        return false;
    }
    std::size_t length = 0;
    for (; length + 1 < capacity && length < 128 && wide[length] != 0; ++length) {
        const auto unit = wide[length];
        name[length] = unit < 0x80 ? static_cast<char>(unit) : '?';
    }
    name[length] = '\0';
    return true;
}

} // namespace vanto
