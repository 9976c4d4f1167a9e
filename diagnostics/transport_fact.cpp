#include "diagnostics/transport_fact.h"

#include "diagnostics/same_number.h"

#include <cstring> // memcpy

namespace vanto {

bool TransportFact::differsFrom(const TransportFact& other) const {
    return source != other.source || playing != other.playing || recording != other.recording ||
           looping != other.looping || hasTempo != other.hasTempo ||
           hasTimeSignature != other.hasTimeSignature || hasPosition != other.hasPosition ||
           hasLoop != other.hasLoop || canSetTempo != other.canSetTempo || !sameNumber(tempo, other.tempo) ||
           numerator != other.numerator || denominator != other.denominator ||
           !sameNumber(loopStartPpq, other.loopStartPpq) || !sameNumber(loopEndPpq, other.loopEndPpq) ||
           !sameNumber(sampleRate, other.sampleRate);
}

bool readTransportFactBytes(const void* data, std::size_t size, TransportFact& out) {
    if (data == nullptr || size != kTransportFactSize) {
        return false;
    }
    // A bool holding any byte but 0 or 1 is undefined behaviour, so the flag bytes are normalised
    // before the bytes become a record.
    unsigned char bytes[kTransportFactSize];
    std::memcpy(bytes, data, kTransportFactSize);
    for (std::size_t i = offsetof(TransportFact, playing); i <= offsetof(TransportFact, canSetTempo); ++i) {
        bytes[i] = bytes[i] != 0 ? 1 : 0;
    }
    TransportFact fact;
    std::memcpy(&fact, bytes, kTransportFactSize);
    out = fact;
    return true;
}

} // namespace vanto
