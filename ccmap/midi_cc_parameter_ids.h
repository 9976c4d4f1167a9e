// The hidden parameters through which a VST 3 host delivers MIDI controllers: every controller number
// of every channel of the MIDI input bus has a parameter of its own, in an id range no effect
// parameter uses. The host turns each controller message into a change of that parameter (asking the
// controller's IMidiMapping which one), and the processor turns the change back into the message, so
// the CC map acts on it with its ranges, curves, relative modes and takeover.
#pragma once

#include <cstdint>
#include <optional>

namespace vanto {

inline constexpr uint32_t kMidiCcParamBase = 0x4D430000; // "MC"
inline constexpr uint32_t kMidiCcChannels = 16;
inline constexpr uint32_t kMidiCcControllers = 128;
inline constexpr uint32_t kMidiCcParamCount = kMidiCcChannels * kMidiCcControllers;

// One controller message as the processor sees it: channel 1 ... 16 (as the CC map counts them),
// controller 0 ... 127 and its 7-bit value.
struct MidiCcAddress {
    int channel;
    int controller;
};

// The parameter of controller `controller` on host channel `hostChannel` (0 ... 15); the caller checks
// the ranges.
constexpr uint32_t midiCcParamId(int hostChannel, int controller) {
    return kMidiCcParamBase + static_cast<uint32_t>(hostChannel) * kMidiCcControllers +
           static_cast<uint32_t>(controller);
}

constexpr bool isMidiCcParamId(uint32_t id) {
    return id >= kMidiCcParamBase && id - kMidiCcParamBase < kMidiCcParamCount;
}

// The channel (1 ... 16) and controller of a MIDI CC parameter; nothing for any other id.
constexpr std::optional<MidiCcAddress> midiCcAddressOf(uint32_t id) {
    if (!isMidiCcParamId(id)) {
        return std::nullopt;
    }
    const uint32_t offset = id - kMidiCcParamBase;
    return MidiCcAddress{static_cast<int>(offset / kMidiCcControllers) + 1,
                         static_cast<int>(offset % kMidiCcControllers)};
}

// The 7-bit controller value a normalized parameter value stands for (the host sends value / 127).
constexpr int midiCcValueOf(double normalized) {
    if (!(normalized > 0.0)) {
        return 0; // NaN too
    }
    if (normalized >= 1.0) {
        return 127;
    }
    return static_cast<int>(normalized * 127.0 + 0.5);
}

} // namespace vanto
