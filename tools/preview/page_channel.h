// The two directions between the pages in browsers and the controller. Page messages, posted on the
// server's threads, wait in a queue for the main thread that owns the controller. The controller's
// messages go to every connected page: each event stream has its own bounded queue, so a stalled
// browser loses its stream rather than holding up the controller.
#pragma once

#include "wake_signal.h"

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace vanto::preview {

// Messages posted on any thread for the main thread, which the post wakes.
template <class Message> class WakingQueue {
  public:
    explicit WakingQueue(WakeSignal& wake) : wake(wake) {}

    // False when the queue is full (the sender is told to slow down).
    bool post(Message message) {
        {
            std::lock_guard lock(mutex);
            if (messages.size() >= kCapacity) {
                return false;
            }
            messages.push_back(std::move(message));
        }
        wake.notify();
        return true;
    }

    std::vector<Message> takeAll() {
        std::lock_guard lock(mutex);
        return std::exchange(messages, {});
    }

  private:
    static constexpr std::size_t kCapacity = 1024;
    WakeSignal& wake;
    std::mutex mutex;
    std::vector<Message> messages;
};

using PageMessageQueue = WakingQueue<std::string>;

class EventStream {
  public:
    // The next message framed as a server-sent event, or: nothing after `timeout` (the caller sends a
    // keep-alive), or nothing with closed() true.
    std::optional<std::string> next(std::chrono::milliseconds timeout);
    bool closed();

  private:
    friend class EventBroadcast;
    static constexpr std::size_t kCapacity = 4096;
    std::mutex mutex;
    std::condition_variable ready;
    std::deque<std::string> frames;
    bool isClosed = false;

    void deliver(const std::string& frame);
    void close();
};

class EventBroadcast {
  public:
    // A new stream, or null when the limit of streams is reached or the broadcast is closed.
    std::shared_ptr<EventStream> subscribe();
    void unsubscribe(const std::shared_ptr<EventStream>& stream);
    // Sends one controller message to every stream; text that is not UTF-8 is dropped, as the web
    // view drops it.
    void publish(std::string_view message);
    // Ends every stream and refuses new ones.
    void close();

  private:
    static constexpr std::size_t kStreamLimit = 8;
    std::mutex mutex;
    std::vector<std::shared_ptr<EventStream>> streams;
    bool isClosed = false;
};

// The message as one server-sent event: a "data:" line per line of the text.
std::string eventFrame(std::string_view message);
bool isUtf8(std::string_view text);

} // namespace vanto::preview
