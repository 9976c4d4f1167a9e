// Runtime diagnostic records and the bounded ring that keeps the first of them for the life of a
// kernel engine. Both are plain fixed-size structures: they are copied whole, cross threads as
// bytes, and recording into them never allocates.
#pragma once

#include <cstddef>
#include <cstdint>
#include <type_traits>

inline constexpr std::size_t VANTO_DIAGNOSTIC_MESSAGE_SIZE = 192; // 191 bytes and the terminator
inline constexpr std::size_t VANTO_DIAGNOSTIC_DETAIL_SIZE = 128;  // 127 bytes and the terminator
inline constexpr uint32_t VANTO_RUNTIME_DIAGNOSTIC_CAPACITY = 32;

struct vanto_runtime_diagnostic {
    uint32_t sequence;                           // taken from the ring's counter when recorded
    uint32_t code;                               // DiagnosticCode
    uint8_t severity;                            // DiagnosticSeverity
    uint8_t phase;                               // DiagnosticPhase
    char message[VANTO_DIAGNOSTIC_MESSAGE_SIZE]; // NUL-terminated
    char detail[VANTO_DIAGNOSTIC_DETAIL_SIZE];   // NUL-terminated; empty = none
};

// A value-initialised ring (`vanto_runtime_diagnostic_ring ring{};`) is the fresh ring of a new
// engine: header word 1, next sequence 1, nothing stored or dropped.
struct vanto_runtime_diagnostic_ring {
    uint32_t headerWord = 1;
    uint32_t nextSequence = 1;
    uint32_t dropped = 0;            // records that found the ring full
    uint32_t firstErrorSequence = 0; // first stored record of severity error or fatal; 0 = none
    uint32_t count = 0;              // stored records, 0 … VANTO_RUNTIME_DIAGNOSTIC_CAPACITY
    vanto_runtime_diagnostic entries[VANTO_RUNTIME_DIAGNOSTIC_CAPACITY] = {};
};

static_assert(std::is_trivially_copyable_v<vanto_runtime_diagnostic>);
static_assert(std::is_trivially_copyable_v<vanto_runtime_diagnostic_ring>);

namespace vanto {

// Records one diagnostic. A sequence number is spent in every case, so gaps in a report show where
// records were lost; a full ring only counts the record as dropped. Null texts count as empty;
// longer texts are cut to 191 (message) and 127 (detail) bytes, never inside a UTF-8 sequence, and
// control bytes are stored as spaces.
// Not for the audio thread, which queues its records elsewhere and has them moved here later.
void recordRuntimeDiagnostic(vanto_runtime_diagnostic_ring& ring, uint32_t code, uint8_t severity,
                             uint8_t phase, const char* message, const char* detail);

// Records one report queued by the audio callback, which carries only code, severity and phase; the
// message is chosen by code and the detail is "audio callback".
void recordAudioCallbackDiagnostic(vanto_runtime_diagnostic_ring& ring, uint32_t code, uint8_t severity,
                                   uint8_t phase);

// Records that the audio callback's queue overflowed and lost `droppedCount` reports (a warning in
// the process phase); records nothing when the count is 0.
void recordAudioQueueOverflow(vanto_runtime_diagnostic_ring& ring, uint32_t droppedCount);

} // namespace vanto
