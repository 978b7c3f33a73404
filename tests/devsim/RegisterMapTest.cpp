#include "BlockHelpers.h"

#include "tools/devsim/Chips.h"
#include "tools/devsim/I2cBus.h"
#include "tools/devsim/SensorModels.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <string>

namespace {

using namespace devsim;
using devsim::testing::Make;
using devsim::testing::OneChannel;

// Writes through the bus the way the host's register-write block carries them.
void WriteNoRegister(VirtualSensor* s, int address, uint32_t data, int bytes, std::vector<WriteRecord>* log = nullptr)
{
    auto b = OneChannel(0, address, 4, bytes, 1);
    b.writeData[0] = int32_t(data);
    WriteChannel(s, b, 0, [&](const WriteRecord& r) {
        if (log)
            log->push_back(r);
    });
}

uint32_t ReadNoRegister(VirtualSensor* s, int address, int bytes)
{
    return ReadChannel(s, OneChannel(0, address, 129, bytes, 1), 0, 0.0, 8).at(0);
}

TEST(RegisterMap, TemperatureFollowsItsSignalAndAbsentChipsReadAsIdleBus)
{
    auto s = Make("temperature ramp start=20 slope=0.5");
    const auto b = OneChannel(0, 0x48, 128, 2, 2, 0x00, 0x0F);  // entries: register 0, register 0x0F
    const auto at0 = ReadChannel(s.get(), b, 0, 0.0, 8);
    const auto at4 = ReadChannel(s.get(), b, 0, 4.0, 8);
    ASSERT_EQ(at0.size(), 2u);
    EXPECT_EQ(at0[0], 20u * 16);       // 1/16 degC per count
    EXPECT_EQ(at4[0], 22u * 16);
    EXPECT_EQ(at0[1] & 0xFF, 0x54u);   // identification register

    // Negative values are two's complement in the field.
    auto cold = Make("temperature constant value=-1");
    EXPECT_EQ(ReadChannel(cold.get(), OneChannel(0, 0x48, 128, 2, 1), 0, 0.0, 8)[0], 0xFFF0u);
    // An absent address and an empty channel read as an idle bus.
    EXPECT_EQ(ReadChannel(s.get(), OneChannel(0, 0x33, 128, 2, 1), 0, 0.0, 8)[0], 0xFFFFu);
    EXPECT_EQ(ReadChannel(nullptr, OneChannel(0, 0x48, 128, 4, 1), 0, 0.0, 8)[0], 0xFFFFFFFFu);
}

TEST(RegisterMap, BarometerCalibrationWordsAndPressure)
{
    auto s = Make("barometer constant value=1000.5");
    // Six 2-byte registers from 0xAA, as the pressure calibration read asks for them.
    const auto cal = ReadChannel(s.get(), OneChannel(0, 0x77, 128, 2, 6, 0xAA, 2), 0, 0.0, 8);
    ASSERT_EQ(cal.size(), 6u);
    EXPECT_EQ(cal[0], 0x0198u);
    EXPECT_EQ(cal[1], 0xFFB8u);  // a word the host reads as negative
    // 0xF6 answers the temperature word, then the pressure word; a control write starts over.
    const auto first = ReadChannel(s.get(), OneChannel(0, 0x77, 128, 2, 2, 0xF6, 0), 0, 0.0, 8);
    EXPECT_NE(first[0], first[1]);
    WriteNoRegister(s.get(), 0x77, 0x2EF4, 2);  // register 0xF4 = 0x2E
    EXPECT_EQ(ReadChannel(s.get(), OneChannel(0, 0x77, 128, 2, 1, 0xF6), 0, 0.0, 8)[0], first[0]);
}

TEST(RegisterMap, BlockReadsPackBytesLittleEndian)
{
    std::vector<uint8_t> image(128);
    for (size_t i = 0; i < image.size(); ++i)
        image[i] = uint8_t(i);
    std::string hex;
    for (uint8_t b : image) {
        char two[3];
        std::snprintf(two, sizeof two, "%02X", b);
        hex += two;
    }
    auto s = Make("temperature memory=" + hex);
    // 8 bytes at register 136 (the memory chip's bytes 8..15).
    const auto words = ReadChannel(s.get(), OneChannel(0, 0x57, 128, 8, 1, 136), 0, 0.0, 8);
    ASSERT_EQ(words.size(), 2u);
    EXPECT_EQ(words[0], 0x0B0A0908u);
    EXPECT_EQ(words[1], 0x0F0E0D0Cu);
}

TEST(RegisterMap, AdapterMemoryProtocol)
{
    auto s = Make("voltage code=RQ7X name=Volt info=volt id=0x1234");
    std::vector<WriteRecord> log;
    EXPECT_EQ(ReadNoRegister(s.get(), 0, 2), 0x1234u);  // identification word at address 0
    WriteNoRegister(s.get(), 0, adapter::kUnlock, 3, &log);
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0].address, 0);
    EXPECT_EQ(log[0].data, (std::vector<uint8_t>{0x71, 0x55, 0xAA}));
    EXPECT_EQ(s->Find<AdapterChip>()->Unlocks(), 1);

    std::string code;
    for (int m = 0x78; m < 0x7C; ++m) {
        WriteNoRegister(s.get(), 113, adapter::kSelectBase + uint32_t(m) * 256 + 1, 3);
        code += char(ReadNoRegister(s.get(), 113, 1));
    }
    EXPECT_EQ(code, "RQ7X");

    WriteNoRegister(s.get(), 113, adapter::kSelectBase + 0x13 * 256 + 1, 3);
    EXPECT_EQ(ReadNoRegister(s.get(), 113, 1), 2u);  // kind byte
    WriteNoRegister(s.get(), 113, adapter::kSelectBase + 0x62 * 256 + 2, 3);
    EXPECT_EQ(ReadNoRegister(s.get(), 113, 2), 1000u);  // second raw table, point 1

    // Without a selection the adapter answers with the live reading: 0 V is the middle of the
    // range, reading 10000 (big-endian) on the logarithmic table.
    auto mid = Make("voltage constant value=0");
    EXPECT_EQ(ReadNoRegister(mid.get(), 113, 2), 0x1027u);
}

TEST(RegisterMap, AdapterHandsOutTaggedWordsAndTakesCalibrationPoints)
{
    auto s = Make("voltage");
    auto* adapterChip = s->Find<AdapterChip>();
    adapterChip->SetWord(3, -5);
    for (uint32_t i = 0; i < 11; ++i) {
        WriteNoRegister(s.get(), 113, adapter::kSelectBase + adapter::kWordStream * 256 + 4, 3);
        const uint32_t w = ReadNoRegister(s.get(), 113, 4);
        EXPECT_EQ(w >> 24, i);
        if (i == 3) {
            EXPECT_EQ(int16_t(w & 0xFFFF), -5);
        }
    }
    // A calibration value frame: 57 5A A5, location 20, 4 bytes, the float lowest byte first.
    auto b = OneChannel(0, 113, 4, 9, 1);
    const uint32_t f = std::bit_cast<uint32_t>(2.5f);
    b.writeData[0] = int32_t(0x14A55A57u);
    b.writeData[1] = int32_t(0x04u | (f << 8));
    b.writeData[2] = int32_t(f >> 24);
    WriteChannel(s.get(), b, 0, nullptr);
    WriteNoRegister(s.get(), 113, adapter::kSelectBase + 20 * 256 + 4, 3);
    EXPECT_FLOAT_EQ(std::bit_cast<float>(ReadNoRegister(s.get(), 113, 4)), 2.5f);
}

TEST(RegisterMap, FunctionGeneratorRecordsSixteenBitWrites)
{
    auto s = Make("funcgen");
    std::vector<WriteRecord> log;
    const auto write = [&](int reg, uint32_t value) {
        auto b = OneChannel(0, 0x75, 2, 2, 1, reg);
        b.writeData[0] = int32_t(value);
        WriteChannel(s.get(), b, 0, [&](const WriteRecord& r) { log.push_back(r); });
    };
    const uint32_t hz = std::bit_cast<uint32_t>(440.0f);
    write(34, 115);
    write(36, hz & 0xFFFF);
    write(38, hz >> 16);
    write(32, 1);
    auto* fg = s->Find<FunctionGeneratorChip>();
    EXPECT_TRUE(fg->Running(0));
    EXPECT_EQ(fg->AmplitudeCode(0), 115);
    EXPECT_FLOAT_EQ(fg->Frequency(0), 440.0f);
    ASSERT_EQ(log.size(), 4u);
    EXPECT_EQ(log[0].reg, 34);
    EXPECT_EQ(log[0].data, (std::vector<uint8_t>{115, 0}));
}

TEST(RegisterMap, SetupWritesRunBeforeAReadAndSpanWords)
{
    auto s = Make("temperature");
    auto b = OneChannel(0, 0x48, 128, 2, 2);
    b.writeType[0] = 131;
    b.writeRegister[0] = 0x01;
    b.writeLength[0] = 6;
    b.writeData[0] = 0x44332211;
    b.writeData[1] = 0x6655;
    std::vector<WriteRecord> log;
    RunSetupWrites(s.get(), b, 0, [&](const WriteRecord& r) { log.push_back(r); });
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0].reg, 1);
    EXPECT_EQ(log[0].data, (std::vector<uint8_t>{0x11, 0x22, 0x33, 0x44, 0x55, 0x66}));
    EXPECT_EQ(s->ChipAt(0x48)->Reg(6), 0x66);
}

TEST(RegisterMap, GpsStreamsNmeaText)
{
    auto s = Make("gps nmea lat=37.5 lon=127.25");
    const auto words = ReadChannel(s.get(), OneChannel(0, kGpsAddress, 128, 32, 1, 0xFF), 0, 0.5, 8);
    std::string text;
    for (uint32_t w : words)
        for (int i = 0; i < 4; ++i)
            text += char(w >> (8 * i));
    EXPECT_EQ(text, "$GPGGA,000000.00,3730.0000,N,127");
}

TEST(RegisterMap, SignalShapes)
{
    const auto value = [](const char* text, double t) {
        SignalSpec spec;
        std::string error;
        EXPECT_TRUE(ParseSignal(text, spec, error)) << error;
        return Signal(spec).Value(t);
    };
    EXPECT_DOUBLE_EQ(value("sine offset=1 amplitude=2 period=4", 1.0), 3.0);
    EXPECT_NEAR(value("damped amplitude=1 period=1 decay=1", 2.0), std::exp(-2.0), 1e-12);
    EXPECT_DOUBLE_EQ(value("steps offset=10 step=2 period=1 levels=3", 4.5), 12.0);
    EXPECT_DOUBLE_EQ(value("pulses period=1 width=0.2 high=5 offset=1", 3.1), 5.0);
    EXPECT_DOUBLE_EQ(value("pulses period=1 width=0.2 high=5 offset=1", 3.3), 1.0);
    EXPECT_EQ(value("noise amplitude=1 seed=3", 0.25), value("noise amplitude=1 seed=3", 0.25));
    EXPECT_LE(std::fabs(value("noise amplitude=1 seed=3", 0.5)), 1.0);

    SignalSpec spec;
    std::string error;
    EXPECT_FALSE(ParseSignal("sine colour=red", spec, error));
    EXPECT_FALSE(ParseSignal("square", spec, error));
    EXPECT_FALSE(ParseSignal("sine period=0", spec, error));
}

TEST(RegisterMap, UnknownModelsAndBadOptionsAreRefused)
{
    SensorSpec spec;
    std::string error;
    EXPECT_FALSE(ParseSensorSpec("thermometer", spec, error));
    ASSERT_TRUE(ParseSensorSpec("temperature memory=0G", spec, error));
    EXPECT_FALSE(MakeSensor(spec, error));
    ASSERT_TRUE(ParseSensorSpec("temperature address=200", spec, error));
    EXPECT_FALSE(MakeSensor(spec, error));
}

}  // namespace
