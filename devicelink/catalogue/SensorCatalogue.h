#pragma once

#include <pugixml.hpp>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The sensor catalogue: the XML file that describes every sensor model (how the logger reaches it
// over I2C, how raw words become physical values, its units, how it is recognised and set up),
// read once at start-up into the flat tables below.
namespace devicelink {

inline constexpr int kUnitTextLength = 16;
inline constexpr int kSensorIdLength = 64;
inline constexpr int kOutputNameLength = 40;
inline constexpr int kMaxUnits = 8;
inline constexpr int kMaxSamplingEntries = 4;
inline constexpr int kMaxRegisterEntries = 8;
inline constexpr int kMaxOutputs = 4;
inline constexpr int kMaxUnitChoices = 4;
// Spare access records after the catalogue's own, one per channel, filled by detection for
// sensors that describe themselves from their adapter's memory.
inline constexpr int kSpareAccessRecords = 4;
inline constexpr int kMaxSearchSensors = 256;
inline constexpr int kMaxRecipeEntries = 128;
// Oldest catalogue this program understands.
inline constexpr std::u16string_view kMinimumXmlVersion = u"20110410";

// Sensor families (SCC_SENSORTYPE).
enum SensorFamily : int32_t {
    kNoType = 0,
    kNType = 1,
    kNEepromType = 2,
    kRType = 3,
    kREepromType = 4,
    kWType = 5,
    kWEepromType = 6,
};

struct UnitRecord {
    char16_t id[kUnitTextLength];       // UNIT_ID, the key SENSOR_UNITn refers to
    char16_t display[kUnitTextLength];  // UNIT_DISP, as shown next to values
    char16_t name[kUnitTextLength];     // UNIT_NAME
};
static_assert(sizeof(UnitRecord) == 96);

struct SensorUnitEntry {
    UnitRecord unit;
    float rangeMin;
    float rangeMax;
    int32_t significantDigits;  // -1: general format
};
static_assert(sizeof(SensorUnitEntry) == 108);

struct SamplingEntry {
    int32_t bit;
    int32_t defaultRate;
    int32_t maxRate;
};

// One sensor model of the catalogue.
struct SensorAccessRecord {
    char16_t id[kSensorIdLength];  // UNIQUE_ID; its leading characters are the model code
    int32_t clockCode;
    int32_t family;
    int32_t address;  // 7-bit I2C address
    int32_t readType;
    int32_t byteCount;
    int32_t isSigned;
    int32_t rawMax;
    int32_t rawMin;
    int32_t rawOffset;
    int32_t unitCount;
    SensorUnitEntry units[kMaxUnits];
    float scale[kMaxUnits];
    float offset[kMaxUnits];
    int32_t samplingCount;
    SamplingEntry sampling[kMaxSamplingEntries];
    int32_t minReadingTimeUs;
    int32_t registerCount;
    int32_t readAddress[kMaxRegisterEntries];  // -1: none
    int32_t readMask[kMaxRegisterEntries];
    int32_t writeType[kMaxRegisterEntries];     // -1: none
    int32_t writeByteCount[kMaxRegisterEntries];
    int32_t writeAddress[kMaxRegisterEntries];  // 255: none given
    int32_t writeData[kMaxRegisterEntries];
    int32_t writeDelay[kMaxRegisterEntries];
    int32_t outputCount;  // 1..4
    // 1-based unit numbers of each output's unit choices; 0 = no choice there.
    int32_t outputUnits[kMaxOutputs][kMaxUnitChoices];
    char16_t outputNames[kMaxOutputs][kOutputNameLength];
};
static_assert(sizeof(SensorAccessRecord) == 1768);

// How to recognise sensors by reading one register: each window [min, max] of the value read
// (compared unsigned) names one catalogue id.
struct SensorSearchRecipe {
    int32_t address = 0;
    int32_t clockCode = 0;
    int32_t readType = 0;
    int32_t byteCount = 0;
    int32_t registerAddress = 0;
    int32_t bitMask = 0;
    int32_t entryCount = 0;  // 0..kMaxRecipeEntries
    int32_t valueMin[kMaxRecipeEntries] = {};
    int32_t valueMax[kMaxRecipeEntries] = {};
    std::u16string uniqueId[kMaxRecipeEntries];
    std::u16string matchedId;  // the id of the last match, kept by detection
};

// Result codes of loading the catalogue.
enum CatalogueResult : int32_t {
    kCatalogueOk = 1,
    kCatalogueDeviceNotOpen = 8,
    kCatalogueListEmpty = 513,
    kCatalogueFirmwareTooOld = 1793,
    kCatalogueVersionTooOld = 1795,
};
inline constexpr uint32_t kMinimumFirmwareVersion = 20110401u;

// The loaded catalogue: the DOM document (kept open for detection, which reads file entries
// later) and the tables built from it.
class SensorCatalogue {
public:
    enum class Entry { Access, Search, File };

    SensorCatalogue() = default;
    SensorCatalogue(const SensorCatalogue&) = delete;
    SensorCatalogue& operator=(const SensorCatalogue&) = delete;

    // Opens and parses the file (UTF-8 or UTF-16); no DTD or external entity is resolved.
    bool LoadDocument(const std::string& path);
    bool HasDocument() const { return loaded_; }

    // The steps of a load, in the order they must run.
    bool ReadXmlVersion();
    int LoadUnitList();
    int LoadSensorList();
    bool LoadAccessList();
    bool LoadSearchList();
    int CountSearchEntries();

    // The first node of a sensor's access, search or file entry, or an empty node. `failed`
    // reports a selection that could not run at all (as opposed to one that found nothing).
    pugi::xml_node SelectEntry(Entry entry, std::u16string_view id, bool* failed = nullptr) const;

    int32_t xmlVersion() const { return xmlVersion_; }
    const std::vector<UnitRecord>& units() const { return units_; }
    const std::vector<std::u16string>& sensorIds() const { return sensorIds_; }
    int sensorCount() const { return static_cast<int>(sensorIds_.size()); }
    // Sensor count plus the spare records.
    std::vector<SensorAccessRecord>& accessRecords() { return access_; }
    const std::vector<SensorAccessRecord>& accessRecords() const { return access_; }
    const std::vector<int32_t>& searchIndexes() const { return searchIndexes_; }
    std::vector<SensorSearchRecipe>& recipes() { return recipes_; }
    const std::vector<SensorSearchRecipe>& recipes() const { return recipes_; }
    // Index of the sensor id equal to `id`, or -1.
    int FindSensorIndex(std::u16string_view id) const;

private:
    void ReadAccessEntry(const pugi::xml_node& node, SensorAccessRecord& record) const;
    void ReadUnit(const pugi::xml_node& node, int n, SensorAccessRecord& record) const;
    bool ReadRecipe(const pugi::xml_node& node, SensorSearchRecipe& recipe) const;

    pugi::xml_document document_;
    bool loaded_ = false;
    int32_t xmlVersion_ = 0;
    std::vector<UnitRecord> units_;
    std::vector<std::u16string> sensorIds_;
    std::vector<SensorAccessRecord> access_;
    std::vector<int32_t> searchIndexes_;
    std::vector<SensorSearchRecipe> recipes_;
};

}  // namespace devicelink
