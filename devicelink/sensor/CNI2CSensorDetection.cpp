// Channel detection: which sensor sits on each channel, read from one register and matched
// against the catalogue's search recipes, then its file entry, its adapter or memory chip, its
// register set-up and its conversion kind.
#include "devicelink/sensor/CNI2CSensor.h"
#include "devicelink/sensor/CNI2CSensorHelpers.h"

#include "devicelink/sensor/I2cSensorSetup.h"
#include "devicelink/sensor/SensorMemoryLayout.h"
#include "platform/Clock.h"
#include "platform/Text.h"

#include <algorithm>
#include <cstring>

namespace devicelink {

using sensor_detail::ValidChannel;
using sensor_detail::MaskForWidth;
using sensor_detail::kTransactionClock;
namespace {

// A sensor just plugged in is given this long to power up before it is read.
constexpr uint32_t kSettleBeforeIdentifyMs = 15;
// A silent device must not hang detection: every read gives up after this long.
constexpr uint32_t kIdentifyWaitMs = 3000;

// The register set-up needs nothing at these addresses.
constexpr int32_t kNoSetupAddressWide = 0xAA5500;
constexpr int32_t kNoSetupAddress = 255;
constexpr int32_t kSetupRecipeAddress = 57;
constexpr int32_t kLightSetupExcluded[] = {24, 77};

constexpr int32_t kUpdateReset = 0;
constexpr int32_t kUpdateSetup = 1;
constexpr int32_t kUpdateRedetect = 0xFFFF;

}  // namespace

// ---- Reads.

bool CNI2CSensor::ReadIdentifyingValue(int c, const SensorSearchRecipe& r, uint32_t* value)
{
    MeasureSetupBlock& block = BeginOneShot(c);
    block.clock[c] = static_cast<uint8_t>(r.clockCode);
    block.readType[c] = static_cast<uint8_t>(r.readType);
    block.byteCount[c] = r.byteCount;
    block.address[c] = r.address;
    block.readRegister[kRegisterEntries * c] = static_cast<uint8_t>(r.registerAddress);
    block.readMask[kRegisterEntries * c] = r.bitMask;
    // A read that brings nothing must not match with what the last one left behind.
    std::memset(oneShotValues(c), 0, sizeof(uint32_t) * kOneShotCapacity);
    running_ = 1;
    const bool answered = SubmitOneShotRead(kIdentifyWaitMs) == 1 && oneShotCount(c) > 0;
    *value = answered ? oneShotValues(c)[0] : 0;
    return answered;
}

bool CNI2CSensor::ReadAddressedRegister(int c, int32_t address, int32_t reg, int32_t width, uint32_t* value)
{
    SensorSearchRecipe r;
    r.address = address;
    r.clockCode = kTransactionClock;
    r.readType = access::kSccReadAddressData;
    r.byteCount = width;
    r.registerAddress = reg;
    r.bitMask = MaskForWidth(width);
    api_.Stop();
    const bool ok = ReadIdentifyingValue(c, r, value);
    api_.Stop();
    running_ = 0;
    return ok;
}

bool CNI2CSensor::ReadAdapterMemory(int c, int32_t location, int32_t bytes, uint32_t* value)
{
    *value = 0;
    if (WriteRegister(c, adapter::kAddress, adapter::AdapterSelect(location, bytes), 3) != 1)
        return false;
    // The transaction leaves its answer in the value array: clear it, so that silence reads as
    // a failure rather than as the previous answer.
    std::memset(oneShotValues(c), 0, sizeof(uint32_t) * kOneShotCapacity);
    uint32_t read = 0;
    if (ReadRegister(c, adapter::kAddress, &read, bytes) != 1 || oneShotCount(c) <= 0)
        return false;
    *value = read & uint32_t(MaskForWidth(bytes));
    return true;
}

bool CNI2CSensor::ReadAdapterCode(int c, uint32_t* word)
{
    *word = 0;
    for (int32_t m = adapter::kModelCode; m < adapter::kModelCode + 4; ++m) {
        uint32_t byte = 0;
        if (!ReadAdapterMemory(c, m, 1, &byte))
            return false;
        *word = *word << 8 | (byte & 0xFF);
    }
    return true;
}

std::u16string CNI2CSensor::ReadAdapterText(int c, int32_t first, int32_t end, bool* ok)
{
    std::u16string text;
    // Once one read has failed the description is lost: further reads would only wait in vain.
    for (int32_t m = first; m < end && *ok; ++m) {
        uint32_t byte = 0;
        if (!ReadAdapterMemory(c, m, 1, &byte)) {
            *ok = false;
            break;
        }
        if (byte != 0)
            text += char16_t(byte & 0xFF);
    }
    return text;
}

bool CNI2CSensor::OpenAdapter(int c, int32_t* identificationWord)
{
    std::memset(oneShotValues(c), 0, sizeof(uint32_t) * kOneShotCapacity);
    uint32_t word = 0;
    if (ReadRegister(c, adapter::kGeneralCall, &word, 2) != 1 || oneShotCount(c) <= 0)
        return false;
    *identificationWord = int32_t(word & 0xFFFF);
    return WriteRegister(c, adapter::kGeneralCall, adapter::kUnlock, 3) == 1;
}

bool CNI2CSensor::ReadAdapterTables(int c, AdapterTables& t)
{
    uint32_t v = 0;
    bool ok = ReadAdapterMemory(c, adapter::kKindByte, 1, &v);
    t.kind = uint8_t(v);
    ok = ok && ReadAdapterMemory(c, adapter::kSecondKindByte, 1, &v);
    t.secondKind = uint8_t(v);
    for (int k = 0; ok && k < 7; ++k) {
        ok = ReadAdapterMemory(c, adapter::kFirstValues + 4 * k, 4, &v);
        std::memcpy(&t.firstValues[k], &v, 4);
        ok = ok && ReadAdapterMemory(c, adapter::kSecondValues + 4 * k, 4, &v);
        std::memcpy(&t.secondValues[k], &v, 4);
    }
    for (int k = 0; ok && k < 8; ++k) {
        ok = ReadAdapterMemory(c, adapter::kFirstRaws + 2 * k, 2, &v);
        t.firstRaws[k] = uint16_t(v);
        ok = ok && ReadAdapterMemory(c, adapter::kSecondRaws + 2 * k, 2, &v);
        t.secondRaws[k] = uint16_t(v);
    }
    return ok;
}

// ---- Detection.

int32_t CNI2CSensor::DetectSensors(std::u16string& text)
{
    text.clear();
    int32_t result = 0;
    auto& recipes = catalogue_.recipes();
    bool aborted = false;
    for (int c = 0; c < kChannelCount && !aborted; ++c) {
        if (DetectionAbortRequested()) {
            aborted = true;
            break;
        }
        const ChannelStatus status = ChannelStatusOf(static_cast<uint32_t>(statusWord_), c);
        if (int32_t(status.present) == lastPresence_[c] && status.ready)
            continue;
        ChannelState& state = channels_[c];
        if (!status.present) {
            // A channel that stays empty has nothing to report, least of all an old name.
            if (lastPresence_[c] == 0)
                continue;
            AppendChannelName(text, platform::FieldView(state.fullName), false);
            lastPresence_[c] = 0;
            connected_[c] = 0;
            continue;
        }
        lastPresence_[c] = 1;
        platform::SleepMs(kSettleBeforeIdentifyMs);

        bool identified = false;
        for (SensorSearchRecipe& recipe : recipes) {
            if (DetectionAbortRequested()) {
                aborted = true;
                break;
            }
            if (IdentifyBySearchRecipe(recipe, c) != 1) {
                state.accessIndex = -1;
                continue;
            }
            int32_t loaded = 0;
            if (state.sensorFamily != kNoType) {
                loaded = LoadFileInfo(recipe.matchedId, c);
            } else {
                loaded = ReadAdapterDescription(recipe.matchedId, c);
                state.calibrationMode = 0;
            }
            std::memset(state.sensorId, 0, sizeof state.sensorId);
            platform::CopyToField(state.sensorId, recipe.matchedId);
            if (loaded == 1) {
                AppendChannelName(text, platform::FieldView(state.fullName), true);
                result = 1;
                identified = true;
            } else {
                text += kNotAvailable;
                result = -1;
                connected_[c] = 0;
            }
            break;
        }
        // Connected only with a record and a set-up that worked: a failed file or adapter read
        // leaves garbage calibration behind.
        if (state.accessIndex < 0 || !identified) {
            result = -1;
            connected_[c] = 0;
        } else {
            connected_[c] = 1;
        }
        if (adcOffsetFlags_[c] == 1 && !aborted)
            MeasureAdcOffset(c);
    }
    // An abandoned detection leaves the channel it was on unidentified (it stays present, so the
    // next poll does not start over at once) and the channels after it as the last poll found them.
    if (aborted)
        return -1;
    UploadSearchTable();
    return result;
}

int32_t CNI2CSensor::IdentifyBySearchRecipe(SensorSearchRecipe& recipe, int c)
{
    if (!ValidChannel(c) || api_.Open() != 1)
        return 0;
    if (recipe.address == kSetupRecipeAddress)
        ConfigureSensor(recipe, c);
    api_.Stop();
    running_ = 0;

    uint32_t value = 0;
    bool answered = false;
    if (recipe.address == adapter::kAddress) {
        // The first pass wakes the adapter; the second is the one that counts.
        answered = ReadAdapterCode(c, &value);
        answered = ReadAdapterCode(c, &value) && answered;
    } else {
        answered = ReadIdentifyingValue(c, recipe, &value);
    }
    api_.Stop();
    running_ = 0;
    if (!answered || recipe.entryCount <= 0)
        return 0;
    const int k = FindValueWindow(recipe, value);
    if (k < 0)
        return 0;

    recipe.matchedId = recipe.uniqueId[k];
    ChannelState& state = channels_[c];
    state.sensorFamily = kNoType;
    const int index = catalogue_.FindSensorIndex(recipe.matchedId);
    if (index < 0 || index >= static_cast<int>(catalogue_.accessRecords().size()))
        return 1;
    state.sensorFamily = catalogue_.accessRecords()[index].family;
    switch (state.sensorFamily) {
    case kNoType:
    case kRType:
    case kREepromType:
        return 1;
    default:
        return ConfigureSensor(recipe, c);
    }
}

int32_t CNI2CSensor::LoadFileInfo(std::u16string_view id, int c)
{
    if (!ValidChannel(c) || !catalogue_.HasDocument())
        return 0;
    ChannelState& state = channels_[c];
    state.rateWritten = 0;
    state.accessIndex = -1;
    const int index = catalogue_.FindSensorIndex(id);
    if (index < 0)
        return 0;
    // The default time unit: the device counts milliseconds and the screens show seconds.
    ResetIdentifiedChannel(state, kDefaultTimeUnit);
    state.accessIndex = index;

    const pugi::xml_node entry = catalogue_.SelectEntry(SensorCatalogue::Entry::File, id);
    if (!entry)
        return 0;
    const auto copy = [&](const char* name, char16_t(&field)[kChannelTextLength]) {
        platform::CopyToField(field, platform::Utf8ToUtf16(entry.child_value(name)));
    };
    copy("NAME", state.name);
    copy("FULLNAME", state.fullName);
    copy("INFO_FILE", state.infoFile);
    copy("WHOAMISTRING", state.modelCode);
    state.pictureIndex = entry.child("ICON_INDEX").text().as_int(0);

    state.conversionKind = kConvertCatalogueLine;
    state.calibrationMode = CalibrationModeOfFamily(state.sensorFamily);
    int32_t loaded = 1;
    switch (state.sensorFamily) {
    case kNEepromType:
        loaded = ReadSensorMemory(c);
        break;
    case kRType:
    case kREepromType:
        loaded = ReadAdapterCalibration(id, c);
        break;
    case kWEepromType: {
        uint32_t marker = 0;
        const bool read = ReadAddressedRegister(c, memory_chip::kAddress, memory_chip::kMarkerRegister, 1, &marker);
        state.adcMode = read && marker == memory_chip::kFastPathMarker ? 1 : 0;
        loaded = read ? ReadSensorMemory(c) : 0;
        break;
    }
    default:
        break;
    }
    ApplyModelConversion(state);
    ApplyOutputNames(state);
    return loaded;
}

int32_t CNI2CSensor::ReadAdapterDescription(std::u16string_view id, int c)
{
    if (!ValidChannel(c))
        return 0;
    ChannelState& state = channels_[c];
    auto& records = catalogue_.accessRecords();
    const int spare = catalogue_.sensorCount() + c;
    if (spare < 0 || spare >= static_cast<int>(records.size()))
        return 0;
    SensorAccessRecord& record = records[spare];
    platform::CopyToField(record.id, id);
    record.address = adapter::kAddress;
    record.clockCode = kTransactionClock;
    record.readType = access::kSccReadNoAddressData;
    record.byteCount = 2;
    record.rawOffset = 0;
    // One register word, converted by the adapter's tables; without a unit the line is 1:1.
    record.registerCount = std::max(record.registerCount, 1);
    record.readMask[0] = 0xFFFF;
    record.writeType[0] = -1;
    record.outputCount = std::max(record.outputCount, 1);
    if (record.scale[0] == 0.0f)
        record.scale[0] = 1.0f;

    int32_t identificationWord = 0;
    if (!OpenAdapter(c, &identificationWord))
        return 0;
    ResetIdentifiedChannel(state, kDefaultTimeUnit);
    state.identificationWord = identificationWord;
    state.accessIndex = spare;
    bool ok = true;
    const std::u16string code = ReadAdapterText(c, adapter::kModelCode, adapter::kModelCode + adapter::kModelCodeBytes, &ok);
    const std::u16string info = ReadAdapterText(c, adapter::kInfoFile, adapter::kInfoFile + adapter::kInfoFileBytes, &ok) + u".html";
    const std::u16string name = ReadAdapterText(c, adapter::kName, adapter::kName + adapter::kNameBytes, &ok);
    platform::CopyToField(state.modelCode, code);
    platform::CopyToField(state.infoFile, info);
    platform::CopyToField(state.name, name);
    platform::CopyToField(state.fullName, name);
    AdapterTables tables;
    ok = ok && ReadAdapterTables(c, tables);
    state.calibrationMode = 0;
    StoreAdapterTables(state, tables);
    state.conversionKind = ConversionKindOfAdapterByte(tables.kind);
    return ok ? 1 : 0;
}

void CNI2CSensor::PrepareAdapterRecords()
{
    auto& records = catalogue_.accessRecords();
    const auto& ids = catalogue_.sensorIds();
    for (size_t i = 0; i < ids.size() && i < records.size(); ++i) {
        SensorAccessRecord& record = records[i];
        if (record.family != kRType && record.family != kREepromType)
            continue;
        const pugi::xml_node entry = catalogue_.SelectEntry(SensorCatalogue::Entry::File, ids[i]);
        if (!entry)
            continue;
        // The model's rules change the channel too: a scratch channel takes those.
        ChannelState scratch{};
        platform::CopyToField(scratch.modelCode, platform::Utf8ToUtf16(entry.child_value("WHOAMISTRING")));
        if (platform::FieldView(scratch.modelCode) != u"R21E")
            ApplyOtherAdapterDefaults(scratch, record);
        ApplyAdapterModelRules(scratch, record, catalogue_.units());
    }
}

int32_t CNI2CSensor::ReadAdapterCalibration(std::u16string_view id, int c)
{
    if (!ValidChannel(c))
        return 0;
    ChannelState& state = channels_[c];
    auto& records = catalogue_.accessRecords();
    if (state.accessIndex < 0 || state.accessIndex >= static_cast<int>(records.size()))
        return 0;
    SensorAccessRecord& record = records[state.accessIndex];
    platform::CopyToField(record.id, id);
    record.address = adapter::kAddress;
    ResetIdentifiedChannel(state, kDefaultTimeUnit);
    int32_t identificationWord = 0;
    if (!OpenAdapter(c, &identificationWord))
        return 0;
    state.identificationWord = identificationWord;

    AdapterTables tables;
    if (!ReadAdapterTables(c, tables))
        return 0;
    state.conversionKind = ConversionKindOfAdapterByte(tables.kind);
    if (platform::FieldView(state.modelCode) == u"R21E") {
        // The thermocouple's cold-junction words; a user calibration takes the first table's place.
        for (int k = 0; k < 4; ++k) {
            uint32_t v = 0;
            if (!ReadAdapterMemory(c, adapter::kThermocoupleWords + 2 * k, 2, &v))
                return 0;
            state.calibration[4 + k] = int32_t(int16_t(v));
        }
        if (AdapterHasUserCalibration(tables))
            ExchangeAdapterTables(tables);
    } else {
        ApplyOtherAdapterDefaults(state, record);
    }
    StoreAdapterTables(state, tables);

    if (ApplyAdapterModelRules(state, record, catalogue_.units())) {
        std::fill(std::begin(state.calibration), std::end(state.calibration), 0);
        for (int k = 0; k < kCalibrationWords; ++k) {
            uint32_t answer = 0;
            if (ReadAdapterMemory(c, adapter::kWordStream, 4, &answer))
                StoreWeatherWord(state, answer);
        }
        ApplyWeatherDefaultsIfEmpty(state);
    }
    return 1;
}

int32_t CNI2CSensor::ConfigureSensor(const SensorSearchRecipe& recipe, int c)
{
    if (!ValidChannel(c) || api_.Open() != 1)
        return 0;
    oneShot_.request.block.address[c] = recipe.address;
    if (recipe.address == kNoSetupAddressWide || recipe.address == kNoSetupAddress)
        return 1;
    api_.Stop();
    running_ = 1;
    ChannelState& state = channels_[c];
    const int32_t output = state.unitChoice[std::clamp(state.selectedOutput, 0, 3)];
    const bool lightSetup = std::find(std::begin(kLightSetupExcluded), std::end(kLightSetupExcluded),
                                      recipe.address) == std::end(kLightSetupExcluded) &&
                            platform::Contains(recipe.matchedId, u"SC_LIGHT_EEPROM");
    if (lightSetup) {
        ConfigI2CSensor23(api_, oneShot_.request, c, output, 0);
    } else {
        int32_t words[kI2cResultWords] = {};
        ConfigI2CSensor(api_, oneShot_.request, c, output, state.sensorTypeCode, words);
        std::copy(std::begin(words), std::end(words), state.calibration);
    }
    if (platform::Contains(recipe.matchedId, u"N50") || CodeContains(state, u"N50"))
        ResetColourGains(state);
    api_.Stop();
    running_ = 0;
    return 1;
}

int32_t CNI2CSensor::UpdateChannel(int c, int32_t mode)
{
    if (!ValidChannel(c))
        return 0;
    switch (mode) {
    case kUpdateReset:
        ResetCalibrationDefaults(c);
        lastPresence_[c] = 0;
        connected_[c] = 0;
        return 1;
    case kUpdateSetup: {
        const ChannelState& state = channels_[c];
        if (state.sensorFamily != kNType)
            return 1;
        const auto& records = catalogue_.accessRecords();
        if (state.accessIndex < 0 || state.accessIndex >= static_cast<int>(records.size()))
            return 1;
        const int32_t address = records[state.accessIndex].address;
        for (const SensorSearchRecipe& recipe : catalogue_.recipes())
            if (recipe.address == address)
                return ConfigureSensor(recipe, c);
        return 1;
    }
    case kUpdateRedetect: {
        ResetCalibrationDefaults(c);
        lastPresence_[c] = 0;
        std::u16string dropped;
        DetectSensors(dropped);
        return 1;
    }
    default:
        return 0;
    }
}

int32_t CNI2CSensor::UploadSearchTable()
{
    if (api_.Open() == 1)
        FillSensorSearchTable(searchTable_, catalogue_.recipes(), connected_, channels_);
    return api_.WriteBlock(&searchTable_);
}

}  // namespace devicelink
