// The processor's side of MIDI control: the CC map handed to the audio thread, and the controller
// activity the audio thread saw, passed on to the edit controller when its cadence drains the feeds.
#include "processor/vanto_processor.h"

#include "processor/processor_message_ids.h"

#include <array>

namespace vanto {

namespace {

constexpr unsigned kActivityRecordBytes = 3;

} // namespace

void VantoProcessor::adoptCcMap(const CcMap& map, bool present) {
    ccMap = map;
    hasCcMap = present;
    // Only a failed copy refuses a map; the audio thread then keeps resolving with the previous one
    // until the next publication, and the state already carries the new one.
    midiCc.publishMap(ccMap);
}

void VantoProcessor::sendMidiActivity() {
    midiCc.collect();
    std::array<CcActivityRecord, 128> records;
    const unsigned count = midiCc.drainActivity(records.data(), static_cast<unsigned>(records.size()));
    if (count == 0) {
        return;
    }
    std::array<unsigned char, 128 * kActivityRecordBytes> bytes;
    for (unsigned index = 0; index < count; ++index) {
        bytes[index * kActivityRecordBytes] = records[index].cc;
        bytes[index * kActivityRecordBytes + 1] = records[index].channel;
        bytes[index * kActivityRecordBytes + 2] = records[index].value;
    }
    sendBinaryMessage(kMessageMidiIn, bytes.data(), count * kActivityRecordBytes);
}

} // namespace vanto
