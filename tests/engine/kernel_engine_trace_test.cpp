// The trace file named by "VANTO_KERNEL_TRACE": set-ups, direct-path chunks and pushed events, each as
// one line. The variable is set before anything in this process can read it.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

#include "engine/kernel_engine.h"
#include "engine_test_support.h"

namespace vanto {
namespace {

const std::string& tracePath() {
    static const std::string path = "/tmp/dovrel-engine-trace-" + std::to_string(getpid()) + ".log";
    return path;
}

const bool traceConfigured = [] {
    std::remove(tracePath().c_str());
    return setenv("VANTO_KERNEL_TRACE", tracePath().c_str(), 1) == 0;
}();

// The file stays open for the life of the process; unlinking it at exit is enough.
struct TraceFileRemoval {
    ~TraceFileRemoval() { std::remove(tracePath().c_str()); }
} traceFileRemoval;

// Collects the trace lines written since it was constructed.
class TraceReader {
  public:
    TraceReader() : start_(fileText().size()) {}

    std::vector<std::string> lines() const {
        std::vector<std::string> result;
        std::istringstream stream(fileText().substr(start_));
        for (std::string line; std::getline(stream, line);) {
            result.push_back(line);
        }
        return result;
    }

    // The lines that start with `kind` ("S", "B", "E") and contain every one of `parts`.
    std::vector<std::string> matching(const std::string& kind, const std::vector<std::string>& parts) const {
        std::vector<std::string> result;
        for (const std::string& line : lines()) {
            bool matches = line.rfind(kind + " ", 0) == 0;
            for (const std::string& part : parts) {
                matches = matches && line.find(part) != std::string::npos;
            }
            if (matches) {
                result.push_back(line);
            }
        }
        return result;
    }

  private:
    static std::string fileText() {
        std::ifstream file(tracePath());
        std::stringstream text;
        text << file.rdbuf();
        return text.str();
    }

    std::size_t start_;
};

std::string enginePrefix(const KernelEngine& engine) {
    char text[64];
    std::snprintf(text, sizeof text, "this=%p ", static_cast<const void*>(&engine));
    return text;
}

void renderSilence(KernelEngine& engine, int frames) {
    test::Stereo silence(static_cast<std::size_t>(frames));
    test::Stereo output(static_cast<std::size_t>(frames));
    test::renderBlock(engine, silence.left.data(), silence.right.data(), 2, output.left.data(),
                      output.right.data(), frames);
    ASSERT_FALSE(engine.callbackFailed());
}

TEST(KernelTrace, EachSetupWritesAnSLineWithTheNewHandle) {
    ASSERT_TRUE(traceConfigured);
    const TraceReader trace;
    KernelEngine engine;
    ASSERT_TRUE(engine.setup(48000.0, 256));
    const uint32_t first = engine.instanceToken();
    ASSERT_TRUE(engine.setup(44100.5, 256));
    const uint32_t second = engine.instanceToken();
    ASSERT_NE(first, second);
    const auto lines = trace.matching("S", {enginePrefix(engine)});
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0],
              "S " + enginePrefix(engine) + "rate=48000 kernelRate=48000 handle=" + std::to_string(first));
    EXPECT_EQ(lines[1],
              "S " + enginePrefix(engine) + "rate=44100.5 kernelRate=48000 handle=" + std::to_string(second));
}

TEST(KernelTrace, A300FrameBlockRunsAsThreeChunksWithTheEventInTheSecond) {
    KernelEngine engine;
    ASSERT_TRUE(engine.setup(48000.0, 512));
    const TraceReader trace;
    ASSERT_TRUE(engine.pushParamNormalized(test::kParamMaster, 0.25, 130));
    renderSilence(engine, 300);

    std::vector<std::string> lines;
    for (const std::string& line : trace.lines()) {
        if (line.find(enginePrefix(engine)) != std::string::npos) {
            lines.push_back(line.substr(0, 2) + line.substr(line.find(' ', 2) + 1));
        }
    }
    ASSERT_EQ(lines.size(), 4u);
    const std::string block = lines[0].substr(
        lines[0].find("blk="), lines[0].find(' ', lines[0].find("blk=")) - lines[0].find("blk="));
    EXPECT_EQ(lines[0], "B " + block + " off=0 chunk=128 frames=300 events=1");
    EXPECT_EQ(lines[1], "B " + block + " off=128 chunk=128 frames=300 events=1");
    EXPECT_EQ(lines[2], "E " + block + " frame=2 kind=1 a=32 value=0.25 src=queue status=0");
    EXPECT_EQ(lines[3], "B " + block + " off=256 chunk=44 frames=300 events=1");
}

TEST(KernelTrace, ANewInstanceGetsTheMirrorRepublished) {
    KernelEngine engine;
    ASSERT_TRUE(engine.setup(48000.0, 128));
    renderSilence(engine, 64);
    engine.setParamValue(0, 140.0);
    ASSERT_TRUE(engine.setup(48000.0, 128));
    const TraceReader trace;
    renderSilence(engine, 64);
    renderSilence(engine, 64);
    // Only the value that differs from the new instance's defaults is pushed, once.
    const auto pushes = trace.matching("E", {enginePrefix(engine)});
    ASSERT_EQ(pushes.size(), 1u);
    EXPECT_NE(pushes[0].find("frame=0 kind=1 a=0 value=140 src=republish status=0"), std::string::npos)
        << pushes[0];
}

TEST(KernelTrace, AQueuedChangeAtFrameZeroReplacesThePendingRepublish) {
    KernelEngine engine;
    ASSERT_TRUE(engine.setup(48000.0, 128));
    renderSilence(engine, 64);
    const TraceReader trace;
    engine.setParamValue(11, 12.0);
    engine.setParamValue(12, 0.5);
    ASSERT_TRUE(engine.pushParamNormalized(11, 1.0, 0));
    renderSilence(engine, 128);
    const auto pushes = trace.matching("E", {enginePrefix(engine)});
    ASSERT_EQ(pushes.size(), 2u);
    EXPECT_NE(pushes[0].find("frame=0 kind=1 a=12 value=0.5 src=republish status=0"), std::string::npos);
    EXPECT_NE(pushes[1].find("frame=0 kind=1 a=11 value=18 src=queue status=0"), std::string::npos);
    EXPECT_EQ(engine.paramValue(11), 18.0);
}

TEST(KernelTrace, ARefusedValueIsRepublishedAtTheNextChunk) {
    KernelEngine engine;
    ASSERT_TRUE(engine.setup(48000.0, 256));
    const TraceReader trace;
    // The kernel takes 64 events per chunk: the 65th change is refused and must not be lost, even
    // though a change of the same id at frame 0 keeps it out of the first chunk's republish.
    for (int i = 0; i < 65; ++i) {
        ASSERT_TRUE(engine.pushParamNormalized(11, i / 100.0, 0));
    }
    renderSilence(engine, 256);
    const auto refused = trace.matching("E", {enginePrefix(engine), "a=11 value=11.52 src=queue status=3"});
    EXPECT_EQ(refused.size(), 1u);
    const auto retried =
        trace.matching("E", {enginePrefix(engine), "frame=0 kind=1 a=11 value=11.52 src=republish status=0"});
    EXPECT_EQ(retried.size(), 1u);
    EXPECT_EQ(engine.paramValue(11), 11.52);
}

TEST(KernelTrace, NoteEventsAreTracedAndRefusedByThisKernel) {
    KernelEngine engine;
    ASSERT_TRUE(engine.setup(48000.0, 128));
    const TraceReader trace;
    ASSERT_TRUE(engine.pushNoteOn(61, 0.5, 5, 0, 0));
    ASSERT_TRUE(engine.pushNoteOff(61, 9, 0, 0));
    ASSERT_TRUE(engine.pushController(7, 64, 12, 0, 0));
    renderSilence(engine, 128);
    const auto events = trace.matching("E", {enginePrefix(engine)});
    ASSERT_EQ(events.size(), 3u);
    EXPECT_NE(events[0].find("frame=5 kind=2 a=61 value=0.5 src=queue status=2"), std::string::npos)
        << events[0];
    EXPECT_NE(events[1].find("frame=9 kind=3 a=61 value=0 src=queue status=2"), std::string::npos)
        << events[1];
    EXPECT_NE(events[2].find("frame=12 kind=0 a=0 value=64 src=queue status=-1"), std::string::npos)
        << events[2];
    engine.drainRuntimeDiagnostics();
    // Two refusals reported; the controller was never sent.
    EXPECT_EQ(engine.diagnostics().count, 2u);
}

} // namespace
} // namespace vanto
