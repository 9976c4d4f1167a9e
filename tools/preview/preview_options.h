// The command line of dovrel-preview.
#pragma once

#include <cstdio>
#include <string>

namespace vanto::preview {

struct PreviewOptions {
    std::string bundle;              // empty: the default bundle, as dovrel-render picks it
    int port = 0;                    // 0: any free port
    std::string input;               // empty: the built-in demo signal
    double transportStepSeconds = 0; // 0: a steady host transport
    bool help = false;
};

// False with a message in `error` for an unknown option, a missing value, a port outside 0 … 65535 or
// a transport step that is not a positive number of seconds.
bool parsePreviewOptions(int argc, char** argv, PreviewOptions& options, std::string& error);
void printPreviewUsage(std::FILE* to);

} // namespace vanto::preview
