// The plug-in as a careless or hostile host meets it through the built bundle: every query with indices
// and ids that do not exist, normalized values far outside [0, 1] and NaN, texts that are no numbers,
// null buffers and messages without an attribute list. Nothing may throw through the interface, and
// every value the controller keeps, shows or converts stays a number in range.
#include "bundle_fixture.h"
#include "kernel/param_table.h"

#include "module.h"
#include "plugin_instance.h"

#include "pluginterfaces/base/ustring.h"
#include "pluginterfaces/vst/ivstmessage.h"
#include "pluginterfaces/vst/ivstmidicontrollers.h"
#include "pluginterfaces/vst/ivstunits.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <limits>
#include <random>
#include <string>
#include <vector>

namespace {

using Steinberg::FUnknownPtr;
using Steinberg::int32;
using Steinberg::kResultOk;
using Steinberg::tresult;
using Steinberg::Vst::IEditController;
using Steinberg::Vst::IUnitInfo;
using Steinberg::Vst::ParamID;
using Steinberg::Vst::ParamValue;
using Steinberg::Vst::String128;
using Steinberg::Vst::TChar;

constexpr ParamID kProgramChange = 0x3F010001;
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

const double kHostileValues[] = {-1e300, -1, -0.5, -0.0, 0, 0.5, 1, 1.5, 1e300, kInf, -kInf, kNaN};

// What a clamped reading of `value` is: NaN reads as 0.
double clampedReading(double value) {
    return std::isnan(value) ? 0.0 : std::fmin(std::fmax(value, 0.0), 1.0);
}

std::vector<ParamID> everyParameterId() {
    std::vector<ParamID> ids;
    for (ParamID id = 0; id < VANTO_PARAM_COUNT; ++id) {
        ids.push_back(id);
    }
    ids.push_back(kProgramChange);
    return ids;
}

// A message whose attribute list the host failed to provide.
class MessageWithoutAttributes final : public Steinberg::Vst::IMessage {
  public:
    explicit MessageWithoutAttributes(const char* id) : id(id) {}
    virtual ~MessageWithoutAttributes() = default;
    Steinberg::FIDString PLUGIN_API getMessageID() override { return id; }
    void PLUGIN_API setMessageID(Steinberg::FIDString) override {}
    Steinberg::Vst::IAttributeList* PLUGIN_API getAttributes() override { return nullptr; }
    tresult PLUGIN_API queryInterface(const Steinberg::TUID, void** obj) override {
        *obj = nullptr;
        return Steinberg::kNoInterface;
    }
    Steinberg::uint32 PLUGIN_API addRef() override { return 1; }
    Steinberg::uint32 PLUGIN_API release() override { return 1; }

  private:
    const char* id;
};

// The texts a host may hand over to be read as a value, as UTF-16: empty, words that strtod reads
// as numbers, out-of-range numbers, foreign notation, random printable bytes and a lone surrogate.
std::vector<std::u16string> hostileTexts() {
    std::vector<std::u16string> texts = {u"",   u"nan", u"inf",  u"-inf", u"1e309", u"-1e309",
                                         u"-0", u"1,5", u"0x10", u"  7",  u"off",   u"On"};
    std::mt19937 random(20261210);
    std::uniform_int_distribution<int> printable(0x20, 0x7E);
    std::u16string noise;
    for (int i = 0; i < 127; ++i) {
        noise.push_back(static_cast<char16_t>(printable(random)));
    }
    texts.push_back(noise);
    texts.push_back(std::u16string(1, static_cast<char16_t>(0xD800)));
    texts.push_back(u"12" + std::u16string(1, static_cast<char16_t>(0xDC00)));
    return texts;
}

class HostileHost : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_NE(vanto::test::loadedBundle(), nullptr);
        instance = vanto::test::processorInstance();
        ASSERT_NE(instance, nullptr);
        controller = instance->controller();
        ASSERT_NE(controller, nullptr);
        units = FUnknownPtr<IUnitInfo>(controller);
        ASSERT_TRUE(units);
    }

    std::unique_ptr<vanto::host::PluginInstance> instance;
    IEditController* controller = nullptr;
    FUnknownPtr<IUnitInfo> units;
};

TEST_F(HostileHost, IndicesBeyondEveryTableAreRefusedWithoutThrowing) {
    const int32 parameterCount = controller->getParameterCount();
    const int32 unitCount = units->getUnitCount();
    const int32 listCount = units->getProgramListCount();
    for (const int32 index : {-1, INT32_MIN, 1 << 30}) {
        SCOPED_TRACE(index);
        Steinberg::Vst::ParameterInfo parameterInfo{};
        Steinberg::Vst::UnitInfo unitInfo{};
        Steinberg::Vst::ProgramListInfo listInfo{};
        String128 name{};
        EXPECT_NE(controller->getParameterInfo(index, parameterInfo), kResultOk);
        EXPECT_NE(units->getUnitInfo(index, unitInfo), kResultOk);
        EXPECT_NE(units->getProgramListInfo(index, listInfo), kResultOk);
        EXPECT_NE(units->getProgramName(kProgramChange, index, name), kResultOk);
        EXPECT_NE(units->getProgramInfo(kProgramChange, index, "MediaType", name), kResultOk);
        EXPECT_NE(units->hasProgramPitchNames(kProgramChange, index), kResultOk);
        EXPECT_NE(units->getProgramPitchName(kProgramChange, index, 60, name), kResultOk);
    }
    // One past the end of each table.
    Steinberg::Vst::ParameterInfo parameterInfo{};
    Steinberg::Vst::UnitInfo unitInfo{};
    Steinberg::Vst::ProgramListInfo listInfo{};
    String128 name{};
    EXPECT_NE(controller->getParameterInfo(parameterCount, parameterInfo), kResultOk);
    EXPECT_NE(units->getUnitInfo(unitCount, unitInfo), kResultOk);
    EXPECT_NE(units->getProgramListInfo(listCount, listInfo), kResultOk);
    EXPECT_NE(units->getProgramName(kProgramChange, 8, name), kResultOk);
    // The last entry of each is still there.
    EXPECT_EQ(controller->getParameterInfo(parameterCount - 1, parameterInfo), kResultOk);
    EXPECT_EQ(units->getUnitInfo(unitCount - 1, unitInfo), kResultOk);
    EXPECT_EQ(units->getProgramListInfo(listCount - 1, listInfo), kResultOk);
    EXPECT_EQ(units->getProgramName(kProgramChange, 7, name), kResultOk);
}

TEST_F(HostileHost, NullBuffersAreRefused) {
    EXPECT_NE(controller->getParamStringByValue(0, 0.5, nullptr), kResultOk);
    ParamValue value = 0.25;
    EXPECT_NE(controller->getParamValueByString(0, nullptr, value), kResultOk);
    EXPECT_EQ(value, 0.25);
    EXPECT_NE(units->getProgramName(kProgramChange, 0, nullptr), kResultOk);
    EXPECT_NE(units->getProgramInfo(kProgramChange, 0, nullptr, nullptr), kResultOk);
    EXPECT_NE(units->getProgramPitchName(kProgramChange, 0, 60, nullptr), kResultOk);
    EXPECT_NE(instance->component()->getControllerClassId(nullptr), kResultOk);
}

TEST_F(HostileHost, ValuesOutsideTheRangeAreShownConvertedAndStoredClamped) {
    for (const ParamID id : everyParameterId()) {
        for (const double value : kHostileValues) {
            SCOPED_TRACE(::testing::Message() << "id " << id << " value " << value);
            const double reading = clampedReading(value);

            String128 shown{};
            String128 shownClamped{};
            ASSERT_EQ(controller->getParamStringByValue(id, value, shown), kResultOk);
            ASSERT_EQ(controller->getParamStringByValue(id, reading, shownClamped), kResultOk);
            EXPECT_EQ(std::u16string(reinterpret_cast<const char16_t*>(shown)),
                      std::u16string(reinterpret_cast<const char16_t*>(shownClamped)));

            const ParamValue plain = controller->normalizedParamToPlain(id, value);
            EXPECT_TRUE(std::isfinite(plain));
            EXPECT_EQ(plain, controller->normalizedParamToPlain(id, reading));
            const ParamValue normalized = controller->plainParamToNormalized(id, value);
            EXPECT_GE(normalized, 0.0);
            EXPECT_LE(normalized, 1.0);

            // The program change applies a whole preset; its readings are enough here.
            if (id == kProgramChange) {
                continue;
            }
            EXPECT_EQ(controller->setParamNormalized(id, value), kResultOk);
            EXPECT_EQ(controller->getParamNormalized(id), reading);
            // One NaN stored anywhere must not spread to the other parameters.
            for (ParamID other = 0; other < VANTO_PARAM_COUNT; ++other) {
                EXPECT_FALSE(std::isnan(controller->getParamNormalized(other))) << other;
            }
        }
    }
}

TEST_F(HostileHost, TextsThatAreNoValuesAreReadSafely) {
    for (const ParamID id : everyParameterId()) {
        for (std::u16string text : hostileTexts()) {
            SCOPED_TRACE(::testing::Message() << "id " << id << " text length " << text.size());
            ParamValue value = -7.0;
            const tresult result =
                controller->getParamValueByString(id, reinterpret_cast<TChar*>(text.data()), value);
            if (result == kResultOk) {
                EXPECT_GE(value, 0.0);
                EXPECT_LE(value, 1.0);
            } else {
                EXPECT_EQ(value, -7.0);
            }
        }
    }
    // Numbers out of range read as the nearest end, words as the values they name.
    ParamValue value = -1;
    std::u16string huge = u"1e309";
    ASSERT_EQ(controller->getParamValueByString(0, reinterpret_cast<TChar*>(huge.data()), value), kResultOk);
    EXPECT_EQ(value, 1.0);
    std::u16string nan = u"nan";
    EXPECT_NE(controller->getParamValueByString(0, reinterpret_cast<TChar*>(nan.data()), value), kResultOk);
}

TEST_F(HostileHost, UnknownParameterIdsAnswerWithoutEffect) {
    for (const ParamID id : {ParamID{VANTO_PARAM_COUNT}, ParamID{1u << 30}, ParamID{0xFFFFFFFFu}}) {
        SCOPED_TRACE(id);
        String128 shown{};
        EXPECT_NE(controller->getParamStringByValue(id, kNaN, shown), kResultOk);
        EXPECT_NE(controller->setParamNormalized(id, 0.5), kResultOk);
        EXPECT_EQ(controller->getParamNormalized(id), 0.0);
        const ParamValue plain = controller->normalizedParamToPlain(id, kNaN);
        EXPECT_FALSE(std::isnan(plain));
    }
}

TEST_F(HostileHost, MessagesWithoutAttributesAreIgnoredByBothComponents) {
    FUnknownPtr<Steinberg::Vst::IConnectionPoint> controllerPoint(controller);
    FUnknownPtr<Steinberg::Vst::IConnectionPoint> processorPoint(instance->component());
    ASSERT_TRUE(controllerPoint);
    ASSERT_TRUE(processorPoint);
    const char* ids[] = {
        "TextMessage",           "vanto.runtimeDiagnostics", "vanto.diag.hostFacts", "vanto.ccMap",
        "vanto.loadRuntimeBank", "vanto.diag.transportPoll", "something.else",       ""};
    for (const char* id : ids) {
        SCOPED_TRACE(id);
        MessageWithoutAttributes message(id);
        controllerPoint->notify(&message);
        processorPoint->notify(&message);
    }
    // Both still work afterwards.
    EXPECT_EQ(controller->setParamNormalized(3, 0.25), kResultOk);
    std::vector<char> state;
    EXPECT_EQ(instance->saveState(state), kResultOk);
}

} // namespace
