#include "devicelink/sensor/SensorIdentification.h"
#include "devicelink/sensor/SensorMemoryLayout.h"
#include "platform/LittleEndian.h"
#include "platform/Text.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstring>

using namespace devicelink;

namespace {

ChannelState StateWithCode(std::u16string_view code, int32_t family = kNType)
{
    ChannelState state{};
    platform::CopyToField(state.modelCode, code);
    state.sensorFamily = family;
    state.calibrationMode = CalibrationModeOfFamily(family);
    state.conversionKind = -7;  // "unchanged" shows as this
    return state;
}

SensorSearchRecipe Recipe(std::initializer_list<std::pair<int32_t, int32_t>> windows)
{
    SensorSearchRecipe r;
    for (auto [lo, hi] : windows) {
        r.valueMin[r.entryCount] = lo;
        r.valueMax[r.entryCount] = hi;
        r.uniqueId[r.entryCount] = u"ID" + std::u16string(1, char16_t(u'0' + r.entryCount));
        ++r.entryCount;
    }
    return r;
}

TEST(ModelConversion, KindByModelCode)
{
    struct Case {
        std::u16string_view code;
        int32_t family;
        int32_t kind;
    };
    const Case cases[] = {
        {u"N56", kNType, 11},   {u"N2H", kNType, 13},  {u"N76", kNType, 14},  {u"N50", kNType, 15},
        {u"R7JF", kRType, 32},  {u"N11", kNType, 12},  {u"N45", kNEepromType, 28}, {u"N45", kNType, 16},
        {u"R93", kRType, 17},   {u"R97E", kRType, 17}, {u"N24", kNType, 18},  {u"R99", kRType, 23},
        {u"R98", kRType, -7},   {u"CABL", kRType, 35}, {u"CABLE", kRType, -7}, {u"N82", kNType, 25},
        {u"N46", kNType, 30},   {u"N23", kNType, 33},  {u"N13E", kNType, 31}, {u"R75", kRType, -7},
        // "Contains": the text anywhere in the code; the first line that fits wins.
        {u"XN2H", kNType, 13},  {u"N56N2H", kNType, 11},
    };
    for (const Case& c : cases) {
        ChannelState s = StateWithCode(c.code, c.family);
        ApplyModelConversion(s);
        EXPECT_EQ(s.conversionKind, c.kind) << platform::Utf16ToUtf8(c.code);
    }
}

TEST(ModelConversion, BarometerGetsStandardPressureAndColourSensorUnitGains)
{
    ChannelState baro = StateWithCode(u"N11");
    ApplyModelConversion(baro);
    EXPECT_FLOAT_EQ(platform::ReadLEFloat(baro.sensorMemory, 0), 1013.25f);
    ChannelState colour = StateWithCode(u"N50");
    colour.calibration[2] = 77;
    ApplyModelConversion(colour);
    EXPECT_EQ(std::bit_cast<float>(colour.calibration[2]), 1.0f);
}

TEST(ModelConversion, MemoryCalibratedFamilyFollowsItsCalibrationKind)
{
    const auto w = [](int32_t family, int32_t kind, int32_t second, uint16_t mark1 = 0, uint16_t mark2 = 0) {
        ChannelState s = StateWithCode(u"W75", family);
        platform::WriteLE32(s.sensorMemory, memory::kKind, uint32_t(kind));
        platform::WriteLE32(s.sensorMemory, memory::kSecondKind, uint32_t(second));
        platform::WriteLE16(s.sensorMemory, 32, mark1);
        platform::WriteLE16(s.sensorMemory, 34, mark2);
        ApplyModelConversion(s);
        return s.conversionKind;
    };
    EXPECT_EQ(w(kWType, 5, 0), 24);          // calibration mode 0
    EXPECT_EQ(w(kWEepromType, 5, 3), 26);
    EXPECT_EQ(w(kWEepromType, 1, 3), 3);     // the second kind first
    EXPECT_EQ(w(kWEepromType, 2, 0), 2);
    EXPECT_EQ(w(kWEepromType, 2, 0, 0xFF2, 0x3A70), 24);
    EXPECT_EQ(w(kWEepromType, 0, 0), 24);
}

TEST(ModelConversion, OutputNamesByKind)
{
    ChannelState s = StateWithCode(u"N56");
    ApplyModelConversion(s);
    ApplyOutputNames(s);
    EXPECT_EQ(s.outputCount, 3);
    EXPECT_EQ(platform::FieldView(s.outputNames[7]), u"θ");
    s.conversionKind = 23;
    ApplyOutputNames(s);
    EXPECT_EQ(s.outputCount, 4);
    EXPECT_EQ(platform::FieldView(s.outputNames[4]), u"");  // the vector sensor's names are gone
}

TEST(ValueWindows, BoundsMatchFirstWinsAndComparisonIsUnsigned)
{
    const auto r = Recipe({{0, 10}, {5, 20}});
    const std::pair<uint32_t, int> cases[] = {{0, 0}, {10, 0}, {7, 0}, {11, 1}, {20, 1}, {21, -1}};
    for (auto [value, window] : cases)
        EXPECT_EQ(FindValueWindow(r, value), window) << value;
    EXPECT_EQ(FindValueWindow(Recipe({{0, 0x7FFFFFFF}}), 0x80000000u), -1);
    EXPECT_EQ(FindValueWindow(Recipe({{int32_t(0x80000000u), -1}}), 0xFFFFFFFFu), 0);
    EXPECT_EQ(FindValueWindow(Recipe({}), 0), -1);
}

TEST(SearchTable, BytesAtTheirOffsets)
{
    std::vector<SensorSearchRecipe> recipes(130);
    for (size_t i = 0; i < recipes.size(); ++i) {
        recipes[i].address = 0x100 + int32_t(i);  // only the low byte travels
        recipes[i].byteCount = int32_t(i % 4 + 1);
        recipes[i].readType = 128 + int32_t(i % 2);
        recipes[i].registerAddress = int32_t(i) * 3;
    }
    ChannelState channels[4]{};
    platform::CopyToField(channels[0].modelCode, u"CABL");
    platform::CopyToField(channels[1].modelCode, u"CABLE");
    platform::CopyToField(channels[2].modelCode, u"CABL");
    const int32_t connected[4] = {1, 1, 0, 1};

    SensorSearchTable table{};
    FillSensorSearchTable(table, recipes, connected, channels);
    uint8_t bytes[sizeof table];
    std::memcpy(bytes, &table, sizeof table);
    EXPECT_EQ(platform::ReadLE32(bytes, 0), 1u);
    EXPECT_EQ(platform::ReadLE32(bytes, 4), 128u);  // capped
    EXPECT_EQ(bytes[8], 1);                          // exactly "CABL"
    EXPECT_EQ(bytes[9], 2);                          // a longer code
    EXPECT_EQ(bytes[10], 0);                         // not connected
    EXPECT_EQ(bytes[11], 2);                         // connected, no code
    EXPECT_EQ(bytes[12 + 5], 5);
    EXPECT_EQ(bytes[140 + 5], 2);
    EXPECT_EQ(bytes[268 + 5], 129);
    EXPECT_EQ(bytes[396 + 127], uint8_t(127 * 3));

    // A shorter list leaves the entries beyond it as the earlier upload had them.
    recipes.resize(2);
    recipes[0].address = 0x57;
    FillSensorSearchTable(table, recipes, connected, channels);
    EXPECT_EQ(table.recipes, 2);
    EXPECT_EQ(table.address[0], 0x57);
    EXPECT_EQ(table.address[2], 2);
}

TEST(ChannelReset, IdentifiedChannelStartsFromDefaults)
{
    ChannelState s{};
    s.identificationWord = 0x12340000;
    s.unitChoice[2] = 3;
    s.zeroOffset = 4.0f;
    s.gain = 3.0f;
    s.adcFlag = 1;
    ResetIdentifiedChannel(s, kDefaultTimeUnit);
    EXPECT_EQ(uint32_t(s.identificationWord), 0x1234FFFFu);
    EXPECT_EQ(s.unitChoice[2], 0);
    EXPECT_EQ(s.zeroOffset, 0.0f);
    EXPECT_EQ(s.gain, 1.0f);
    EXPECT_EQ(s.adcFlag, 0);
}

TEST(Adapter, KindByteMapping)
{
    const std::pair<int32_t, int32_t> cases[] = {{0, 0},   {1, 1},   {2, 2},   {3, 3},   {131, 3}, {147, 3},
                                                 {8, 29},  {16, 4},  {32, 5},  {128, 6}, {129, 7}, {130, 8},
                                                 {4, 35},  {255, 35}};
    for (auto [byte, kind] : cases)
        EXPECT_EQ(ConversionKindOfAdapterByte(byte), kind) << byte;
}

TEST(Adapter, TablesLandWhereTheConversionRecordReadsThem)
{
    AdapterTables t;
    t.kind = 2;
    t.secondKind = 3;
    for (int k = 0; k < 7; ++k) {
        t.firstValues[k] = float(k) + 0.5f;
        t.secondValues[k] = float(k) + 100.5f;
    }
    for (int k = 0; k < 8; ++k) {
        t.firstRaws[k] = uint16_t(k * 100);
        t.secondRaws[k] = uint16_t(0xFFFF - k);  // negative 16-bit raws
    }
    ChannelState plain{};
    StoreAdapterTables(plain, t);
    EXPECT_EQ(platform::ReadLEFloat(plain.sensorMemory, memory::kPlainValues + 4), 1.5f);
    EXPECT_EQ(int32_t(platform::ReadLE32(plain.sensorMemory, memory::kPlainRaws + 8)), 200);
    EXPECT_EQ(int32_t(platform::ReadLE32(plain.sensorMemory, memory::kPlainReferences + 4)), -2);
    EXPECT_EQ(plain.adapterKind, 3);

    ChannelState own{};
    own.calibrationMode = 1;
    StoreAdapterTables(own, t);
    EXPECT_EQ(platform::ReadLE32(own.sensorMemory, memory::kSecondKind), 3u);
    EXPECT_EQ(platform::ReadLE16(own.sensorMemory, memory::kFirstRaws + 14), 700u);
    EXPECT_EQ(platform::ReadLEFloat(own.sensorMemory, memory::kSecondValues), 100.5f);

    EXPECT_TRUE(AdapterHasUserCalibration(t));
    ExchangeAdapterTables(t);
    EXPECT_EQ(t.firstValues[0], 100.5f);
    EXPECT_FALSE(AdapterHasUserCalibration(AdapterTables{}));
}

TEST(Adapter, OtherCodesReadOneWideWordAndModelRulesRefineThem)
{
    std::vector<UnitRecord> units(53);
    platform::CopyToField(units[47].display, u"µS/cm");
    platform::CopyToField(units[32].display, u"V");
    SensorAccessRecord record{};
    record.byteCount = 2;
    record.readMask[0] = 0xFFFF;

    ChannelState s = StateWithCode(u"RE3E", kRType);
    ApplyOtherAdapterDefaults(s, record);
    EXPECT_EQ(s.identificationWord, 529);
    EXPECT_EQ(s.conversionKind, 10);
    EXPECT_EQ(record.byteCount, 4);
    EXPECT_EQ(record.readMask[0], -1);
    EXPECT_FALSE(ApplyAdapterModelRules(s, record, units));
    EXPECT_EQ(platform::FieldView(record.units[0].unit.display), u"µS/cm");

    struct Case {
        std::u16string_view code;
        int32_t kind;
        bool weather;
    };
    for (const Case& c : {Case{u"R7JE", 21, false}, Case{u"R53E", 19, false}, Case{u"R55V", 20, false},
                          Case{u"R97E", 17, false}, Case{u"R99", -7, true}}) {
        s = StateWithCode(c.code, kRType);
        EXPECT_EQ(ApplyAdapterModelRules(s, record, units), c.weather) << platform::Utf16ToUtf8(c.code);
        if (!c.weather) {
            EXPECT_EQ(s.conversionKind, c.kind) << platform::Utf16ToUtf8(c.code);
        }
    }
    EXPECT_EQ(platform::FieldView(record.units[0].unit.display), u"V");  // from R53E
    EXPECT_EQ(record.sampling[0].maxRate, 10000);                      // from R7JE

    // Unit positions beyond a short unit list leave the unit.
    units.resize(10);
    platform::CopyToField(record.units[0].unit.display, u"mV");
    for (std::u16string_view code : {u"RE3E", u"R53E"}) {
        s = StateWithCode(code, kRType);
        ApplyAdapterModelRules(s, record, units);
        EXPECT_EQ(platform::FieldView(record.units[0].unit.display), u"mV");
    }
}

TEST(Weather, WordIndexComesFromTheHighByteAndStaysInsideTheBlock)
{
    ChannelState s{};
    const std::pair<uint32_t, int32_t> words[] = {
        {0x0000FFFFu, -1}, {0x03008395u, 33685}, {0x0500FFFFu, 65535}, {0x0A008000u, -32768}};
    for (auto [word, value] : words) {
        EXPECT_TRUE(StoreWeatherWord(s, word));
        EXPECT_EQ(s.calibration[word >> 24], value) << std::hex << word;
    }
    const ChannelState before = s;
    EXPECT_FALSE(StoreWeatherWord(s, 0x0B001234u));
    EXPECT_FALSE(StoreWeatherWord(s, 0xFF001234u));
    EXPECT_EQ(std::memcmp(&before, &s, sizeof s), 0);

    ApplyWeatherDefaultsIfEmpty(s);  // word 3 set: kept
    EXPECT_EQ(s.calibration[0], -1);
    ChannelState empty{};
    ApplyWeatherDefaultsIfEmpty(empty);
    EXPECT_EQ(empty.calibration[0], 9251);
    EXPECT_EQ(empty.calibration[10], 2432);
}

}  // namespace
