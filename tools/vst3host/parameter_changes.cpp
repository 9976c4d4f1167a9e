#include "parameter_changes.h"

#include <algorithm>

namespace vanto::host {

using namespace Steinberg;
using namespace Steinberg::Vst;

IMPLEMENT_FUNKNOWN_METHODS(ParamValueQueue, IParamValueQueue, IParamValueQueue::iid)
IMPLEMENT_FUNKNOWN_METHODS(ParameterChanges, IParameterChanges, IParameterChanges::iid)

ParamValueQueue::ParamValueQueue(int32 pointCapacity) {
    FUNKNOWN_CTOR
    points.reserve(static_cast<size_t>(std::max(pointCapacity, 1)));
}

void ParamValueQueue::reset(ParamID parameterId) {
    id = parameterId;
    points.clear();
}

ParamID PLUGIN_API ParamValueQueue::getParameterId() {
    return id;
}

int32 PLUGIN_API ParamValueQueue::getPointCount() {
    return static_cast<int32>(points.size());
}

tresult PLUGIN_API ParamValueQueue::getPoint(int32 index, int32& sampleOffset, ParamValue& value) {
    if (index < 0 || index >= getPointCount())
        return kInvalidArgument;
    sampleOffset = points[static_cast<size_t>(index)].sampleOffset;
    value = points[static_cast<size_t>(index)].value;
    return kResultOk;
}

tresult PLUGIN_API ParamValueQueue::addPoint(int32 sampleOffset, ParamValue value, int32& index) {
    const auto position =
        std::lower_bound(points.begin(), points.end(), sampleOffset,
                         [](const Point& point, int32 offset) { return point.sampleOffset < offset; });
    index = static_cast<int32>(position - points.begin());
    if (position != points.end() && position->sampleOffset == sampleOffset) {
        position->value = value;
        return kResultOk;
    }
    if (points.size() == points.capacity())
        return kResultFalse;
    points.insert(position, {sampleOffset, value});
    return kResultOk;
}

ParameterChanges::ParameterChanges(int32 queueCapacity, int32 pointCapacity) {
    FUNKNOWN_CTOR
    for (int32 slot = 0; slot < std::max(queueCapacity, 1); ++slot)
        queues.push_back(std::make_unique<ParamValueQueue>(pointCapacity));
}

void ParameterChanges::clear() {
    usedQueues = 0;
}

bool ParameterChanges::add(ParamID id, int32 sampleOffset, ParamValue value) {
    int32 queueIndex = 0;
    int32 pointIndex = 0;
    IParamValueQueue* queue = addParameterData(id, queueIndex);
    return queue != nullptr && queue->addPoint(sampleOffset, value, pointIndex) == kResultOk;
}

int32 PLUGIN_API ParameterChanges::getParameterCount() {
    return usedQueues;
}

IParamValueQueue* PLUGIN_API ParameterChanges::getParameterData(int32 index) {
    if (index < 0 || index >= usedQueues)
        return nullptr;
    return queues[static_cast<size_t>(index)].get();
}

IParamValueQueue* PLUGIN_API ParameterChanges::addParameterData(const ParamID& id, int32& index) {
    for (index = 0; index < usedQueues; ++index)
        if (queues[static_cast<size_t>(index)]->getParameterId() == id)
            return queues[static_cast<size_t>(index)].get();
    if (usedQueues == static_cast<int32>(queues.size()))
        return nullptr;
    index = usedQueues++;
    queues[static_cast<size_t>(index)]->reset(id);
    return queues[static_cast<size_t>(index)].get();
}

} // namespace vanto::host
