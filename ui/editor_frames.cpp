#include "ui/editor_frames.h"

namespace vanto {

namespace {

void appendUint32(std::string& out, uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8) {
        out += static_cast<char>((value >> shift) & 0xFF);
    }
}

uint32_t readUint32(std::string_view bytes) {
    uint32_t value = 0;
    for (int i = 3; i >= 0; --i) {
        value = (value << 8) | static_cast<unsigned char>(bytes[static_cast<std::size_t>(i)]);
    }
    return value;
}

constexpr std::size_t kLengthBytes = 4;

} // namespace

bool appendEditorFrame(std::string& out, EditorFrameKind kind, std::string_view payload) {
    if (payload.size() + 1 > kMaxEditorFrameBytes) {
        return false;
    }
    appendUint32(out, static_cast<uint32_t>(payload.size() + 1));
    out += static_cast<char>(kind);
    out.append(payload);
    return true;
}

std::string resizePayload(uint32_t width, uint32_t height) {
    std::string payload;
    appendUint32(payload, width);
    appendUint32(payload, height);
    return payload;
}

bool parseResizePayload(std::string_view payload, uint32_t& width, uint32_t& height) {
    if (payload.size() != 2 * kLengthBytes) {
        return false;
    }
    width = readUint32(payload);
    height = readUint32(payload.substr(kLengthBytes));
    return true;
}

EditorFrameReader::Result EditorFrameReader::next(EditorFrame& out) {
    if (refused_) {
        return Result::refused;
    }
    const std::string_view pending = std::string_view(buffered_).substr(consumed_);
    if (pending.size() < kLengthBytes) {
        return Result::needMore;
    }
    const uint32_t length = readUint32(pending);
    if (length == 0 || length > kMaxEditorFrameBytes) {
        refused_ = true;
        buffered_.clear();
        consumed_ = 0;
        return Result::refused;
    }
    if (pending.size() - kLengthBytes < length) {
        return Result::needMore;
    }
    out.kind = static_cast<EditorFrameKind>(pending[kLengthBytes]);
    out.payload.assign(pending.substr(kLengthBytes + 1, length - 1));
    consumed_ += kLengthBytes + length;
    // Drop what has been read once it is worth the copy.
    if (consumed_ == buffered_.size() || consumed_ > 65536) {
        buffered_.erase(0, consumed_);
        consumed_ = 0;
    }
    return Result::frame;
}

} // namespace vanto
