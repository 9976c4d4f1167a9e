// An edit controller driven in-process as a host and an editor drive it: initialised with a host
// context whose name and run loop the test chooses, given a recording component handler, connected to
// a recording stand-in for the processor, and with a page sink that keeps every page-bound message.
#pragma once

#include "fake_host.h"

#include "controller/vanto_controller.h"

#include "pluginterfaces/gui/iplugview.h"
#include "pluginterfaces/vst/ivsteditcontroller.h"
#include "pluginterfaces/vst/ivstmessage.h"
#include "public.sdk/source/vst/hosting/hostclasses.h"

#include <optional>
#include <string>
#include <vector>

namespace vanto::test {

struct SentMessage {
    std::string id;
    std::optional<std::string> payload;    // the "json" attribute, when the message had one
    std::optional<Steinberg::int64> reset; // the "reset" attribute, when the message had one
};

// The processor's end of the connection: keeps every message the controller sends.
class ProcessorStandIn final : public Steinberg::Vst::IConnectionPoint {
  public:
    virtual ~ProcessorStandIn() = default;
    Steinberg::tresult PLUGIN_API connect(IConnectionPoint*) override { return Steinberg::kResultOk; }
    Steinberg::tresult PLUGIN_API disconnect(IConnectionPoint*) override { return Steinberg::kResultOk; }
    Steinberg::tresult PLUGIN_API notify(Steinberg::Vst::IMessage* message) override;
    Steinberg::tresult PLUGIN_API queryInterface(const Steinberg::TUID iid, void** obj) override;
    Steinberg::uint32 PLUGIN_API addRef() override { return 1; }
    Steinberg::uint32 PLUGIN_API release() override { return 1; }

    std::vector<SentMessage> messages;
    std::vector<std::string> ids() const;
    std::vector<SentMessage> withId(const std::string& id) const;
};

// The host's side of parameter edits: every call, as text ("begin 3", "perform 3 0.5", "end 3",
// "restart 1").
class RecordingHandler final : public Steinberg::Vst::IComponentHandler {
  public:
    virtual ~RecordingHandler() = default;
    Steinberg::tresult PLUGIN_API beginEdit(Steinberg::Vst::ParamID id) override;
    Steinberg::tresult PLUGIN_API performEdit(Steinberg::Vst::ParamID id,
                                              Steinberg::Vst::ParamValue value) override;
    Steinberg::tresult PLUGIN_API endEdit(Steinberg::Vst::ParamID id) override;
    Steinberg::tresult PLUGIN_API restartComponent(Steinberg::int32 flags) override;
    Steinberg::tresult PLUGIN_API queryInterface(const Steinberg::TUID iid, void** obj) override;
    Steinberg::uint32 PLUGIN_API addRef() override { return 1; }
    Steinberg::uint32 PLUGIN_API release() override { return 1; }

    std::vector<std::string> calls;
    std::vector<std::pair<Steinberg::Vst::ParamID, Steinberg::Vst::ParamValue>> performed;
    std::vector<Steinberg::int32> restarts;
};

class ControllerUnderTest {
  public:
    explicit ControllerUnderTest(std::string hostName = "Test Host", bool offersRunLoop = false);
    ~ControllerUnderTest();
    ControllerUnderTest(const ControllerUnderTest&) = delete;
    ControllerUnderTest& operator=(const ControllerUnderTest&) = delete;

    VantoController& operator*() const { return *controller; }
    VantoController* operator->() const { return controller.get(); }

    // Installs a sink keeping page messages in `page`.
    void openPage();
    // Page messages whose "type" is `type`.
    std::vector<std::string> pageMessages(const std::string& type) const;

    // Delivers a processor message with a "json" byte block (none when absent).
    Steinberg::tresult deliver(const char* id, const std::optional<std::string>& payload);

    FakeHost host;
    ProcessorStandIn processor;
    RecordingHandler handler;
    std::vector<std::string> page;
    Steinberg::IPtr<VantoController> controller;
    bool terminated = false;
};

// The "type" member of a page message, or empty.
std::string messageType(const std::string& message);

} // namespace vanto::test
