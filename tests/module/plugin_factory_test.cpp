#include "factory_slot.h"
#include "plugin_factory.h"

#include "pluginterfaces/base/ipluginbase.h"
#include "pluginterfaces/vst/ivstcomponent.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>

namespace {

using namespace Steinberg;
using vanto::FactorySlot;
using vanto::PluginFactory;

std::atomic<int> livingInstances{0};

// An object that offers IPluginBase only.
class PluginBaseObject final : public IPluginBase {
  public:
    PluginBaseObject() {
        FUNKNOWN_CTOR
        ++livingInstances;
    }
    virtual ~PluginBaseObject() { --livingInstances; }
    tresult PLUGIN_API initialize(FUnknown*) override { return kResultOk; }
    tresult PLUGIN_API terminate() override { return kResultOk; }
    DECLARE_FUNKNOWN_METHODS
};
IMPLEMENT_FUNKNOWN_METHODS(PluginBaseObject, IPluginBase, IPluginBase::iid)

FUnknown* createPluginBase(void*) {
    return static_cast<IPluginBase*>(new PluginBaseObject);
}
FUnknown* createNothing(void*) {
    return nullptr;
}

const FUID kFirstUid(0x11111111, 0x22222222, 0x33333333, 0x44444444);
const FUID kSecondUid(0x55555555, 0x66666666, 0x77777777, 0x88888888);
const FUID kUnknownUid(0x99999999, 0x99999999, 0x99999999, 0x99999999);

PClassInfo2 classInfo(const FUID& uid, const char* name, const char* subCategories) {
    return PClassInfo2(uid.toTUID(), PClassInfo::kManyInstances, "Test Class", name, 1, subCategories,
                       "Vendor", "1.2.3", "VST 3.8.1");
}

const PFactoryInfo kInfo("Vanto Music", "https://vanto.music", "mailto:support@vanto.music",
                         PFactoryInfo::kUnicode);

class PluginFactoryTest : public ::testing::Test {
  protected:
    void SetUp() override {
        factory = new PluginFactory(kInfo);
        ASSERT_TRUE(factory->registerClass(classInfo(kFirstUid, "First", "Fx"), createPluginBase));
        ASSERT_TRUE(factory->registerClass(classInfo(kSecondUid, "Second", ""), createNothing));
    }
    void TearDown() override {
        factory->release();
        EXPECT_EQ(livingInstances, 0);
    }

    PluginFactory* factory = nullptr;
};

TEST_F(PluginFactoryTest, ListsClassesInRegistrationOrderInEveryRecordVersion) {
    ASSERT_EQ(factory->countClasses(), 2);
    PClassInfo info;
    PClassInfo2 info2;
    PClassInfoW infoW;
    ASSERT_EQ(factory->getClassInfo(1, &info), kResultOk);
    ASSERT_EQ(factory->getClassInfo2(1, &info2), kResultOk);
    ASSERT_EQ(factory->getClassInfoUnicode(1, &infoW), kResultOk);
    EXPECT_EQ(std::memcmp(info.cid, kSecondUid.toTUID(), 16), 0);
    EXPECT_STREQ(info.name, "Second");
    EXPECT_STREQ(info.category, "Test Class");
    EXPECT_EQ(std::memcmp(info2.cid, kSecondUid.toTUID(), 16), 0);
    EXPECT_STREQ(info2.version, "1.2.3");
    EXPECT_EQ(std::memcmp(infoW.cid, kSecondUid.toTUID(), 16), 0);
    EXPECT_EQ(infoW.name[0], u'S');
    EXPECT_EQ(infoW.classFlags, 1u);

    ASSERT_EQ(factory->getClassInfo2(0, &info2), kResultOk);
    EXPECT_STREQ(info2.name, "First");
    EXPECT_STREQ(info2.subCategories, "Fx");
}

TEST_F(PluginFactoryTest, RefusesBadIndexesAndNullRecords) {
    PClassInfo2 info2;
    for (const int32 index : {-1, 2, 1000})
        EXPECT_EQ(factory->getClassInfo2(index, &info2), kInvalidArgument) << index;
    EXPECT_EQ(factory->getClassInfo2(0, nullptr), kInvalidArgument);
    EXPECT_EQ(factory->getFactoryInfo(nullptr), kInvalidArgument);
}

TEST_F(PluginFactoryTest, RefusesDuplicateClassesAndMissingCreateFunctions) {
    EXPECT_FALSE(factory->registerClass(classInfo(kFirstUid, "Again", ""), createPluginBase));
    EXPECT_FALSE(factory->registerClass(classInfo(kUnknownUid, "None", ""), nullptr));
    EXPECT_EQ(factory->countClasses(), 2);
}

TEST_F(PluginFactoryTest, CreatesInstancesThroughTheRequestedInterface) {
    void* object = nullptr;
    ASSERT_EQ(factory->createInstance(kFirstUid.toTUID(), IPluginBase::iid, &object), kResultOk);
    ASSERT_NE(object, nullptr);
    EXPECT_EQ(livingInstances, 1);
    // The caller holds the only reference.
    EXPECT_EQ(static_cast<IPluginBase*>(object)->release(), 0u);
    EXPECT_EQ(livingInstances, 0);
}

TEST_F(PluginFactoryTest, CreationFailuresLeaveNoInstanceBehind) {
    struct Case {
        const char* label;
        const FUID& cid;
        const TUID& iid;
        tresult expected;
    };
    const Case cases[] = {
        {"unknown class", kUnknownUid, IPluginBase::iid, kNoInterface},
        {"interface the class lacks", kFirstUid, Vst::IComponent::iid, kNoInterface},
        {"create function fails", kSecondUid, IPluginBase::iid, kOutOfMemory},
    };
    for (const Case& c : cases) {
        void* object = reinterpret_cast<void*>(0x1);
        EXPECT_EQ(factory->createInstance(c.cid.toTUID(), c.iid, &object), c.expected) << c.label;
        EXPECT_EQ(object, nullptr) << c.label;
        EXPECT_EQ(livingInstances, 0) << c.label;
    }
    EXPECT_EQ(factory->createInstance(kFirstUid.toTUID(), IPluginBase::iid, nullptr), kInvalidArgument);
}

TEST_F(PluginFactoryTest, AnswersForEveryFactoryVersion) {
    for (const TUID* iid : {&IPluginFactory::iid.toTUID(), &IPluginFactory2::iid.toTUID(),
                            &IPluginFactory3::iid.toTUID(), &FUnknown::iid.toTUID()}) {
        void* object = nullptr;
        ASSERT_EQ(factory->queryInterface(*iid, &object), kResultOk);
        EXPECT_EQ(object, static_cast<IPluginFactory3*>(factory));
        factory->release();
    }
    void* object = reinterpret_cast<void*>(0x1);
    EXPECT_EQ(factory->queryInterface(IPluginBase::iid, &object), kNoInterface);
    EXPECT_EQ(object, nullptr);
}

int populateCalls = 0;
void populateOneClass(PluginFactory& factory) {
    ++populateCalls;
    factory.registerClass(classInfo(kFirstUid, "First", "Fx"), createPluginBase);
}

TEST(FactorySlot, SharesOneFactoryUntilItsLastReferenceGoes) {
    populateCalls = 0;
    FactorySlot slot(kInfo, populateOneClass);
    PluginFactory* first = slot.acquire();
    PluginFactory* second = slot.acquire();
    EXPECT_EQ(first, second);
    EXPECT_EQ(populateCalls, 1);
    EXPECT_EQ(first->countClasses(), 1);
    second->release();
    first->release();

    // The released factory is gone; the next request builds and fills a new one.
    PluginFactory* third = slot.acquire();
    EXPECT_EQ(populateCalls, 2);
    EXPECT_EQ(third->countClasses(), 1);
    third->release();
}

} // namespace
