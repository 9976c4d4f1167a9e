// A host context for tests: the SDK's host application with a chosen name and, optionally, a run
// loop whose timers the test fires by hand. Its name is converted without the SDK's string class,
// so instances on several threads share nothing.
#pragma once

#include "pluginterfaces/gui/iplugview.h"
#include "pluginterfaces/vst/ivsthostapplication.h"
#include "public.sdk/source/vst/hosting/hostclasses.h"

#include <string>
#include <vector>

namespace vanto::test {

class FakeHost final : public Steinberg::Vst::IHostApplication, public Steinberg::Linux::IRunLoop {
  public:
    explicit FakeHost(std::string name = "Test Host", bool offersRunLoop = false, bool nameReadable = true);
    virtual ~FakeHost() = default;

    Steinberg::tresult PLUGIN_API getName(Steinberg::Vst::String128 name) override;
    Steinberg::tresult PLUGIN_API createInstance(Steinberg::TUID cid, Steinberg::TUID iid,
                                                 void** obj) override;
    Steinberg::tresult PLUGIN_API registerEventHandler(Steinberg::Linux::IEventHandler*,
                                                       Steinberg::Linux::FileDescriptor) override;
    Steinberg::tresult PLUGIN_API unregisterEventHandler(Steinberg::Linux::IEventHandler*) override;
    Steinberg::tresult PLUGIN_API registerTimer(Steinberg::Linux::ITimerHandler* handler,
                                                Steinberg::Linux::TimerInterval milliseconds) override;
    Steinberg::tresult PLUGIN_API unregisterTimer(Steinberg::Linux::ITimerHandler* handler) override;
    Steinberg::tresult PLUGIN_API queryInterface(const Steinberg::TUID iid, void** obj) override;
    Steinberg::uint32 PLUGIN_API addRef() override { return 1; }
    Steinberg::uint32 PLUGIN_API release() override { return 1; }

    // Fires every registered timer once.
    void fireTimers();

    std::vector<Steinberg::Linux::ITimerHandler*> timers;
    std::vector<Steinberg::Linux::TimerInterval> intervals;

  private:
    Steinberg::Vst::HostApplication sdkHost;
    std::string name;
    bool offersRunLoop;
    bool nameReadable;
};

} // namespace vanto::test
