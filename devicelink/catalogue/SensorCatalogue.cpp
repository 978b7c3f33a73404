#include "devicelink/catalogue/SensorCatalogue.h"

#include "devicelink/catalogue/XmlCatalogueParse.h"
#include "platform/Text.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <new>

namespace devicelink {
namespace {

constexpr const char* kVersionPath = "/CONTACTS/VRD_XML_VERSION";
constexpr const char* kUnitPath = "/CONTACTS/VRD_UNIT_LIST/UNIT_LIST[@type=\"UNIT\"]";
constexpr const char* kSensorPath = "/CONTACTS/VRD_SENSORS/SENSOR_LIST[@type=\"SCC\"]";
// The id goes in as an XPath variable, so that any character in it is a plain value.
constexpr const char* kAccessPath = "/CONTACTS/VRD_SENSORS_SCC_ACCESS/SENSOR_LIST_ACCESS[@uid = $uid]";
constexpr const char* kSearchPath = "/CONTACTS/VRD_SENSORS_SEARCH/SENSOR_LIST_SEARCH[@uid = $uid]";
constexpr const char* kFilePath = "/CONTACTS/VRD_SENSORS_FILE/SENSOR_LIST_FILE[@uid = $uid]";

std::string Numbered(const char* name, int n)
{
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%s%d", name, n);
    return buffer;
}

// Reads child `name` as an integer into `out` when present.
bool ReadInt(const pugi::xml_node& node, const char* name, int32_t& out)
{
    std::u16string text;
    if (!XmlChildText(node, name, text))
        return false;
    out = ParseXmlInt(text);
    return true;
}

bool ReadInt(const pugi::xml_node& node, const std::string& name, int32_t& out)
{
    return ReadInt(node, name.c_str(), out);
}

bool ReadKeyword(const pugi::xml_node& node, const char* name, int32_t& out)
{
    std::u16string text;
    if (!XmlChildText(node, name, text))
        return false;
    out = ParseKeyword(text);
    return true;
}

// A byte count is a width keyword or, failing that, a plain number.
bool ReadByteCount(const pugi::xml_node& node, int32_t& out)
{
    std::u16string text;
    if (!XmlChildText(node, "SCC_REG_READ_BYTENUM", text))
        return false;
    out = ParseKeyword(text);
    if (out == 0)
        out = ParseXmlInt(text);
    return true;
}

bool ReadReal(const pugi::xml_node& node, const std::string& name, float& out)
{
    std::u16string text;
    if (!XmlChildText(node, name.c_str(), text))
        return false;
    out = ParseXmlReal(text);
    return true;
}

bool SameUnitId(const UnitRecord& unit, std::u16string_view id)
{
    char16_t key[kUnitTextLength];
    platform::CopyToField(key, id);
    return platform::FieldView(unit.id) == platform::FieldView(key);
}

}  // namespace

bool SensorCatalogue::LoadDocument(const std::string& path)
{
    loaded_ = false;
    document_.reset();
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file)
        return false;
    std::fclose(file);
    const pugi::xml_parse_result result =
        document_.load_file(path.c_str(), pugi::parse_default | pugi::parse_trim_pcdata, pugi::encoding_auto);
    loaded_ = static_cast<bool>(result);
    if (!loaded_)
        document_.reset();
    return loaded_;
}

pugi::xml_node SensorCatalogue::SelectEntry(Entry entry, std::u16string_view id, bool* failed) const
{
    if (failed)
        *failed = false;
    const char* path = entry == Entry::Access ? kAccessPath : entry == Entry::Search ? kSearchPath : kFilePath;
    try {
        pugi::xpath_variable_set variables;
        variables.set("uid", platform::Utf16ToUtf8(id).c_str());
        const pugi::xpath_query query(path, &variables);
        return query.evaluate_node(document_).node();
    } catch (const pugi::xpath_exception&) {
    } catch (const std::bad_alloc&) {
    }
    if (failed)
        *failed = true;
    return {};
}

bool SensorCatalogue::ReadXmlVersion()
{
    xmlVersion_ = 0;
    const pugi::xml_node node = document_.select_node(kVersionPath).node();
    if (!node)
        return false;
    const std::u16string text = XmlNodeText(node);
    xmlVersion_ = ParseXmlInt(text);
    return text >= kMinimumXmlVersion;
}

int SensorCatalogue::LoadUnitList()
{
    units_.clear();
    const pugi::xpath_node_set nodes = document_.select_nodes(kUnitPath);
    units_.reserve(nodes.size());
    for (const pugi::xpath_node& item : nodes) {
        UnitRecord unit{};
        std::u16string text;
        XmlChildText(item.node(), "UNIT_ID", text);
        platform::CopyToField(unit.id, text);
        XmlChildText(item.node(), "UNIT_DISP", text);
        platform::CopyToField(unit.display, text);
        XmlChildText(item.node(), "UNIT_NAME", text);
        platform::CopyToField(unit.name, text);
        units_.push_back(unit);
    }
    return static_cast<int>(units_.size());
}

int SensorCatalogue::LoadSensorList()
{
    sensorIds_.clear();
    const pugi::xpath_node_set nodes = document_.select_nodes(kSensorPath);
    sensorIds_.reserve(nodes.size());
    for (const pugi::xpath_node& item : nodes) {
        std::u16string id;
        XmlChildText(item.node(), "UNIQUE_ID", id);
        sensorIds_.push_back(std::move(id));
    }
    return static_cast<int>(sensorIds_.size());
}

int SensorCatalogue::FindSensorIndex(std::u16string_view id) const
{
    for (size_t i = 0; i < sensorIds_.size(); ++i) {
        if (sensorIds_[i] == id)
            return static_cast<int>(i);
    }
    return -1;
}

bool SensorCatalogue::LoadAccessList()
{
    access_.assign(sensorIds_.size() + kSpareAccessRecords, SensorAccessRecord{});
    for (size_t i = 0; i < sensorIds_.size(); ++i) {
        SensorAccessRecord& record = access_[i];
        platform::CopyToField(record.id, sensorIds_[i]);
        bool failed = false;
        const pugi::xml_node node = SelectEntry(Entry::Access, sensorIds_[i], &failed);
        if (failed)
            continue;
        if (!node)
            return false;
        ReadAccessEntry(node, record);
    }
    return true;
}

void SensorCatalogue::ReadAccessEntry(const pugi::xml_node& node, SensorAccessRecord& record) const
{
    ReadKeyword(node, "SCC_SENSORTYPE", record.family);
    ReadInt(node, "SCC_ADDRESS", record.address);
    ReadKeyword(node, "SCC_CLK_SPEED", record.clockCode);
    ReadKeyword(node, "SCC_READ_TYPE", record.readType);
    ReadByteCount(node, record.byteCount);
    std::u16string text;
    if (XmlChildText(node, "SCC_DATA_SIGNED", text))
        record.isSigned = text == u"SIGNED" ? 1 : 0;
    ReadInt(node, "SCC_RANGE_MIN", record.rawMin);
    ReadInt(node, "SCC_RANGE_MAX", record.rawMax);
    ReadInt(node, "SCC_RANGE_OFFSET", record.rawOffset);
    ReadInt(node, "SCC_MIN_READINGTIMEUS", record.minReadingTimeUs);
    // A zeroed record would otherwise claim no outputs at all.
    record.outputCount = 1;
    ReadInt(node, "MULTIUNIT", record.outputCount);
    record.outputCount = std::clamp(record.outputCount, 1, kMaxOutputs);

    // Entries past the record's four have nowhere to go.
    for (int n = 1; n <= kMaxSamplingEntries; ++n) {
        SamplingEntry& entry = record.sampling[n - 1];
        if (!ReadInt(node, Numbered("SCC_SAMPLING_BIT", n), entry.bit))
            continue;
        ReadInt(node, Numbered("SCC_SAMPLING_MAX", n), entry.maxRate);
        ReadInt(node, Numbered("SCC_SAMPLING_DEFAULT", n), entry.defaultRate);
        record.samplingCount = n;
    }

    for (int n = 1; n <= kMaxUnits; ++n)
        ReadUnit(node, n, record);

    for (int n = 1; n <= kMaxRegisterEntries; ++n) {
        const int k = n - 1;
        if (ReadInt(node, Numbered("SCC_REG_READ_ADDRESS", n), record.readAddress[k])) {
            ReadInt(node, Numbered("SCC_REG_READ_BITMASK", n), record.readMask[k]);
            record.registerCount = n;
        } else {
            record.readAddress[k] = -1;
        }
        if (!XmlChildText(node, Numbered("SCC_REG_SETUP_WRITE_TYPE", n).c_str(), text))
            record.writeType[k] = -1;
        else
            record.writeType[k] = ParseKeyword(text);
        record.writeAddress[k] = 255;
        ReadInt(node, Numbered("SCC_REG_SETUP_WRITE_ADDRESS", n), record.writeAddress[k]);
        ReadKeyword(node, Numbered("SCC_REG_SETUP_WRITE_BYTENUM", n).c_str(), record.writeByteCount[k]);
        ReadInt(node, Numbered("SCC_REG_SETUP_WRITE_DATA", n), record.writeData[k]);
        ReadInt(node, Numbered("SCC_REG_SETUP_DELAY", n), record.writeDelay[k]);
    }

    for (int n = 1; n <= kMaxOutputs; ++n) {
        int32_t* choices = record.outputUnits[n - 1];
        if (XmlChildText(node, Numbered("MULTIUNIT_INDEX", n).c_str(), text)) {
            // At most four choices fit; a number that names no unit of the record counts as none.
            size_t start = 0;
            for (int k = 0; k < kMaxUnitChoices && start <= text.size(); ++k) {
                size_t comma = text.find(u',', start);
                if (comma == std::u16string::npos)
                    comma = text.size();
                const int32_t unit = ParseXmlInt(std::u16string_view(text).substr(start, comma - start));
                choices[k] = (unit >= 1 && unit <= kMaxUnits) ? unit : 0;
                start = comma + 1;
            }
        }
        if (XmlChildText(node, Numbered("MULTIUNIT_SUBNAME", n).c_str(), text))
            platform::CopyToField(record.outputNames[n - 1], text);
    }
}

void SensorCatalogue::ReadUnit(const pugi::xml_node& node, int n, SensorAccessRecord& record) const
{
    std::u16string text;
    if (!XmlChildText(node, Numbered("SENSOR_UNIT", n).c_str(), text))
        return;
    SensorUnitEntry& entry = record.units[n - 1];
    entry.unit = UnitRecord{};
    for (const UnitRecord& unit : units_) {
        if (SameUnitId(unit, text))
            entry.unit = unit;
    }
    ReadReal(node, Numbered("UNIT_RANGE_MIN", n), entry.rangeMin);
    ReadReal(node, Numbered("UNIT_RANGE_MAX", n), entry.rangeMax);
    ReadInt(node, Numbered("VALUE_SIGDIGITS", n), entry.significantDigits);
    // In double: the raw span of a 32-bit sensor does not fit an int32.
    const double rawSpan = double(record.rawMax) - double(record.rawMin);
    const double unitSpan = double(entry.rangeMax) - double(entry.rangeMin);
    double scale = (rawSpan == 0.0 || unitSpan == 0.0) ? 0.0 : unitSpan / rawSpan;
    double offset = double(entry.rangeMin) - double(record.rawMin) * scale;
    // Only a damaged entry gives a line no float can hold; it converts like a flat range rather
    // than turning every value into infinity.
    constexpr double kFloatMax = std::numeric_limits<float>::max();
    if (!(std::fabs(scale) <= kFloatMax && std::fabs(offset) <= kFloatMax)) {
        scale = 0.0;
        offset = entry.rangeMin;
    }
    record.scale[n - 1] = static_cast<float>(scale);
    record.offset[n - 1] = static_cast<float>(offset);
    record.unitCount = n;
}

int SensorCatalogue::CountSearchEntries()
{
    searchIndexes_.clear();
    for (size_t i = 0; i < sensorIds_.size() && searchIndexes_.size() < size_t(kMaxSearchSensors); ++i) {
        if (SelectEntry(Entry::Search, sensorIds_[i]))
            searchIndexes_.push_back(static_cast<int32_t>(i));
    }
    return static_cast<int>(searchIndexes_.size());
}

bool SensorCatalogue::LoadSearchList()
{
    if (CountSearchEntries() == 0)
        return false;
    recipes_.clear();
    recipes_.resize(searchIndexes_.size());
    for (size_t r = 0; r < searchIndexes_.size(); ++r) {
        const pugi::xml_node node = SelectEntry(Entry::Search, sensorIds_[searchIndexes_[r]]);
        if (!node || !ReadRecipe(node, recipes_[r]))
            return false;
    }
    return true;
}

bool SensorCatalogue::ReadRecipe(const pugi::xml_node& node, SensorSearchRecipe& recipe) const
{
    ReadInt(node, "SCC_ADDRESS", recipe.address);
    ReadKeyword(node, "SCC_CLK_SPEED", recipe.clockCode);
    ReadKeyword(node, "SCC_READ_TYPE", recipe.readType);
    ReadByteCount(node, recipe.byteCount);
    ReadInt(node, "SCC_REG_READ_ADDRESS", recipe.registerAddress);
    ReadInt(node, "SCC_REG_READ_BITMASK", recipe.bitMask);
    for (int n = 1; n <= kMaxRecipeEntries; ++n) {
        std::u16string id;
        if (!XmlChildText(node, Numbered("SCC_REG_READ_UNIQUE_ID", n).c_str(), id))
            break;
        recipe.uniqueId[n - 1] = std::move(id);
        ReadInt(node, Numbered("SCC_REG_READ_VALUE_MIN", n), recipe.valueMin[n - 1]);
        ReadInt(node, Numbered("SCC_REG_READ_VALUE_MAX", n), recipe.valueMax[n - 1]);
        recipe.entryCount = n;
    }
    return true;
}

}  // namespace devicelink
