// Every conversion kind the system can meet has a routine of its own or takes the default
// formula by design; none falls through to it unnoticed.
#include "devicelink/conversion/SampleConversion.h"
#include "devicelink/sensor/SensorIdentification.h"
#include "devicelink/sensor/SensorMemoryLayout.h"
#include "platform/LittleEndian.h"
#include "platform/Text.h"

#include <gtest/gtest.h>

#include <set>

using namespace devicelink;

namespace {

// The kinds whose computation the conversion table spells out.
constexpr int32_t kTableKinds[] = {1, 2, 3, 4, 10, 11, 12, 13, 14, 15, 17, 18, 19, 20, 21, 23, 25, 26, 27, 28, 29,
                                   30, 31, 32, 33, 34};

ChannelState WithCode(std::u16string_view code, int32_t family)
{
    ChannelState state{};
    platform::CopyToField(state.modelCode, code);
    state.sensorFamily = family;
    state.calibrationMode = CalibrationModeOfFamily(family);
    return state;
}

// Every kind identification can give a channel: by model code (including the "W" sensors' memory
// kinds), by an adapter's kind byte, and by the adapter rules that follow.
std::set<int32_t> KindsIdentificationGives()
{
    std::set<int32_t> kinds = {kConvertCatalogueLine};  // a file entry starts from it
    const std::u16string_view codes[] = {u"N56", u"N2H", u"N76", u"N50", u"R7JF", u"N11", u"N45", u"R93",
                                         u"R97", u"N24", u"R99", u"CABL", u"N82", u"N46", u"N23", u"N13E"};
    for (const std::u16string_view code : codes) {
        for (const int32_t family : {kNType, kNEepromType, kRType}) {
            ChannelState s = WithCode(code, family);
            ApplyModelConversion(s);
            kinds.insert(s.conversionKind);
        }
    }
    for (int32_t mode = 0; mode <= 1; ++mode) {
        for (int32_t first = 0; first < kConversionKindCount; ++first) {
            for (int32_t second = 0; second < kConversionKindCount; ++second) {
                for (const bool mark : {false, true}) {
                    ChannelState s = WithCode(u"W75", kWEepromType);
                    s.calibrationMode = mode;
                    platform::WriteLE32(s.sensorMemory, memory::kKind, uint32_t(first));
                    platform::WriteLE32(s.sensorMemory, memory::kSecondKind, uint32_t(second));
                    if (mark) {
                        platform::WriteLE16(s.sensorMemory, memory::kLowRangeMark, memory::kLowRangeMarkFirst);
                        platform::WriteLE16(s.sensorMemory, memory::kLowRangeMark + 2, memory::kLowRangeMarkSecond);
                    }
                    ApplyModelConversion(s);
                    kinds.insert(s.conversionKind);
                }
            }
        }
    }
    for (int32_t byte = 0; byte <= 0xFF; ++byte)
        kinds.insert(ConversionKindOfAdapterByte(byte));
    SensorAccessRecord record{};
    ChannelState other{};
    ApplyOtherAdapterDefaults(other, record);
    kinds.insert(other.conversionKind);
    for (const std::u16string_view code : {u"RE3E", u"R7JE", u"R55V", u"R53E", u"R97E", u"R99"}) {
        ChannelState s = WithCode(code, kRType);
        ApplyAdapterModelRules(s, record, {});
        kinds.insert(s.conversionKind);
    }
    return kinds;
}

TEST(ConversionKinds, EachKindHasItsRoutineOrTakesTheDefaultFormulaByDesign)
{
    for (int32_t kind = 0; kind < kConversionKindCount; ++kind)
        EXPECT_NE(HasConversionRoutine(kind), TakesDefaultFormula(kind)) << "kind " << kind;
    for (const int32_t kind : kTableKinds)
        EXPECT_TRUE(HasConversionRoutine(kind)) << "kind " << kind;
    // Outside the named kinds there is only the default formula.
    for (const int32_t kind : {-1, kConversionKindCount, 255, 258})
        EXPECT_FALSE(HasConversionRoutine(kind)) << "kind " << kind;
}

TEST(ConversionKinds, EveryKindIdentificationGivesIsAccountedFor)
{
    const std::set<int32_t> kinds = KindsIdentificationGives();
    // The kinds with no routine that identification is known to give.
    for (const int32_t kind : {0, 5, 6, 7, 8, 16, 24, 35})
        EXPECT_TRUE(kinds.count(kind)) << "kind " << kind;
    for (const int32_t kind : kinds) {
        ASSERT_GE(kind, 0);
        ASSERT_LT(kind, kConversionKindCount);
        EXPECT_TRUE(HasConversionRoutine(kind) || TakesDefaultFormula(kind)) << "kind " << kind;
    }
}

}  // namespace
