// The editor as a Linux DAW shows it: the built bundle loaded as a host loads it, its view created
// through createView("editor") and attached to an X11 window of a private Xvfb display with openbox,
// served from the host's run loop. The page in the dovrel-editor helper is worked with xdotool, as a
// producer works it with mouse and keyboard.
#include "bundle_fixture.h"
#include "run_loop_frame.h"
#include "support/child_processes.h"
#include "x_session.h"

#include "module.h"
#include "plugin_instance.h"

#include "pluginterfaces/gui/iplugview.h"
#include "pluginterfaces/vst/ivsteditcontroller.h"

#include <gtest/gtest.h>

#include <csignal>
#include <dlfcn.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using Steinberg::IPlugView;
using Steinberg::kInvalidArgument;
using Steinberg::kResultFalse;
using Steinberg::kResultOk;
using Steinberg::kResultTrue;
using Steinberg::ViewRect;
using Steinberg::Vst::ParamID;
using vanto::host::Module;
using vanto::host::PluginInstance;
using vanto::host::RunLoopFrame;
using vanto::test::runProgram;
using vanto::test::XSession;

const char* const kX11 = Steinberg::kPlatformTypeX11EmbedWindowID;
constexpr double kGlueSetByHost = 0.2;
constexpr ParamID kMacroGlue = 3;      // "macro.glue", 0 to 1, default 0.35
constexpr ParamID kMaxReduction = 11;  // "budget.maxReduction", 0 to 18 dB
constexpr ParamID kSidechainLink = 29; // "sidechain.link", 0 to 1

// Where the page draws what the tests work with, in a 940 x 740 editor: the middle of the Glue dial,
// below the toolbar and the tempo line.
struct Point {
    int x;
    int y;
};
constexpr Point kGlueDial = {309, 240};
// How long the page may take to answer on a busy machine (WebKit's first load, two test programs and
// a build sharing two cores). Every wait ends as soon as what it waits for has happened.
constexpr auto kPageDeadline = 60s;
// How long a click is given to reach the page before it is taken as lost and sent again.
constexpr auto kClickAnswer = 5s;

using BridgeCallback = void (*)(void* context, const char* bytes, std::size_t length);

class EmbeddedEditor : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        std::string error;
        session = XSession::start(error).release();
        ASSERT_NE(session, nullptr) << error;
    }
    static void TearDownTestSuite() {
        delete session;
        session = nullptr;
    }

    void SetUp() override {
        ASSERT_NE(session, nullptr);
        hostWindow = session->createHostWindow(940, 740);
    }

    void TearDown() override {
        close();
        instance.reset();
        session->destroyWindow(hostWindow);
    }

    void makeInstance(std::shared_ptr<Module> module) {
        ASSERT_NE(module, nullptr);
        const auto processorClass = module->findClass(kVstAudioEffectClass);
        ASSERT_TRUE(processorClass.has_value());
        std::string error;
        instance =
            PluginInstance::create(module, reinterpret_cast<const char*>(processorClass->cid.data()), error);
        ASSERT_NE(instance, nullptr) << error;
        controller = instance->controller();
        ASSERT_EQ(controller->setComponentHandler(&handler), kResultOk);
    }

    // createView("editor"), setFrame and attached, as a host opens the editor.
    Steinberg::tresult open() {
        view = controller->createView(Steinberg::Vst::ViewType::kEditor);
        EXPECT_NE(view, nullptr);
        if (view == nullptr) {
            return kResultFalse;
        }
        EXPECT_EQ(view->isPlatformTypeSupported(kX11), kResultTrue);
        EXPECT_EQ(view->setFrame(&frame), kResultOk);
        return view->attached(reinterpret_cast<void*>(hostWindow), kX11);
    }

    void close() {
        if (view != nullptr) {
            view->removed();
            view->setFrame(nullptr);
            view->release();
            view = nullptr;
        }
    }

    bool runUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
        return frame.runUntil(done, timeout, [] { session->drainEvents(); });
    }

    // The editor helper and every process it started (WebKit's), once WebKit's page process runs.
    std::vector<vanto::test::ProcessEntry> editorProcesses() {
        std::vector<vanto::test::ProcessEntry> processes;
        const bool pageProcessStarted = runUntil(
            [&] {
                processes = vanto::test::descendantProcesses(getpid());
                std::erase_if(processes,
                              [](const auto& p) { return p.name == "Xvfb" || p.name == "openbox"; });
                return std::any_of(processes.begin(), processes.end(),
                                   [](const auto& p) { return p.name.starts_with("WebKitWebProces"); });
            },
            kPageDeadline);
        EXPECT_TRUE(pageProcessStarted) << "WebKit's page process did not start";
        return processes;
    }

    void click(Point at) {
        ASSERT_EQ(runProgram({"xdotool", "mousemove", "--window", std::to_string(hostWindow),
                              std::to_string(at.x), std::to_string(at.y), "click", "1"}),
                  0);
    }
    void keys(const std::vector<std::string>& names) {
        std::vector<std::string> command = {"xdotool", "key", "--delay", "30"};
        command.insert(command.end(), names.begin(), names.end());
        ASSERT_EQ(runProgram(command), 0);
    }
    void type(const std::string& text) {
        ASSERT_EQ(runProgram({"xdotool", "type", "--delay", "30", text}), 0);
    }

    std::size_t gesturesEnded(ParamID id) const {
        return static_cast<std::size_t>(
            std::count(handler.calls.begin(), handler.calls.end(), "end " + std::to_string(id)));
    }

    // Clicks `at` until the click reaches the control of `id`, told by the gesture the page reports
    // for it; a click sent while the page is still loading is lost and sent again. The page greets the
    // controller before it takes any input, so a gesture seen also means the hello is on its way.
    bool clickReaches(Point at, ParamID id) {
        const auto deadline = std::chrono::steady_clock::now() + kPageDeadline;
        const std::size_t before = gesturesEnded(id);
        while (std::chrono::steady_clock::now() < deadline) {
            click(at);
            if (runUntil([&] { return gesturesEnded(id) > before; }, kClickAnswer)) {
                return true;
            }
        }
        return false;
    }

    bool performed(ParamID id) const {
        return std::any_of(handler.performed.begin(), handler.performed.end(),
                           [id](const auto& edit) { return edit.first == id; });
    }
    double lastPerformed(ParamID id) const {
        double value = -1;
        for (const auto& [edited, normalized] : handler.performed) {
            if (edited == id) {
                value = normalized;
            }
        }
        return value;
    }

    // The page knows the controller's values only from the hello: a key on the Glue dial moves it one
    // notch from the value the host set before the editor opened, never from the page's default. The
    // key is sent once the click has focused the dial, and only once, so a slow page never gets two.
    bool nudgeGlueFromTheHello() {
        if (!clickReaches(kGlueDial, kMacroGlue)) {
            ADD_FAILURE() << "no click reached the Glue dial";
            return false;
        }
        keys({"Up"});
        return runUntil([&] { return performed(kMacroGlue); }, kPageDeadline);
    }

    // The lifecycle log as the page would see it, read through the bridge functions once the editor's
    // own sink is gone.
    std::string lifecycleReplay(Module& module) {
        auto install = reinterpret_cast<int (*)(Steinberg::FUnknown*, BridgeCallback, void*)>(
            dlsym(module.libraryHandle(), "vantoInstallDiagnosticBridgeSink"));
        auto deliver = reinterpret_cast<int (*)(Steinberg::FUnknown*, const char*, std::size_t)>(
            dlsym(module.libraryHandle(), "vantoDeliverDiagnosticBridgeMessage"));
        if (install == nullptr || deliver == nullptr) {
            return {};
        }
        std::string page;
        install(
            controller,
            [](void* text, const char* bytes, std::size_t length) {
                static_cast<std::string*>(text)->append(bytes, length).append("\n");
            },
            &page);
        const std::string subscribe = R"({"type":"vanto.diag.subscribe","feeds":["lifecycle"]})";
        deliver(controller, subscribe.data(), subscribe.size());
        install(controller, nullptr, nullptr);
        return page;
    }

    static XSession* session;
    vanto::test::RecordingComponentHandler handler;
    std::unique_ptr<PluginInstance> instance;
    Steinberg::Vst::IEditController* controller = nullptr;
    RunLoopFrame frame;
    IPlugView* view = nullptr;
    vanto::test::XWindowId hostWindow = 0;
};

XSession* EmbeddedEditor::session = nullptr;

bool allGone(const std::vector<vanto::test::ProcessEntry>& processes) {
    return std::none_of(processes.begin(), processes.end(),
                        [](const auto& p) { return vanto::test::processRunning(p.pid); });
}

TEST_F(EmbeddedEditor, ViewKeepsTheSizeRulesAndEmbedsOnlyIntoX11) {
    makeInstance(vanto::test::loadedBundle());
    view = controller->createView(Steinberg::Vst::ViewType::kEditor);
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(controller->createView("other"), nullptr);
    EXPECT_EQ(controller->createView(nullptr), nullptr);
    EXPECT_EQ(view->isPlatformTypeSupported("NSView"), kResultFalse);
    EXPECT_EQ(view->isPlatformTypeSupported(nullptr), kResultFalse);
    EXPECT_EQ(view->attached(reinterpret_cast<void*>(hostWindow), "HWND"), kResultFalse);
    EXPECT_EQ(view->attached(nullptr, kX11), kResultFalse);
    ViewRect size;
    ASSERT_EQ(view->getSize(&size), kResultOk);
    EXPECT_EQ(size.getWidth(), 940);
    EXPECT_EQ(size.getHeight(), 740);
    EXPECT_EQ(view->canResize(), kResultTrue);
    ViewRect wanted(0, 0, 300, 2000);
    EXPECT_EQ(view->checkSizeConstraint(&wanted), kResultOk);
    EXPECT_EQ(wanted.getWidth(), 480);
    EXPECT_EQ(wanted.getHeight(), 1200);
    EXPECT_EQ(view->checkSizeConstraint(nullptr), kInvalidArgument);
    EXPECT_EQ(view->onSize(nullptr), kResultFalse);
}

TEST_F(EmbeddedEditor, PageWorksTheControllerAndLeavesNothingBehind) {
    makeInstance(vanto::test::loadedBundle());
    ASSERT_EQ(controller->setParamNormalized(kMacroGlue, kGlueSetByHost), kResultOk);
    ASSERT_EQ(open(), kResultOk);
    const std::vector<vanto::test::ProcessEntry> processes = editorProcesses();
    ASSERT_TRUE(std::any_of(processes.begin(), processes.end(),
                            [](const auto& p) { return p.name == "dovrel-editor"; }));
    EXPECT_EQ(frame.eventHandlerCount(), 1u);
    EXPECT_GE(frame.timerCount(), 1u);

    // Ready and greeted: a click on the Glue dial and a notch up start from the value the hello carried.
    ASSERT_TRUE(nudgeGlueFromTheHello());
    EXPECT_NEAR(lastPerformed(kMacroGlue), kGlueSetByHost + 0.01, 1e-9);
    EXPECT_NE(std::find(handler.calls.begin(), handler.calls.end(), "begin 3"), handler.calls.end());

    // A typed value: the dial the click focused passes on to its value field.
    keys({"Tab", "ctrl+a"});
    type("0.5");
    keys({"Return"});
    ASSERT_TRUE(runUntil([&] { return lastPerformed(kMacroGlue) == 0.5; }, kPageDeadline))
        << lastPerformed(kMacroGlue);

    // A click on the dial and a key for it: End takes it to its maximum.
    ASSERT_TRUE(clickReaches(kGlueDial, kMacroGlue));
    keys({"End"});
    ASSERT_TRUE(runUntil([&] { return lastPerformed(kMacroGlue) == 1.0; }, kPageDeadline))
        << lastPerformed(kMacroGlue);
    EXPECT_NE(std::find(handler.calls.begin(), handler.calls.end(), "end 3"), handler.calls.end());

    // A key the page has no use for goes on to the host's window, as hosts expect for their shortcuts.
    ASSERT_FALSE(session->receivedSentKey("F2"));
    keys({"F2"});
    EXPECT_TRUE(runUntil([] { return session->receivedSentKey("F2"); }, kPageDeadline));

    // The host resizes: the embedded window follows, within the size rules.
    ViewRect bigger(0, 0, 1000, 2000);
    ASSERT_EQ(view->onSize(&bigger), kResultOk);
    EXPECT_EQ(bigger.getHeight(), 1200);
    int width = 0;
    int height = 0;
    EXPECT_TRUE(runUntil(
        [&] { return session->childSize(hostWindow, width, height) && width == 1000 && height == 1200; },
        kPageDeadline))
        << width << " x " << height;
    ViewRect back(0, 0, 940, 740);
    ASSERT_EQ(view->onSize(&back), kResultOk);
    // Only waited for, for the picture: on a busy machine GTK sometimes sizes the plug again after this
    // resize from the earlier, larger request, held to the screen's height.
    runUntil([&] { return session->childSize(hostWindow, width, height) && width == 940 && height == 740; },
             5s);
    runUntil([] { return false; }, 500ms);
    EXPECT_TRUE(
        session->writeScreenshot(hostWindow, std::string(DOVREL_SCREENSHOT_DIR) + "/embedded-editor.png"));

    // Removed: the socket closes, and the helper and WebKit's processes end with it.
    close();
    EXPECT_EQ(frame.eventHandlerCount(), 0u);
    EXPECT_TRUE(runUntil([&] { return allGone(processes); }, kPageDeadline));
    for (const auto& p : processes) {
        EXPECT_FALSE(vanto::test::processRunning(p.pid)) << p.name;
    }
}

TEST_F(EmbeddedEditor, OpensAgainInTheSameInstance) {
    makeInstance(vanto::test::loadedBundle());
    for (int round = 0; round < 2; ++round) {
        handler.performed.clear();
        ASSERT_EQ(open(), kResultOk) << round;
        const auto processes = editorProcesses();
        ASSERT_FALSE(processes.empty()) << round;
        ASSERT_TRUE(nudgeGlueFromTheHello()) << round;
        close();
        EXPECT_TRUE(runUntil([&] { return allGone(processes); }, kPageDeadline)) << round;
    }
    // The helper of each round has been waited for: no zombie is left either.
    EXPECT_TRUE(runUntil([] { return vanto::test::childProcessNames().size() == 2; }, 3s)); // Xvfb, openbox
}

// WebKit's page process dies: the helper loads the page again, which asks for a fresh hello and so
// shows what changed meanwhile.
TEST_F(EmbeddedEditor, PageComesBackAfterItsProcessCrashes) {
    makeInstance(vanto::test::loadedBundle());
    ASSERT_EQ(controller->setParamNormalized(kMacroGlue, kGlueSetByHost), kResultOk);
    ASSERT_EQ(open(), kResultOk);
    const auto processes = editorProcesses();
    ASSERT_TRUE(nudgeGlueFromTheHello());
    const auto page = std::find_if(processes.begin(), processes.end(),
                                   [](const auto& p) { return p.name.starts_with("WebKitWebProces"); });
    ASSERT_NE(page, processes.end());
    ASSERT_EQ(kill(static_cast<pid_t>(page->pid), SIGKILL), 0);
    runUntil([&] { return !vanto::test::processRunning(page->pid); }, kPageDeadline);
    // Changed while the page is gone: the page that comes back must know it.
    ASSERT_EQ(controller->setParamNormalized(kMacroGlue, 0.5), kResultOk);
    handler.performed.clear();
    ASSERT_TRUE(nudgeGlueFromTheHello());
    EXPECT_NEAR(lastPerformed(kMacroGlue), 0.51, 1e-9);
}

// A bundle copied without its editor helper, or with one that cannot start: the host gets no crash and
// no hang, and the controller an editor error with the reason.
class BrokenEditorHelper : public EmbeddedEditor {
  protected:
    void SetUp() override {
        EmbeddedEditor::SetUp();
        std::string pattern = (fs::temp_directory_path() / "dovrel-editor-XXXXXX").string();
        base = mkdtemp(pattern.data());
        const fs::path built =
            fs::path(vanto::test::loadedBundle()->binaryPath()).parent_path().parent_path();
        const fs::path contents = base / "Dovrel.vst3" / "Contents";
        fs::create_directories(contents / "x86_64-linux");
        fs::copy(built / "x86_64-linux" / "Dovrel.so", contents / "x86_64-linux" / "Dovrel.so");
        fs::copy(built / "Resources", contents / "Resources", fs::copy_options::recursive);
        helper = contents / "x86_64-linux" / "dovrel-editor";
    }
    void TearDown() override {
        EmbeddedEditor::TearDown();
        module.reset();
        fs::remove_all(base);
    }
    void loadCopy() {
        std::string error;
        module = Module::load((base / "Dovrel.vst3").string(), error);
        ASSERT_NE(module, nullptr) << error;
        makeInstance(module);
    }

    fs::path base;
    fs::path helper;
    std::shared_ptr<Module> module;
};

TEST_F(BrokenEditorHelper, MissingHelperIsAnEditorError) {
    loadCopy();
    EXPECT_EQ(open(), kResultFalse);
    const std::string replay = lifecycleReplay(*module);
    EXPECT_NE(replay.find("\"editorError\""), std::string::npos) << replay;
    EXPECT_NE(replay.find("webview allocation failed: No such file or directory"), std::string::npos)
        << replay;
}

TEST_F(BrokenEditorHelper, BundleWithoutItsPageHasNoEditor) {
    fs::remove_all(base / "Dovrel.vst3" / "Contents" / "Resources" / "ui");
    loadCopy();
    EXPECT_EQ(controller->createView(Steinberg::Vst::ViewType::kEditor), nullptr);
    const std::string replay = lifecycleReplay(*module);
    EXPECT_NE(replay.find(R"("kind":"editorError","detail":{"reason":"no ui bundle in plugin"})"),
              std::string::npos)
        << replay;
}

TEST_F(BrokenEditorHelper, HelperThatCannotLoadIsAnEditorError) {
    // What the loader does when WebKitGTK is not installed.
    std::ofstream(helper)
        << "#!/bin/sh\necho 'dovrel-editor: error while loading shared libraries' >&2\nexit 127\n";
    fs::permissions(helper, fs::perms::owner_all);
    loadCopy();
    ASSERT_EQ(open(), kResultOk);
    std::string replay;
    ASSERT_TRUE(runUntil(
        [&] {
            replay = lifecycleReplay(*module);
            return replay.find("editor helper exit status 127") != std::string::npos;
        },
        5s))
        << replay;
    EXPECT_NE(replay.find("\"editorError\""), std::string::npos) << replay;
    EXPECT_EQ(frame.eventHandlerCount(), 0u);
    close();
}

} // namespace
