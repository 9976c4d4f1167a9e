// The meter feeds on the controller's side: which signal feeds the processor should gather, and the
// meter records it sends, passed on to the page as "vanto.meters" frames.
#include "controller/vanto_controller.h"

#include "processor/processor_message_ids.h"

#include "pluginterfaces/vst/ivstmessage.h"

namespace vanto {

using Steinberg::IPtr;
using Steinberg::owned;
using Steinberg::Vst::IAttributeList;
using Steinberg::Vst::IMessage;

void VantoController::adoptSignal(const void* bytes, Steinberg::uint32 size) {
    meterFeed.adopt(static_cast<const char*>(bytes), size, lifecycleLog.nowMs(), subscription, page);
}

void VantoController::restartSignalFeeds() {
    meterFeed.restart();
    uint32_t feeds = 0;
    if (!meterFeed.takeFeedsChange(subscription, feeds)) {
        return;
    }
    IPtr<IMessage> message = owned(allocateMessage());
    if (!message) {
        return;
    }
    message->setMessageID(kMessageSignalFeeds);
    IAttributeList* attributes = message->getAttributes();
    if (attributes == nullptr) {
        return; // without its feed mask the request means nothing
    }
    attributes->setInt(kMessageFeedsAttribute, feeds);
    sendMessage(message);
}

} // namespace vanto
