#include "ui/editor_helper_x11.h"

#include <X11/Xlib.h>
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <gdk/gdkx.h>

namespace vanto {

namespace {

// XEmbed messages (freedesktop.org XEmbed protocol).
constexpr long kXEmbedWindowActivate = 1;
constexpr long kXEmbedWindowDeactivate = 2;
constexpr long kXEmbedFocusIn = 4;
constexpr long kXEmbedFocusOut = 5;
constexpr long kXEmbedFocusCurrent = 0;

int reportXError(Display* display, XErrorEvent* error) {
    char text[128] = {};
    XGetErrorText(display, error->error_code, text, sizeof text);
    std::fprintf(stderr, "dovrel-editor: X error ignored: %s (request %d)\n", text, error->request_code);
    return 0;
}

int endOnLostConnection(Display*) {
    std::_Exit(0);
}

Display* xDisplay() {
    return gdk_x11_display_get_xdisplay(gdk_display_get_default());
}

Window plugWindow(GtkWidget* plug) {
    GdkWindow* window = gtk_widget_get_window(plug);
    return window != nullptr ? gdk_x11_window_get_xid(window) : 0;
}

// GtkPlug reads XEmbed messages from its embedder; with none coming, the helper sends them itself.
void sendXEmbed(Window window, long message, long detail = 0) {
    Display* display = xDisplay();
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display, "_XEMBED", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = CurrentTime;
    event.xclient.data.l[1] = message;
    event.xclient.data.l[2] = detail;
    XSendEvent(display, window, False, NoEventMask, &event);
}

gboolean takeFocusOnClick(GtkWidget* plug, GdkEvent*, gpointer) {
    const Window window = plugWindow(gtk_widget_get_toplevel(plug));
    if (window != 0) {
        XSetInputFocus(xDisplay(), window, RevertToParent, CurrentTime);
        sendXEmbed(window, kXEmbedWindowActivate);
        sendXEmbed(window, kXEmbedFocusIn, kXEmbedFocusCurrent);
        XFlush(xDisplay());
    }
    return FALSE;
}

// The X focus left the plug (the host took it back): the page loses its focus too.
GdkFilterReturn watchFocusOut(GdkXEvent* native, GdkEvent*, gpointer plug) {
    const auto* event = static_cast<XEvent*>(native);
    if (event->type == FocusOut && event->xfocus.detail != NotifyInferior &&
        event->xfocus.mode == NotifyNormal) {
        const Window window = plugWindow(static_cast<GtkWidget*>(plug));
        sendXEmbed(window, kXEmbedFocusOut);
        sendXEmbed(window, kXEmbedWindowDeactivate);
    }
    return GDK_FILTER_CONTINUE;
}

// Runs after the plug's own handling: only keys neither the page nor GTK used get here.
gboolean forwardKeyToHost(GtkWidget*, GdkEventKey* key, gpointer hostWindow) {
    Display* display = xDisplay();
    const auto host = static_cast<Window>(reinterpret_cast<uintptr_t>(hostWindow));
    XEvent event{};
    event.xkey.type = key->type == GDK_KEY_PRESS ? KeyPress : KeyRelease;
    event.xkey.display = display;
    event.xkey.window = host;
    event.xkey.root = DefaultRootWindow(display);
    event.xkey.time = key->time;
    event.xkey.state = key->state;
    event.xkey.keycode = key->hardware_keycode;
    event.xkey.same_screen = True;
    XSendEvent(display, host, True, key->type == GDK_KEY_PRESS ? KeyPressMask : KeyReleaseMask, &event);
    XFlush(display);
    return TRUE;
}

void watchPlugFocus(GtkWidget* plug, gpointer) {
    gdk_window_add_filter(gtk_widget_get_window(plug), watchFocusOut, plug);
}

} // namespace

void installX11ErrorHandlers() {
    XSetErrorHandler(reportXError);
    XSetIOErrorHandler(endOnLostConnection);
}

void sizePlug(GtkWidget* plug, int width, int height) {
    const int scale = std::max(1, gtk_widget_get_scale_factor(plug));
    gtk_widget_set_size_request(gtk_bin_get_child(GTK_BIN(plug)), width / scale, height / scale);
    const Window window = plugWindow(plug);
    if (window != 0) {
        XResizeWindow(xDisplay(), window, static_cast<unsigned>(width), static_cast<unsigned>(height));
        XMapWindow(xDisplay(), window);
        XFlush(xDisplay());
    }
}

void connectPlugFocusAndKeys(GtkWidget* plug, unsigned long hostWindow) {
    gtk_widget_add_events(plug, GDK_BUTTON_PRESS_MASK | GDK_FOCUS_CHANGE_MASK);
    GtkWidget* content = gtk_bin_get_child(GTK_BIN(plug));
    g_signal_connect(content, "button-press-event", G_CALLBACK(takeFocusOnClick), nullptr);
    g_signal_connect_after(plug, "key-press-event", G_CALLBACK(forwardKeyToHost),
                           reinterpret_cast<gpointer>(static_cast<uintptr_t>(hostWindow)));
    g_signal_connect_after(plug, "key-release-event", G_CALLBACK(forwardKeyToHost),
                           reinterpret_cast<gpointer>(static_cast<uintptr_t>(hostWindow)));
    if (gtk_widget_get_realized(plug)) {
        watchPlugFocus(plug, nullptr);
    } else {
        g_signal_connect(plug, "realize", G_CALLBACK(watchPlugFocus), nullptr);
    }
}

} // namespace vanto
