#include "page_channel.h"

#include <algorithm>
#include <cstdint>
#include <utility>

namespace vanto::preview {

std::optional<std::string> EventStream::next(std::chrono::milliseconds timeout) {
    std::unique_lock lock(mutex);
    ready.wait_for(lock, timeout, [this] { return isClosed || !frames.empty(); });
    if (frames.empty()) {
        return std::nullopt;
    }
    std::string frame = std::move(frames.front());
    frames.pop_front();
    return frame;
}

bool EventStream::closed() {
    std::lock_guard lock(mutex);
    return isClosed && frames.empty();
}

void EventStream::deliver(const std::string& frame) {
    {
        std::lock_guard lock(mutex);
        if (isClosed) {
            return;
        }
        if (frames.size() >= kCapacity) {
            // The browser stopped reading; its page would miss messages, so its stream ends.
            frames.clear();
            isClosed = true;
        } else {
            frames.push_back(frame);
        }
    }
    ready.notify_all();
}

void EventStream::close() {
    {
        std::lock_guard lock(mutex);
        isClosed = true;
    }
    ready.notify_all();
}

std::shared_ptr<EventStream> EventBroadcast::subscribe() {
    std::lock_guard lock(mutex);
    if (isClosed || streams.size() >= kStreamLimit) {
        return nullptr;
    }
    streams.push_back(std::make_shared<EventStream>());
    return streams.back();
}

void EventBroadcast::unsubscribe(const std::shared_ptr<EventStream>& stream) {
    std::lock_guard lock(mutex);
    std::erase(streams, stream);
}

void EventBroadcast::publish(std::string_view message) {
    if (!isUtf8(message)) {
        return;
    }
    const std::string frame = eventFrame(message);
    std::lock_guard lock(mutex);
    for (const auto& stream : streams) {
        stream->deliver(frame);
    }
}

void EventBroadcast::close() {
    std::lock_guard lock(mutex);
    isClosed = true;
    for (const auto& stream : streams) {
        stream->close();
    }
    streams.clear();
}

std::string eventFrame(std::string_view message) {
    std::string frame;
    std::size_t start = 0;
    while (true) {
        const std::size_t end = message.find_first_of("\r\n", start);
        frame += "data: ";
        frame += message.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
        frame += '\n';
        if (end == std::string_view::npos) {
            break;
        }
        start = end + 1;
    }
    frame += '\n';
    return frame;
}

bool isUtf8(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size()) {
        const auto byte = static_cast<std::uint8_t>(text[i]);
        std::size_t length = 0;
        std::uint32_t point = 0;
        if (byte < 0x80) {
            ++i;
            continue;
        } else if ((byte & 0xE0) == 0xC0) {
            length = 2;
            point = byte & 0x1F;
        } else if ((byte & 0xF0) == 0xE0) {
            length = 3;
            point = byte & 0x0F;
        } else if ((byte & 0xF8) == 0xF0) {
            length = 4;
            point = byte & 0x07;
        } else {
            return false;
        }
        if (i + length > text.size()) {
            return false;
        }
        for (std::size_t k = 1; k < length; ++k) {
            const auto next = static_cast<std::uint8_t>(text[i + k]);
            if ((next & 0xC0) != 0x80) {
                return false;
            }
            point = (point << 6) | (next & 0x3F);
        }
        static constexpr std::uint32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
        if (point < kSmallest[length] || point > 0x10FFFF || (point >= 0xD800 && point <= 0xDFFF)) {
            return false;
        }
        i += length;
    }
    return true;
}

} // namespace vanto::preview
