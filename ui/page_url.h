// The address the editor page is loaded from. Its host part is derived from the UI root, so two
// installations never share the page's web storage.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace vanto {

// The URL scheme the web view serves the UI bundle through.
inline constexpr const char* kUiUrlScheme = "vanto-ui";

// 64-bit FNV-1a over the bytes of `rootPath`.
uint64_t uiRootHash(std::string_view rootPath);

// "vanto-ui://bundle-<16 lower-case hex digits of the root's hash>/index.html".
std::string uiPageUrl(std::string_view rootPath);

} // namespace vanto
