#include "devicelink/catalogue/SensorCatalogue.h"

#include "platform/Text.h"
#include "tests/support/TestCatalogue.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>

namespace {

using devicelink::SensorCatalogue;
using corviktest::CatalogueXml;
using corviktest::TempFile;

const char* const kThermometer = R"(
<VRD_SENSORS>
  <SENSOR_LIST type="SCC"><UNIQUE_ID>N05T_TEMP</UNIQUE_ID></SENSOR_LIST>
</VRD_SENSORS>
<VRD_SENSORS_SCC_ACCESS>
  <SENSOR_LIST_ACCESS uid="N05T_TEMP">
    <SCC_SENSORTYPE>N_TYPE</SCC_SENSORTYPE><SCC_CLK_SPEED>IIC_CLK_200KHZ</SCC_CLK_SPEED>
    <SCC_REG_READ_BYTENUM>2</SCC_REG_READ_BYTENUM>
    <SCC_RANGE_MIN>-4096</SCC_RANGE_MIN><SCC_RANGE_MAX>4095</SCC_RANGE_MAX>
    <SCC_SAMPLING_BIT1>1</SCC_SAMPLING_BIT1><SCC_SAMPLING_MAX1>100</SCC_SAMPLING_MAX1>
    <SCC_SAMPLING_BIT2>2</SCC_SAMPLING_BIT2><SCC_SAMPLING_BIT5>5</SCC_SAMPLING_BIT5>
    <SENSOR_UNIT1>DEGC</SENSOR_UNIT1><UNIT_RANGE_MIN1>-40.0</UNIT_RANGE_MIN1><UNIT_RANGE_MAX1>125</UNIT_RANGE_MAX1><VALUE_SIGDIGITS1>1</VALUE_SIGDIGITS1>
    <SENSOR_UNIT2>DEGF</SENSOR_UNIT2><UNIT_RANGE_MIN2>.5</UNIT_RANGE_MIN2><UNIT_RANGE_MAX2>.5</UNIT_RANGE_MAX2>
    <SCC_REG_READ_ADDRESS1>0</SCC_REG_READ_ADDRESS1><SCC_REG_READ_BITMASK1>0xFFFF</SCC_REG_READ_BITMASK1>
    <SCC_REG_READ_ADDRESS3>2</SCC_REG_READ_ADDRESS3>
    <SCC_REG_SETUP_WRITE_TYPE1>WRITE_ADDRESS_AND_DATA</SCC_REG_SETUP_WRITE_TYPE1>
    <SCC_REG_SETUP_WRITE_BYTENUM1>IIC_DATA8</SCC_REG_SETUP_WRITE_BYTENUM1>
    <SCC_REG_SETUP_WRITE_DATA1>0x60</SCC_REG_SETUP_WRITE_DATA1>
    <MULTIUNIT_INDEX1>1, 2,3,4,5,6</MULTIUNIT_INDEX1>
    <MULTIUNIT_SUBNAME1>Temperature of a rather long name beyond forty units</MULTIUNIT_SUBNAME1>
    <MULTIUNIT_INDEX2>2,99,-1</MULTIUNIT_INDEX2>
  </SENSOR_LIST_ACCESS>
</VRD_SENSORS_SCC_ACCESS>
<VRD_SENSORS_SEARCH>
  <SENSOR_LIST_SEARCH uid="N05T_TEMP">
    <SCC_ADDRESS>0x48</SCC_ADDRESS><SCC_CLK_SPEED>IIC_CLK_50KHZ</SCC_CLK_SPEED>
    <SCC_READ_TYPE>SCC_READ_ADDRESS_DATA</SCC_READ_TYPE><SCC_REG_READ_BYTENUM>IIC_DATA16</SCC_REG_READ_BYTENUM>
    <SCC_REG_READ_ADDRESS>0x0F</SCC_REG_READ_ADDRESS><SCC_REG_READ_BITMASK>0xFFFFFFFF</SCC_REG_READ_BITMASK>
    <SCC_REG_READ_UNIQUE_ID1>N05T_TEMP</SCC_REG_READ_UNIQUE_ID1><SCC_REG_READ_VALUE_MIN1>0x10</SCC_REG_READ_VALUE_MIN1><SCC_REG_READ_VALUE_MAX1>0x1F</SCC_REG_READ_VALUE_MAX1>
    <SCC_REG_READ_UNIQUE_ID2>OTHER</SCC_REG_READ_UNIQUE_ID2><SCC_REG_READ_VALUE_MIN2>0x80000000</SCC_REG_READ_VALUE_MIN2><SCC_REG_READ_VALUE_MAX2>0xFFFFFFFF</SCC_REG_READ_VALUE_MAX2>
    <SCC_REG_READ_UNIQUE_ID4>SKIPPED</SCC_REG_READ_UNIQUE_ID4>
  </SENSOR_LIST_SEARCH>
</VRD_SENSORS_SEARCH>
)";

// A catalogue holding one sensor whose access entry is `access`.
std::string OneSensor(const std::string& id, const std::string& access)
{
    return CatalogueXml("20110410", "<VRD_SENSORS><SENSOR_LIST type=\"SCC\"><UNIQUE_ID>" + id +
                                        "</UNIQUE_ID></SENSOR_LIST></VRD_SENSORS>\n<VRD_SENSORS_SCC_ACCESS>" + access +
                                        "</VRD_SENSORS_SCC_ACCESS>");
}

class CatalogueTest : public ::testing::Test {
protected:
    bool Load(const std::string& xml)
    {
        file_ = std::make_unique<TempFile>(xml);
        return catalogue_.LoadDocument(file_->path());
    }
    bool LoadTables()
    {
        return catalogue_.LoadUnitList() > 0 && catalogue_.LoadSensorList() > 0 && catalogue_.LoadAccessList() &&
               catalogue_.LoadSearchList();
    }
    bool LoadAccess()
    {
        catalogue_.LoadUnitList();
        return catalogue_.LoadSensorList() == 1 && catalogue_.LoadAccessList();
    }

    SensorCatalogue catalogue_;
    std::unique_ptr<TempFile> file_;
};

TEST_F(CatalogueTest, RejectsMissingOrMalformedFilesAndResolvesNoEntities)
{
    EXPECT_FALSE(catalogue_.LoadDocument("/nonexistent/sensor_korean.xml"));
    EXPECT_FALSE(Load("<CONTACTS><unclosed></CONTACTS>"));
    EXPECT_FALSE(catalogue_.HasDocument());

    std::string xml = OneSensor("&xxe;", "");
    xml.insert(xml.find("<CONTACTS>"), "<!DOCTYPE CONTACTS [<!ENTITY xxe SYSTEM \"file:///etc/hostname\">]>\n");
    ASSERT_TRUE(Load(xml));
    ASSERT_EQ(catalogue_.LoadSensorList(), 1);
    EXPECT_EQ(catalogue_.sensorIds()[0], u"&xxe;");
}

TEST_F(CatalogueTest, AccessAndSearchEntriesWithDefaultsAndBounds)
{
    ASSERT_TRUE(Load(CatalogueXml("20110410", kThermometer)));
    ASSERT_TRUE(LoadTables());
    ASSERT_EQ(catalogue_.units().size(), 4u);  // only the UNIT-typed nodes
    ASSERT_EQ(catalogue_.accessRecords().size(), 1u + devicelink::kSpareAccessRecords);
    const devicelink::SensorAccessRecord& r = catalogue_.accessRecords()[0];
    EXPECT_EQ(r.family, 1);
    EXPECT_EQ(r.clockCode, 11);
    EXPECT_EQ(r.byteCount, 2);  // a plain number where a width keyword may stand
    EXPECT_EQ(r.samplingCount, 2);  // entries past the fourth are not taken
    EXPECT_EQ(r.sampling[0].maxRate, 100);

    // The last unit with an equal key wins; the scale spans the raw range.
    EXPECT_EQ(r.unitCount, 2);
    EXPECT_EQ(platform::FieldView(r.units[0].unit.display), u"degC");
    EXPECT_EQ(r.units[0].significantDigits, 1);
    EXPECT_FLOAT_EQ(r.scale[0], 165.0f / 8191.0f);
    EXPECT_FLOAT_EQ(r.offset[0], -40.0f + 4096.0f * (165.0f / 8191.0f));
    // A unit without span gets scale 0 and its minimum (".5") as offset.
    EXPECT_FLOAT_EQ(r.scale[1], 0.0f);
    EXPECT_FLOAT_EQ(r.offset[1], 0.5f);

    // Register entries count to the last one present; gaps and absent writes keep their markers.
    EXPECT_EQ(r.registerCount, 3);
    EXPECT_EQ(r.readAddress[1], -1);
    EXPECT_EQ(r.writeType[0], 2);
    EXPECT_EQ(r.writeData[0], 0x60);
    EXPECT_EQ(r.writeType[1], -1);

    // Output lists keep four items and only known units; names are cut to their field.
    const int32_t units[2][4] = {{1, 2, 3, 4}, {2, 0, 0, 0}};
    for (int o = 0; o < 2; ++o)
        for (int k = 0; k < 4; ++k)
            EXPECT_EQ(r.outputUnits[o][k], units[o][k]) << o << "," << k;
    EXPECT_EQ(platform::FieldView(r.outputNames[0]).size(), size_t(devicelink::kOutputNameLength - 1));

    // The recipe stops at the first missing entry.
    ASSERT_EQ(catalogue_.recipes().size(), 1u);
    const devicelink::SensorSearchRecipe& recipe = catalogue_.recipes()[0];
    EXPECT_EQ(recipe.clockCode, 1);
    EXPECT_EQ(recipe.readType, 128);
    EXPECT_EQ(recipe.registerAddress, 0x0F);
    EXPECT_EQ(recipe.bitMask, -1);
    EXPECT_EQ(recipe.entryCount, 2);
    EXPECT_EQ(static_cast<uint32_t>(recipe.valueMin[1]), 0x80000000u);
    EXPECT_EQ(recipe.valueMax[1], -1);
}

TEST_F(CatalogueTest, OutputCountDefaultsToOneAndIsBounded)
{
    const std::pair<std::string, int> cases[] = {
        {"", 1}, {"<MULTIUNIT>3</MULTIUNIT>", 3}, {"<MULTIUNIT>9</MULTIUNIT>", 4}, {"<MULTIUNIT>-5</MULTIUNIT>", 1}};
    for (const auto& [element, expected] : cases) {
        ASSERT_TRUE(Load(OneSensor("A", "<SENSOR_LIST_ACCESS uid=\"A\">" + element + "</SENSOR_LIST_ACCESS>")));
        ASSERT_TRUE(LoadAccess());
        EXPECT_EQ(catalogue_.accessRecords()[0].outputCount, expected) << element;
    }
}

TEST_F(CatalogueTest, WideRawRangeScalesWithoutOverflow)
{
    ASSERT_TRUE(Load(OneSensor("W", R"(<SENSOR_LIST_ACCESS uid="W">
  <SCC_RANGE_MIN>-2147483648</SCC_RANGE_MIN><SCC_RANGE_MAX>2147483647</SCC_RANGE_MAX>
  <SENSOR_UNIT1>KPA</SENSOR_UNIT1><UNIT_RANGE_MIN1>-100.0</UNIT_RANGE_MIN1><UNIT_RANGE_MAX1>100.0</UNIT_RANGE_MAX1>
</SENSOR_LIST_ACCESS>)")));
    ASSERT_TRUE(LoadAccess());
    const devicelink::SensorAccessRecord& r = catalogue_.accessRecords()[0];
    EXPECT_FLOAT_EQ(r.scale[0], float(200.0 / 4294967295.0));
    EXPECT_NEAR(r.offset[0], 0.0f, 1e-3f);

    // A unit span no float can scale converts like a flat range, never to infinity.
    ASSERT_TRUE(Load(OneSensor("H", R"(<SENSOR_LIST_ACCESS uid="H">
  <SCC_RANGE_MIN>0</SCC_RANGE_MIN><SCC_RANGE_MAX>1</SCC_RANGE_MAX>
  <SENSOR_UNIT1>KPA</SENSOR_UNIT1><UNIT_RANGE_MIN1>-3e38</UNIT_RANGE_MIN1><UNIT_RANGE_MAX1>3e38</UNIT_RANGE_MAX1>
</SENSOR_LIST_ACCESS>)")));
    ASSERT_TRUE(LoadAccess());
    EXPECT_EQ(catalogue_.accessRecords()[0].scale[0], 0.0f);
    EXPECT_FLOAT_EQ(catalogue_.accessRecords()[0].offset[0], -3e38f);
}

TEST_F(CatalogueTest, QuotedIdsAreValuesAndAMissingAccessEntryFails)
{
    ASSERT_TRUE(Load(OneSensor(R"(Q"1' or "1"="1)", R"(<SENSOR_LIST_ACCESS uid="Q&quot;1' or &quot;1&quot;=&quot;1"><SCC_ADDRESS>9</SCC_ADDRESS></SENSOR_LIST_ACCESS>
<SENSOR_LIST_ACCESS uid="other"><SCC_ADDRESS>7</SCC_ADDRESS></SENSOR_LIST_ACCESS>)")));
    ASSERT_TRUE(LoadAccess());
    EXPECT_EQ(catalogue_.accessRecords()[0].address, 9);

    ASSERT_TRUE(Load(OneSensor("NONE", "")));
    EXPECT_FALSE(LoadAccess());
}

TEST_F(CatalogueTest, SearchListNeedsAnEntryAndIsCapped)
{
    ASSERT_TRUE(Load(OneSensor("A", "<SENSOR_LIST_ACCESS uid=\"A\"/>")));
    ASSERT_TRUE(LoadAccess());
    EXPECT_FALSE(catalogue_.LoadSearchList());

    std::string sensors = "<VRD_SENSORS>", access = "<VRD_SENSORS_SCC_ACCESS>", search = "<VRD_SENSORS_SEARCH>";
    for (int i = 0; i < 300; ++i) {
        const std::string id = "S" + std::to_string(i);
        sensors += "<SENSOR_LIST type=\"SCC\"><UNIQUE_ID>" + id + "</UNIQUE_ID></SENSOR_LIST>";
        access += "<SENSOR_LIST_ACCESS uid=\"" + id + "\"/>";
        search += "<SENSOR_LIST_SEARCH uid=\"" + id + "\"><SCC_REG_READ_UNIQUE_ID1>" + id +
                  "</SCC_REG_READ_UNIQUE_ID1></SENSOR_LIST_SEARCH>";
    }
    ASSERT_TRUE(Load(CatalogueXml("20110410", sensors + "</VRD_SENSORS>" + access + "</VRD_SENSORS_SCC_ACCESS>" +
                                                  search + "</VRD_SENSORS_SEARCH>")));
    ASSERT_TRUE(LoadTables());
    EXPECT_EQ(catalogue_.searchIndexes().size(), size_t(devicelink::kMaxSearchSensors));
    EXPECT_EQ(catalogue_.recipes().size(), size_t(devicelink::kMaxSearchSensors));
}

TEST_F(CatalogueTest, ReadsUtf16Catalogues)
{
    const std::u16string text =
        platform::Utf8ToUtf16(CatalogueXml("20110410", kThermometer).replace(30, 5, "UTF-16"));
    std::string bytes = "\xFF\xFE";
    for (char16_t c : text) {
        bytes += static_cast<char>(c & 0xFF);
        bytes += static_cast<char>(c >> 8);
    }
    ASSERT_TRUE(Load(bytes));
    EXPECT_TRUE(catalogue_.ReadXmlVersion());
    ASSERT_TRUE(LoadTables());
    EXPECT_EQ(platform::FieldView(catalogue_.units()[1].display), u"°C");
}

}  // namespace
