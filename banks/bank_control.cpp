#include "banks/bank_control.h"

#include "banks/bank_control_reply.h"
#include "banks/bank_state_json.h"
#include "banks/folder_picker_json.h"
#include "kernel/param_table.h"

namespace vanto {

namespace {

constexpr const char* kSourceHosted = "hosted";
constexpr const char* kSourceEmbedded = "embedded";
constexpr const char* kBankBusy = "bank-busy";
// Requests the processor has not answered yet beyond which a new one is answered as busy.
constexpr std::size_t kMaxAwaitedReplies = 4;

// The request travels to the processor as line-separated fields, so a field holding a line feed
// would shift every field after it.
bool fitsOneRequestField(const std::string& text) {
    return text.find('\n') == std::string::npos;
}

} // namespace

BankControl::BankControl(BankControlHost& host) : host_(host) {}

void BankControl::setHostedBankFetchOptions(const HostedBankFetchOptions& options) {
    fetchOptions_ = options;
}

bool BankControl::handleMessage(const BridgeMessage& message) {
    const std::string& type = message.type;
    if (type == "vanto.setPadOverrides" && message.hasPads) {
        // The processor must hold the overrides before the page is told they apply.
        if (host_.applyPadOverrides(message.pads)) {
            padOverrides_ = message.pads;
            sendBankState("setPadOverrides");
        }
        return true;
    }
    if (type == "vanto.loadBankPreset" && !message.id.empty()) {
        handleBankPreset(message.id);
        return true;
    }
    if (type == "vanto.loadBank" && !message.source.empty() && message.source != kSourceEmbedded) {
        handleRuntimeBank(message.source, message.bankPath, message.instrument, message.url, message.sha256);
        return true;
    }
    if (type == "vanto.loadBank" && !message.id.empty()) {
        handleCompiledBank(message.id);
        return true;
    }
    if (type == "vanto.pickFolder") {
        handlePickFolder();
        return true;
    }
    if (type == "vanto.getBankState") {
        sendBankState("query");
        return true;
    }
    return false;
}

void BankControl::sendBankState(const char* reason, const char* errorCode, const char* requestedId) {
    std::string json;
    writeBankStateJson(json, BankStateView{padOverrides_, hasRuntime_, request_, bank_}, reason, errorCode,
                       requestedId);
    host_.sendBankJson(json);
}

void BankControl::adoptRuntimeBankReply(const std::string& text) {
    std::string outcome;
    LoadedBankFacts bank;
    if (!parseRuntimeBankReply(text, outcome, bank))
        return;
    BankRequest answered;
    if (!awaitedReplies_.empty()) {
        answered = std::move(awaitedReplies_.front());
        awaitedReplies_.pop_front();
    }
    if (outcome == "ok") {
        hasRuntime_ = true;
        request_ = std::move(answered);
        bank_ = std::move(bank);
        sendBankState("loadBank");
        return;
    }
    std::string requestedId = !answered.instrument.empty() ? answered.instrument : answered.locator;
    clearRuntimeFacts();
    sendBankState("loadBank", outcome.c_str(), requestedId.c_str());
}

void BankControl::collectFinishedFetch() {
    std::optional<std::string> path = fetch_.takeFinished();
    if (!path)
        return;
    // The fetcher's reason stays here: the page only learns which address failed.
    if (path->empty()) {
        sendBankState("loadBank", "bank-fetch-failed", fetchRequest_.locator.c_str());
        return;
    }
    requestFromProcessor(fetchRequest_, *path);
}

void BankControl::cancelFetch() {
    fetch_.cancel();
}

void BankControl::adoptRestoredPadOverrides(const SamplerPadOverrides& overrides) {
    padOverrides_ = overrides;
}

const SamplerPadOverrides& BankControl::padOverrides() const {
    return padOverrides_;
}

const std::string& BankControl::selectedPresetId() const {
    return selectedPresetId_;
}

void BankControl::clearRuntimeFacts() {
    hasRuntime_ = false;
    request_ = BankRequest();
    bank_ = LoadedBankFacts();
}

void BankControl::handleRuntimeBank(const std::string& source, const std::string& bankPath,
                                    const std::string& instrument, const std::string& url,
                                    const std::string& sha256) {
    const bool hosted = source == kSourceHosted;
    const BankRequest request{source, hosted ? url : bankPath, sha256, instrument};
    if (busy()) {
        sendBankState("loadBank", kBankBusy, request.locator.c_str());
        return;
    }
    if (hosted) {
        startFetch(request);
        return;
    }
    requestFromProcessor(request, bankPath);
}

bool BankControl::busy() const {
    return fetch_.busy() || awaitedReplies_.size() >= kMaxAwaitedReplies;
}

void BankControl::startFetch(const BankRequest& request) {
    fetchRequest_ = request;
    auto fetch = [request, options = fetchOptions_](std::stop_token stop) {
        std::string path;
        std::string error;
        fetchHostedBank(request.locator, request.sha256, path, error, options, std::move(stop));
        return path;
    };
    if (!fetch_.start(std::move(fetch), std::string()))
        sendBankState("loadBank", "bank-fetch-failed", request.locator.c_str());
}

void BankControl::requestFromProcessor(const BankRequest& request, const std::string& path) {
    bool expressible = fitsOneRequestField(request.source) && fitsOneRequestField(path) &&
                       fitsOneRequestField(request.sha256) && fitsOneRequestField(request.instrument);
    if (path.empty() || !expressible) {
        sendBankState("loadBank", "bank-missing", request.source.c_str());
        return;
    }
    // Awaited before it is sent: a host may deliver the reply before the send returns.
    awaitedReplies_.push_back(request);
    if (!host_.requestRuntimeBank(request.source, path, request.sha256, request.instrument))
        awaitedReplies_.pop_back();
}

void BankControl::handleBankPreset(const std::string& id) {
    const BankControlPreset* found = findPreset(id);
    if (found == nullptr) {
        sendBankState("loadBank", "bank-missing", id.c_str());
        return;
    }
    // A re-request below may replace the bank's facts, so work on a copy.
    const BankControlPreset preset = *found;
    bool otherInstrument = !preset.instrument.empty() && preset.instrument != bank_.instrumentId;
    bool reRequested = otherInstrument && !request_.source.empty() && !request_.locator.empty();
    // A preset whose instrument cannot be asked for now is not applied halfway.
    if (reRequested && busy()) {
        sendBankState("loadBank", kBankBusy, preset.id.c_str());
        return;
    }
    if (reRequested) {
        const BankRequest request = request_;
        handleRuntimeBank(request.source, request.locator, preset.instrument, request.locator,
                          request.sha256);
    }
    applyPresetParams(preset);
    selectedPresetId_ = preset.id;
    host_.notePresetSelected(preset.id, preset.name);
    // After a re-request the processor's reply brings its own state document.
    if (!reRequested)
        sendBankState("loadBank");
}

void BankControl::handlePickFolder() {
    std::string path;
    std::string error;
    bool ok = host_.pickFolder(path, error);
    std::string json;
    writeFolderPickedJson(json, ok, path, error);
    host_.sendBankJson(json);
}

void BankControl::handleCompiledBank(const std::string& id) {
    sendBankState("loadBank", "bank-missing", id.c_str());
}

const BankControlPreset* BankControl::findPreset(const std::string& id) const {
    for (const BankControlPreset& preset : bank_.presets) {
        if (preset.id == id)
            return &preset;
    }
    return nullptr;
}

void BankControl::applyPresetParams(const BankControlPreset& preset) {
    for (const auto& [path, value] : preset.params) {
        if (const vanto_param_desc* desc = vanto_param_find(path.c_str()))
            host_.editParam(desc->id, value);
    }
}

} // namespace vanto
