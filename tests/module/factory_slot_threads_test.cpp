#include "factory_slot.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

namespace {

using namespace Steinberg;
using vanto::FactorySlot;
using vanto::PluginFactory;

FUnknown* createNothing(void*) {
    return nullptr;
}

void populateOneClass(PluginFactory& factory) {
    const FUID uid(1, 2, 3, 4);
    factory.registerClass(PClassInfo2(uid.toTUID(), PClassInfo::kManyInstances, "Test Class", "Only", 0, "",
                                      "", "1.0.0", "VST 3.8.1"),
                          createNothing);
}

// Hosts may ask for the factory from several threads while others release theirs, so the factory
// keeps being destroyed and rebuilt; every caller must get a live, filled factory.
TEST(FactorySlotThreads, ConcurrentRequestsAndReleases) {
    FactorySlot slot(PFactoryInfo("Vanto Music", "", "", PFactoryInfo::kUnicode), populateOneClass);
    std::atomic<int> failures{0};
    std::vector<std::thread> threads;
    for (int thread = 0; thread < 4; ++thread)
        threads.emplace_back([&] {
            for (int round = 0; round < 2000; ++round) {
                PluginFactory* factory = slot.acquire();
                PFactoryInfo info;
                if (factory->getFactoryInfo(&info) != kResultOk || factory->countClasses() != 1)
                    ++failures;
                factory->release();
            }
        });
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(failures, 0);
}

} // namespace
