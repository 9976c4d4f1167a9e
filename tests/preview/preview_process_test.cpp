// dovrel-preview as a process: started on a free port against a bundle whose page folder is a small
// fixture, asked for files and for paths it must refuse, given page messages whose replies come back
// over the event stream, and stopped with Ctrl-C.
#include "page_folder_fixture.h"

#include "ui/page_bootstrap.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <chrono>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <netinet/in.h>
#include <poll.h>
#include <spawn.h>
#include <string>
#include <sys/socket.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace vanto::test {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr auto kStartLimit = std::chrono::seconds(60);

// A connected socket to 127.0.0.1:port from `source` (an address of the loopback range).
int connectFrom(const char* source, int port) {
    const int socket_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in local{};
    local.sin_family = AF_INET;
    inet_pton(AF_INET, source, &local.sin_addr);
    sockaddr_in remote{};
    remote.sin_family = AF_INET;
    remote.sin_port = htons(static_cast<uint16_t>(port));
    inet_pton(AF_INET, "127.0.0.1", &remote.sin_addr);
    if (bind(socket_, reinterpret_cast<sockaddr*>(&local), sizeof local) != 0 ||
        connect(socket_, reinterpret_cast<sockaddr*>(&remote), sizeof remote) != 0) {
        close(socket_);
        return -1;
    }
    return socket_;
}

void sendAll(int socket_, const std::string& text) {
    for (std::size_t sent = 0; sent < text.size();) {
        const ssize_t n = send(socket_, text.data() + sent, text.size() - sent, MSG_NOSIGNAL);
        ASSERT_GT(n, 0);
        sent += static_cast<std::size_t>(n);
    }
}

// Reads until `done(received)` or the peer closes or `limit` passes.
template <typename Done> std::string receiveUntil(int socket_, Done done, std::chrono::seconds limit) {
    std::string received;
    const auto deadline = Clock::now() + limit;
    char buffer[4096];
    while (!done(received) && Clock::now() < deadline) {
        pollfd entry{socket_, POLLIN, 0};
        if (poll(&entry, 1, 100) <= 0) {
            continue;
        }
        const ssize_t n = read(socket_, buffer, sizeof buffer);
        if (n <= 0) {
            break;
        }
        received.append(buffer, static_cast<std::size_t>(n));
    }
    return received;
}

struct Reply {
    int status = 0;
    std::string head;
    std::string body;
};

Reply parseReply(const std::string& raw) {
    Reply reply;
    const std::size_t split = raw.find("\r\n\r\n");
    reply.head = raw.substr(0, split);
    reply.body = split == std::string::npos ? "" : raw.substr(split + 4);
    if (raw.starts_with("HTTP/1.1 ")) {
        reply.status = std::stoi(raw.substr(9, 3));
    }
    return reply;
}

class PreviewProcess {
  public:
    explicit PreviewProcess(const fs::path& bundle) {
        int out[2];
        EXPECT_EQ(pipe2(out, O_CLOEXEC), 0);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
        const std::string bundleText = bundle.string();
        const char* argv[] = {DOVREL_PREVIEW_PATH, "--bundle", bundleText.c_str(), "--port", "0", nullptr};
        EXPECT_EQ(
            posix_spawn(&pid, DOVREL_PREVIEW_PATH, &actions, nullptr, const_cast<char**>(argv), environ), 0);
        posix_spawn_file_actions_destroy(&actions);
        close(out[1]);
        const std::string line = receiveUntil(
            out[0], [](const std::string& s) { return s.find('\n') != std::string::npos; },
            std::chrono::duration_cast<std::chrono::seconds>(kStartLimit));
        close(out[0]);
        const std::string prefix = "http://127.0.0.1:";
        if (line.starts_with(prefix)) {
            port = std::stoi(line.substr(prefix.size()));
        }
    }

    ~PreviewProcess() {
        if (pid > 0) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
    }

    // Sends SIGINT and returns the exit status, or -1 when the process did not end in time.
    int interrupt() {
        kill(pid, SIGINT);
        const auto deadline = Clock::now() + std::chrono::seconds(30);
        int status = 0;
        while (Clock::now() < deadline) {
            if (waitpid(pid, &status, WNOHANG) == pid) {
                pid = -1;
                return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return -1;
    }

    Reply request(const std::string& method, const std::string& target, const std::string& extraHeaders = "",
                  const std::string& body = "", const char* source = "127.0.0.1") const {
        const int socket_ = connectFrom(source, port);
        if (socket_ < 0) {
            ADD_FAILURE() << "cannot connect from " << source;
            return {};
        }
        std::string text = method + " " + target + " HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(port) +
                           "\r\nConnection: close\r\n" + extraHeaders;
        if (!body.empty() || method == "POST") {
            text += "Content-Length: " + std::to_string(body.size()) + "\r\n";
        }
        text += "\r\n" + body;
        sendAll(socket_, text);
        const std::string raw = receiveUntil(
            socket_, [](const std::string&) { return false; }, std::chrono::seconds(20));
        close(socket_);
        return parseReply(raw);
    }

    int port = -1;

  private:
    pid_t pid = -1;
};

// The plug-in's binaries are the build's; only the page folder is the fixture.
class PreviewProcessTest : public ::testing::Test {
  protected:
    void SetUp() override {
        fs::create_directory_symlink(fs::path(DOVREL_BUNDLE_PATH) / "Contents" / "x86_64-linux",
                                     folder.bundle() / "Contents" / "x86_64-linux");
    }

    PageFolderFixture folder;
};

const std::string kBridgeHeaders = "X-Vanto-Bridge: 1\r\nContent-Type: text/plain\r\n";

TEST_F(PreviewProcessTest, ServesThePageWithTheBootstrapAndRefusesEverythingOutsideIt) {
    PreviewProcess preview(folder.bundle());
    ASSERT_GT(preview.port, 0);

    const Reply index = preview.request("GET", "/");
    EXPECT_EQ(index.status, 200);
    EXPECT_NE(index.head.find("text/html"), std::string::npos);
    EXPECT_NE(index.body.find("<head><script src=\"/.vanto-preview/shim.js\"></script>"
                              "<script src=\"/.vanto-preview/bootstrap.js\"></script><title>"),
              std::string::npos)
        << index.body;

    const Reply script = preview.request("GET", "/js/app.js");
    EXPECT_EQ(script.status, 200);
    EXPECT_EQ(script.body, kFixtureScript);
    EXPECT_NE(script.head.find("text/javascript"), std::string::npos);

    const Reply bootstrap = preview.request("GET", "/.vanto-preview/bootstrap.js");
    EXPECT_EQ(bootstrap.status, 200);
    EXPECT_EQ(bootstrap.body, kPageBootstrapScript);

    for (const char* refused : {"/../ui-private/secret.txt", "/%2e%2e/ui-private/secret.txt",
                                "/%2E%2E%2Fui-private%2Fsecret.txt", "/..%2f..%2f..%2f..%2foutside.txt",
                                "/escape.txt", "/escape-folder/secret.txt", "/js", "/missing.html"}) {
        const Reply reply = preview.request("GET", refused);
        EXPECT_EQ(reply.status, 404) << refused;
        EXPECT_EQ(reply.body.find("secret"), std::string::npos) << refused;
    }
    EXPECT_EQ(preview.interrupt(), 0);
}

TEST_F(PreviewProcessTest, AnswersOnlyLoopbackPeersThatNameIt) {
    PreviewProcess preview(folder.bundle());
    ASSERT_GT(preview.port, 0);
    EXPECT_EQ(preview.request("GET", "/", "", "", "127.0.0.2").status, 403);

    const int socket_ = connectFrom("127.0.0.1", preview.port);
    ASSERT_GE(socket_, 0);
    sendAll(socket_, "GET / HTTP/1.1\r\nHost: dovrel.example:" + std::to_string(preview.port) +
                         "\r\nConnection: close\r\n\r\n");
    EXPECT_EQ(parseReply(receiveUntil(
                             socket_, [](const std::string&) { return false; }, std::chrono::seconds(20)))
                  .status,
              403);
    close(socket_);

    const std::string ready = R"({"type":"vanto.ready"})";
    EXPECT_EQ(preview.request("POST", "/.vanto-preview/bridge", "Content-Type: text/plain\r\n", ready).status,
              403);
    EXPECT_EQ(preview
                  .request("POST", "/.vanto-preview/bridge",
                           kBridgeHeaders + "Origin: http://dovrel.example\r\n", ready)
                  .status,
              403);
    EXPECT_EQ(preview.interrupt(), 0);
}

TEST_F(PreviewProcessTest, PageMessagesReachTheControllerAndItsRepliesComeBackAsEvents) {
    PreviewProcess preview(folder.bundle());
    ASSERT_GT(preview.port, 0);
    const int events = connectFrom("127.0.0.1", preview.port);
    ASSERT_GE(events, 0);
    sendAll(events, "GET /.vanto-preview/events HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(preview.port) +
                        "\r\n\r\n");
    std::string stream = receiveUntil(
        events, [](const std::string& s) { return s.find(": connected") != std::string::npos; },
        std::chrono::seconds(20));
    EXPECT_NE(stream.find("text/event-stream"), std::string::npos) << stream;

    EXPECT_EQ(
        preview.request("POST", "/.vanto-preview/bridge", kBridgeHeaders, R"({"type":"vanto.ready"})").status,
        204);
    stream += receiveUntil(
        events, [](const std::string& s) { return s.find("\"presetState\"") != std::string::npos; },
        std::chrono::seconds(20));
    EXPECT_NE(stream.find("data: {\"type\":\"vanto.hello\""), std::string::npos) << stream;
    EXPECT_NE(stream.find("{\"path\":\"macro.glue\""), std::string::npos);

    EXPECT_EQ(preview
                  .request("POST", "/.vanto-preview/bridge", kBridgeHeaders,
                           R"({"type":"vanto.setParam","path":"glue.ratio","value":8})")
                  .status,
              204);
    EXPECT_EQ(
        preview.request("POST", "/.vanto-preview/bridge", kBridgeHeaders, R"({"type":"vanto.getState"})")
            .status,
        204);
    stream = receiveUntil(
        events,
        [](const std::string& s) {
            return s.find("\"type\":\"vanto.state\"") != std::string::npos &&
                   s.find("\n\n", s.find("vanto.state")) != std::string::npos;
        },
        std::chrono::seconds(20));
    EXPECT_NE(stream.find("\"glue.ratio\":8"), std::string::npos) << stream;

    close(events);
    EXPECT_EQ(preview.interrupt(), 0);
}

// A controller message posted to the preview goes where a host sends it (the controller's MIDI mapping),
// the CC map turns it into a parameter value, and the value the processor reports is read back into the
// controller, which tells the page; the page also hears the controller itself while it listens.
TEST_F(PreviewProcessTest, InjectedControllersMoveTheirBoundParameterAndReachThePage) {
    PreviewProcess preview(folder.bundle());
    ASSERT_GT(preview.port, 0);
    const int events = connectFrom("127.0.0.1", preview.port);
    ASSERT_GE(events, 0);
    sendAll(events, "GET /.vanto-preview/events HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(preview.port) +
                        "\r\n\r\n");
    receiveUntil(
        events, [](const std::string& s) { return s.find(": connected") != std::string::npos; },
        std::chrono::seconds(20));
    const auto bridge = [&](const std::string& message) {
        EXPECT_EQ(preview.request("POST", "/.vanto-preview/bridge", kBridgeHeaders, message).status, 204);
    };
    bridge(R"({"type":"vanto.setCcMap","map":[{"cc":21,"path":"glue.ratio","channel":2}]})");
    bridge(R"({"type":"vanto.diag.subscribe","feeds":["midiIn"],"hz":30})");

    const struct {
        const char* query;
        const char* headers;
        int status;
    } refused[] = {
        {"?channel=2&cc=21&value=127", "", 403},
        {"?channel=0&cc=21&value=127", kBridgeHeaders.c_str(), 400},
        {"?channel=17&cc=21&value=1", kBridgeHeaders.c_str(), 400},
        {"?channel=2&cc=128&value=1", kBridgeHeaders.c_str(), 400},
        {"?channel=2&cc=21&value=-1", kBridgeHeaders.c_str(), 400},
        {"?channel=2&cc=21&value=1x", kBridgeHeaders.c_str(), 400},
        {"?channel=2&cc=21", kBridgeHeaders.c_str(), 400},
    };
    for (const auto& r : refused) {
        EXPECT_EQ(preview.request("POST", std::string("/.vanto-preview/midi-cc") + r.query, r.headers).status,
                  r.status)
            << r.query;
    }
    EXPECT_EQ(
        preview.request("POST", "/.vanto-preview/midi-cc?channel=2&cc=21&value=127", kBridgeHeaders).status,
        204);
    const std::string stream = receiveUntil(
        events,
        [](const std::string& s) {
            return s.find(R"("path":"glue.ratio","value":8)") != std::string::npos &&
                   s.find(R"({"type":"vanto.midiCc","cc":21,"channel":2,"value":127})") != std::string::npos;
        },
        std::chrono::seconds(20));
    EXPECT_NE(stream.find(R"({"type":"vanto.paramChanged","path":"glue.ratio","value":8,"normalized":1})"),
              std::string::npos)
        << stream;
    EXPECT_NE(stream.find(R"({"type":"vanto.midiCc","cc":21,"channel":2,"value":127})"), std::string::npos)
        << stream;
    close(events);
    EXPECT_EQ(preview.interrupt(), 0);
}

TEST_F(PreviewProcessTest, StopsCleanlyOnCtrlCWhileAPageIsConnected) {
    PreviewProcess preview(folder.bundle());
    ASSERT_GT(preview.port, 0);
    const int events = connectFrom("127.0.0.1", preview.port);
    ASSERT_GE(events, 0);
    sendAll(events, "GET /.vanto-preview/events HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(preview.port) +
                        "\r\n\r\n");
    receiveUntil(
        events, [](const std::string& s) { return s.find(": connected") != std::string::npos; },
        std::chrono::seconds(20));
    EXPECT_EQ(preview.interrupt(), 0);
    close(events);
}

} // namespace
} // namespace vanto::test
