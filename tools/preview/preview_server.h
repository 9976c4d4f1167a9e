// The preview's web server on 127.0.0.1: the page's folder (HTML pages with the preview scripts
// added), the bootstrap and shim scripts, the controller's messages as server-sent events and the
// pages' messages by POST. It answers only peers on 127.0.0.1 that name this server in their Host
// header, so neither another machine nor a web site in the same browser can reach the plug-in.
#pragma once

#include "injected_controllers.h"
#include "page_channel.h"

#include <filesystem>
#include <memory>
#include <string>

namespace httplib {
class Server;
}

namespace vanto::preview {

class PreviewServer {
  public:
    // `uiRoot` is the real path of the page's folder.
    PreviewServer(std::filesystem::path uiRoot, PageMessageQueue& toController,
                  EventBroadcast& fromController, InjectedControllerQueue& midiIn);
    ~PreviewServer();
    PreviewServer(const PreviewServer&) = delete;
    PreviewServer& operator=(const PreviewServer&) = delete;

    // Binds 127.0.0.1:port (0: any free port); the bound port, or -1.
    int bind(int port);
    // Serves until stop(); call on a thread of its own after bind().
    void serve();
    void stop();

  private:
    void route();

    std::filesystem::path uiRoot;
    PageMessageQueue& toController;
    EventBroadcast& fromController;
    InjectedControllerQueue& midiIn;
    std::unique_ptr<httplib::Server> server;
    int port = -1;
};

} // namespace vanto::preview
