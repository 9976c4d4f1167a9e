// The frames the plug-in and its editor helper exchange over their socket: a 4-byte little-endian
// length of what follows, one byte naming the kind, then the payload.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace vanto {

enum class EditorFrameKind : uint8_t {
    // plug-in -> helper
    deliver = 1, // a message for the page (JSON text)
    resize = 2,  // the view's new size: width and height, 4-byte little-endian each, in pixels
    close = 3,   // the view is going away
    // helper -> plug-in
    pageMessage = 16, // a message the page posted (JSON text)
    failure = 17,     // the helper cannot show the page; the payload says why (short)
};

// The largest frame either side accepts (kind byte and payload). A page message or a state document is
// far smaller; anything larger means the stream is not ours or is broken.
inline constexpr std::size_t kMaxEditorFrameBytes = 16u << 20;

// Appends one frame; false (and nothing appended) when the payload is too large.
bool appendEditorFrame(std::string& out, EditorFrameKind kind, std::string_view payload);

std::string resizePayload(uint32_t width, uint32_t height);
// False when the payload is not 8 bytes.
bool parseResizePayload(std::string_view payload, uint32_t& width, uint32_t& height);

struct EditorFrame {
    EditorFrameKind kind{};
    std::string payload;
};

// Cuts a byte stream into frames, whatever pieces it arrives in.
class EditorFrameReader {
  public:
    enum class Result { frame, needMore, refused };

    void append(const char* bytes, std::size_t size) { buffered_.append(bytes, size); }

    // The next whole frame; `refused` for a length of 0 or above kMaxEditorFrameBytes, after which
    // the stream cannot be read on (and the reader stays refused).
    Result next(EditorFrame& out);

  private:
    std::string buffered_;
    std::size_t consumed_ = 0;
    bool refused_ = false;
};

} // namespace vanto
