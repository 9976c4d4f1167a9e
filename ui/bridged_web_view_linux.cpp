// Linux: the web view runs in the dovrel-editor helper, so that no toolkit is loaded into the host.
// The plug-in starts it with the host's window id and one end of a socket pair, and serves its own end
// from the host's run loop: page messages in, messages for the page, sizes and the close out.
#include "ui/bridged_web_view.h"

#include "ui/editor_frames.h"
#include "ui/editor_helper.h"
#include "ui/page_url.h"

#include "platform/child_reaper.h"
#include "platform/helper_spawn.h"
#include "platform/own_binary_folder.h"

#include "ui/single_interface_object.h"

#include "pluginterfaces/base/funknown.h"
#include "pluginterfaces/gui/iplugview.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <sys/socket.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace vanto {

const char* const kEditorPlatformType = Steinberg::kPlatformTypeX11EmbedWindowID;

using Steinberg::FUnknown;
using Steinberg::FUnknownPtr;
using Steinberg::IPtr;
using Steinberg::kResultOk;
using Steinberg::tresult;
using Steinberg::uint32;
using Steinberg::Linux::FileDescriptor;
using Steinberg::Linux::IEventHandler;
using Steinberg::Linux::IRunLoop;

namespace {

// Room for a burst of messages (a hello, a preset's 34 changes) while the helper is busy.
constexpr int kSocketBufferBytes = 4 << 20;
// How long a helper whose socket closed by itself is given to report its exit status.
constexpr auto kExitStatusWait = std::chrono::milliseconds(200);

std::string exitDescription(int pid) {
    int status = 0;
    const auto deadline = std::chrono::steady_clock::now() + kExitStatusWait;
    for (;;) {
        const pid_t ended = waitpid(pid, &status, WNOHANG);
        if (ended == pid) {
            break;
        }
        if (ended < 0 || std::chrono::steady_clock::now() >= deadline) {
            reapChildWhenItEnds(pid);
            return "editor helper closed its connection";
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    char text[96];
    if (WIFEXITED(status) && WEXITSTATUS(status) == kEditorHelperLoadFailed) {
        std::snprintf(text, sizeof text, "editor helper exit status %d (WebKitGTK missing?)",
                      WEXITSTATUS(status));
    } else if (WIFEXITED(status)) {
        std::snprintf(text, sizeof text, "editor helper ended with exit status %d", WEXITSTATUS(status));
    } else {
        std::snprintf(text, sizeof text, "editor helper ended by signal %d", WTERMSIG(status));
    }
    return text;
}

class HelperWebView;

// The run loop's handle on the socket. Hosts may hold their references beyond unregistering, so it is
// reference counted on its own and forgets the view when the view goes.
class SocketHandler final : public SingleInterfaceObject<IEventHandler> {
  public:
    explicit SocketHandler(HelperWebView* view) : view_(view) {}

    void forget() { view_ = nullptr; }
    void PLUGIN_API onFDIsSet(FileDescriptor fd) override;

  private:
    ~SocketHandler() override = default;
    HelperWebView* view_;
};

class HelperWebView final : public BridgedWebView {
  public:
    HelperWebView(BridgeHost* host, IRunLoop* runLoop) : host_(host), runLoop_(runLoop) {}

    ~HelperWebView() override {
        *alive_ = false;
        if (opened_) {
            host_->onEditorClosed();
            host_->setBridgeSink({});
        }
        if (socket_ >= 0) {
            send(EditorFrameKind::close, {});
        }
        stopHelper();
    }

    // Starts the helper; false after onEditorError when it cannot be started.
    bool start(const std::string& root, void* parent, EditorRect rect) {
        int ends[2];
        if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, ends) != 0) {
            host_->onEditorError("webview allocation failed: no socket for the helper");
            return false;
        }
        socket_ = ends[0];
        setsockopt(socket_, SOL_SOCKET, SO_SNDBUF, &kSocketBufferBytes, sizeof kSocketBufferBytes);
        const std::string folder = ownBinaryFolder();
        const std::string program = folder.empty() ? std::string() : folder + "/" + kEditorHelperName;
        const std::vector<std::string> arguments = {
            kEditorParentOption, std::to_string(reinterpret_cast<uintptr_t>(parent)),
            kEditorSocketOption, std::to_string(kHelperPassedDescriptor),
            kEditorRootOption,   root,
            kEditorUrlOption,    uiPageUrl(root),
            kEditorWidthOption,  std::to_string(rect.right - rect.left),
            kEditorHeightOption, std::to_string(rect.bottom - rect.top)};
        std::string error;
        pid_ = spawnHelperProgram(program, arguments, {-1, -1, ends[1]}, error);
        close(ends[1]);
        if (pid_ < 0) {
            stopHelper();
            std::string reason = "webview allocation failed: ";
            reason += error;
            host_->onEditorError(reason.c_str());
            return false;
        }
        handler_ = new SocketHandler(this);
        if (runLoop_->registerEventHandler(handler_, socket_) != kResultOk) {
            stopHelper();
            host_->onEditorError("webview allocation failed: the run loop refused the socket");
            return false;
        }
        host_->setBridgeSink([this](const std::string& message) { send(EditorFrameKind::deliver, message); });
        opened_ = true;
        host_->onEditorOpened();
        return true;
    }

    void setSize(int32_t width, int32_t height) override {
        send(EditorFrameKind::resize,
             resizePayload(static_cast<uint32_t>(width), static_cast<uint32_t>(height)));
    }

    void pump() override { flush(); }

    void readable() {
        char buffer[65536];
        for (;;) {
            const ssize_t got = recv(socket_, buffer, sizeof buffer, 0);
            if (got > 0) {
                reader_.append(buffer, static_cast<std::size_t>(got));
                continue;
            }
            if (got < 0 && errno == EINTR) {
                continue;
            }
            const bool ended = got == 0 || (errno != EAGAIN && errno != EWOULDBLOCK);
            const std::shared_ptr<bool> alive = alive_;
            dispatchFrames();
            if (*alive && ended && socket_ >= 0) {
                disconnect();
                const std::string reason = exitDescription(pid_);
                pid_ = -1;
                lost(reason);
            }
            return;
        }
    }

  private:
    void dispatchFrames() {
        const std::shared_ptr<bool> alive = alive_;
        EditorFrame frame;
        for (;;) {
            // A page message may make the host remove the view, or the helper may be gone by now.
            if (!*alive || socket_ < 0) {
                return;
            }
            switch (reader_.next(frame)) {
            case EditorFrameReader::Result::needMore:
                return;
            case EditorFrameReader::Result::refused:
                lost("editor helper sent an unreadable frame");
                return;
            case EditorFrameReader::Result::frame:
                handle(frame);
                break;
            }
        }
    }

    void handle(const EditorFrame& frame) {
        switch (frame.kind) {
        case EditorFrameKind::pageMessage:
            host_->handleBridgeMessage(frame.payload.data(), frame.payload.size());
            break;
        case EditorFrameKind::failure:
            host_->onEditorError(frame.payload.c_str());
            break;
        default:
            break;
        }
    }

    // The helper is gone or cannot be talked to: the page is disconnected and the reason reported; the
    // view stays until the host removes it.
    void lost(const std::string& reason) {
        stopHelper();
        host_->setBridgeSink({});
        host_->onEditorError(reason.c_str());
    }

    // Closing the socket tells the helper to end; the reaper waits for it.
    void stopHelper() {
        disconnect();
        if (pid_ > 0) {
            reapChildWhenItEnds(pid_);
            pid_ = -1;
        }
    }

    void send(EditorFrameKind kind, std::string_view payload) {
        if (socket_ >= 0 && appendEditorFrame(outgoing_, kind, payload)) {
            flush();
        }
    }

    // Writes what the socket takes now; the rest waits for the next send or timer tick, so the host's
    // thread never blocks on a busy helper.
    void flush() {
        while (socket_ >= 0 && !outgoing_.empty()) {
            const ssize_t sent =
                ::send(socket_, outgoing_.data(), outgoing_.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
            if (sent > 0) {
                outgoing_.erase(0, static_cast<std::size_t>(sent));
            } else if (sent < 0 && errno == EINTR) {
                continue;
            } else {
                return;
            }
        }
    }

    void disconnect() {
        if (handler_ != nullptr) {
            runLoop_->unregisterEventHandler(handler_);
            handler_->forget();
            handler_->release();
            handler_ = nullptr;
        }
        if (socket_ >= 0) {
            close(socket_);
            socket_ = -1;
        }
        outgoing_.clear();
    }

    BridgeHost* host_;
    IPtr<IRunLoop> runLoop_;
    SocketHandler* handler_ = nullptr;
    int socket_ = -1;
    int pid_ = -1;
    std::string outgoing_;
    EditorFrameReader reader_;
    bool opened_ = false;
    // Cleared on destruction, for the loops that call the host, which may destroy the view.
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

void PLUGIN_API SocketHandler::onFDIsSet(FileDescriptor) {
    if (view_ != nullptr) {
        view_->readable();
    }
}

} // namespace

std::unique_ptr<BridgedWebView> vantoCreateBridgedWebView(BridgeHost* host, const std::string& root,
                                                          void* parent, EditorRect rect, FUnknown* frame) {
    if (host == nullptr) {
        return nullptr;
    }
    if (root.empty()) {
        host->onEditorError("no ui root");
        return nullptr;
    }
    FUnknownPtr<IRunLoop> runLoop(frame);
    if (!runLoop) {
        host->onEditorError("webview allocation failed: no run loop from the host");
        return nullptr;
    }
    auto view = std::make_unique<HelperWebView>(host, runLoop);
    if (!view->start(root, parent, rect)) {
        return nullptr;
    }
    return view;
}

} // namespace vanto
