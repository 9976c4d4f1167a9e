// The render tool's own end of the processor's connection, standing in for the edit controller when
// meters are asked for: it asks the processor for its meter records and collects them from each
// "vanto.diag.signal" it sends after a feed drain.
#pragma once

#include "diagnostics/signal_meter_record.h"

#include "pluginterfaces/vst/ivstcomponent.h"
#include "pluginterfaces/vst/ivstmessage.h"

#include <vector>

namespace vanto {

class MeterListener final : public Steinberg::Vst::IConnectionPoint {
  public:
    MeterListener();
    virtual ~MeterListener() = default;

    // Connects to `component` and asks it for meter records; false when the component takes no
    // connection.
    bool attach(Steinberg::Vst::IComponent& component);
    // Disconnects from the component attached to.
    void detach();
    // Asks the processor for what it has gathered since the last drain (after each rendered block).
    void drain();

    const std::vector<SignalMeterRecord>& records() const { return records_; }
    // Records the processor could not keep and payloads that could not be read.
    uint32_t dropped() const { return dropped_; }
    uint32_t unreadable() const { return unreadable_; }

    Steinberg::tresult PLUGIN_API connect(IConnectionPoint* other) override;
    Steinberg::tresult PLUGIN_API disconnect(IConnectionPoint* other) override;
    Steinberg::tresult PLUGIN_API notify(Steinberg::Vst::IMessage* message) override;

    DECLARE_FUNKNOWN_METHODS

  private:
    void send(Steinberg::Vst::IMessage& message);

    Steinberg::IPtr<IConnectionPoint> processor_;
    std::vector<SignalMeterRecord> records_;
    std::vector<SignalMeterRecord> received_;
    uint32_t dropped_ = 0;
    uint32_t unreadable_ = 0;
};

} // namespace vanto
