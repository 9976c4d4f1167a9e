// Controller activity for the page: what the processor's audio thread saw arrives with each feed drain
// of the cadence, already limited to one report per controller every 33 ms, and goes to the page as
// "vanto.midiCc" messages while it subscribes to "midiIn" (the CC map editor learns bindings from them).
#include "controller/vanto_controller.h"

#include "ccmap/cc_activity_json.h"
#include "ccmap/midi_cc_parameter_ids.h"

#include <string>

namespace vanto {

namespace {

constexpr Steinberg::uint32 kRecordBytes = 3;

bool validRecord(const unsigned char* record) {
    return record[0] < kMidiCcControllers && record[1] >= 1 && record[1] <= kMidiCcChannels &&
           record[2] < 128;
}

bool wholeValidRecords(const unsigned char* bytes, Steinberg::uint32 size) {
    if (size == 0 || size % kRecordBytes != 0) {
        return false;
    }
    for (Steinberg::uint32 offset = 0; offset < size; offset += kRecordBytes) {
        if (!validRecord(bytes + offset)) {
            return false;
        }
    }
    return true;
}

} // namespace

void VantoController::relayMidiActivity(const void* bytes, Steinberg::uint32 size) {
    const auto* records = static_cast<const unsigned char*>(bytes);
    if (!page.pageConnected() || !subscription.wants(kFeedMidiIn) || !wholeValidRecords(records, size)) {
        return;
    }
    for (Steinberg::uint32 offset = 0; offset < size; offset += kRecordBytes) {
        std::string message;
        writeMidiCcJson(message, {records[offset], records[offset + 1], records[offset + 2]});
        sendToUi(message);
    }
}

} // namespace vanto
