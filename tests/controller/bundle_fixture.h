// What the tests that drive the built bundle share: the bundle loaded once per test program, a
// recording stand-in for the host's edit handler, and a strict reading of page messages.
#pragma once

#include "banks/json_tree.h"
#include "module.h"
#include "plugin_instance.h"

#include "pluginterfaces/vst/ivsteditcontroller.h"

#include <cstddef>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace vanto::test {

// The bundle of this build, loaded through its module entry on first use; null (with a test
// failure) when it cannot be loaded.
std::shared_ptr<host::Module> loadedBundle();

// A new instance of the bundle's processor class; null (with a test failure saying why) when it
// cannot be made.
std::unique_ptr<host::PluginInstance> processorInstance();

// The bundle's entry points for the page bridge, as the editor helper finds them.
struct BridgeExports {
    using Sink = void (*)(void* context, const char* bytes, std::size_t length);
    int (*installSink)(Steinberg::FUnknown* controller, Sink sink, void* context) = nullptr;
    int (*deliver)(Steinberg::FUnknown* controller, const char* bytes, std::size_t length) = nullptr;
    int (*tick)(Steinberg::FUnknown* controller) = nullptr;

    // Every entry point found in the loaded bundle, looked up once per test program; a test failure
    // names each one that is missing.
    static const BridgeExports& found();
    bool complete() const { return installSink != nullptr && deliver != nullptr && tick != nullptr; }
};

// The controller's normalized values of the table parameters, in id order.
std::vector<Steinberg::Vst::ParamValue> tableParamValues(Steinberg::Vst::IEditController& controller);

// The message parsed by the independent tree reader; a test failure when it is not strict JSON.
JsonValue parsedJson(const std::string& text);

// The host's side of parameter edits. Every call is kept as text ("begin 3", "perform 3", "end 3",
// "restart 1"); performed values and restart flags are kept as they came as well.
class RecordingComponentHandler final : public Steinberg::Vst::IComponentHandler {
  public:
    virtual ~RecordingComponentHandler() = default;
    Steinberg::tresult PLUGIN_API beginEdit(Steinberg::Vst::ParamID id) override;
    Steinberg::tresult PLUGIN_API performEdit(Steinberg::Vst::ParamID id,
                                              Steinberg::Vst::ParamValue value) override;
    Steinberg::tresult PLUGIN_API endEdit(Steinberg::Vst::ParamID id) override;
    Steinberg::tresult PLUGIN_API restartComponent(Steinberg::int32 flags) override;
    Steinberg::tresult PLUGIN_API queryInterface(const Steinberg::TUID iid, void** obj) override;
    // Owned by the test, which keeps it alive longer than the controller it is given to.
    Steinberg::uint32 PLUGIN_API addRef() override { return 1; }
    Steinberg::uint32 PLUGIN_API release() override { return 1; }

    std::vector<std::string> calls;
    std::vector<std::pair<Steinberg::Vst::ParamID, Steinberg::Vst::ParamValue>> performed;
    std::vector<Steinberg::int32> restartFlags;

  private:
    Steinberg::tresult record(std::string call);
};

} // namespace vanto::test
