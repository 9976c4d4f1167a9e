// dovrel-preview: runs the Dovrel plug-in as a host does -- processor and controller made, connected
// and processing the demo signal (or a looped file) in real time -- and serves its editor page on
// 127.0.0.1, standing in for the web view, so the page can be opened and tested in any browser.
#include "default_bundle.h"
#include "demo_signal.h"
#include "page_channel.h"
#include "preview_options.h"
#include "preview_plugin.h"
#include "preview_server.h"
#include "wav_file.h"

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <thread>

namespace {

using namespace vanto::preview;
using Clock = std::chrono::steady_clock;

constexpr auto kCadence = std::chrono::microseconds(33333);
constexpr double kDemoRate = 48000;
constexpr double kDemoSeconds = 8; // four bars at 120 BPM, so the loop keeps the groove

int fail(const std::string& message) {
    std::fprintf(stderr, "dovrel-preview: %s\n", message.c_str());
    return 1;
}

bool loadSignal(const PreviewOptions& options, PreviewSignal& signal, std::string& error) {
    signal.transportStepSeconds = options.transportStepSeconds;
    if (options.input.empty()) {
        signal.audio = vanto::makeDemoSignal(kDemoRate, kDemoSeconds);
        signal.sampleRate = kDemoRate;
        return true;
    }
    if (!vanto::readAudioFile(options.input, signal.audio, signal.sampleRate, error)) {
        return false;
    }
    if (signal.audio.frames() == 0) {
        error = options.input + " holds no audio";
        return false;
    }
    return true;
}

bool findUiRoot(const std::string& bundle, std::filesystem::path& root, std::string& error) {
    std::error_code failure;
    root = std::filesystem::canonical(std::filesystem::path(bundle) / "Contents/Resources/ui", failure);
    if (failure || !std::filesystem::is_directory(root, failure)) {
        error = bundle + " has no editor page (Contents/Resources/ui)";
        return false;
    }
    return true;
}

void publishToPages(void* context, const char* bytes, std::size_t length) {
    static_cast<EventBroadcast*>(context)->publish(std::string_view(bytes, length));
}

// The host's main thread: page messages to the controller and injected MIDI controllers to the
// processor as they come, the processor's taken and reported changes read back, and the controller's cadence
// ticked 30 times a second.
void runMainLoop(PreviewPlugin& plugin, PageMessageQueue& messages, InjectedControllerQueue& midiIn,
                 WakeSignal& wake, const std::atomic<bool>& stop) {
    Clock::time_point nextTick = Clock::now() + kCadence;
    while (!stop) {
        const auto untilTick = std::chrono::ceil<std::chrono::milliseconds>(nextTick - Clock::now());
        wake.wait(std::max(untilTick, std::chrono::milliseconds(0)));
        for (const std::string& message : messages.takeAll()) {
            plugin.deliver(message);
        }
        for (const InjectedController& message : midiIn.takeAll()) {
            plugin.injectController(message);
        }
        plugin.readBackTakenEdits();
        const Clock::time_point now = Clock::now();
        if (now >= nextTick) {
            plugin.tickCadence();
            nextTick = std::max(nextTick + kCadence, now);
        }
    }
}

int runPreview(const PreviewOptions& options) {
    // Ctrl-C and SIGTERM are taken by one thread with sigwait; every other thread keeps them blocked.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    const std::string bundle =
        options.bundle.empty() ? vanto::defaultBundlePath(DOVREL_BUILD_BUNDLE_DIR) : options.bundle;
    std::string error;
    std::filesystem::path uiRoot;
    PreviewSignal signal;
    if (!findUiRoot(bundle, uiRoot, error) || !loadSignal(options, signal, error)) {
        return fail(error);
    }
    WakeSignal wake;
    PageMessageQueue messages(wake);
    InjectedControllerQueue midiIn(wake);
    EventBroadcast broadcast;
    std::unique_ptr<PreviewPlugin> plugin = PreviewPlugin::start(bundle, std::move(signal), wake, error);
    if (!plugin) {
        return fail(error);
    }
    plugin->installSink(&publishToPages, &broadcast);

    PreviewServer server(uiRoot, messages, broadcast, midiIn);
    const int port = server.bind(options.port);
    if (port < 0) {
        return fail("cannot listen on 127.0.0.1:" + std::to_string(options.port));
    }
    std::thread serving([&server] { server.serve(); });
    std::atomic<bool> stop{false};
    std::thread stopper([&] {
        int received = 0;
        sigwait(&stopSignals, &received);
        stop = true;
        wake.notify();
    });

    std::printf("http://127.0.0.1:%d/\n", port);
    std::fflush(stdout);
    runMainLoop(*plugin, messages, midiIn, wake, stop);

    broadcast.close();
    server.stop();
    serving.join();
    stopper.join();
    plugin.reset();
    std::fprintf(stderr, "dovrel-preview: stopped\n");
    return 0;
}

} // namespace

int main(int argc, char** argv) try {
    PreviewOptions options;
    std::string error;
    if (!parsePreviewOptions(argc, argv, options, error)) {
        std::fprintf(stderr, "dovrel-preview: %s (see --help)\n", error.c_str());
        return 2;
    }
    if (options.help) {
        printPreviewUsage(stdout);
        return 0;
    }
    return runPreview(options);
} catch (const std::exception& failure) {
    return fail(failure.what());
}
