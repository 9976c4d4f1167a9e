// MIDI controller messages injected into the preview from outside (a test, a script), standing in for
// a MIDI keyboard a host would route to the plug-in. The server's threads post them; the main thread
// maps each through the controller's IMidiMapping, as a host does, and sends it to the processor.
#pragma once

#include "page_channel.h"

#include <optional>
#include <string>

namespace vanto::preview {

struct InjectedController {
    int channel;    // 1 ... 16
    int controller; // 0 ... 127
    int value;      // 0 ... 127
};

// The message a request's "channel", "cc" and "value" texts describe; nothing when one is missing, not
// a whole decimal number, or out of its range.
std::optional<InjectedController> injectedControllerOf(const std::string& channel, const std::string& cc,
                                                       const std::string& value);

using InjectedControllerQueue = WakingQueue<InjectedController>;

} // namespace vanto::preview
