// A controller message reaches the kernel at its own frame: the kernel trace (named before the first
// kernel set-up of this program, which is why the program has its own main) shows where each value
// resolved through the CC map was pushed, chunk offset plus frame within the chunk.
#include "ccmap/midi_cc_parameter_ids.h"
#include "controller/bundle_fixture.h"

#include "plugin_instance.h"
#include "process_block.h"

#include <gtest/gtest.h>

#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

using Steinberg::int32;
using Steinberg::kResultOk;

std::string tracePath;

// Every kernel frame at which a queued value of `parameter` was pushed, in order.
std::vector<long> tracedFrames(unsigned parameter) {
    std::fflush(nullptr); // the trace lines wait in the plug-in's stream buffer
    std::ifstream file(tracePath);
    std::string line;
    long chunkOffset = 0;
    std::vector<long> frames;
    const std::string target = " a=" + std::to_string(parameter) + " ";
    while (std::getline(file, line)) {
        int offset = 0;
        unsigned frame = 0;
        if (line.rfind("B ", 0) == 0 &&
            std::sscanf(line.c_str() + line.find(" off="), " off=%d", &offset) == 1) {
            chunkOffset = offset;
        } else if (line.rfind("E ", 0) == 0 && line.find(target) != std::string::npos &&
                   line.find("src=queue") != std::string::npos &&
                   std::sscanf(line.c_str() + line.find(" frame="), " frame=%u", &frame) == 1) {
            frames.push_back(chunkOffset + static_cast<long>(frame));
        }
    }
    return frames;
}

TEST(MidiControlTiming, ResolvedValuesReachTheKernelAtTheMessagesFrame) {
    ASSERT_FALSE(tracePath.empty());
    const auto bundle = vanto::test::loadedBundle();
    ASSERT_NE(bundle, nullptr);
    const auto effect = bundle->findClass(kVstAudioEffectClass);
    ASSERT_TRUE(effect.has_value());
    std::string error;
    auto instance =
        vanto::host::PluginInstance::create(bundle, reinterpret_cast<const char*>(effect->cid.data()), error);
    ASSERT_NE(instance, nullptr) << error;
    using Deliver = int (*)(Steinberg::FUnknown*, const char*, std::size_t);
    const auto deliver =
        reinterpret_cast<Deliver>(dlsym(bundle->libraryHandle(), "vantoDeliverDiagnosticBridgeMessage"));
    ASSERT_NE(deliver, nullptr);
    const std::string setMap = R"({"type":"vanto.setCcMap","map":[{"cc":74,"path":"glue.ratio"}]})";
    ASSERT_EQ(deliver(instance->controller(), setMap.data(), setMap.size()), 1);
    constexpr int32 kBlock = 512;
    ASSERT_EQ(instance->start(48000, kBlock), kResultOk);

    // The first and last frames of the block and of its 128-frame kernel chunks, and one inside.
    const std::vector<int32> offsets = {0, 127, 128, 301, 511};
    vanto::host::ProcessBlock block({2}, {2}, kBlock);
    for (std::size_t index = 0; index < offsets.size(); ++index) {
        block.inputParameterChanges().add(vanto::midiCcParamId(0, 74), offsets[index],
                                          static_cast<double>(index + 1) / 127.0);
    }
    std::ofstream(tracePath, std::ios::trunc).flush();
    ASSERT_EQ(instance->process(block.prepare(kBlock)), kResultOk);
    const std::vector<long> frames = tracedFrames(26);
    ASSERT_EQ(frames.size(), offsets.size());
    for (std::size_t index = 0; index < offsets.size(); ++index) {
        EXPECT_EQ(frames[index], offsets[index]) << "delay " << frames[index] - offsets[index] << " samples";
    }
}

} // namespace

int main(int argc, char** argv) {
    // The plug-in opens the trace file once, at its first kernel set-up in the process.
    char path[] = "/tmp/dovrel-midi-timing-XXXXXX";
    const int descriptor = mkstemp(path);
    if (descriptor >= 0) {
        close(descriptor);
        tracePath = path;
        setenv("VANTO_KERNEL_TRACE", path, 1);
    }
    ::testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
    if (!tracePath.empty()) {
        std::remove(tracePath.c_str());
    }
    return result;
}
