#include "devicelink/catalogue/SensorCatalogue.h"
#include "devicelink/catalogue/XmlCatalogueParse.h"
#include "devicelink/protocol/SensorSearchTable.h"

#include "platform/Text.h"
#include "tests/support/TestCatalogue.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using devicelink::SensorCatalogue;

class ProjectCatalogueTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(catalogue_.LoadDocument(corviktest::ProjectCataloguePath()));
        ASSERT_TRUE(catalogue_.ReadXmlVersion());
        ASSERT_GT(catalogue_.LoadUnitList(), 48);
        ASSERT_GT(catalogue_.LoadSensorList(), 0);
        ASSERT_TRUE(catalogue_.LoadAccessList());
        ASSERT_TRUE(catalogue_.LoadSearchList());
    }

    std::u16string FileText(const std::u16string& id, const char* element)
    {
        std::u16string text;
        EXPECT_TRUE(devicelink::XmlChildText(catalogue_.SelectEntry(SensorCatalogue::Entry::File, id), element, text))
            << platform::Utf16ToUtf8(id) << " " << element;
        return text;
    }

    SensorCatalogue catalogue_;
};

TEST_F(ProjectCatalogueTest, EntriesAreCompleteAndWithinTheirFields)
{
    const auto& ids = catalogue_.sensorIds();
    EXPECT_EQ(catalogue_.searchIndexes().size(), ids.size());
    EXPECT_LE(catalogue_.recipes().size(), size_t(devicelink::kSearchTableRecipes));
    for (size_t i = 0; i < ids.size(); ++i) {
        SCOPED_TRACE(platform::Utf16ToUtf8(ids[i]));
        EXPECT_LT(ids[i].size(), size_t(devicelink::kSensorIdLength));
        EXPECT_EQ(ids[i].find(u'"'), std::u16string::npos);
        // An id that begins another would find the wrong record by prefix.
        for (size_t j = 0; j < ids.size(); ++j)
            EXPECT_TRUE(i == j || ids[j].rfind(ids[i], 0) != 0);

        const devicelink::SensorAccessRecord& r = catalogue_.accessRecords()[i];
        EXPECT_GE(r.samplingCount, 1);
        EXPECT_GE(r.sampling[0].defaultRate, 1);
        EXPECT_LE(r.sampling[0].defaultRate, r.sampling[0].maxRate);
        EXPECT_LE(r.sampling[0].maxRate, 10000);
        EXPECT_GE(r.unitCount, 1);
        EXPECT_GE(r.registerCount, 1);
        for (int u = 0; u < r.unitCount; ++u) {
            EXPECT_LT(r.units[u].rangeMin, r.units[u].rangeMax) << "unit " << u;
            EXPECT_NE(r.scale[u], 0.0f) << "unit " << u;
        }
        for (int o = 0; o < r.outputCount; ++o) {
            EXPECT_GE(r.outputUnits[o][0], 1) << "output " << o;
            EXPECT_LE(r.outputUnits[o][0], r.unitCount) << "output " << o;
        }
        const std::u16string code = FileText(ids[i], "WHOAMISTRING");
        EXPECT_EQ(ids[i].rfind(code, 0), 0u);
        EXPECT_EQ(FileText(ids[i], "INFO_FILE"), code + u".html");
        EXPECT_LT(FileText(ids[i], "FULLNAME").size(), size_t(devicelink::kSensorIdLength));

        // The family follows the model letter.
        const int family = r.family;
        if (ids[i][0] == u'R' || code == u"CABL")
            EXPECT_TRUE(family == devicelink::kRType || family == devicelink::kREepromType);
        else if (ids[i][0] == u'W')
            EXPECT_TRUE(family == devicelink::kWType || family == devicelink::kWEepromType);
        else
            EXPECT_TRUE(family == devicelink::kNType || family == devicelink::kNEepromType);
    }
    // The units the adapter reader substitutes by position.
    EXPECT_EQ(platform::FieldView(catalogue_.units()[48].display), u"µS/cm");
    EXPECT_EQ(platform::FieldView(catalogue_.units()[33].display), u"V");
}

}  // namespace
