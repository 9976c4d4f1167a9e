#include "page_scripts.h"

#include <algorithm>
#include <cctype>

namespace vanto::preview {

const char kPreviewShimScript[] = R"js((function () {
  'use strict';
  var events = new EventSource('/.vanto-preview/events');
  var opened = new Promise(function (resolve) { events.addEventListener('open', resolve, { once: true }); });
  var sending = opened;
  events.onmessage = function (event) {
    var message;
    try { message = JSON.parse(event.data); } catch (error) { return; }
    if (window.vantoHost) { window.vantoHost._deliver(message); }
  };
  // Messages go one after another, in the order the page posted them.
  function post(text) {
    return fetch('/.vanto-preview/bridge', {
      method: 'POST',
      headers: { 'Content-Type': 'text/plain;charset=utf-8', 'X-Vanto-Bridge': '1' },
      body: text
    }).catch(function () {});
  }
  window.webkit = window.webkit || {};
  window.webkit.messageHandlers = window.webkit.messageHandlers || {};
  window.webkit.messageHandlers.vanto = {
    postMessage: function (text) {
      if (typeof text !== 'string') { return; }
      sending = sending.then(function () { return post(text); });
    }
  };
})();
)js";

namespace {

// Where the opening tag `name` (as in "<head" or "<head ...>") ends, or npos.
std::size_t endOfOpeningTag(std::string_view html, std::string_view name) {
    std::string lower(html);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    for (std::size_t at = lower.find(name); at != std::string::npos; at = lower.find(name, at + 1)) {
        const std::size_t next = at + name.size();
        if (next < lower.size() &&
            (lower[next] == '>' || std::isspace(static_cast<unsigned char>(lower[next])))) {
            const std::size_t close = lower.find('>', next);
            return close == std::string::npos ? std::string::npos : close + 1;
        }
    }
    return std::string::npos;
}

} // namespace

std::string withPreviewScripts(std::string_view html) {
    const std::string tags = std::string("<script src=\"") + std::string(kShimPath) +
                             "\"></script><script src=\"" + std::string(kBootstrapPath) + "\"></script>";
    std::size_t at = endOfOpeningTag(html, "<head");
    if (at == std::string::npos) {
        at = endOfOpeningTag(html, "<html");
    }
    if (at == std::string::npos) {
        at = 0;
    }
    std::string out(html.substr(0, at));
    out += tags;
    out += html.substr(at);
    return out;
}

} // namespace vanto::preview
