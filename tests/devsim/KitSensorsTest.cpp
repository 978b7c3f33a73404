#include "tools/devsim/Chips.h"
#include "tools/devsim/I2cBus.h"
#include "tools/devsim/KitSensors.h"
#include "tools/devsim/SensorModels.h"

#include "BlockHelpers.h"
#include "devicelink/catalogue/SensorCatalogue.h"
#include "devicelink/conversion/SampleConversion.h"
#include "platform/LittleEndian.h"
#include "platform/Text.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstring>

using namespace devsim;
using devsim::testing::OneChannel;

namespace {

const auto Kit = devsim::testing::Make;

class KitCatalogue : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        catalogue_ = new devicelink::SensorCatalogue;
        ASSERT_TRUE(catalogue_->LoadDocument(CORVIK_TEST_SOURCE_DIR "/resources/sensor_korean.xml"));
        ASSERT_TRUE(catalogue_->ReadXmlVersion());
        ASSERT_GT(catalogue_->LoadUnitList(), 0);
        ASSERT_GT(catalogue_->LoadSensorList(), 0);
        ASSERT_TRUE(catalogue_->LoadAccessList());
        ASSERT_TRUE(catalogue_->LoadSearchList());
    }
    static void TearDownTestSuite() { delete catalogue_; }

    // The model code a catalogue id begins with.
    static std::string CodeOf(const std::u16string& id)
    {
        const std::string text = platform::Utf16ToUtf8(id);
        if (FindKitModel(text))
            return text;
        return text.substr(0, text.find('_'));
    }

    static uint8_t AdapterByte(VirtualSensor& s, int location)
    {
        I2cChip* chip = s.ChipAt(kAdapterAddress);
        const uint32_t select = adapter::kSelectBase + uint32_t(location) * 256 + 1;
        const uint8_t command[3] = {uint8_t(select), uint8_t(select >> 8), uint8_t(select >> 16)};
        chip->Write(kAdapterAddress, kNoRegister, command);
        uint8_t out[1] = {};
        chip->Read(kAdapterAddress, kNoRegister, out);
        return out[0];
    }

    // The value a recipe's identifying read gives on this sensor.
    static uint32_t RecipeValue(VirtualSensor& s, const devicelink::SensorSearchRecipe& r)
    {
        if (r.address == kAdapterAddress) {
            if (!s.ChipAt(kAdapterAddress))
                return 0xFFFFFFFFu;
            uint32_t v = 0;
            for (int m = 0x78; m <= 0x7B; ++m)
                v = v << 8 | AdapterByte(s, m);
            return v;
        }
        const auto block = OneChannel(0, r.address, r.readType, r.byteCount, 1, r.registerAddress);
        return ReadChannel(&s, block, 0, 0.0, 8).at(0) & uint32_t(r.bitMask);
    }

    static const devicelink::SensorAccessRecord& Record(const std::string& code)
    {
        for (const auto& rec : catalogue_->accessRecords())
            if (CodeOf(std::u16string(platform::FieldView(rec.id))) == code)
                return rec;
        throw std::runtime_error("no record for " + code);
    }

    // The conversion record as the sensor object fills it for the first unit.
    static devicelink::ConversionParams Params(const std::string& code, int kind)
    {
        const auto& rec = Record(code);
        devicelink::ConversionParams p{};
        p.byteCount = rec.byteCount;
        p.entriesPerSample = rec.registerCount;
        p.outputsPerSample = rec.outputCount;
        p.conversionKind = kind;
        p.isSigned = rec.isSigned;
        p.rangeMax = rec.rawMax;
        p.rangeMin = rec.rawMin;
        p.scaleA = rec.scale[0];
        p.offsetB = rec.offset[0];
        p.multiplierM = 1.0f;
        p.timeScale = 0.001f;
        return p;
    }

    static float Convert(const devicelink::ConversionParams& p, const std::vector<uint32_t>& words)
    {
        std::vector<int32_t> raw(words.begin(), words.end()), times(words.size(), 0);
        float values[8] = {}, out[8] = {};
        int32_t n = 0;
        devicelink::ConvertSamples(0, 1, raw.data(), times.data(), values, out, 0, &p, &n);
        EXPECT_GT(n, 0);
        return values[0];
    }

    static devicelink::SensorCatalogue* catalogue_;
};

devicelink::SensorCatalogue* KitCatalogue::catalogue_ = nullptr;

TEST_F(KitCatalogue, EveryCatalogueSensorHasAKitModelThatItsRecipeRecognisesFirst)
{
    const auto& recipes = catalogue_->recipes();
    int checked = 0;
    for (const auto& recipe : recipes) {
        for (int k = 0; k < recipe.entryCount; ++k) {
            const std::string code = CodeOf(recipe.uniqueId[k]);
            SCOPED_TRACE(code);
            auto sensor = Kit(code);
            ASSERT_TRUE(sensor);
            // Detection takes the first recipe and window that match: it must be this sensor's.
            std::u16string first;
            for (const auto& r : recipes) {
                const uint32_t v = RecipeValue(*sensor, r);
                for (int j = 0; j < r.entryCount && first.empty(); ++j)
                    if (uint32_t(r.valueMin[j]) <= v && v <= uint32_t(r.valueMax[j]))
                        first = r.uniqueId[j];
                if (!first.empty())
                    break;
            }
            EXPECT_EQ(platform::Utf16ToUtf8(first), platform::Utf16ToUtf8(recipe.uniqueId[k]));
            ++checked;
        }
    }
    EXPECT_EQ(checked, 44);
    EXPECT_EQ(KitModels().size(), 44u);
}

TEST_F(KitCatalogue, RegisterSensorsConvertToTheirSignal)
{
    struct Case {
        const char* spec;
        int kind;
        double expected;
        double tolerance;
    };
    const Case cases[] = {
        {"N2H constant value=21.5", 13, 21.5, 0.01},
        {"N76 constant value=-12.25", 14, -12.25, 0.07},
        {"N46 constant value=90", 30, 90.0, 0.05},
        {"N23 constant value=0.25", 33, 0.25, 0.001},
        {"W82 constant value=60", 24, 60.0, 0.01},
        {"SC_LIGHT_EEPROM constant value=350", 0, 350.0, 0.05},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.spec);
        auto s = Kit(c.spec);
        const std::string code = s->Model();
        const auto& rec = Record(code);
        auto block = OneChannel(0, rec.address, rec.readType, rec.byteCount, rec.registerCount);
        for (int k = 0; k < rec.registerCount; ++k)
            block.readRegister[k] = uint8_t(rec.readAddress[k]);
        auto words = ReadChannel(s.get(), block, 0, 0.0, 8);
        for (int k = 0; k < rec.registerCount; ++k)
            words[size_t(k)] &= uint32_t(rec.readMask[k]);
        EXPECT_NEAR(Convert(Params(code, c.kind), words), c.expected, c.tolerance);
    }
}

TEST_F(KitCatalogue, MemoryChipSensorsConvertThroughTheirTwoSlopes)
{
    auto s = Kit("W75 constant value=-12");
    const auto words = ReadChannel(s.get(), OneChannel(0, 0x48, 128, 2, 1), 0, 0.0, 8);
    auto p = Params("W75", 26);
    // Calibration kind 5 in the image: raws at 4 and 6, eight floats from 8.
    I2cChip* memory = s->ChipAt(kMemoryChipAddress);
    ASSERT_EQ(memory->RegsLE(128, 4), 5u);
    p.rawPoints[1] = int16_t(memory->RegsLE(128 + 6, 2));
    for (int i = 0; i < 8; ++i)
        p.pointValues[i] = std::bit_cast<float>(memory->RegsLE(128 + 8 + 4 * i, 4));
    EXPECT_NEAR(Convert(p, words), -12.0, 0.01);
}

TEST_F(KitCatalogue, BarometerComesOutAsTheAirPressureAtEitherEndOfItsRange)
{
    // The simulated chip works from the published compensation; the host's own must give the
    // same air back on a freezing and on a hot day, where its B2 term matters most.
    for (const double celsius : {-25.0, 22.0, 60.0}) {
        SCOPED_TRACE(celsius);
        auto s = Kit("N11 constant value=1013.25 temperature=" + std::to_string(celsius));
        auto block = OneChannel(0, 0x77, 128, 2, 3);
        block.readRegister[0] = 0xF6;
        block.readRegister[1] = 0xF6;
        block.readRegister[2] = 0xF8;
        const auto words = ReadChannel(s.get(), block, 0, 0.0, 8);
        auto p = Params("N11", 12);
        I2cChip* chip = s->ChipAt(0x77);
        for (int i = 0; i < 11; ++i) {
            const uint32_t w = chip->RegsLE(0xAA + 2 * i, 2);
            p.calWords[i] = i >= 3 && i <= 5 ? int32_t(w) : int32_t(int16_t(w));
        }
        p.pointValues[0] = 1013.25f;
        EXPECT_NEAR(Convert(p, words), 1013.25, 0.02);
        p.outputSelector = 2;
        EXPECT_NEAR(Convert(p, words), celsius, 0.1);
    }
}

TEST_F(KitCatalogue, AdapterSensorsConvertThroughTheirTables)
{
    struct Case {
        const char* spec;
        int kind;
        int byteCount;
        double expected;
        double tolerance;
    };
    const Case cases[] = {
        {"R75 constant value=4.5", 10, 4, 4.5, 0.01},
        {"R5E constant value=800", 10, 4, 800.0, 2.0},
        {"R5F constant value=20.9", 10, 4, 20.9, 0.01},
        {"R83 constant value=-20", 10, 4, -20.0, 0.1},
        {"R55V constant value=500", 20, 4, 500.0, 0.5},
        {"R53E constant value=-3", 19, 4, -3.0, 0.01},
        {"R21E constant value=24", 2, 2, 24.0, 0.4},
        {"R97E constant value=45", 17, 4, 45.0, 0.05},
        {"CABL constant value=2.5", 35, 4, 2.5, 0.002},
        {"R99 constant value=50", 23, 4, 50.0, 0.05},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.spec);
        auto s = Kit(c.spec);
        auto* chip = s->Find<AdapterChip>();
        ASSERT_TRUE(chip);
        const auto& mem = chip->Memory();
        auto p = Params(s->Model(), c.kind);
        p.byteCount = c.byteCount;
        for (int i = 0; i < 7; ++i) {
            p.pointValues[i] = std::bit_cast<float>(platform::ReadLE32(mem, size_t(0x14 + 4 * i)));
            const float second = std::bit_cast<float>(platform::ReadLE32(mem, size_t(0x44 + 4 * i)));
            if (i == 0)
                p.coefT0 = second;
            if (i == 1)
                p.coefT1 = second;
        }
        for (int i = 0; i < 8; ++i) {
            p.rawPoints[i] = int16_t(platform::ReadLE16(mem, size_t(0x30 + 2 * i)));
            p.refWords[i] = int16_t(platform::ReadLE16(mem, size_t(0x60 + 2 * i)));
        }
        std::vector<uint32_t> words;
        const int entries = std::max(1, p.entriesPerSample);
        for (int k = 0; k < entries; ++k)
            words.push_back(ReadChannel(s.get(), OneChannel(0, 113, 129, c.byteCount, 1), 0, 0.0, 8).at(0));
        EXPECT_NEAR(Convert(p, words), c.expected, c.tolerance);
    }
}

}  // namespace
