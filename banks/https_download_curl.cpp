// HTTPS downloads through libcurl, inside the bank fetch helper program.
#include "banks/https_download.h"

#include <curl/curl.h>
#include <memory>
#include <mutex>

namespace vanto {

namespace {

void initialiseCurlOnce() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

struct EasyHandleCleanup {
    void operator()(CURL* handle) const { curl_easy_cleanup(handle); }
};

struct BodySink {
    std::vector<uint8_t>* body;
    uint64_t maxBytes;
    bool tooLarge = false;
};

size_t appendToBody(char* data, size_t size, size_t count, void* context) {
    auto* sink = static_cast<BodySink*>(context);
    size_t bytes = size * count;
    if (sink->body->size() + bytes > sink->maxBytes) {
        sink->tooLarge = true;
        return 0; // makes curl abort the transfer
    }
    sink->body->insert(sink->body->end(), data, data + bytes);
    return bytes;
}

void configureTransfer(CURL* curl, const std::string& url, const HttpsDownloadLimits& limits, BodySink& sink,
                       char* errorText) {
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "https");
    curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "https");
    curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(curl, CURLOPT_MAXREDIRS, 5L);
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, 2L);
    if (!limits.caFile.empty()) {
        curl_easy_setopt(curl, CURLOPT_CAINFO, limits.caFile.c_str());
        curl_easy_setopt(curl, CURLOPT_CAPATH, nullptr);
    }
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, limits.connectAndIdleSeconds);
    // Less than one byte per second for the idle period counts as a stalled transfer.
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, limits.connectAndIdleSeconds);
    curl_easy_setopt(curl, CURLOPT_TIMEOUT, limits.transferSeconds);
    curl_easy_setopt(curl, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(limits.maxBytes));
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, appendToBody);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &sink);
    curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, errorText);
    // Signals would reach the host application; timeouts must not use them.
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
}

} // namespace

// The transfer itself, inside the bank fetch helper program, which is stopped as a whole.
bool downloadOverHttps(const std::string& url, const HttpsDownloadLimits& limits, std::vector<uint8_t>& body,
                       std::string& error, std::stop_token /*stop*/) {
    body.clear();
    error.clear();
    initialiseCurlOnce();
    std::unique_ptr<CURL, EasyHandleCleanup> curl(curl_easy_init());
    if (!curl) {
        error = "download failed";
        return false;
    }
    BodySink sink{&body, limits.maxBytes};
    char errorText[CURL_ERROR_SIZE] = {};
    configureTransfer(curl.get(), url, limits, sink, errorText);
    CURLcode result = curl_easy_perform(curl.get());
    if (sink.tooLarge || result == CURLE_FILESIZE_EXCEEDED) {
        error = "the download is larger than the limit of " + std::to_string(limits.maxBytes) + " bytes";
    } else if (result != CURLE_OK) {
        error = errorText[0] != '\0' ? errorText : curl_easy_strerror(result);
    } else {
        long status = 0;
        curl_easy_getinfo(curl.get(), CURLINFO_RESPONSE_CODE, &status);
        if (status != 200)
            error = "HTTP " + std::to_string(status);
    }
    if (!error.empty())
        body.clear();
    return error.empty();
}

} // namespace vanto
