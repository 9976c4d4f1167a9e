// The parameter changes a host hands to one process call (and the plug-in's outgoing ones): one queue
// of (sample offset, normalized value) points per parameter. Storage is reserved up front, so adding
// changes from inside a process call never allocates; a full queue or list refuses more.
#pragma once

#include "pluginterfaces/vst/ivstparameterchanges.h"

#include <memory>
#include <vector>

namespace vanto::host {

class ParamValueQueue final : public Steinberg::Vst::IParamValueQueue {
  public:
    explicit ParamValueQueue(Steinberg::int32 pointCapacity);
    virtual ~ParamValueQueue() = default;

    // Starts the queue over for another parameter, keeping its storage.
    void reset(Steinberg::Vst::ParamID id);

    Steinberg::Vst::ParamID PLUGIN_API getParameterId() override;
    Steinberg::int32 PLUGIN_API getPointCount() override;
    Steinberg::tresult PLUGIN_API getPoint(Steinberg::int32 index, Steinberg::int32& sampleOffset,
                                           Steinberg::Vst::ParamValue& value) override;
    // Keeps the points in sample-offset order; a point at an offset already present replaces its value.
    Steinberg::tresult PLUGIN_API addPoint(Steinberg::int32 sampleOffset, Steinberg::Vst::ParamValue value,
                                           Steinberg::int32& index) override;

    DECLARE_FUNKNOWN_METHODS

  private:
    struct Point {
        Steinberg::int32 sampleOffset;
        Steinberg::Vst::ParamValue value;
    };

    Steinberg::Vst::ParamID id = 0;
    std::vector<Point> points;
};

class ParameterChanges final : public Steinberg::Vst::IParameterChanges {
  public:
    ParameterChanges(Steinberg::int32 queueCapacity = 64, Steinberg::int32 pointCapacity = 64);
    virtual ~ParameterChanges() = default;

    // Removes every queue, keeping the storage.
    void clear();
    // Shorthand for addParameterData(id) followed by addPoint; false when either is full.
    bool add(Steinberg::Vst::ParamID id, Steinberg::int32 sampleOffset, Steinberg::Vst::ParamValue value);

    Steinberg::int32 PLUGIN_API getParameterCount() override;
    Steinberg::Vst::IParamValueQueue* PLUGIN_API getParameterData(Steinberg::int32 index) override;
    // The existing queue of the parameter, or a new one; null when the list is full.
    Steinberg::Vst::IParamValueQueue* PLUGIN_API addParameterData(const Steinberg::Vst::ParamID& id,
                                                                  Steinberg::int32& index) override;

    DECLARE_FUNKNOWN_METHODS

  private:
    std::vector<std::unique_ptr<ParamValueQueue>> queues;
    Steinberg::int32 usedQueues = 0;
};

} // namespace vanto::host
