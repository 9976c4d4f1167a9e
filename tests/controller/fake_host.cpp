#include "fake_host.h"

#include "pluginterfaces/base/ustring.h"

#include <algorithm>

namespace vanto::test {

using Steinberg::FUnknown;
using Steinberg::kResultFalse;
using Steinberg::kResultOk;
using Steinberg::tresult;

FakeHost::FakeHost(std::string name, bool offersRunLoop, bool nameReadable)
    : name(std::move(name)), offersRunLoop(offersRunLoop), nameReadable(nameReadable) {}

tresult PLUGIN_API FakeHost::getName(Steinberg::Vst::String128 out) {
    if (!nameReadable) {
        return kResultFalse;
    }
    Steinberg::UString(out, 128).fromAscii(name.c_str());
    return kResultOk;
}

tresult PLUGIN_API FakeHost::createInstance(Steinberg::TUID cid, Steinberg::TUID iid, void** obj) {
    return sdkHost.createInstance(cid, iid, obj);
}

tresult PLUGIN_API FakeHost::registerEventHandler(Steinberg::Linux::IEventHandler*,
                                                  Steinberg::Linux::FileDescriptor) {
    return kResultFalse;
}

tresult PLUGIN_API FakeHost::unregisterEventHandler(Steinberg::Linux::IEventHandler*) {
    return kResultFalse;
}

tresult PLUGIN_API FakeHost::registerTimer(Steinberg::Linux::ITimerHandler* handler,
                                           Steinberg::Linux::TimerInterval milliseconds) {
    timers.push_back(handler);
    intervals.push_back(milliseconds);
    return kResultOk;
}

tresult PLUGIN_API FakeHost::unregisterTimer(Steinberg::Linux::ITimerHandler* handler) {
    std::erase(timers, handler);
    return kResultOk;
}

void FakeHost::fireTimers() {
    for (Steinberg::Linux::ITimerHandler* timer : std::vector(timers)) {
        timer->onTimer();
    }
}

tresult PLUGIN_API FakeHost::queryInterface(const Steinberg::TUID iid, void** obj) {
    if (Steinberg::FUnknownPrivate::iidEqual(iid, FUnknown::iid) ||
        Steinberg::FUnknownPrivate::iidEqual(iid, Steinberg::Vst::IHostApplication::iid)) {
        *obj = static_cast<Steinberg::Vst::IHostApplication*>(this);
        return kResultOk;
    }
    if (offersRunLoop && Steinberg::FUnknownPrivate::iidEqual(iid, Steinberg::Linux::IRunLoop::iid)) {
        *obj = static_cast<Steinberg::Linux::IRunLoop*>(this);
        return kResultOk;
    }
    *obj = nullptr;
    return Steinberg::kNoInterface;
}

} // namespace vanto::test
