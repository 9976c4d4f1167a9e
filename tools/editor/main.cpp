// dovrel-editor: shows the editor page in the host's window for the plug-in, which links no toolkit
// itself. See ui/editor_helper.h for its command line.
#include "ui/editor_helper.h"
#include "ui/editor_helper_session.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

bool parseNumber(const char* text, unsigned long long maximum, unsigned long long& value) {
    errno = 0;
    char* end = nullptr;
    value = std::strtoull(text, &end, 10);
    return errno == 0 && end != text && *end == '\0' && text[0] != '-' && value <= maximum;
}

bool parseOptions(int argc, char** argv, vanto::EditorHelperOptions& options) {
    unsigned long long number = 0;
    for (int i = 1; i + 1 < argc; i += 2) {
        const char* name = argv[i];
        const char* value = argv[i + 1];
        if (std::strcmp(name, vanto::kEditorRootOption) == 0) {
            options.root = value;
        } else if (std::strcmp(name, vanto::kEditorUrlOption) == 0) {
            options.url = value;
        } else if (!parseNumber(value, 0xFFFFFFFFull, number)) {
            return false;
        } else if (std::strcmp(name, vanto::kEditorParentOption) == 0) {
            options.parentWindow = static_cast<unsigned long>(number);
        } else if (std::strcmp(name, vanto::kEditorSocketOption) == 0 && number <= 65535) {
            options.socket = static_cast<int>(number);
        } else if (std::strcmp(name, vanto::kEditorWidthOption) == 0 && number <= 65535) {
            options.width = static_cast<int>(number);
        } else if (std::strcmp(name, vanto::kEditorHeightOption) == 0 && number <= 65535) {
            options.height = static_cast<int>(number);
        } else {
            return false;
        }
    }
    return argc % 2 == 1 && options.parentWindow != 0 && options.socket >= 0 && !options.root.empty() &&
           !options.url.empty() && options.width > 0 && options.height > 0;
}

} // namespace

int main(int argc, char** argv) {
    vanto::EditorHelperOptions options;
    if (!parseOptions(argc, argv, options)) {
        std::fprintf(
            stderr, "usage: dovrel-editor --parent WINDOW --socket FD --root FOLDER --url URL --width PIXELS "
                    "--height PIXELS\n");
        return vanto::kEditorHelperUsage;
    }
    return vanto::runEditorHelper(options);
}
