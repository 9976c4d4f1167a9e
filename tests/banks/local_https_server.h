// An HTTPS server on 127.0.0.1 for download tests. Its self-signed certificate is made fresh by the
// server and trusted only by clients that are given its CA file.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace vanto::fixtures {

class LocalHttpsServer {
  public:
    // `certificateAddress` is the address the certificate names; another one than 127.0.0.1 makes a
    // server whose certificate is trusted but does not match the host a client connects to.
    explicit LocalHttpsServer(const std::string& certificateAddress = "127.0.0.1");
    ~LocalHttpsServer();
    LocalHttpsServer(const LocalHttpsServer&) = delete;
    LocalHttpsServer& operator=(const LocalHttpsServer&) = delete;

    // Answers GET `path` with `status` and `body`; other paths get 404.
    void serve(const std::string& path, std::vector<uint8_t> body, int status = 200);
    // Like serve(), but each answer is held back until release() or the server's end: a transfer that
    // stalls after the client's request.
    void serveHeld(const std::string& path, std::vector<uint8_t> body);
    void release();
    // "https://127.0.0.1:<port><path>"
    std::string url(const std::string& path) const;
    // PEM file holding the server's self-signed certificate.
    const std::string& caFile() const;
    // GET requests answered so far, for tests that must prove no download happened.
    int requestCount() const;

  private:
    struct State;
    std::unique_ptr<State> state_;
};

} // namespace vanto::fixtures
