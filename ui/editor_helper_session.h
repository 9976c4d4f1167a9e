// The editor helper's one session: the web view with the page embedded into the host's window, served
// and bridged to the plug-in over the socket until the socket closes.
#pragma once

#include <string>

namespace vanto {

struct EditorHelperOptions {
    unsigned long parentWindow = 0;
    int socket = -1;
    std::string root;
    std::string url;
    int width = 0;
    int height = 0;
};

// Runs the session; returns the helper's exit status.
int runEditorHelper(const EditorHelperOptions& options);

} // namespace vanto
