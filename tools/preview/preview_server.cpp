#include "preview_server.h"

#include "page_scripts.h"
#include "ui_file.h"

#include "ui/page_bootstrap.h"

#include <httplib.h>

#include <fstream>
#include <iterator>

namespace vanto::preview {

namespace {

constexpr const char* kLoopback = "127.0.0.1";
constexpr std::size_t kMessageLimit = 1 << 20;
constexpr auto kKeepAliveEvery = std::chrono::seconds(15);

bool readFile(const std::filesystem::path& file, std::string& content) {
    std::ifstream stream(file, std::ios::binary);
    content.assign(std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>());
    return !stream.bad();
}

bool isHtml(const std::filesystem::path& file) {
    return contentTypeOf(file).starts_with("text/html");
}

void refuse(httplib::Response& response, int status, const char* reason) {
    response.status = status;
    response.set_content(reason, "text/plain; charset=utf-8");
}

// Only this server's own pages, and programs that are no web page at all, may send: a page of another
// site cannot add the bridge header without the server's leave, which it never gives.
bool fromOwnPage(const httplib::Request& request) {
    const std::string origin = request.get_header_value("Origin");
    const std::string self = "http://" + request.get_header_value("Host");
    return request.get_header_value(kBridgeHeader) == "1" && (origin.empty() || origin == self);
}

void sendScript(httplib::Response& response, const char* script) {
    response.set_header("Cache-Control", "no-store");
    response.set_content(script, "text/javascript; charset=utf-8");
}

} // namespace

PreviewServer::PreviewServer(std::filesystem::path uiRoot, PageMessageQueue& toController,
                             EventBroadcast& fromController, InjectedControllerQueue& midiIn)
    : uiRoot(std::move(uiRoot)), toController(toController), fromController(fromController), midiIn(midiIn),
      server(std::make_unique<httplib::Server>()) {
    // Every open event stream holds a worker; a browser opens a few more connections for files.
    server->new_task_queue = [] { return new httplib::ThreadPool(16); };
    server->set_payload_max_length(kMessageLimit);
    // Headers and body leave in separate writes; without this each small response waits for the
    // browser's delayed acknowledgement.
    server->set_tcp_nodelay(true);
    route();
}

PreviewServer::~PreviewServer() = default;

int PreviewServer::bind(int requested) {
    port = requested == 0 ? server->bind_to_any_port(kLoopback)
                          : (server->bind_to_port(kLoopback, requested) ? requested : -1);
    return port;
}

void PreviewServer::serve() {
    server->listen_after_bind();
}

void PreviewServer::stop() {
    server->stop();
}

void PreviewServer::route() {
    server->set_pre_routing_handler([this](const httplib::Request& request, httplib::Response& response) {
        const std::string host = request.get_header_value("Host");
        // Appended rather than ":" + text, which GCC 12 misreads at -O2 (-Wrestrict).
        std::string suffix = ":";
        suffix += std::to_string(port);
        const bool namesThisServer = host == kLoopback + suffix || host == "localhost" + suffix;
        if (request.remote_addr != kLoopback || !namesThisServer) {
            refuse(response, 403, "forbidden\n");
            return httplib::Server::HandlerResponse::Handled;
        }
        response.set_header("Cache-Control", "no-store");
        return httplib::Server::HandlerResponse::Unhandled;
    });

    server->Get(std::string(kBootstrapPath), [](const httplib::Request&, httplib::Response& response) {
        sendScript(response, kPageBootstrapScript);
    });
    server->Get(std::string(kShimPath), [](const httplib::Request&, httplib::Response& response) {
        sendScript(response, kPreviewShimScript);
    });

    server->Post(std::string(kBridgePath),
                 [this](const httplib::Request& request, httplib::Response& response) {
                     if (!fromOwnPage(request)) {
                         return refuse(response, 403, "forbidden\n");
                     }
                     if (!toController.post(request.body)) {
                         return refuse(response, 503, "busy\n");
                     }
                     response.status = 204;
                 });

    server->Post(
        std::string(kMidiCcPath), [this](const httplib::Request& request, httplib::Response& response) {
            if (!fromOwnPage(request)) {
                return refuse(response, 403, "forbidden\n");
            }
            const std::optional<InjectedController> message =
                injectedControllerOf(request.get_param_value("channel"), request.get_param_value("cc"),
                                     request.get_param_value("value"));
            if (!message) {
                return refuse(response, 400, "channel must be 1 to 16, cc and value 0 to 127\n");
            }
            if (!midiIn.post(*message)) {
                return refuse(response, 503, "busy\n");
            }
            response.status = 204;
        });

    server->Get(std::string(kEventsPath), [this](const httplib::Request&, httplib::Response& response) {
        std::shared_ptr<EventStream> stream = fromController.subscribe();
        if (!stream) {
            return refuse(response, 503, "too many pages\n");
        }
        response.set_chunked_content_provider(
            "text/event-stream",
            [stream, opened = false](std::size_t, httplib::DataSink& sink) mutable {
                if (!opened) {
                    opened = true;
                    const std::string hello = "retry: 1000\n: connected\n\n";
                    return sink.write(hello.data(), hello.size());
                }
                std::optional<std::string> frame = stream->next(kKeepAliveEvery);
                if (!frame && stream->closed()) {
                    sink.done();
                    return true;
                }
                const std::string text = frame ? *frame : ": keep-alive\n\n";
                return sink.write(text.data(), text.size());
            },
            [this, stream](bool) { fromController.unsubscribe(stream); });
    });

    server->Get(".*", [this](const httplib::Request& request, httplib::Response& response) {
        const auto file = resolveUiFile(uiRoot, request.path);
        std::string content;
        if (!file || !readFile(*file, content)) {
            return refuse(response, 404, "not found\n");
        }
        response.set_content(isHtml(*file) ? withPreviewScripts(content) : content, contentTypeOf(*file));
    });
}

} // namespace vanto::preview
