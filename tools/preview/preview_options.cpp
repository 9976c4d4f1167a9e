#include "preview_options.h"

#include <charconv>

namespace vanto::preview {

namespace {

bool readPort(const std::string& text, int& port) {
    const char* end = text.data() + text.size();
    const auto [stop, failure] = std::from_chars(text.data(), end, port);
    return failure == std::errc() && stop == end && port >= 0 && port <= 65535;
}

bool readStepSeconds(const std::string& text, double& seconds) {
    const char* end = text.data() + text.size();
    const auto [stop, failure] = std::from_chars(text.data(), end, seconds);
    return failure == std::errc() && stop == end && seconds > 0 && seconds < 3600;
}

} // namespace

bool parsePreviewOptions(int argc, char** argv, PreviewOptions& options, std::string& error) {
    for (int index = 1; index < argc; ++index) {
        const std::string arg = argv[index];
        if (arg == "--help" || arg == "-h") {
            options.help = true;
            continue;
        }
        if (arg != "--bundle" && arg != "--port" && arg != "--input" && arg != "--transport-steps") {
            error = "unknown argument " + arg;
            return false;
        }
        if (index + 1 >= argc) {
            error = arg + " needs a value";
            return false;
        }
        const std::string value = argv[++index];
        if (arg == "--bundle") {
            options.bundle = value;
        } else if (arg == "--input") {
            options.input = value;
        } else if (arg == "--transport-steps") {
            if (!readStepSeconds(value, options.transportStepSeconds)) {
                error = "--transport-steps needs a number of seconds above 0, got \"" + value + "\"";
                return false;
            }
        } else if (!readPort(value, options.port)) {
            error = "--port needs a number from 0 to 65535, got \"" + value + "\"";
            return false;
        }
    }
    return true;
}

void printPreviewUsage(std::FILE* to) {
    std::fprintf(to,
                 "usage: dovrel-preview [--bundle PATH] [--port N] [--input FILE.wav] [--transport-steps S]\n"
                 "\n"
                 "Runs the Dovrel plug-in as a host does, plays the built-in demo (or FILE.wav, looped)\n"
                 "through it in real time and serves its editor page on http://127.0.0.1:PORT/ for any\n"
                 "browser. Stop it with Ctrl-C.\n"
                 "\n"
                 "  --bundle PATH  the plug-in bundle (default: ~/.vst3/Dovrel.vst3 when installed,\n"
                 "                 else the bundle of this build)\n"
                 "  --port N       the port to listen on (default: a free one)\n"
                 "  --input FILE   an audio file to loop instead of the demo signal\n"
                 "  --transport-steps S\n"
                 "                 play a changing host transport, S seconds per step: 120 BPM 4/4,\n"
                 "                 100 BPM, 3/4, stopped, and round again (default: 120 BPM 4/4 playing)\n");
}

} // namespace vanto::preview
