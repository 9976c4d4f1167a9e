#include "event_list.h"
#include "parameter_changes.h"
#include "process_block.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <utility>
#include <vector>

namespace {

using namespace Steinberg;
using namespace Steinberg::Vst;
using vanto::host::EventList;
using vanto::host::ParameterChanges;
using vanto::host::ProcessBlock;

std::vector<std::pair<int32, ParamValue>> pointsOf(IParamValueQueue& queue) {
    std::vector<std::pair<int32, ParamValue>> points;
    for (int32 index = 0; index < queue.getPointCount(); ++index) {
        int32 offset = 0;
        ParamValue value = 0;
        EXPECT_EQ(queue.getPoint(index, offset, value), kResultOk);
        points.emplace_back(offset, value);
    }
    return points;
}

TEST(ParameterChanges, PointsStayInOffsetOrderAndOneOffsetHoldsOneValue) {
    ParameterChanges changes(4, 4);
    int32 queueIndex = -1;
    IParamValueQueue* queue = changes.addParameterData(7, queueIndex);
    ASSERT_NE(queue, nullptr);
    EXPECT_EQ(queueIndex, 0);
    int32 pointIndex = -1;
    EXPECT_EQ(queue->addPoint(64, 0.5, pointIndex), kResultOk);
    EXPECT_EQ(queue->addPoint(0, 0.1, pointIndex), kResultOk);
    EXPECT_EQ(pointIndex, 0);
    EXPECT_EQ(queue->addPoint(64, 0.75, pointIndex), kResultOk);
    EXPECT_EQ(pointIndex, 1);
    EXPECT_EQ(pointsOf(*queue), (std::vector<std::pair<int32, ParamValue>>{{0, 0.1}, {64, 0.75}}));
    EXPECT_EQ(queue->getParameterId(), 7u);

    int32 offset = 0;
    ParamValue value = 0;
    EXPECT_EQ(queue->getPoint(2, offset, value), kInvalidArgument);
    EXPECT_EQ(queue->getPoint(-1, offset, value), kInvalidArgument);
}

TEST(ParameterChanges, OneQueuePerParameterAndFullStorageRefusesMore) {
    ParameterChanges changes(2, 2);
    EXPECT_TRUE(changes.add(1, 0, 0.1));
    EXPECT_TRUE(changes.add(1, 10, 0.2));
    EXPECT_FALSE(changes.add(1, 20, 0.3)) << "the queue holds two points";
    EXPECT_TRUE(changes.add(1, 10, 0.25)) << "replacing a point needs no room";
    EXPECT_TRUE(changes.add(2, 0, 0.5));
    EXPECT_FALSE(changes.add(3, 0, 0.5)) << "the list holds two queues";
    int32 index = -1;
    EXPECT_EQ(changes.addParameterData(3, index), nullptr);
    EXPECT_EQ(changes.getParameterCount(), 2);
    EXPECT_EQ(changes.addParameterData(2, index), changes.getParameterData(1));
    EXPECT_EQ(index, 1);
    EXPECT_EQ(changes.getParameterData(2), nullptr);
    EXPECT_EQ(pointsOf(*changes.getParameterData(0)),
              (std::vector<std::pair<int32, ParamValue>>{{0, 0.1}, {10, 0.25}}));

    // Clearing starts over with empty queues.
    changes.clear();
    EXPECT_EQ(changes.getParameterCount(), 0);
    EXPECT_TRUE(changes.add(9, 5, 1.0));
    EXPECT_EQ(changes.getParameterData(0)->getParameterId(), 9u);
    EXPECT_EQ(changes.getParameterData(0)->getPointCount(), 1);
}

TEST(EventList, KeepsEventsInOrderUpToItsCapacity) {
    EventList events(2);
    Event event{};
    event.type = Event::kNoteOnEvent;
    for (int16 pitch : {60, 64, 67}) {
        event.noteOn.pitch = pitch;
        EXPECT_EQ(events.addEvent(event), pitch == 67 ? kResultFalse : kResultOk);
    }
    ASSERT_EQ(events.getEventCount(), 2);
    Event read{};
    ASSERT_EQ(events.getEvent(1, read), kResultOk);
    EXPECT_EQ(read.noteOn.pitch, 64);
    EXPECT_EQ(events.getEvent(2, read), kInvalidArgument);
    events.clear();
    EXPECT_EQ(events.getEventCount(), 0);
}

TEST(ProcessBlock, PreparesDataPointingAtItsOwnStorage) {
    ProcessBlock block({2, 1}, {2}, 64);
    ProcessData& data = block.prepare(32, kOffline);
    EXPECT_EQ(data.numSamples, 32);
    EXPECT_EQ(data.processMode, kOffline);
    EXPECT_EQ(data.symbolicSampleSize, kSample32);
    ASSERT_EQ(data.numInputs, 2);
    ASSERT_EQ(data.numOutputs, 1);
    EXPECT_EQ(data.inputs[1].numChannels, 1);
    EXPECT_EQ(data.inputs[1].channelBuffers32[0], block.input(1, 0).data());
    EXPECT_EQ(data.outputs[0].channelBuffers32[1], block.output(0, 1).data());
    EXPECT_EQ(block.output(0, 1).size(), 64u);
    EXPECT_EQ(data.inputParameterChanges, &block.inputParameterChanges());
    EXPECT_EQ(data.outputEvents, &block.outputEvents());
    EXPECT_EQ(data.processContext, &block.processContext());

    // A test may null a channel or set flags; the next block starts from the block's own buffers again.
    data.outputs[0].channelBuffers32[0] = nullptr;
    data.outputs[0].silenceFlags = 3;
    data.outputs[0].numChannels = 70;
    ProcessData& next = block.prepare(64);
    EXPECT_EQ(next.outputs[0].channelBuffers32[0], block.output(0, 0).data());
    EXPECT_EQ(next.outputs[0].silenceFlags, 0u);
    EXPECT_EQ(next.outputs[0].numChannels, 2);
}

TEST(ProcessBlock, RefusesImpossibleSizesAndChannels) {
    EXPECT_THROW(ProcessBlock({2}, {2}, 0), std::invalid_argument);
    EXPECT_THROW(ProcessBlock({-1}, {2}, 16), std::invalid_argument);
    ProcessBlock block({}, {2}, 16);
    EXPECT_EQ(block.prepare(0).inputs, nullptr);
    EXPECT_THROW(block.prepare(17), std::invalid_argument);
    EXPECT_THROW(block.prepare(-1), std::invalid_argument);
    EXPECT_THROW(block.output(0, 2), std::out_of_range);
    EXPECT_THROW(block.input(0, 0), std::out_of_range);
}

} // namespace
