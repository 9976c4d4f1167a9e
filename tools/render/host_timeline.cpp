#include "host_timeline.h"

namespace vanto {

double HostTimeline::tempoAt(std::size_t frame, std::size_t frames) const {
    if (frames < 2) {
        return tempoFrom;
    }
    const double progress =
        static_cast<double>(frame < frames ? frame : frames - 1) / static_cast<double>(frames - 1);
    return tempoFrom + (tempoTo - tempoFrom) * progress;
}

} // namespace vanto
