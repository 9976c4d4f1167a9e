// Entry points that let a test harness drive the page bridge of a controller without a web view:
// install a sink for the page-bound messages, deliver page messages, and run cadence ticks. The
// module exports them unmangled; call them on the thread the host calls the controller on.
#pragma once

#include <cstddef>

namespace Steinberg {
class FUnknown;
}

extern "C" {

// Receives one page-bound message: `length` bytes, not terminated.
typedef void (*VantoDiagnosticBridgeCallback)(void* context, const char* bytes, std::size_t length);

// The version of this set of functions.
int vantoDiagnosticBridgeAbiVersion();

// With a callback: every page-bound message of `controller` goes to callback(context, …) from now
// on; with a null callback the sink is removed. 1 when done, 0 when `controller` is no edit
// controller of this plug-in.
int vantoInstallDiagnosticBridgeSink(Steinberg::FUnknown* controller, VantoDiagnosticBridgeCallback callback,
                                     void* context);

// Hands `length` bytes to the controller as one page message. 1 when delivered, 0 when `controller`
// is no edit controller of this plug-in or `bytes` is null.
int vantoDeliverDiagnosticBridgeMessage(Steinberg::FUnknown* controller, const char* bytes,
                                        std::size_t length);

// Runs one tick of the controller's diagnostic cadence. 1 when done, 0 when `controller` is no edit
// controller of this plug-in.
int vantoTickDiagnosticCadence(Steinberg::FUnknown* controller);
}
