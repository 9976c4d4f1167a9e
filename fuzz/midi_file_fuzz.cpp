// The standard MIDI file reader of dovrel-render --midi: any bytes are refused with a one-line reason
// and no controllers, or read into controller messages in range, in time order, at finite times.
#include "fuzz_check.h"

#include "midi_file.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    std::vector<vanto::TimedController> controllers;
    std::string error;
    if (!vanto::parseMidiFileControllers(data, size, controllers, error)) {
        FUZZ_CHECK(!error.empty());
        FUZZ_CHECK(error.find('\n') == std::string::npos);
        return 0;
    }
    // Each message takes at least a delta time and two data bytes.
    FUZZ_CHECK(controllers.size() <= size / 3);
    double previous = 0;
    for (const vanto::TimedController& message : controllers) {
        FUZZ_CHECK(std::isfinite(message.seconds));
        FUZZ_CHECK(message.seconds >= previous);
        FUZZ_CHECK(message.channel >= 0 && message.channel <= 15);
        FUZZ_CHECK(message.controller >= 0 && message.controller <= 127);
        FUZZ_CHECK(message.value >= 0 && message.value <= 127);
        previous = message.seconds;
    }
    return 0;
}
