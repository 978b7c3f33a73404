#include "devicelink/sensor/SensorIdentification.h"

#include "devicelink/sensor/SensorMemoryLayout.h"
#include "platform/LittleEndian.h"
#include "platform/Text.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace devicelink {
namespace {

constexpr float kStandardPressure = 1013.25f;

// 1-based positions in the unit list of the adapters' own units.
constexpr size_t kConductivityUnit = 48;
constexpr size_t kVoltageUnit = 33;

std::u16string_view Code(const ChannelState& state)
{
    return platform::FieldView(state.modelCode);
}

bool BeginsWith(std::u16string_view text, std::u16string_view prefix)
{
    return text.substr(0, prefix.size()) == prefix;
}

int32_t MemoryInt32(const ChannelState& state, size_t offset)
{
    return int32_t(platform::ReadLE32(state.sensorMemory, offset));
}

// The "W" family: the kind follows the calibration the sensor's memory holds.
int32_t KindOfMemoryCalibrated(const ChannelState& state)
{
    if (state.calibrationMode != 1)
        return kConvertMemoryLine;
    const int32_t kind = MemoryInt32(state, memory::kKind);
    const int32_t second = MemoryInt32(state, memory::kSecondKind);
    if (kind == memory::kTwoSlopeKind)
        return kConvertTwoSlopes;
    if (second != 0)
        return second;
    if (kind == kConvertCatalogueLine)
        return kConvertMemoryLine;
    if (kind == kConvertTwoPoints && memory::HoldsLowRangeMark(state.sensorMemory))
        return kConvertMemoryLine;
    return kind;
}

void SetOutputNames(ChannelState& state, int32_t count, std::initializer_list<std::u16string_view> names)
{
    std::memset(state.outputNames, 0, sizeof state.outputNames);
    int k = 0;
    for (std::u16string_view name : names)
        platform::CopyToField(state.outputNames[k++], name);
    state.outputCount = count;
}

void ReplaceFirstUnit(SensorAccessRecord& record, const std::vector<UnitRecord>& units, size_t position)
{
    if (position >= 1 && position <= units.size())
        record.units[0].unit = units[position - 1];
}

}  // namespace

bool CodeContains(const ChannelState& state, std::u16string_view text)
{
    return platform::Contains(Code(state), text);
}

uint8_t SearchChannelKindOf(int32_t connected, std::u16string_view modelCode)
{
    if (connected != 1)
        return kSearchNoSensor;
    return modelCode == u"CABL" ? kSearchBareCable : kSearchOtherSensor;
}

void FillSensorSearchTable(SensorSearchTable& table, std::span<const SensorSearchRecipe> recipes,
                           const int32_t connected[kChannelCount], const ChannelState channels[kChannelCount])
{
    const size_t count = std::min<size_t>(recipes.size(), kSearchTableRecipes);
    table.opened = 1;
    table.recipes = int32_t(count);
    for (size_t i = 0; i < count; ++i) {
        table.address[i] = uint8_t(recipes[i].address);
        table.byteCount[i] = uint8_t(recipes[i].byteCount);
        table.readType[i] = uint8_t(recipes[i].readType);
        table.registerAddress[i] = uint8_t(recipes[i].registerAddress);
    }
    for (int c = 0; c < kChannelCount; ++c)
        table.channelKind[c] = SearchChannelKindOf(connected[c], platform::FieldView(channels[c].modelCode));
}

int FindValueWindow(const SensorSearchRecipe& recipe, uint32_t value)
{
    const int entries = std::clamp(recipe.entryCount, 0, kMaxRecipeEntries);
    for (int k = 0; k < entries; ++k) {
        if (uint32_t(recipe.valueMin[k]) <= value && value <= uint32_t(recipe.valueMax[k]))
            return k;
    }
    return -1;
}

void ResetIdentifiedChannel(ChannelState& state, float timeUnit)
{
    state.identificationWord = int32_t(uint32_t(state.identificationWord) | 0xFFFFu);
    std::fill(std::begin(state.unitChoice), std::end(state.unitChoice), 0);
    state.selectedOutput = 0;
    state.zeroOffset = 0.0f;
    state.secondZeroOffset = 0.0f;
    state.gain = 1.0f;
    state.timeUnit = timeUnit;
    state.timeFactor = 1.0f;
    state.further[0] = 0;
    state.further[1] = 0;
    state.timeOrigin = 0.0f;
    state.adcFlag = 0;
}

void ResetColourGains(ChannelState& state)
{
    for (int k = 0; k < 4; ++k)
        state.calibration[k] = int32_t(std::bit_cast<uint32_t>(1.0f));
}

int32_t CalibrationModeOfFamily(int32_t family)
{
    return family == kNEepromType || family == kREepromType || family == kWEepromType ? 1 : 0;
}

void ApplyModelConversion(ChannelState& state)
{
    const std::u16string_view code = Code(state);
    const auto has = [&](std::u16string_view text) { return platform::Contains(code, text); };
    if (has(u"N56")) {
        state.conversionKind = kConvertThreeAxis;
    } else if (has(u"N2H")) {
        state.conversionKind = kConvertSignedTemperature;
    } else if (has(u"N76")) {
        state.conversionKind = kConvertTwelveBitTemperature;
    } else if (has(u"N50")) {
        state.conversionKind = kConvertColour;
        ResetColourGains(state);
    } else if (has(u"R7JF")) {
        state.conversionKind = kConvertChannelChangeEvents;
    } else if (has(u"N11")) {
        state.conversionKind = kConvertPressure;
        platform::WriteLEFloat(state.sensorMemory, 0, kStandardPressure);
    } else if (has(u"N45")) {
        state.conversionKind = state.sensorFamily == kNEepromType ? kConvertPolynomial : kConvertForceLine;
    } else if (has(u"R93") || has(u"R97")) {
        state.conversionKind = kConvertHumidity;
    } else if (has(u"N24")) {
        state.conversionKind = kConvertGps;
    } else if (has(u"R99")) {
        state.conversionKind = kConvertWeather;
    } else if (has(u"R98")) {
        // keeps the kind its adapter gave
    } else if (code == u"CABL") {
        state.conversionKind = kConvertBareCable;
    } else if (has(u"N82")) {
        state.conversionKind = kConvertTenBit;
    } else if (has(u"N46")) {
        state.conversionKind = kConvertAngle;
    } else if (has(u"N23")) {
        state.conversionKind = kConvertSignedOnly;
    } else if (has(u"N13E")) {
        state.conversionKind = kConvertSharedChangeEvents;
    } else if (BeginsWith(code, u"W")) {
        state.conversionKind = KindOfMemoryCalibrated(state);
    }
}

void ApplyOutputNames(ChannelState& state)
{
    switch (state.conversionKind) {
    case kConvertThreeAxis:
        SetOutputNames(state, 3, {u"X", u"Y", u"Z", u"ρ", u"φ", u"Z", u"r", u"θ", u"φ"});
        break;
    case kConvertPressure:
        SetOutputNames(state, 3, {u"P", u"A", u"T"});
        break;
    case kConvertColour:
        SetOutputNames(state, 4, {u"G", u"R", u"B", u"C"});
        break;
    case kConvertHumidity:
        SetOutputNames(state, 3, {u"H", u"T", u"D"});
        break;
    case kConvertWeather:
        SetOutputNames(state, 4, {u"H", u"T", u"A", u"P"});
        break;
    default:
        SetOutputNames(state, 0, {});
        break;
    }
}

int32_t ConversionKindOfAdapterByte(int32_t kindByte)
{
    switch (kindByte) {
    case 0: return kConvertCatalogueLine;
    case 1: return kConvertOnePoint;
    case 2: return kConvertTwoPoints;
    case 3:
    case 131:
    case 147: return kConvertThreePoints;
    case 8: return kConvertSevenPoints;
    case 16: return kConvertCubicOfLine;
    case 32: return kConvertAdapterByte32;
    case 128: return kConvertAdapterByte128;
    case 129: return kConvertAdapterByte129;
    case 130: return kConvertAdapterByte130;
    default: return kConvertBareCable;
    }
}

bool AdapterHasUserCalibration(const AdapterTables& tables)
{
    return std::any_of(std::begin(tables.secondRaws), std::end(tables.secondRaws), [](uint16_t r) { return r != 0; })
        || tables.secondValues[0] != 0.0f;
}

void ExchangeAdapterTables(AdapterTables& tables)
{
    std::swap(tables.firstValues, tables.secondValues);
    std::swap(tables.firstRaws, tables.secondRaws);
}

void StoreAdapterTables(ChannelState& state, const AdapterTables& t)
{
    std::span<uint8_t> image(state.sensorMemory);
    std::fill(image.begin(), image.end(), 0);
    if (state.calibrationMode == 1) {
        platform::WriteLE32(image, memory::kKind, t.kind);
        platform::WriteLE32(image, memory::kSecondKind, t.secondKind);
        for (size_t k = 0; k < 7; ++k) {
            platform::WriteLEFloat(image, memory::kFirstValues + 4 * k, t.firstValues[k]);
            platform::WriteLEFloat(image, memory::kSecondValues + 4 * k, t.secondValues[k]);
        }
        for (size_t k = 0; k < 8; ++k) {
            platform::WriteLE16(image, memory::kFirstRaws + 2 * k, t.firstRaws[k]);
            platform::WriteLE16(image, memory::kSecondRaws + 2 * k, t.secondRaws[k]);
        }
    } else {
        for (size_t k = 0; k < 7; ++k) {
            platform::WriteLEFloat(image, memory::kPlainValues + 4 * k, t.firstValues[k]);
            platform::WriteLEFloat(image, memory::kPlainCoefficients + 4 * k, t.secondValues[k]);
        }
        for (size_t k = 0; k < 8; ++k) {
            platform::WriteLE32(image, memory::kPlainRaws + 4 * k, uint32_t(int32_t(int16_t(t.firstRaws[k]))));
            platform::WriteLE32(image, memory::kPlainReferences + 4 * k,
                                uint32_t(int32_t(int16_t(t.secondRaws[k]))));
        }
    }
    state.adapterKind = t.secondKind;
}

void ApplyOtherAdapterDefaults(ChannelState& state, SensorAccessRecord& record)
{
    state.identificationWord = kAdapterIdentificationWord;
    state.conversionKind = kConvertTwoRangeTemperature;
    record.byteCount = 4;
    record.readMask[0] = -1;
}

bool ApplyAdapterModelRules(ChannelState& state, SensorAccessRecord& record, const std::vector<UnitRecord>& units)
{
    const std::u16string_view code = Code(state);
    if (code == u"RE3E") {
        ReplaceFirstUnit(record, units, kConductivityUnit);
    } else if (code == u"R7JE") {
        record.scale[0] = 1.0f;
        record.sampling[0].maxRate = 10000;
        state.conversionKind = kConvertGateEvents;
    } else if (code == u"R55V") {
        state.conversionKind = kConvertClampedTwoPoints;
    } else if (code == u"R53E") {
        state.conversionKind = kConvertSwappedThreePoints;
        ReplaceFirstUnit(record, units, kVoltageUnit);
        state.pictureIndex = 2;
    } else if (code == u"R97E") {
        state.conversionKind = kConvertHumidity;
    } else if (platform::Contains(code, u"R99")) {
        return true;
    }
    return false;
}

bool StoreWeatherWord(ChannelState& state, uint32_t answer)
{
    const uint32_t index = answer >> 24;
    if (index >= uint32_t(kCalibrationWords))
        return false;
    const uint16_t half = uint16_t(answer);
    state.calibration[index] = index >= 3 && index <= 5 ? int32_t(half) : int32_t(int16_t(half));
    return true;
}

void ApplyWeatherDefaultsIfEmpty(ChannelState& state)
{
    if (state.calibration[3] == 0)
        std::copy(std::begin(kWeatherDefaults), std::end(kWeatherDefaults), state.calibration);
}

void AppendChannelName(std::u16string& text, std::u16string_view fullName, bool withComma)
{
    text += fullName;
    if (withComma)
        text += u',';
}

}  // namespace devicelink
