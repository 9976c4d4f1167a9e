#include "processor/state_stream.h"

#include <algorithm>
#include <limits>

namespace vanto {

using Steinberg::int32;
using Steinberg::kResultFalse;
using Steinberg::kResultOk;
using Steinberg::tresult;

namespace {

constexpr int32 kReadChunkBytes = 4096;

} // namespace

void readStateStream(Steinberg::IBStream& stream, std::string& out) {
    char chunk[kReadChunkBytes];
    for (;;) {
        int32 delivered = 0;
        if (stream.read(chunk, kReadChunkBytes, &delivered) != kResultOk || delivered <= 0) {
            return;
        }
        out.append(chunk, static_cast<std::size_t>(std::min(delivered, kReadChunkBytes)));
        if (delivered < kReadChunkBytes) {
            return;
        }
    }
}

tresult writeStateStream(Steinberg::IBStream& stream, const std::string& text) {
    if (text.size() > static_cast<std::size_t>(std::numeric_limits<int32>::max())) {
        return kResultFalse;
    }
    const auto size = static_cast<int32>(text.size());
    int32 written = 0;
    const tresult result = stream.write(const_cast<char*>(text.data()), size, &written);
    if (result != kResultOk) {
        return result;
    }
    // A stream that took only part of the document would hold a state that cannot be restored.
    return written == size ? kResultOk : kResultFalse;
}

} // namespace vanto
