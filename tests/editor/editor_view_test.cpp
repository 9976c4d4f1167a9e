// The editor as a Linux DAW shows it: the built bundle loaded as a host loads it, its view created
// through createView("editor") and attached to an X11 window of a private Xvfb display with openbox,
// served from the host's run loop. The page in the dovrel-editor helper is worked with xdotool.
#include "bundle_fixture.h"
#include "run_loop_frame.h"
#include "support/child_processes.h"
#include "x_session.h"

#include "module.h"
#include "plugin_instance.h"

#include "pluginterfaces/gui/iplugview.h"
#include "pluginterfaces/vst/ivsteditcontroller.h"

#include <gtest/gtest.h>

#include <dlfcn.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

namespace {

using namespace std::chrono_literals;
using Steinberg::IPlugView;
using Steinberg::kResultFalse;
using Steinberg::kResultOk;
using Steinberg::kResultTrue;
using Steinberg::ViewRect;
using vanto::host::PluginInstance;
using vanto::host::RunLoopFrame;
using vanto::test::XSession;

const char* const kX11 = Steinberg::kPlatformTypeX11EmbedWindowID;

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
        ASSERT_NE(vanto::test::loadedBundle(), nullptr);
        const auto processorClass = vanto::test::loadedBundle()->findClass(kVstAudioEffectClass);
        ASSERT_TRUE(processorClass.has_value());
        std::string error;
        instance = PluginInstance::create(vanto::test::loadedBundle(),
                                          reinterpret_cast<const char*>(processorClass->cid.data()), error);
        ASSERT_NE(instance, nullptr) << error;
        controller = instance->controller();
        ASSERT_EQ(controller->setComponentHandler(&handler), kResultOk);
        hostWindow = session->createHostWindow(940, 740);
    }

    void TearDown() override {
        if (view != nullptr) {
            view->removed();
            view->release();
        }
        instance.reset();
        session->destroyWindow(hostWindow);
    }

    // createView and attached, as a host opens the editor.
    void open() {
        view = controller->createView(Steinberg::Vst::ViewType::kEditor);
        ASSERT_NE(view, nullptr);
        ASSERT_EQ(view->isPlatformTypeSupported(kX11), kResultTrue);
        ASSERT_EQ(view->setFrame(&frame), kResultOk);
        ASSERT_EQ(view->attached(reinterpret_cast<void*>(hostWindow), kX11), kResultOk);
    }

    bool runUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
        return frame.runUntil(done, timeout, [] { session->drainEvents(); });
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

TEST_F(EmbeddedEditor, ShowsThePage) {
    open();
    runUntil([] { return false; }, 4000ms);
    EXPECT_TRUE(
        session->writeScreenshot(hostWindow, std::string(DOVREL_SCREENSHOT_DIR) + "/embedded-editor.png"));
    for (const auto& process : vanto::test::descendantProcesses(getpid())) {
        std::printf("child %ld %s\n", process.pid, process.name.c_str());
    }
    for (const auto& call : handler.calls) {
        std::printf("call %s\n", call.c_str());
    }
}

} // namespace
