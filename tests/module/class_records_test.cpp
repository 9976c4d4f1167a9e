#include "processor/class_ids.h"
#include "class_records.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>

namespace {

using Steinberg::PClassInfo2;

struct ExpectedRecord {
    const char* label;
    const PClassInfo2& (*record)();
    const Steinberg::FUID* uid;
    std::array<unsigned char, 16> cid;
    const char* category;
    const char* name;
    Steinberg::uint32 classFlags;
    const char* subCategories;
};

const ExpectedRecord kRecords[] = {
    {"processor",
     vanto::processorClassInfo,
     &vanto::kProcessorUid,
     {0xb9, 0xf3, 0xb6, 0x17, 0xb8, 0xf3, 0xb4, 0x84, 0xbb, 0xf3, 0xb9, 0x3d, 0xba, 0xf3, 0xb7, 0xaa},
     "Audio Module Class",
     "Dovrel",
     1,
     "Fx"},
    {"controller",
     vanto::controllerClassInfo,
     &vanto::kControllerUid,
     {0xe8, 0xe5, 0x68, 0x81, 0xe7, 0xe5, 0x66, 0xee, 0xe6, 0xe5, 0x65, 0x5b, 0xe5, 0xe5, 0x63, 0xc8},
     "Component Controller Class",
     "Dovrel Controller",
     0,
     ""},
};

TEST(ClassRecords, MatchTheRegisteredClasses) {
    for (const ExpectedRecord& expected : kRecords) {
        SCOPED_TRACE(expected.label);
        const PClassInfo2& info = expected.record();
        EXPECT_EQ(std::memcmp(info.cid, expected.cid.data(), 16), 0);
        EXPECT_EQ(std::memcmp(expected.uid->toTUID(), expected.cid.data(), 16), 0);
        EXPECT_EQ(info.cardinality, 0x7FFFFFFF);
        EXPECT_STREQ(info.category, expected.category);
        EXPECT_STREQ(info.name, expected.name);
        EXPECT_EQ(info.classFlags, expected.classFlags);
        EXPECT_STREQ(info.subCategories, expected.subCategories);
        EXPECT_STREQ(info.vendor, "");
        EXPECT_STREQ(info.version, "0.0.0");
        EXPECT_STREQ(info.sdkVersion, "VST 3.8.1");
        EXPECT_EQ(&expected.record(), &info) << "built once";
    }
}

} // namespace
