// The plug-in's exported page-bridge functions, found in its loaded binary. Every call goes to the
// controller and must come from the thread that owns it.
#pragma once

#include <cstddef>
#include <string>

namespace Steinberg {
class FUnknown;
}

namespace vanto::preview {

using BridgeCallback = void (*)(void* context, const char* bytes, std::size_t length);

struct BridgeFunctions {
    int (*abiVersion)() = nullptr;
    int (*installSink)(Steinberg::FUnknown* controller, BridgeCallback callback, void* context) = nullptr;
    int (*deliver)(Steinberg::FUnknown* controller, const char* bytes, std::size_t length) = nullptr;
    int (*tickCadence)(Steinberg::FUnknown* controller) = nullptr;
};

inline constexpr int kBridgeAbiVersion = 2;

// The functions of the library loaded with `libraryHandle`; false with the reason when one is missing
// or the version is not the one this preview speaks.
bool findBridgeFunctions(void* libraryHandle, BridgeFunctions& functions, std::string& error);

} // namespace vanto::preview
