// Fetching one resource over HTTPS into memory. Each platform supplies these in its own file.
#pragma once

#include <cstdint>
#include <stop_token>
#include <string>
#include <vector>

namespace vanto {

struct HttpsDownloadLimits {
    std::string caFile;              // trust only these certificates; empty means the system's trust store
    uint64_t maxBytes = 0;           // a larger body is refused
    long connectAndIdleSeconds = 30; // no connection or no data for this long ends the transfer
    long transferSeconds = 300;      // the whole transfer may take no longer
    // Where the transfer runs in a helper program: that program (empty: the one shipped beside the
    // plug-in) and the folder for the body on its way in (empty: the system's temporary folder).
    std::string helperProgram;
    std::string scratchFolder;
};

// The URL's scheme, lower-cased. False when the text is not a URL with a scheme.
bool urlScheme(const std::string& url, std::string& scheme);

// GETs `url`, verifying the server's certificate and host name and following redirects only to HTTPS.
// True with the body when the transfer completed with status 200; otherwise false with `error` set
// ("HTTP 404", the transport's own description, or the size refusal). Where the transfer runs in a
// helper program, a stop requested through `stop` ends the helper and the download fails.
bool downloadOverHttps(const std::string& url, const HttpsDownloadLimits& limits, std::vector<uint8_t>& body,
                       std::string& error, std::stop_token stop = {});

} // namespace vanto
