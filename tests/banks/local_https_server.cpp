#include "banks/local_https_server.h"

#include "banks/temp_folder.h"

#include <httplib.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <map>
#include <mutex>
#include <stdexcept>
#include <thread>

namespace vanto::fixtures {

namespace {

struct Response {
    int status = 200;
    std::vector<uint8_t> body;
    bool held = false;
};

using KeyPtr = std::unique_ptr<EVP_PKEY, void (*)(EVP_PKEY*)>;
using CertificatePtr = std::unique_ptr<X509, void (*)(X509*)>;

void require(bool condition, const char* what) {
    if (!condition)
        throw std::runtime_error(std::string("test certificate: ") + what);
}

void addExtension(X509* certificate, int nid, const char* value) {
    X509V3_CTX context;
    X509V3_set_ctx_nodb(&context);
    X509V3_set_ctx(&context, certificate, certificate, nullptr, nullptr, 0);
    X509_EXTENSION* extension = X509V3_EXT_conf_nid(nullptr, &context, nid, value);
    require(extension != nullptr && X509_add_ext(certificate, extension, -1) == 1, "extension");
    X509_EXTENSION_free(extension);
}

// Self-signed, valid for a day, naming the address both as common name and as IP subject-alt-name.
CertificatePtr makeCertificate(EVP_PKEY* key, const std::string& address) {
    CertificatePtr certificate(X509_new(), X509_free);
    require(certificate != nullptr, "allocation");
    X509_set_version(certificate.get(), 2);
    ASN1_INTEGER_set(X509_get_serialNumber(certificate.get()), 1);
    X509_gmtime_adj(X509_getm_notBefore(certificate.get()), -3600);
    X509_gmtime_adj(X509_getm_notAfter(certificate.get()), 86400);
    X509_set_pubkey(certificate.get(), key);
    X509_NAME* name = X509_get_subject_name(certificate.get());
    X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC,
                               reinterpret_cast<const unsigned char*>(address.c_str()), -1, -1, 0);
    X509_set_issuer_name(certificate.get(), name);
    addExtension(certificate.get(), NID_basic_constraints, "critical,CA:TRUE");
    addExtension(certificate.get(), NID_key_usage, "critical,digitalSignature,keyCertSign");
    addExtension(certificate.get(), NID_subject_alt_name, ("IP:" + address).c_str());
    require(X509_sign(certificate.get(), key, EVP_sha256()) > 0, "signature");
    return certificate;
}

void writePem(const std::string& path, X509* certificate) {
    std::FILE* file = std::fopen(path.c_str(), "w");
    require(file != nullptr, "CA file");
    bool written = PEM_write_X509(file, certificate) == 1;
    std::fclose(file);
    require(written, "CA file");
}

} // namespace

struct LocalHttpsServer::State {
    TempFolder folder;
    std::string caFile;
    KeyPtr key{EVP_EC_gen("P-256"), EVP_PKEY_free};
    CertificatePtr certificate{nullptr, X509_free};
    std::unique_ptr<httplib::SSLServer> server;
    std::thread thread;
    int port = 0;
    std::mutex mutex;
    std::map<std::string, Response> responses;
    std::atomic<int> requests{0};
    std::condition_variable releasedChanged;
    bool released = false;
};

LocalHttpsServer::LocalHttpsServer(const std::string& certificateAddress)
    : state_(std::make_unique<State>()) {
    require(state_->key != nullptr, "key");
    state_->certificate = makeCertificate(state_->key.get(), certificateAddress);
    state_->caFile = state_->folder.at("ca.pem");
    writePem(state_->caFile, state_->certificate.get());
    state_->server = std::make_unique<httplib::SSLServer>(state_->certificate.get(), state_->key.get());
    require(state_->server->is_valid(), "server context");
    State* state = state_.get();
    state_->server->Get(".*", [state](const httplib::Request& request, httplib::Response& response) {
        ++state->requests;
        std::unique_lock<std::mutex> lock(state->mutex);
        auto found = state->responses.find(request.path);
        if (found == state->responses.end()) {
            response.status = 404;
            return;
        }
        if (found->second.held)
            state->releasedChanged.wait(lock, [state] { return state->released; });
        response.status = found->second.status;
        response.set_content(std::string(found->second.body.begin(), found->second.body.end()),
                             "application/octet-stream");
    });
    state_->port = state_->server->bind_to_any_port("127.0.0.1");
    require(state_->port > 0, "bind");
    state_->thread = std::thread([state] { state->server->listen_after_bind(); });
    // stop() only reaches a server that is already listening.
    for (int attempt = 0; attempt < 500 && !state_->server->is_running(); ++attempt)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
}

LocalHttpsServer::~LocalHttpsServer() {
    release();
    state_->server->stop();
    if (state_->thread.joinable())
        state_->thread.join();
}

void LocalHttpsServer::serve(const std::string& path, std::vector<uint8_t> body, int status) {
    std::lock_guard<std::mutex> lock(state_->mutex);
    state_->responses[path] = {status, std::move(body)};
}

void LocalHttpsServer::serveHeld(const std::string& path, std::vector<uint8_t> body) {
    std::lock_guard<std::mutex> lock(state_->mutex);
    state_->responses[path] = {200, std::move(body), true};
}

void LocalHttpsServer::release() {
    {
        std::lock_guard<std::mutex> lock(state_->mutex);
        state_->released = true;
    }
    state_->releasedChanged.notify_all();
}

std::string LocalHttpsServer::url(const std::string& path) const {
    return "https://127.0.0.1:" + std::to_string(state_->port) + path;
}

const std::string& LocalHttpsServer::caFile() const {
    return state_->caFile;
}

int LocalHttpsServer::requestCount() const {
    return state_->requests.load();
}

} // namespace vanto::fixtures
