#include "support/strict_json.h"

#include <array>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>

namespace vanto::test {

namespace {

// Reads length-prefixed documents ("<bytes>\n" then the bytes) and prints one line per document:
// "ok" or the complaint.
constexpr const char* kCheckerScript =
    "import json, sys\n"
    "def refuse(name):\n"
    "    raise ValueError('non-standard constant ' + name)\n"
    "data = open(sys.argv[1], 'rb').read()\n"
    "at = 0\n"
    "while at < len(data):\n"
    "    newline = data.index(b'\\n', at)\n"
    "    size = int(data[at:newline])\n"
    "    document = data[newline + 1:newline + 1 + size]\n"
    "    at = newline + 1 + size\n"
    "    try:\n"
    "        json.loads(document.decode('utf-8', 'strict'), parse_constant=refuse)\n"
    "        print('ok')\n"
    "    except Exception as e:\n"
    "        print((type(e).__name__ + ': ' + str(e)).replace('\\n', ' '))\n";

// The documents travel through a temporary file, which keeps their bytes away from the shell.
struct TemporaryFile {
    char path[64] = "/tmp/dovrel-json-XXXXXX";
    int fd = mkstemp(path);
    ~TemporaryFile() {
        if (fd >= 0) {
            close(fd);
            unlink(path);
        }
    }
};

bool writeAll(int fd, const std::string& text) {
    std::size_t written = 0;
    while (written < text.size()) {
        const ssize_t n = write(fd, text.data() + written, text.size() - written);
        if (n <= 0) {
            return false;
        }
        written += static_cast<std::size_t>(n);
    }
    return true;
}

std::vector<std::string> failAll(std::size_t count, const std::string& reason) {
    return std::vector<std::string>(count, reason);
}

} // namespace

std::vector<std::string> strictJsonErrors(const std::vector<std::string>& documents) {
    std::string records;
    for (const std::string& document : documents) {
        records += std::to_string(document.size()) + "\n" + document;
    }
    TemporaryFile script;
    TemporaryFile data;
    if (script.fd < 0 || data.fd < 0 || !writeAll(script.fd, kCheckerScript) || !writeAll(data.fd, records)) {
        return failAll(documents.size(), "could not write temporary files for the JSON checker");
    }
    const std::string command = std::string("python3 ") + script.path + " " + data.path + " 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) {
        return failAll(documents.size(), "could not start python3");
    }
    std::string output;
    std::array<char, 256> buffer;
    while (const std::size_t n = std::fread(buffer.data(), 1, buffer.size(), pipe)) {
        output.append(buffer.data(), n);
    }
    if (pclose(pipe) != 0) {
        return failAll(documents.size(), "JSON checker failed: " + output);
    }
    std::vector<std::string> errors;
    for (std::size_t at = 0; at < output.size();) {
        const std::size_t newline = output.find('\n', at);
        const std::string line = output.substr(at, newline - at);
        errors.push_back(line == "ok" ? std::string() : line);
        at = newline == std::string::npos ? output.size() : newline + 1;
    }
    if (errors.size() != documents.size()) {
        return failAll(documents.size(), "JSON checker answered unexpectedly: " + output);
    }
    return errors;
}

std::string strictJsonError(const std::string& document) {
    return strictJsonErrors({document}).front();
}

} // namespace vanto::test
