// macOS: the page in a WKWebView inside the host's NSView, in the plug-in's own process. The scheme
// handler serves the UI bundle by the shared rules, the script message handler forwards page
// messages, and the page sink evaluates the delivery script.
#include "ui/bridged_web_view.h"

#include "ui/page_bootstrap.h"
#include "ui/page_delivery.h"
#include "ui/page_url.h"
#include "ui/ui_files.h"

#import <AppKit/AppKit.h>
#import <WebKit/WebKit.h>

#include <cstring>
#include <string>

namespace vanto {

const char* const kEditorPlatformType = "NSView";

} // namespace vanto

@interface VantoSchemeHandler_VantoDovrel : NSObject <WKURLSchemeHandler>
@property(nonatomic, copy) NSString* rootPath;
@end

@implementation VantoSchemeHandler_VantoDovrel
- (void)webView:(WKWebView*)webView startURLSchemeTask:(id<WKURLSchemeTask>)task {
    const std::string root = self.rootPath.UTF8String != nullptr ? self.rootPath.UTF8String : "";
    NSString* path = task.request.URL.path ?: @"";
    const auto file = vanto::readUiFile(root, path.UTF8String != nullptr ? path.UTF8String : "");
    if (!file) {
        [task didFailWithError:[NSError errorWithDomain:NSURLErrorDomain
                                                   code:NSURLErrorFileDoesNotExist
                                               userInfo:nil]];
        return;
    }
    NSURLResponse* response =
        [[[NSURLResponse alloc] initWithURL:task.request.URL
                                   MIMEType:[NSString stringWithUTF8String:file->mimeType.c_str()]
                      expectedContentLength:static_cast<NSInteger>(file->bytes.size())
                           textEncodingName:@"utf-8"] autorelease];
    [task didReceiveResponse:response];
    [task didReceiveData:[NSData dataWithBytes:file->bytes.data() length:file->bytes.size()]];
    [task didFinish];
}
- (void)webView:(WKWebView*)webView stopURLSchemeTask:(id<WKURLSchemeTask>)task {
}
@end

@interface VantoBridgeHandler_VantoDovrel : NSObject <WKScriptMessageHandler>
@property(nonatomic, assign) vanto::BridgeHost* host;
@end

@implementation VantoBridgeHandler_VantoDovrel
- (void)userContentController:(WKUserContentController*)controller
      didReceiveScriptMessage:(WKScriptMessage*)message {
    if (self.host == nullptr || ![message.body isKindOfClass:[NSString class]]) {
        return;
    }
    const char* text = [(NSString*)message.body UTF8String];
    if (text != nullptr) {
        self.host->handleBridgeMessage(text, std::strlen(text));
    }
}
@end

namespace vanto {

namespace {

class WKBridgedWebView final : public BridgedWebView {
  public:
    WKBridgedWebView(BridgeHost* host, WKWebView* view, VantoBridgeHandler_VantoDovrel* bridge)
        : host_(host), view_([view retain]), bridge_([bridge retain]) {}

    ~WKBridgedWebView() override {
        host_->onEditorClosed();
        host_->setBridgeSink({});
        bridge_.host = nullptr;
        [view_.configuration.userContentController removeScriptMessageHandlerForName:@"vanto"];
        [view_ removeFromSuperview];
        [view_ release];
        [bridge_ release];
    }

    void setSize(int32_t width, int32_t height) override { [view_ setFrameSize:NSMakeSize(width, height)]; }

    // WebKit and the timers run on the main run loop itself: nothing waits to be moved.
    void pump() override {}

  private:
    BridgeHost* host_;
    WKWebView* view_;
    VantoBridgeHandler_VantoDovrel* bridge_;
};

} // namespace

std::unique_ptr<BridgedWebView> vantoCreateBridgedWebView(BridgeHost* host, const std::string& root,
                                                          void* parent, EditorRect rect,
                                                          Steinberg::FUnknown* /*frame*/) {
    if (host == nullptr) {
        return nullptr;
    }
    if (root.empty()) {
        host->onEditorError("no ui root");
        return nullptr;
    }
    auto* scheme = [[[VantoSchemeHandler_VantoDovrel alloc] init] autorelease];
    scheme.rootPath = [NSString stringWithUTF8String:root.c_str()];
    auto* bridge = [[[VantoBridgeHandler_VantoDovrel alloc] init] autorelease];
    bridge.host = host;
    WKUserContentController* content = [[[WKUserContentController alloc] init] autorelease];
    [content addScriptMessageHandler:bridge name:@"vanto"];
    [content addUserScript:[[[WKUserScript alloc] initWithSource:@(kPageBootstrapScript)
                                                   injectionTime:WKUserScriptInjectionTimeAtDocumentStart
                                                forMainFrameOnly:YES] autorelease]];
    WKWebViewConfiguration* configuration = [[[WKWebViewConfiguration alloc] init] autorelease];
    configuration.userContentController = content;
    [configuration setURLSchemeHandler:scheme forURLScheme:@(kUiUrlScheme)];
    const NSRect frame = NSMakeRect(0, 0, rect.right - rect.left, rect.bottom - rect.top);
    WKWebView* view = [[[WKWebView alloc] initWithFrame:frame configuration:configuration] autorelease];
    if (view == nil) {
        host->onEditorError("webview allocation failed");
        return nullptr;
    }
    view.autoresizingMask = NSViewWidthSizable | NSViewHeightSizable;
    [static_cast<NSView*>(parent) addSubview:view];
    auto bridged = std::make_unique<WKBridgedWebView>(host, view, bridge);
    host->setBridgeSink([view](const std::string& message) {
        if (const auto script = pageDeliveryScript(message)) {
            [view evaluateJavaScript:@(script->c_str()) completionHandler:nil];
        }
    });
    const std::string url = uiPageUrl(root);
    [view loadRequest:[NSURLRequest requestWithURL:[NSURL URLWithString:@(url.c_str())]]];
    host->onEditorOpened();
    return bridged;
}

} // namespace vanto
