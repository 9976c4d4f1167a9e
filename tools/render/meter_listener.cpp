#include "meter_listener.h"

#include "diagnostics/diagnostic_feeds.h"
#include "diagnostics/signal_meters_json.h"

#include "public.sdk/source/vst/hosting/hostclasses.h"

#include <cstring>

namespace vanto {

using namespace Steinberg;
using namespace Steinberg::Vst;

IMPLEMENT_FUNKNOWN_METHODS(MeterListener, IConnectionPoint, IConnectionPoint::iid)

MeterListener::MeterListener() {
    FUNKNOWN_CTOR
}

bool MeterListener::attach(IComponent& component) {
    FUnknownPtr<IConnectionPoint> processor(&component);
    if (!processor || processor->connect(this) != kResultOk) {
        return false;
    }
    processor_ = processor;
    IPtr<IMessage> feeds = owned(new HostMessage);
    feeds->setMessageID("vanto.diag.signalFeeds");
    feeds->getAttributes()->setInt("feeds", kFeedMeters);
    send(*feeds);
    return true;
}

void MeterListener::detach() {
    if (processor_) {
        processor_->disconnect(this);
        processor_ = nullptr;
    }
}

void MeterListener::drain() {
    IPtr<IMessage> drain = owned(new HostMessage);
    drain->setMessageID("vanto.diag.feedDrain");
    send(*drain);
}

void MeterListener::send(IMessage& message) {
    if (processor_) {
        processor_->notify(&message);
    }
}

tresult PLUGIN_API MeterListener::connect(IConnectionPoint*) {
    return kResultOk;
}

tresult PLUGIN_API MeterListener::disconnect(IConnectionPoint*) {
    return kResultOk;
}

tresult PLUGIN_API MeterListener::notify(IMessage* message) {
    if (message == nullptr || message->getMessageID() == nullptr ||
        std::strcmp(message->getMessageID(), "vanto.diag.signal") != 0) {
        return kResultOk;
    }
    const void* bytes = nullptr;
    uint32 size = 0;
    uint32_t dropped = 0;
    IAttributeList* attributes = message->getAttributes();
    if (attributes == nullptr || attributes->getBinary("json", bytes, size) != kResultOk ||
        !parseSignalMetersJson(static_cast<const char*>(bytes), size, received_, dropped)) {
        ++unreadable_;
        return kResultOk;
    }
    records_.insert(records_.end(), received_.begin(), received_.end());
    dropped_ += dropped;
    return kResultOk;
}

} // namespace vanto
