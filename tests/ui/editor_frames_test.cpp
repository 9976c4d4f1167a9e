// The frames between the plug-in and its editor helper, and how a message is handed to the page.
#include "ui/editor_frames.h"
#include "ui/page_delivery.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vanto {
namespace {

std::vector<EditorFrame> readAll(EditorFrameReader& reader, EditorFrameReader::Result& last) {
    std::vector<EditorFrame> frames;
    EditorFrame frame;
    while ((last = reader.next(frame)) == EditorFrameReader::Result::frame) {
        frames.push_back(frame);
    }
    return frames;
}

TEST(EditorFrames, SurviveAnyCutOfTheStream) {
    std::string stream;
    const std::string big(200000, 'x');
    ASSERT_TRUE(appendEditorFrame(stream, EditorFrameKind::pageMessage, R"({"type":"vanto.ready"})"));
    ASSERT_TRUE(appendEditorFrame(stream, EditorFrameKind::close, ""));
    ASSERT_TRUE(appendEditorFrame(stream, EditorFrameKind::deliver, big));
    ASSERT_TRUE(appendEditorFrame(stream, EditorFrameKind::resize, resizePayload(1000, 800)));
    for (const std::size_t piece : {std::size_t{1}, std::size_t{3}, std::size_t{4096}, stream.size()}) {
        EditorFrameReader reader;
        std::vector<EditorFrame> frames;
        EditorFrameReader::Result last{};
        for (std::size_t at = 0; at < stream.size(); at += piece) {
            reader.append(stream.data() + at, std::min(piece, stream.size() - at));
            for (EditorFrame& frame : readAll(reader, last)) {
                frames.push_back(std::move(frame));
            }
            ASSERT_EQ(last, EditorFrameReader::Result::needMore);
        }
        ASSERT_EQ(frames.size(), 4u) << piece;
        EXPECT_EQ(frames[0].kind, EditorFrameKind::pageMessage);
        EXPECT_EQ(frames[0].payload, R"({"type":"vanto.ready"})");
        EXPECT_EQ(frames[1].kind, EditorFrameKind::close);
        EXPECT_EQ(frames[1].payload, "");
        EXPECT_EQ(frames[2].payload, big);
        uint32_t width = 0;
        uint32_t height = 0;
        ASSERT_TRUE(parseResizePayload(frames[3].payload, width, height));
        EXPECT_EQ(width, 1000u);
        EXPECT_EQ(height, 800u);
    }
}

TEST(EditorFrames, RefuseLengthsOutsideTheLimits) {
    const struct {
        std::string header;
        EditorFrameReader::Result result;
    } cases[] = {
        {std::string("\x00\x00\x00\x00", 4), EditorFrameReader::Result::refused},
        {std::string("\x01\x00\x00\x01", 4), EditorFrameReader::Result::refused}, // 16 MiB + 1
        {std::string("\xff\xff\xff\xff", 4), EditorFrameReader::Result::refused},
        {std::string("\x00\x00\x00\x01", 4), EditorFrameReader::Result::needMore}, // exactly 16 MiB
    };
    for (const auto& c : cases) {
        EditorFrameReader reader;
        reader.append(c.header.data(), c.header.size());
        EditorFrame frame;
        EXPECT_EQ(reader.next(frame), c.result);
        // Once refused, nothing later is read as a frame.
        std::string valid;
        appendEditorFrame(valid, EditorFrameKind::close, "");
        reader.append(valid.data(), valid.size());
        if (c.result == EditorFrameReader::Result::refused) {
            EXPECT_EQ(reader.next(frame), EditorFrameReader::Result::refused);
        }
    }
    std::string out;
    EXPECT_FALSE(appendEditorFrame(out, EditorFrameKind::deliver, std::string(kMaxEditorFrameBytes, 'x')));
    EXPECT_TRUE(out.empty());
    uint32_t width = 0;
    uint32_t height = 0;
    EXPECT_FALSE(parseResizePayload("1234567", width, height));
}

TEST(PageDelivery, PassesTheMessageAsAnObjectOrDropsBrokenText) {
    EXPECT_EQ(pageDeliveryScript(R"({"type":"vanto.hello","name":"Dövrel"})"),
              R"(window.vantoHost && window.vantoHost._deliver({"type":"vanto.hello","name":"Dövrel"});)");
    EXPECT_FALSE(pageDeliveryScript("{\"name\":\"\xff\"}").has_value());
    EXPECT_FALSE(pageDeliveryScript("{\"cut\":\"\xc3\"}").has_value());
    EXPECT_FALSE(pageDeliveryScript("{\"surrogate\":\"\xed\xa0\x80\"}").has_value());
}

} // namespace
} // namespace vanto
