#include "processor/runtime_bank_request_queue.h"

#include "processor/requested_bank_read.h"

#include <exception>
#include <utility>

namespace vanto {

namespace {

RuntimeBankLoad failedRead(const char* why) {
    RuntimeBankLoad load;
    load.error = why;
    return load;
}

} // namespace

bool RuntimeBankRequestQueue::push(RuntimeBankRequest request) {
    if (waiting_.size() >= kMaxWaiting) {
        return false;
    }
    waiting_.push_back(std::move(request));
    if (waiting_.size() == 1) {
        startReading();
    }
    return true;
}

std::optional<RuntimeBankRequestQueue::Answer> RuntimeBankRequestQueue::takeAnswered() {
    std::optional<RuntimeBankLoad> load =
        unread_ ? std::exchange(unread_, std::nullopt) : reader_.takeFinished();
    if (!load) {
        return std::nullopt;
    }
    Answer answer{std::move(waiting_.front()), std::move(*load)};
    waiting_.pop_front();
    if (!waiting_.empty()) {
        startReading();
    }
    return answer;
}

// The front request always gets an answer: when its reading cannot be started, a failed read stands in.
void RuntimeBankRequestQueue::startReading() noexcept {
    try {
        auto read = [path = waiting_.front().path, instrument = waiting_.front().instrument](
                        std::stop_token) { return readRequestedBank(path, instrument); };
        if (reader_.start(std::move(read), failedRead("the bank could not be read"))) {
            return;
        }
        unread_ = failedRead("no thread could be started to read the bank");
    } catch (const std::exception&) {
        unread_.emplace();
    }
}

} // namespace vanto
