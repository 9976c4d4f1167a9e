// The meter feeds on the processor's side: the engine gathers meter records on the audio thread only
// while the controller says a page subscribes to "meters" or "scope", and each feed drain of the
// controller's cadence sends what has arrived as "vanto.diag.signal". Main thread.
#include "processor/vanto_processor.h"

#include "diagnostics/diagnostic_feeds.h"
#include "diagnostics/signal_meters_json.h"
#include "processor/processor_message_ids.h"

#include <array>
#include <string>

namespace vanto {

using namespace Steinberg;
using namespace Steinberg::Vst;

void VantoProcessor::adoptSignalFeedsMessage(IMessage& message) {
    IAttributeList* attributes = message.getAttributes();
    int64 feeds = 0;
    if (attributes == nullptr || attributes->getInt(kMessageFeedsAttribute, feeds) != kResultOk) {
        return;
    }
    const bool wanted = (feeds & (kFeedMeters | kFeedScope)) != 0;
    if (wanted && !engine.metersWanted()) {
        // Records of an earlier subscription are stale for the new page.
        SignalMeterRecord stale;
        while (engine.meterRing().pop(stale)) {
        }
        engine.meterRing().takeDropped();
    }
    engine.setMetersWanted(wanted);
}

void VantoProcessor::drainSignalFeedsToController() {
    if (!engine.metersWanted()) {
        return;
    }
    std::array<SignalMeterRecord, kMaxSignalRecordsPerPayload> records;
    uint32_t dropped = engine.meterRing().takeDropped();
    for (;;) {
        std::size_t count = 0;
        while (count < records.size() && engine.meterRing().pop(records[count])) {
            ++count;
        }
        if (count == 0 && dropped == 0) {
            return;
        }
        std::string payload;
        writeSignalMetersJson(payload, records.data(), count, dropped);
        sendBinaryMessage(kMessageSignal, payload.data(), payload.size());
        dropped = 0;
        if (count < records.size()) {
            return;
        }
    }
}

} // namespace vanto
