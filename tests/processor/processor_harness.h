// Drives the processor of the built bundle as a host does: the bundle is loaded with dlopen through the
// host library, the component is made by the module's factory, initialised with a host context and
// connected to a recording connection point that stands in for the edit controller.
#pragma once

#include "module.h"

#include "pluginterfaces/vst/ivstaudioprocessor.h"
#include "pluginterfaces/vst/ivstcomponent.h"
#include "pluginterfaces/vst/ivstmessage.h"
#include "public.sdk/source/vst/hosting/hostclasses.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace vanto::test {

struct ReceivedMessage {
    std::string id;
    std::optional<std::string> payload; // the "json" attribute, when the message had one
};

// The controller's end of the connection: keeps every message the processor sends.
class MessageRecorder final : public Steinberg::Vst::IConnectionPoint {
  public:
    MessageRecorder();
    virtual ~MessageRecorder() = default;

    Steinberg::tresult PLUGIN_API connect(IConnectionPoint* other) override;
    Steinberg::tresult PLUGIN_API disconnect(IConnectionPoint* other) override;
    Steinberg::tresult PLUGIN_API notify(Steinberg::Vst::IMessage* message) override;

    std::vector<ReceivedMessage> messages;
    // The messages with this id, in arrival order.
    std::vector<ReceivedMessage> withId(const std::string& id) const;
    void clear() { messages.clear(); }

    DECLARE_FUNKNOWN_METHODS
};

class ProcessorHarness {
  public:
    // The built bundle, loaded once for the whole test program.
    static std::shared_ptr<host::Module> module();

    ProcessorHarness();
    ~ProcessorHarness();
    ProcessorHarness(const ProcessorHarness&) = delete;
    ProcessorHarness& operator=(const ProcessorHarness&) = delete;

    Steinberg::Vst::IComponent& component() const { return *componentPart; }
    Steinberg::Vst::IAudioProcessor& processor() const { return *processorPart; }
    MessageRecorder& recorder() const { return *recorderPart; }

    Steinberg::tresult setupProcessing(double sampleRate, Steinberg::int32 maxBlock,
                                       Steinberg::int32 sampleSize = Steinberg::Vst::kSample32,
                                       Steinberg::int32 processMode = Steinberg::Vst::kRealtime);
    Steinberg::tresult setActive(bool active);
    // setupProcessing, setActive(true) and setProcessing(true).
    void start(double sampleRate, Steinberg::int32 maxBlock);

    // Sends a controller message whose "json" attribute holds `payload` (none when absent).
    Steinberg::tresult notify(const char* id, const std::optional<std::string>& payload);
    // A message without any attribute list of its own content, such as an id-only message.
    Steinberg::IPtr<Steinberg::Vst::IMessage> makeMessage(const char* id);
    // Hands a message made with makeMessage to the processor, as the controller's connection does.
    Steinberg::tresult deliver(Steinberg::Vst::IMessage* message);

    // The component state as a host saves it; empty when getState fails.
    std::string saveState();
    Steinberg::tresult restoreState(const std::string& state);

  private:
    std::shared_ptr<host::Module> bundle;
    std::unique_ptr<Steinberg::Vst::HostApplication> hostContext;
    Steinberg::IPtr<Steinberg::Vst::IComponent> componentPart;
    Steinberg::IPtr<Steinberg::Vst::IAudioProcessor> processorPart;
    Steinberg::IPtr<Steinberg::Vst::IConnectionPoint> componentConnection;
    Steinberg::IPtr<MessageRecorder> recorderPart;
    bool active = false;
};

} // namespace vanto::test
