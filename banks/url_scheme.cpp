// Recognising an absolute URL and its scheme without a network library: the plug-in only needs to
// tell https from anything else before handing the URL to the downloader.
#include "banks/https_download.h"

#include <cctype>

namespace vanto {

namespace {

constexpr size_t kMaxSchemeLength = 40;

bool isSchemeCharacter(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '+' || c == '-' || c == '.';
}

// Spaces and control characters are never part of a URL; letting them through would let a document
// smuggle a second line or argument into whatever handles the URL next.
bool hasOnlyVisibleCharacters(const std::string& url) {
    for (char c : url) {
        auto byte = static_cast<unsigned char>(c);
        if (byte <= 0x20 || byte == 0x7f)
            return false;
    }
    return true;
}

// "[user@]host[:port]": a host is required and a port, when given, is a number up to 65535.
bool authorityNamesAHost(const std::string& authority) {
    size_t at = authority.rfind('@');
    std::string hostAndPort = at == std::string::npos ? authority : authority.substr(at + 1);
    if (hostAndPort.empty())
        return false;
    size_t portColon =
        hostAndPort.front() == '[' ? hostAndPort.find(':', hostAndPort.find(']')) : hostAndPort.find(':');
    if (portColon == 0)
        return false;
    if (portColon == std::string::npos)
        return true;
    std::string port = hostAndPort.substr(portColon + 1);
    if (port.size() > 5)
        return false;
    for (char c : port) {
        if (std::isdigit(static_cast<unsigned char>(c)) == 0)
            return false;
    }
    return port.empty() || std::stoul(port) <= 65535;
}

} // namespace

bool urlScheme(const std::string& url, std::string& scheme) {
    scheme.clear();
    if (!hasOnlyVisibleCharacters(url))
        return false;
    size_t colon = url.find(':');
    if (colon == 0 || colon == std::string::npos || colon > kMaxSchemeLength)
        return false;
    for (size_t i = 0; i < colon; ++i) {
        if (!isSchemeCharacter(url[i]))
            return false;
    }
    if (colon + 1 == url.size() || url[colon + 1] != '/')
        return false; // "scheme:" without any slash is not a hierarchical URL, "file:" included
    size_t authorityStart = url.find_first_not_of('/', colon + 1);
    std::string lowered;
    for (size_t i = 0; i < colon; ++i)
        lowered += static_cast<char>(std::tolower(static_cast<unsigned char>(url[i])));
    if (lowered != "file") {
        if (authorityStart == std::string::npos)
            return false;
        size_t authorityEnd = url.find_first_of("/?#", authorityStart);
        if (!authorityNamesAHost(url.substr(authorityStart, authorityEnd - authorityStart)))
            return false;
    }
    scheme = lowered;
    return true;
}

} // namespace vanto
