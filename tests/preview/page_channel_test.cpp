// The message channel between pages and controller: event framing, the UTF-8 rule, the queues' limits.
#include "page_channel.h"

#include <gtest/gtest.h>

#include <thread>

namespace vanto::preview {
namespace {

using std::chrono::milliseconds;

TEST(PageChannel, FramesEveryLineOfAMessageAsData) {
    EXPECT_EQ(eventFrame("{\"type\":\"vanto.hello\"}"), "data: {\"type\":\"vanto.hello\"}\n\n");
    EXPECT_EQ(eventFrame("a\nb"), "data: a\ndata: b\n\n");
    EXPECT_EQ(eventFrame("a\rb"), "data: a\ndata: b\n\n");
    EXPECT_EQ(eventFrame(""), "data: \n\n");
}

TEST(PageChannel, TellsUtf8FromOtherBytes) {
    const struct {
        std::string text;
        bool utf8;
    } cases[] = {
        {"plain", true}, {"caf\xc3\xa9", true},   {"\xe2\x82\xac", true},  {"\xf0\x9f\x8e\xb5", true},
        {"\xc3", false}, {"\xc0\xaf", false},     {"\xed\xa0\x80", false}, {"\xf4\x90\x80\x80", false},
        {"\xff", false}, {"\xe2\x28\xa1", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(isUtf8(c.text), c.utf8) << c.text;
    }
}

TEST(PageChannel, BroadcastReachesEveryStreamAndDropsTextThatIsNotUtf8) {
    EventBroadcast broadcast;
    auto first = broadcast.subscribe();
    auto second = broadcast.subscribe();
    broadcast.publish("\xff");
    broadcast.publish("{}");
    EXPECT_EQ(first->next(milliseconds(0)), "data: {}\n\n");
    EXPECT_EQ(second->next(milliseconds(0)), "data: {}\n\n");
    EXPECT_FALSE(first->next(milliseconds(0)).has_value());
    EXPECT_FALSE(first->closed());
}

TEST(PageChannel, StreamsAreLimitedAndEndWhenTheBroadcastCloses) {
    EventBroadcast broadcast;
    std::vector<std::shared_ptr<EventStream>> streams;
    while (auto stream = broadcast.subscribe()) {
        streams.push_back(stream);
        ASSERT_LT(streams.size(), 100u);
    }
    EXPECT_EQ(streams.size(), 8u);
    broadcast.unsubscribe(streams.back());
    EXPECT_NE(broadcast.subscribe(), nullptr);

    std::thread closer([&] { broadcast.close(); });
    EXPECT_FALSE(streams.front()->next(milliseconds(5000)).has_value());
    closer.join();
    EXPECT_TRUE(streams.front()->closed());
    EXPECT_EQ(broadcast.subscribe(), nullptr);
}

TEST(PageChannel, AStalledStreamIsEndedInsteadOfGrowingWithoutBound) {
    EventBroadcast broadcast;
    auto stream = broadcast.subscribe();
    for (int i = 0; i < 5000; ++i) {
        broadcast.publish("{}");
    }
    EXPECT_TRUE(stream->closed());
}

TEST(PageChannel, PageMessagesWaitInOrderUpToALimit) {
    WakeSignal wake;
    PageMessageQueue queue(wake);
    EXPECT_TRUE(queue.post("one"));
    EXPECT_TRUE(queue.post("two"));
    EXPECT_EQ(queue.takeAll(), (std::vector<std::string>{"one", "two"}));
    EXPECT_TRUE(queue.takeAll().empty());
    int accepted = 0;
    while (queue.post("more") && accepted < 5000) {
        ++accepted;
    }
    EXPECT_EQ(accepted, 1024);
}

} // namespace
} // namespace vanto::preview
