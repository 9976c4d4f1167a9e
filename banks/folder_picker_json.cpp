#include "banks/folder_picker_json.h"

#include "encoding/json_writer.h"

namespace vanto {

void writeFolderPickedJson(std::string& out, bool ok, const std::string& path, const std::string& error) {
    out += "{\"type\":\"vanto.folderPicked\",\"ok\":";
    if (ok) {
        out += "true,\"path\":";
        jsonAppendQuotedBytes(out, path.data(), path.size());
    } else if (error.empty()) {
        out += "false,\"cancelled\":true";
    } else {
        out += "false,\"error\":";
        jsonAppendQuotedBytes(out, error.data(), error.size());
    }
    out += '}';
}

} // namespace vanto
