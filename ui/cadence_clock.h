// The repeating main-thread timer behind the controller's diagnostic cadence. Each platform supplies
// one implementation file; the callers stay the same everywhere.
#pragma once

namespace Steinberg {
class FUnknown;
}

namespace vanto {

// A running clock; opaque to its users.
struct CadenceClock;

using CadenceCallback = void (*)(void* context);

// Starts calling `callback(context)` on the main thread every `intervalSeconds` (1/30 s when not
// above 0). `runLoopSource` is an object that may offer the platform's main run loop: on Linux a
// plug-in has no main loop of its own and gets the host's IRunLoop from its plug frame or, in many
// hosts, from the host context; platforms with their own main run loop ignore it.
// Returns null when the callback is null or no run loop is available (the clock then never ticks).
CadenceClock* vantoStartCadenceClock(CadenceCallback callback, void* context, double intervalSeconds,
                                     Steinberg::FUnknown* runLoopSource);

// Stops the clock and releases it; after this the callback is never called again. Null does nothing.
void vantoStopCadenceClock(CadenceClock* clock);

} // namespace vanto
