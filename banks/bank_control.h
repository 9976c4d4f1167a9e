// The controller's coordinator of sample banks. It answers the editor page's bank messages, asks the
// processor to load folder and hosted banks, keeps what the processor reports about the loaded bank,
// applies bank presets to the parameters, forwards pad overrides, and publishes all of it to the page
// as one "vanto.bankState" document. It reaches the controller only through BankControlHost and runs
// on the controller's thread. A hosted download runs on a thread of its own, so that thread never waits
// for the network; the controller's cadence tick collects its result. One download at a time: a bank
// request while one runs (or while too many replies are awaited) is answered at once as busy.
#pragma once

#include "banks/background_job.h"
#include "banks/bank_control_facts.h"
#include "banks/bank_control_host.h"
#include "banks/hosted_bank_fetch.h"
#include "banks/sampler_pad_overrides.h"
#include "controller/bridge_message.h"

#include <deque>
#include <string>

namespace vanto {

class BankControl {
  public:
    explicit BankControl(BankControlHost& host);

    // Which certificates hosted downloads trust and how large they may be.
    void setHostedBankFetchOptions(const HostedBankFetchOptions& options);

    // True when the message was a bank message and has been handled; otherwise the controller goes on
    // with its own dispatch.
    bool handleMessage(const BridgeMessage& message);

    // Sends the bank state document to the page; `reason` null means "query".
    void sendBankState(const char* reason = nullptr, const char* errorCode = nullptr,
                       const char* requestedId = nullptr);

    // Takes in the processor's answer to the oldest bank request it has not answered yet, and tells the
    // page.
    void adoptRuntimeBankReply(const std::string& text);

    // A hosted download that has ended goes on as a request would have: its bank is requested from the
    // processor, or the page learns that the fetch failed. Called by the controller's cadence tick.
    void collectFinishedFetch();
    // Ends a running hosted download without a word to the page: its helper program is stopped, its
    // scratch files removed and its thread joined before this returns. Also done on destruction.
    void cancelFetch();

    // The pad overrides of a restored state (the caller then sends the state with reason "restore").
    void adoptRestoredPadOverrides(const SamplerPadOverrides& overrides);
    const SamplerPadOverrides& padOverrides() const;

    // The id of the bank preset applied last (empty before the first).
    const std::string& selectedPresetId() const;

    // Forgets the loaded bank and the request that led to it.
    void clearRuntimeFacts();

    // Asks the processor for a folder or hosted bank; a hosted bank is fetched into the cache first, in
    // the background.
    void handleRuntimeBank(const std::string& source, const std::string& bankPath,
                           const std::string& instrument, const std::string& url, const std::string& sha256);
    // Applies a preset of the loaded bank, asking for its instrument when another one is loaded.
    void handleBankPreset(const std::string& id);
    void handlePickFolder();
    // A bank compiled into the plug-in; this build has none.
    void handleCompiledBank(const std::string& id);

  private:
    const BankControlPreset* findPreset(const std::string& id) const;
    void applyPresetParams(const BankControlPreset& preset);
    bool busy() const;
    void startFetch(const BankRequest& request);
    // Sends the request for the bank in `path` (the folder itself, or a hosted bank's cache folder).
    void requestFromProcessor(const BankRequest& request, const std::string& path);

    BankControlHost& host_;
    HostedBankFetchOptions fetchOptions_;
    bool hasRuntime_ = false;
    BankRequest request_; // the request that led to the loaded bank
    // Requests sent to the processor, oldest first; its replies come in the same order.
    std::deque<BankRequest> awaitedReplies_;
    BankRequest fetchRequest_; // the hosted request being downloaded
    // The download: the bank's cache folder, empty when the fetch failed.
    BackgroundJob<std::string> fetch_;
    LoadedBankFacts bank_;
    std::string selectedPresetId_;
    SamplerPadOverrides padOverrides_;
};

} // namespace vanto
