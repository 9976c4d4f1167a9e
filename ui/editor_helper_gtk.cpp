// The editor helper's session with WebKitGTK 4.1 and GTK 3: a GtkPlug in the host's window holding the
// web view, the "vanto-ui" scheme served by the UI bundle's rules, the page API injected at document
// start, the "vanto" message handler, and the frames to and from the plug-in.
#include "ui/editor_helper_session.h"

#include "ui/editor_frames.h"
#include "ui/editor_helper.h"
#include "ui/editor_helper_x11.h"
#include "ui/page_bootstrap.h"
#include "ui/page_delivery.h"
#include "ui/page_url.h"
#include "ui/ui_files.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <glib-unix.h>
#include <gtk/gtk.h>
#include <gtk/gtkx.h>
#include <sys/socket.h>
#include <webkit2/webkit2.h>

namespace vanto {

namespace {

// The page's own background, shown until its first paint so that a dark page never flashes white.
constexpr GdkRGBA kPageBackground = {0x14 / 255.0, 0x16 / 255.0, 0x1b / 255.0, 1.0};
constexpr const char* kPlugStyle = "window { background-color: #14161b; }";

struct Session {
    EditorHelperOptions options;
    GtkWidget* plug = nullptr;
    WebKitWebView* webView = nullptr;
    EditorFrameReader reader;
    bool ended = false;
};

// Blocking writes: the plug-in reads whenever the host's loop runs, and nothing else is waiting here.
void sendFrame(Session& session, EditorFrameKind kind, std::string_view payload) {
    std::string frame;
    if (session.ended || !appendEditorFrame(frame, kind, payload)) {
        return;
    }
    std::size_t sent = 0;
    while (sent < frame.size()) {
        const ssize_t wrote =
            send(session.options.socket, frame.data() + sent, frame.size() - sent, MSG_NOSIGNAL);
        if (wrote < 0 && errno == EINTR) {
            continue;
        }
        if (wrote <= 0) {
            session.ended = true;
            gtk_main_quit();
            return;
        }
        sent += static_cast<std::size_t>(wrote);
    }
}

void serveScheme(WebKitURISchemeRequest* request, gpointer data) {
    const auto& session = *static_cast<const Session*>(data);
    const char* path = webkit_uri_scheme_request_get_path(request);
    const std::optional<UiFile> file = readUiFile(session.options.root, path != nullptr ? path : "");
    if (!file) {
        GError* error = g_error_new_literal(G_IO_ERROR, G_IO_ERROR_NOT_FOUND, "file does not exist");
        webkit_uri_scheme_request_finish_error(request, error);
        g_error_free(error);
        return;
    }
    GBytes* bytes = g_bytes_new(file->bytes.data(), file->bytes.size());
    GInputStream* stream = g_memory_input_stream_new_from_bytes(bytes);
    WebKitURISchemeResponse* response =
        webkit_uri_scheme_response_new(stream, static_cast<gint64>(file->bytes.size()));
    const std::string contentType = file->mimeType + "; charset=utf-8";
    webkit_uri_scheme_response_set_content_type(response, contentType.c_str());
    webkit_uri_scheme_request_finish_with_response(request, response);
    g_object_unref(response);
    g_object_unref(stream);
    g_bytes_unref(bytes);
}

void forwardPageMessage(WebKitUserContentManager*, WebKitJavascriptResult* result, gpointer data) {
    JSCValue* value = webkit_javascript_result_get_js_value(result);
    if (!jsc_value_is_string(value)) {
        return;
    }
    char* text = jsc_value_to_string(value);
    if (text != nullptr) {
        sendFrame(*static_cast<Session*>(data), EditorFrameKind::pageMessage, text);
        g_free(text);
    }
}

// The page is loaded afresh after a crash of its web process; it then asks for the hello again.
void reloadAfterCrash(WebKitWebView* view, WebKitWebProcessTerminationReason reason, gpointer data) {
    if (reason == WEBKIT_WEB_PROCESS_TERMINATED_BY_API) {
        return;
    }
    std::fprintf(stderr, "dovrel-editor: the page's web process ended; loading the page again\n");
    webkit_web_view_load_uri(view, static_cast<Session*>(data)->options.url.c_str());
}

// The page itself cannot be shown (a file of the bundle missing, say): the plug-in reports it.
gboolean reportLoadFailure(WebKitWebView*, WebKitLoadEvent, gchar*, GError* error, gpointer data) {
    if (!g_error_matches(error, WEBKIT_NETWORK_ERROR, WEBKIT_NETWORK_ERROR_CANCELLED)) {
        std::string reason = "page failed to load: ";
        reason.append(error->message, std::min<std::size_t>(std::strlen(error->message), 40));
        sendFrame(*static_cast<Session*>(data), EditorFrameKind::failure, reason);
    }
    return FALSE;
}

void handleFrame(Session& session, const EditorFrame& frame) {
    switch (frame.kind) {
    case EditorFrameKind::deliver:
        if (const std::optional<std::string> script = pageDeliveryScript(frame.payload)) {
            webkit_web_view_evaluate_javascript(session.webView, script->c_str(),
                                                static_cast<gssize>(script->size()), nullptr, nullptr,
                                                nullptr, nullptr, nullptr);
        }
        break;
    case EditorFrameKind::resize: {
        uint32_t width = 0;
        uint32_t height = 0;
        if (parseResizePayload(frame.payload, width, height)) {
            sizePlug(session.plug, static_cast<int>(width), static_cast<int>(height));
        }
        break;
    }
    case EditorFrameKind::close:
        session.ended = true;
        gtk_main_quit();
        break;
    default:
        break;
    }
}

// The socket closing is the helper's only lifetime signal.
gboolean readSocket(gint fd, GIOCondition, gpointer data) {
    auto& session = *static_cast<Session*>(data);
    char buffer[65536];
    for (;;) {
        const ssize_t got = recv(fd, buffer, sizeof buffer, MSG_DONTWAIT);
        if (got > 0) {
            session.reader.append(buffer, static_cast<std::size_t>(got));
            continue;
        }
        if (got < 0 && errno == EINTR) {
            continue;
        }
        const bool closed = got == 0 || (errno != EAGAIN && errno != EWOULDBLOCK);
        EditorFrame frame;
        EditorFrameReader::Result result;
        while (!session.ended && (result = session.reader.next(frame)) == EditorFrameReader::Result::frame) {
            handleFrame(session, frame);
        }
        if (closed || result == EditorFrameReader::Result::refused) {
            session.ended = true;
            gtk_main_quit();
            return G_SOURCE_REMOVE;
        }
        return session.ended ? G_SOURCE_REMOVE : G_SOURCE_CONTINUE;
    }
}

WebKitWebView* createWebView(Session& session) {
    WebKitWebContext* context = webkit_web_context_get_default();
    webkit_web_context_register_uri_scheme(context, kUiUrlScheme, serveScheme, &session, nullptr);
    WebKitSecurityManager* security = webkit_web_context_get_security_manager(context);
    webkit_security_manager_register_uri_scheme_as_secure(security, kUiUrlScheme);
    // The page's scripts are modules, which load only from schemes that answer cross-origin checks.
    webkit_security_manager_register_uri_scheme_as_cors_enabled(security, kUiUrlScheme);

    WebKitUserContentManager* content = webkit_user_content_manager_new();
    WebKitUserScript* bootstrap =
        webkit_user_script_new(kPageBootstrapScript, WEBKIT_USER_CONTENT_INJECT_TOP_FRAME,
                               WEBKIT_USER_SCRIPT_INJECT_AT_DOCUMENT_START, nullptr, nullptr);
    webkit_user_content_manager_add_script(content, bootstrap);
    webkit_user_script_unref(bootstrap);
    g_signal_connect(content, "script-message-received::vanto", G_CALLBACK(forwardPageMessage), &session);
    webkit_user_content_manager_register_script_message_handler(content, "vanto");

    auto* view = WEBKIT_WEB_VIEW(
        g_object_new(WEBKIT_TYPE_WEB_VIEW, "web-context", context, "user-content-manager", content, nullptr));
    g_object_unref(content);
    webkit_web_view_set_background_color(view, &kPageBackground);
    g_signal_connect(view, "web-process-terminated", G_CALLBACK(reloadAfterCrash), &session);
    g_signal_connect(view, "load-failed", G_CALLBACK(reportLoadFailure), &session);
    return view;
}

void stylePlug(GtkWidget* plug) {
    GtkCssProvider* style = gtk_css_provider_new();
    gtk_css_provider_load_from_data(style, kPlugStyle, -1, nullptr);
    gtk_style_context_add_provider(gtk_widget_get_style_context(plug), GTK_STYLE_PROVIDER(style),
                                   GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
    g_object_unref(style);
}

} // namespace

int runEditorHelper(const EditorHelperOptions& options) {
    // Desktop sessions announce Wayland too, but a GtkPlug lives in an X window only.
    gdk_set_allowed_backends("x11");
    if (!gtk_init_check(nullptr, nullptr)) {
        std::fprintf(stderr, "dovrel-editor: cannot open the X display\n");
        return kEditorHelperNoDisplay;
    }
    installX11ErrorHandlers();
    // Reads never block; writes do, see sendFrame.
    fcntl(options.socket, F_SETFL, fcntl(options.socket, F_GETFL) & ~O_NONBLOCK);

    Session session;
    session.options = options;
    session.plug = gtk_plug_new(static_cast<Window>(options.parentWindow));
    stylePlug(session.plug);
    session.webView = createWebView(session);
    gtk_container_add(GTK_CONTAINER(session.plug), GTK_WIDGET(session.webView));
    connectPlugFocusAndKeys(session.plug, options.parentWindow);
    gtk_widget_show_all(session.plug);
    sizePlug(session.plug, options.width, options.height);
    g_unix_fd_add(options.socket, static_cast<GIOCondition>(G_IO_IN | G_IO_HUP | G_IO_ERR), readSocket,
                  &session);
    webkit_web_view_load_uri(session.webView, options.url.c_str());

    if (!session.ended) {
        gtk_main();
    }
    // Destroying the view ends WebKit's processes with it.
    gtk_widget_destroy(session.plug);
    return 0;
}

} // namespace vanto
