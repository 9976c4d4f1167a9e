// The controller's bank requests, waiting in turn while each one's pack is read on a thread of its own,
// so that a slow or hung disk never holds up the host's main thread. Requests are answered in the
// order they came, which is the order the controller matches replies to its requests. Everything here
// but the reading runs on the main thread.
#pragma once

#include "banks/background_job.h"
#include "banks/staged_bank.h"
#include "processor/runtime_bank_request.h"

#include <cstddef>
#include <deque>
#include <optional>

namespace vanto {

class RuntimeBankRequestQueue {
  public:
    // More requests than the controller ever leaves unanswered, so that only a misbehaving sender is
    // turned away.
    static constexpr std::size_t kMaxWaiting = 8;

    struct Answer {
        RuntimeBankRequest request;
        RuntimeBankLoad load;
    };

    // Queues the request and starts reading its pack when none is being read. False, with nothing
    // queued, when kMaxWaiting requests are waiting already.
    bool push(RuntimeBankRequest request);
    // The oldest request, once its pack has been read; reading the next one then starts. Never waits.
    std::optional<Answer> takeAnswered();

  private:
    void startReading() noexcept;

    std::deque<RuntimeBankRequest> waiting_; // the front one is being read
    // The answer for the front request when no thread could be started to read it.
    std::optional<RuntimeBankLoad> unread_;
    BackgroundJob<RuntimeBankLoad> reader_;
};

} // namespace vanto
