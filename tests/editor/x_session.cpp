#include "x_session.h"

#include <X11/Xlib.h>

#include <X11/Xutil.h>
#include <cairo-xlib.h>
#include <cairo.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace vanto::test {

namespace {

int spawn(const std::vector<std::string>& arguments, posix_spawn_file_actions_t* actions = nullptr) {
    std::vector<char*> argv;
    for (const std::string& argument : arguments) {
        argv.push_back(const_cast<char*>(argument.c_str()));
    }
    argv.push_back(nullptr);
    pid_t pid = 0;
    return posix_spawnp(&pid, argv[0], actions, nullptr, argv.data(), environ) == 0 ? pid : -1;
}

void stop(int pid) {
    if (pid > 0) {
        kill(pid, SIGTERM);
        waitpid(pid, nullptr, 0);
    }
}

// Starts Xvfb with `display` (empty: one it picks itself) and reads the display number it writes once
// it takes connections; empty when it could not have that display (another server holds it) and ended.
std::string startServerOn(const std::string& display, int& pid) {
    int ends[2];
    if (pipe(ends) != 0) {
        return {};
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, ends[1], 3);
    std::vector<std::string> arguments = {"Xvfb"};
    if (!display.empty()) {
        arguments.push_back(display);
    }
    for (const char* option :
         {"-displayfd", "3", "-screen", "0", "1280x1024x24", "-nolisten", "tcp", "-noreset"}) {
        arguments.emplace_back(option);
    }
    pid = spawn(arguments, &actions);
    posix_spawn_file_actions_destroy(&actions);
    close(ends[1]);
    std::string number;
    char c = 0;
    while (pid > 0 && read(ends[0], &c, 1) == 1 && c != '\n') {
        number += c;
    }
    close(ends[0]);
    if (number.empty()) {
        stop(pid);
        pid = -1;
        return {};
    }
    return std::string(":").append(number);
}

// The first display from DOVREL_TEST_DISPLAY on (ten at most) that no other server holds; without it,
// one Xvfb picks itself. Xvfb tells the display only once it holds it, so two tests starting at once
// never end up on the same server.
std::string startServer(int& pid) {
    const char* first = std::getenv("DOVREL_TEST_DISPLAY");
    if (first == nullptr || *first == '\0') {
        return startServerOn({}, pid);
    }
    for (int display = std::atoi(first); display < std::atoi(first) + 10; ++display) {
        // Plainly taken: spares a server start that can only fail.
        if (access(std::string("/tmp/.X").append(std::to_string(display)).append("-lock").c_str(), F_OK) ==
            0) {
            continue;
        }
        const std::string name = startServerOn(std::string(":").append(std::to_string(display)), pid);
        if (!name.empty()) {
            return name;
        }
    }
    return {};
}

Display* connectWithin(const std::string& name, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (std::chrono::steady_clock::now() < deadline) {
        if (Display* display = XOpenDisplay(name.c_str())) {
            return display;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return nullptr;
}

// openbox announces itself through _NET_SUPPORTING_WM_CHECK on the root window.
bool waitForWindowManager(Display* display, std::chrono::milliseconds timeout) {
    const Atom check = XInternAtom(display, "_NET_SUPPORTING_WM_CHECK", False);
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (std::chrono::steady_clock::now() < deadline) {
        Atom type = None;
        int format = 0;
        unsigned long items = 0;
        unsigned long after = 0;
        unsigned char* data = nullptr;
        XGetWindowProperty(display, DefaultRootWindow(display), check, 0, 1, False, AnyPropertyType, &type,
                           &format, &items, &after, &data);
        if (data != nullptr) {
            XFree(data);
        }
        if (items > 0) {
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
}

} // namespace

std::unique_ptr<XSession> XSession::start(std::string& error) {
    std::unique_ptr<XSession> session(new XSession());
    session->displayName = startServer(session->serverPid);
    if (session->displayName.empty()) {
        error = "Xvfb could not be started";
        return nullptr;
    }
    session->connection = connectWithin(session->displayName, std::chrono::seconds(10));
    if (session->connection == nullptr) {
        error = std::string("no connection to Xvfb on ").append(session->displayName);
        return nullptr;
    }
    setenv("DISPLAY", session->displayName.c_str(), 1);
    session->windowManagerPid = spawn({"openbox", "--sm-disable"});
    if (session->windowManagerPid < 0 ||
        !waitForWindowManager(session->connection, std::chrono::seconds(10))) {
        error = std::string("openbox did not start on ").append(session->displayName);
        return nullptr;
    }
    return session;
}

XSession::~XSession() {
    if (connection != nullptr) {
        XCloseDisplay(connection);
    }
    stop(windowManagerPid);
    stop(serverPid);
}

Window XSession::createHostWindow(int width, int height) {
    const int screen = DefaultScreen(connection);
    const Window window = XCreateSimpleWindow(connection, RootWindow(connection, screen), 0, 0,
                                              static_cast<unsigned>(width), static_cast<unsigned>(height), 0,
                                              BlackPixel(connection, screen), BlackPixel(connection, screen));
    XStoreName(connection, window, "Dovrel editor test host");
    XSelectInput(connection, window, StructureNotifyMask | KeyPressMask | KeyReleaseMask);
    XMapWindow(connection, window);
    // The window manager maps it once it has framed it (the first one after its start may stay
    // unviewable a while; the editor is embedded all the same).
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(1);
    XWindowAttributes attributes{};
    while (XGetWindowAttributes(connection, window, &attributes) != 0 && attributes.map_state != IsViewable &&
           std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return window;
}

void XSession::destroyWindow(Window window) {
    XDestroyWindow(connection, window);
    XSync(connection, False);
}

void XSession::drainEvents() {
    while (XPending(connection) > 0) {
        XEvent event;
        XNextEvent(connection, &event);
        if (event.type == KeyPress && event.xkey.send_event) {
            sentKeyCodes.push_back(event.xkey.keycode);
        }
    }
}

bool XSession::receivedSentKey(const char* keysym) const {
    const unsigned int code = XKeysymToKeycode(connection, XStringToKeysym(keysym));
    return code != 0 && std::find(sentKeyCodes.begin(), sentKeyCodes.end(), code) != sentKeyCodes.end();
}

bool XSession::childSize(Window parent, int& width, int& height) {
    Window root = 0;
    Window parentOfParent = 0;
    Window* children = nullptr;
    unsigned int count = 0;
    if (XQueryTree(connection, parent, &root, &parentOfParent, &children, &count) == 0 || count == 0) {
        return false;
    }
    XWindowAttributes attributes{};
    const bool known = XGetWindowAttributes(connection, children[0], &attributes) != 0;
    XFree(children);
    width = attributes.width;
    height = attributes.height;
    return known;
}

// Read from the root window, so that the embedded editor's windows are in the picture.
bool XSession::writeScreenshot(Window window, const std::string& pngPath) {
    XWindowAttributes attributes{};
    Window child = 0;
    int x = 0;
    int y = 0;
    const Window root = DefaultRootWindow(connection);
    if (XGetWindowAttributes(connection, window, &attributes) == 0 ||
        !XTranslateCoordinates(connection, window, root, 0, 0, &x, &y, &child)) {
        return false;
    }
    XWindowAttributes rootAttributes{};
    XGetWindowAttributes(connection, root, &rootAttributes);
    cairo_surface_t* screen = cairo_xlib_surface_create(connection, root, rootAttributes.visual,
                                                        rootAttributes.width, rootAttributes.height);
    cairo_surface_t* picture =
        cairo_image_surface_create(CAIRO_FORMAT_RGB24, attributes.width, attributes.height);
    cairo_t* cr = cairo_create(picture);
    cairo_set_source_surface(cr, screen, -x, -y);
    cairo_paint(cr);
    cairo_destroy(cr);
    const bool written = cairo_surface_write_to_png(picture, pngPath.c_str()) == CAIRO_STATUS_SUCCESS;
    cairo_surface_destroy(picture);
    cairo_surface_destroy(screen);
    return written;
}

int runProgram(const std::vector<std::string>& arguments) {
    const int pid = spawn(arguments);
    if (pid < 0) {
        return -1;
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

} // namespace vanto::test
