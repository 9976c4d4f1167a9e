// Runs in its own process: a trap is permanent for the module, so no other test may share it.
#include "dovrel_kernel.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<std::string> messages;

void recordPanic(void* context, const char* message, uint32_t length, const void* code) {
    EXPECT_EQ(context, &messages);
    EXPECT_NE(code, nullptr);
    messages.emplace_back(message, length);
}

TEST(KernelTrap, EntriesBeforeInitialisationTrapAndTheModuleStaysRefused) {
    dovrel_kernel_set_panic_sink(recordPanic, &messages);
    EXPECT_EQ(dovrel_kernel_abi_version(), 3);
    EXPECT_TRUE(messages.empty());

    EXPECT_EQ(dovrel_kernel_create(128, 2, 2, 48000), 0);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], "kernel entry before runtime_init");

    dovrel_kernel_runtime_init();
    EXPECT_EQ(dovrel_kernel_create(128, 2, 2, 48000), 0);
    EXPECT_EQ(dovrel_kernel_process(1, 16), 1);
    ASSERT_EQ(messages.size(), 4u);
    EXPECT_EQ(messages[1], "kernel entry after a trap");
    EXPECT_EQ(messages[3], "kernel entry after a trap");
}

} // namespace
