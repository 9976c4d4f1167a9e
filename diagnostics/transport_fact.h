// One snapshot of the host's transport (play state, tempo, meter, position, loop), taken on the
// audio side and sent to the controller as the raw bytes of this record. The layout is fixed and
// checked below; the padding is an explicit zero-initialised member so that a record sent raw never
// carries stale memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <type_traits>

namespace vanto {

inline constexpr std::size_t kTransportFactSize = 88;

enum TransportSource : uint8_t {
    kTransportSourceNone = 0,
    kTransportSourceHost = 1,
    kTransportSourceInternal = 2,
};

struct TransportFact {
    uint64_t atFrame = 0;                  // frame counter of the snapshot; also stamps the events it causes
    uint8_t source = kTransportSourceNone; // TransportSource; other values mean none
    bool playing = false;
    bool recording = false;
    bool looping = false;
    bool hasTempo = false;
    bool hasTimeSignature = false;
    bool hasPosition = false;
    bool hasLoop = false;
    bool canSetTempo = false;
    uint8_t pad0[7] = {};
    double tempo = 120.0; // beats per minute
    int32_t numerator = 4;
    int32_t denominator = 4;
    double ppqPosition = 0.0; // quarter notes
    double barPositionPpq = 0.0;
    double loopStartPpq = 0.0;
    double loopEndPpq = 0.0;
    double sampleRate = 0.0;
    int64_t projectTimeSamples = 0;

    // Whether the transport's configuration or state differs. The position fields (atFrame,
    // ppqPosition, barPositionPpq, projectTimeSamples) move continuously while playing and are not
    // compared.
    bool differsFrom(const TransportFact& other) const;
};

static_assert(sizeof(TransportFact) == kTransportFactSize);
static_assert(std::is_trivially_copyable_v<TransportFact>);
static_assert(std::is_standard_layout_v<TransportFact>);
static_assert(sizeof(bool) == 1);
static_assert(offsetof(TransportFact, source) == 8);
static_assert(offsetof(TransportFact, playing) == 9);
static_assert(offsetof(TransportFact, canSetTempo) == 16);
static_assert(offsetof(TransportFact, tempo) == 24);
static_assert(offsetof(TransportFact, numerator) == 32);
static_assert(offsetof(TransportFact, denominator) == 36);
static_assert(offsetof(TransportFact, ppqPosition) == 40);
static_assert(offsetof(TransportFact, sampleRate) == 72);
static_assert(offsetof(TransportFact, projectTimeSamples) == 80);

// Reads a record received as raw bytes. Refuses (false, `out` untouched) anything but exactly
// kTransportFactSize bytes. The bytes come from another component, so each flag byte is read as
// "non-zero = true" rather than copied into a bool unchecked.
bool readTransportFactBytes(const void* data, std::size_t size, TransportFact& out);

} // namespace vanto
