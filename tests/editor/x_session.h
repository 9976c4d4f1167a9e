// A private X display for tests of the embedded editor: Xvfb with the openbox window manager, and a
// top-level window standing for the host's plug-in window. The display is the first free one from
// DOVREL_TEST_DISPLAY (a number) on when that is set, otherwise a free one Xvfb picks itself.
#pragma once

#include <memory>
#include <string>
#include <vector>

struct _XDisplay;

namespace vanto::test {

// An X window id (Xlib's Window), kept apart from Xlib's macros.
using XWindowId = unsigned long;

class XSession {
  public:
    // Null with the reason in `error` when Xvfb or openbox cannot be started. Sets DISPLAY for this
    // process, so the programs it starts use the same display.
    static std::unique_ptr<XSession> start(std::string& error);
    ~XSession();
    XSession(const XSession&) = delete;
    XSession& operator=(const XSession&) = delete;

    _XDisplay* display() const { return connection; }
    const std::string& name() const { return displayName; }

    // A mapped top-level window of the given size, as a host opens for a plug-in's editor.
    XWindowId createHostWindow(int width, int height);
    void destroyWindow(XWindowId window);
    // Handles this connection's pending events, keeping the keys sent to its windows by other clients.
    void drainEvents();
    // Whether a key press of `keysym` (such as "F2") was sent to one of this connection's windows.
    bool receivedSentKey(const char* keysym) const;

    // The size of the first child window of `parent` (the embedded editor); false when it has none.
    bool childSize(XWindowId parent, int& width, int& height);

    // Writes what `window` shows into a PNG file.
    bool writeScreenshot(XWindowId window, const std::string& pngPath);

  private:
    XSession() = default;
    std::string displayName;
    int serverPid = -1;
    int windowManagerPid = -1;
    _XDisplay* connection = nullptr;
    std::vector<unsigned int> sentKeyCodes;
};

// Runs a program (found through PATH) to its end; its exit status, or -1 when it could not run.
int runProgram(const std::vector<std::string>& arguments);

} // namespace vanto::test
