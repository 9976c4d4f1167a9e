// The controller messages of a standard MIDI file (format 0 or 1), timed in seconds through the file's
// tempo map, for rendering CC automation offline. Notes and every other event are read and skipped.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace vanto {

struct TimedController {
    double seconds; // from the start of the file
    int channel;    // 0 ... 15, as in the file
    int controller; // 0 ... 127
    int value;      // 0 ... 127
};

// Reads the whole file in `bytes`. Returns the controller messages of all tracks in time order (ties in
// track order, then file order); false with a message naming the fault and its byte offset when the
// file is malformed, truncated or of format 2.
bool parseMidiFileControllers(const uint8_t* bytes, std::size_t size, std::vector<TimedController>& out,
                              std::string& error);

} // namespace vanto
