// A TCP port on 127.0.0.1 that takes connections and never says a word: the system completes each
// connection, but nothing reads or answers it, so a client's TLS handshake stalls there until the
// client gives up. For downloads that must be seen to hang, with no certificate involved.
#pragma once

#include <string>

namespace vanto::fixtures {

class SilentListener {
  public:
    SilentListener();
    ~SilentListener();
    SilentListener(const SilentListener&) = delete;
    SilentListener& operator=(const SilentListener&) = delete;

    // "https://127.0.0.1:<port><path>"
    std::string url(const std::string& path) const;

  private:
    int socket_ = -1;
    int port_ = 0;
};

} // namespace vanto::fixtures
