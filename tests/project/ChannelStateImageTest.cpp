#include <cstring>
#include <memory>
#include <random>
#include <string>

#include <gtest/gtest.h>

#include "logger/project/ExperimentRecords.h"
#include "platform/LittleEndian.h"
#include "platform/Text.h"

using namespace project;

namespace {

// The stored offsets, written out here rather than taken from the record, so that a record whose
// layout drifted would read the wrong bytes and fail.
constexpr size_t kAllOutputsAt = 68;
constexpr size_t kSelectedOutputAt = 216;
constexpr size_t kOutputCountAt = 220;
constexpr size_t kOutputNamesAt = 224;   // nine names of 16 units each
constexpr size_t kTimeOriginAt = 808;
constexpr size_t kTimeUnitAt = 812;
constexpr size_t kTimeFactorAt = 816;
constexpr size_t kNameAt = 836;
constexpr size_t kModelCodeAt = 1220;
constexpr size_t kSensorIdAt = 1348;

void PutText(ChannelStateImage& image, size_t offset, std::u16string_view text)
{
    for (size_t i = 0; i < text.size(); ++i) {
        image.bytes[offset + 2 * i] = uint8_t(text[i] & 0xFF);
        image.bytes[offset + 2 * i + 1] = uint8_t(text[i] >> 8);
    }
}

ChannelStateImage NoiseImage(unsigned seed)
{
    std::mt19937 random(seed);
    ChannelStateImage image;
    for (uint8_t& b : image.bytes)
        b = uint8_t(random());
    return image;
}

}  // namespace

// A copy taken from a project file goes out to the sensor's record and back unchanged: reserved
// bytes, signalling NaNs and negative zeros in float fields included.
TEST(ChannelStateImage, ImageReadOutAndWrittenBackIsByteIdentical)
{
    auto record = std::make_unique<DataSetRecord>();
    std::mt19937 random(7);
    for (size_t i = 0; i < sizeof *record; ++i)
        reinterpret_cast<uint8_t*>(record.get())[i] = uint8_t(random());
    for (int c = 0; c < kChannelCount; ++c) {
        platform::WriteLE32(record->channels[c].bytes, kTimeOriginAt, 0x7FA00001u);   // signalling NaN
        platform::WriteLE32(record->channels[c].bytes, kTimeUnitAt, 0x80000000u);     // -0.0
        platform::WriteLE32(record->channels[c].bytes, kTimeFactorAt, 0xFFFFFFFFu);   // NaN, all bits
    }
    auto before = std::make_unique<DataSetRecord>(*record);

    for (int c = 0; c < kChannelCount; ++c)
        record->channels[c] = ToStateImage(ToDeviceState(record->channels[c]));

    EXPECT_EQ(std::memcmp(record.get(), before.get(), sizeof *record), 0);
    for (unsigned seed = 1; seed <= 4; ++seed) {
        const ChannelStateImage image = NoiseImage(seed);
        const ChannelStateImage back = ToStateImage(ToDeviceState(image));
        EXPECT_EQ(std::memcmp(back.bytes, image.bytes, sizeof image.bytes), 0) << seed;
    }
}

// Each field the measurement, analysis and export code reads from a data set's copy comes from
// the stored offset it was read at by hand before.
TEST(ChannelStateImage, FieldsTheReadersUseComeFromTheirStoredOffsets)
{
    ChannelStateImage image = NoiseImage(11);
    platform::WriteLE32(image.bytes, kSelectedOutputAt, 2);
    platform::WriteLE32(image.bytes, kOutputCountAt, 3);
    PutText(image, kOutputNamesAt, std::u16string(u"First") + u'\0');
    PutText(image, kOutputNamesAt + 2 * 16 * 2, std::u16string(u"Third") + u'\0');
    PutText(image, kNameAt, std::u16string(u"Probe") + u'\0');
    PutText(image, kModelCodeAt, std::u16string(u"R7JE1") + u'\0');
    PutText(image, kSensorIdAt, std::u16string(u"S-12") + u'\0');
    platform::WriteLEFloat(image.bytes, kTimeUnitAt, 0.000001f);

    const devicelink::ChannelState state = ToDeviceState(image);

    EXPECT_EQ(state.selectedOutput, 2);   // the analysis screen's and graph set-up's output
    EXPECT_EQ(state.outputCount, 3);      // the report's value count, the graph set-up's names
    EXPECT_EQ(platform::FieldView(state.outputNames[0]), u"First");
    EXPECT_EQ(platform::FieldView(state.outputNames[2]), u"Third");
    EXPECT_EQ(platform::FieldView(state.name), u"Probe");        // the units' sensor name
    EXPECT_EQ(platform::FieldView(state.modelCode), u"R7JE1");   // gates and conductivity
    EXPECT_EQ(platform::FieldView(state.sensorId), u"S-12");     // the catalogue look-up
    EXPECT_FLOAT_EQ(state.timeUnit, 0.000001f);
}

// What a recorded copy rewrites by name lands on the stored words and nowhere else.
TEST(ChannelStateImage, FieldsWrittenByNameLandOnTheirStoredWordsOnly)
{
    const ChannelStateImage original = NoiseImage(23);
    devicelink::ChannelState state = ToDeviceState(original);
    state.allOutputs = 0;
    state.timeOrigin = 0.0f;
    state.timeUnit = 0.001f;
    state.timeFactor = 1.0f;
    const ChannelStateImage written = ToStateImage(state);

    ChannelStateImage expected = original;
    platform::WriteLE32(expected.bytes, kAllOutputsAt, 0);
    platform::WriteLE32(expected.bytes, kTimeOriginAt, 0);
    platform::WriteLEFloat(expected.bytes, kTimeUnitAt, 0.001f);
    platform::WriteLEFloat(expected.bytes, kTimeFactorAt, 1.0f);
    EXPECT_EQ(std::memcmp(written.bytes, expected.bytes, sizeof expected.bytes), 0);
}
