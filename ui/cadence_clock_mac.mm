// macOS cadence clock: a repeating NSTimer on the main run loop, which AppKit hosts run; the run-loop
// source of the other platforms is not needed.
#include "ui/cadence_clock.h"

#import <Foundation/Foundation.h>

namespace vanto {

struct CadenceClock {
    NSTimer* timer = nil;
};

CadenceClock* vantoStartCadenceClock(CadenceCallback callback, void* context, double intervalSeconds,
                                     Steinberg::FUnknown* /*runLoopSource*/) {
    if (callback == nullptr) {
        return nullptr;
    }
    auto* clock = new CadenceClock();
    const NSTimeInterval interval = intervalSeconds > 0.0 ? intervalSeconds : 1.0 / 30.0;
    clock->timer = [[NSTimer scheduledTimerWithTimeInterval:interval
                                                    repeats:YES
                                                      block:^(NSTimer*) {
                                                        callback(context);
                                                      }] retain];
    return clock;
}

void vantoStopCadenceClock(CadenceClock* clock) {
    if (clock == nullptr) {
        return;
    }
    [clock->timer invalidate];
    [clock->timer release];
    delete clock;
}

} // namespace vanto
