// The editor's figures on this machine: from attached to the page's "vanto.ready", the proportional
// memory of the editor helper and WebKit's processes per open editor, the round trip of a hello and
// the page's answer to it, and the time from removed until none of those processes is left.
// Runs its own Xvfb with openbox (see tests/editor/x_session.h) and the real controller and view.
#include "x_session.h"

#include "controller/bridge_host.h"
#include "controller/vanto_controller.h"
#include "run_loop_frame.h"
#include "ui/web_view_editor.h"

#include "pluginterfaces/gui/iplugview.h"
#include "public.sdk/source/vst/hosting/hostclasses.h"

#include <benchmark/benchmark.h>

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

double millisecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// The controller as the view reaches it, with the moments the page spoke and was spoken to.
class TimingHost final : public vanto::BridgeHost {
  public:
    explicit TimingHost(vanto::VantoController& controller) : controller(controller) {}

    void handleBridgeMessage(const char* bytes, std::size_t length) override {
        const std::string message(bytes, length);
        if (message.find("\"vanto.ready\"") != std::string::npos) {
            readyAt = Clock::now();
        } else if (message.find("\"vanto.diag.subscribe\"") != std::string::npos) {
            answeredAt = Clock::now();
        }
        controller.handleBridgeMessage(bytes, length);
    }
    void setBridgeSink(std::function<void(const std::string&)> sink) override {
        controller.setBridgeSink(sink);
    }
    void onEditorOpened() override { controller.onEditorOpened(); }
    void onEditorClosed() override { controller.onEditorClosed(); }
    void onEditorError(const char* reason) override {
        error = reason != nullptr ? reason : "unknown";
        controller.onEditorError(reason);
    }

    vanto::VantoController& controller;
    Clock::time_point readyAt{};
    Clock::time_point answeredAt{};
    std::string error;
};

std::vector<long> descendants(long root) {
    std::vector<std::pair<long, long>> parents;
    for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
        const std::string name = entry.path().filename().string();
        if (name.find_first_not_of("0123456789") != std::string::npos) {
            continue;
        }
        std::ifstream stat(entry.path() / "stat");
        std::string line;
        if (!std::getline(stat, line) || line.rfind(')') == std::string::npos) {
            continue;
        }
        std::istringstream rest(line.substr(line.rfind(')') + 1));
        char state = 0;
        long parent = 0;
        if (rest >> state >> parent && state != 'Z') {
            parents.emplace_back(std::stol(name), parent);
        }
    }
    std::vector<long> found;
    std::vector<long> open = {root};
    while (!open.empty()) {
        const long parent = open.back();
        open.pop_back();
        for (const auto& [pid, ppid] : parents) {
            if (ppid == parent) {
                found.push_back(pid);
                open.push_back(pid);
            }
        }
    }
    return found;
}

std::string procFile(long pid, const char* name) {
    std::string path = "/proc/";
    path += std::to_string(pid);
    path += '/';
    path += name;
    return path;
}

// Proportional set size in KiB, from smaps_rollup.
double pssKiB(long pid) {
    std::ifstream rollup(procFile(pid, "smaps_rollup"));
    std::string key;
    double value = 0;
    while (rollup >> key) {
        if (key == "Pss:") {
            rollup >> value;
            return value;
        }
        rollup.ignore(1 << 20, '\n');
    }
    return 0;
}

bool alive(long pid) {
    return std::filesystem::exists(procFile(pid, "smaps_rollup")) && pssKiB(pid) > 0;
}

vanto::test::XSession* session() {
    static std::unique_ptr<vanto::test::XSession> instance = [] {
        std::string error;
        auto started = vanto::test::XSession::start(error);
        if (!started) {
            std::fprintf(stderr, "editor_bench: %s\n", error.c_str());
        }
        return started;
    }();
    return instance.get();
}

void BM_EditorSession(benchmark::State& state) {
    vanto::test::XSession* x = session();
    if (x == nullptr) {
        state.SkipWithError("no X display");
        return;
    }
    Steinberg::Vst::HostApplication hostContext;
    Steinberg::IPtr<vanto::VantoController> controller = Steinberg::owned(new vanto::VantoController());
    controller->initialize(&hostContext);
    TimingHost host(*controller);
    vanto::host::RunLoopFrame frame;
    const auto window = x->createHostWindow(940, 740);
    const auto drain = [x] { x->drainEvents(); };
    double readyTotal = 0;
    double pssTotal = 0;
    double roundTripTotal = 0;
    int roundTrips = 0;
    double goneTotal = 0;
    // Xvfb and openbox are children of this program too; they are not the editor's.
    const std::vector<long> display = descendants(getpid());
    for (auto _ : state) {
        Steinberg::IPlugView* view = vanto::createWebViewEditor(
            &host, DOVREL_UI_ROOT,
            {[](void* c) { static_cast<vanto::VantoController*>(c)->tickCadence(); }, controller.get()});
        view->setFrame(&frame);
        host.readyAt = {};
        const Clock::time_point attachedAt = Clock::now();
        if (view->attached(reinterpret_cast<void*>(window), Steinberg::kPlatformTypeX11EmbedWindowID) !=
                Steinberg::kResultOk ||
            !frame.runUntil([&] { return host.readyAt != Clock::time_point{}; }, 30s, drain)) {
            std::string reason = "the page did not become ready: ";
            reason += host.error;
            state.SkipWithError(reason.c_str());
            view->release();
            break;
        }
        const double ready = std::chrono::duration<double, std::milli>(host.readyAt - attachedAt).count();
        state.SetIterationTime(ready / 1000.0);
        readyTotal += ready;
        // Let the page settle after its greeting before it is measured.
        frame.runFor(1500ms, drain);
        std::vector<long> processes = descendants(getpid());
        std::erase_if(processes, [&](long pid) {
            return std::find(display.begin(), display.end(), pid) != display.end();
        });
        for (const long pid : processes) {
            pssTotal += pssKiB(pid) / 1024.0;
        }
        for (int i = 0; i < 10; ++i) {
            host.answeredAt = {};
            const Clock::time_point sentAt = Clock::now();
            const std::string ready = R"({"type":"vanto.ready"})";
            host.handleBridgeMessage(ready.data(), ready.size());
            if (frame.runUntil([&] { return host.answeredAt != Clock::time_point{}; }, 5s, drain)) {
                roundTripTotal += std::chrono::duration<double, std::milli>(host.answeredAt - sentAt).count();
                ++roundTrips;
            }
        }
        const Clock::time_point removedAt = Clock::now();
        view->removed();
        view->release();
        while (std::any_of(processes.begin(), processes.end(), alive) &&
               millisecondsSince(removedAt) < 10000) {
            std::this_thread::sleep_for(1ms);
        }
        goneTotal += millisecondsSince(removedAt);
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["ready_ms"] = readyTotal / n;
    state.counters["pss_MiB"] = pssTotal / n;
    state.counters["hello_round_trip_ms"] = roundTrips > 0 ? roundTripTotal / roundTrips : 0;
    state.counters["gone_after_removed_ms"] = goneTotal / n;
    x->destroyWindow(window);
    controller->terminate();
}
BENCHMARK(BM_EditorSession)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
