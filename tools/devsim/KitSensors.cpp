#include "tools/devsim/KitSensors.h"

#include "tools/devsim/Chips.h"
#include "tools/devsim/PressureChipModel.h"
#include "tools/devsim/SensorModels.h"
#include "tools/devsim/TextWords.h"

#include "platform/LittleEndian.h"

#include <algorithm>
#include <bit>
#include <cmath>

namespace devsim {

namespace {

using S = KitShape;
using E = AdapterEncoding;
using M = KitMemory;

// Catalogue raw spans: signed 16-bit words over a unit range give zero = low + 32768 x scale.
constexpr LiveField SignedWord(double low, double high)
{
    const double scale = (high - low) / 65535.0;
    return LiveField{0x00, 2, low + 32768.0 * scale, scale, true, false};
}

constexpr double kMagnetScale = 2600.0 / 65535.0;  // microtesla per count of the three-axis chip

// clang-format off
constexpr KitModel kKit[] = {
    {"N11", "barometer, hPa: compensated pressure words at 0xF6/0xF8, calibration at 0xAA..0xBF (0x77)",
     "constant value=1013.25", S::Barometer, 0x77, "D0:55", {}, 300.0, 1100.0, nullptr, M::None, E::None, 0},
    {"N45", "force, N: 24-bit reading at 0x12, calibration polynomial in its memory chip (0x2A)",
     "constant value=2.5", S::Register, 0x2A, "1F:45", {{0x12, 3, 0.0, 0.01, false, false}}, -50.0, 50.0,
     "N45", M::Polynomial, E::None, 0},
    {"N50", "colour, four big-endian channel counts at 0x94..0x9A (0x39)",
     "constant value=40", S::Register, 0x39, "92:AB",
     {{0x98, 2, 0.0, 1.0, false, true}, {0x96, 2, 0.0, 1.0, false, true},
      {0x9A, 2, 0.0, 1.0, false, true}, {0x94, 2, 0.0, 1.0, false, true}},
     0.0, 100.0, nullptr, M::None, E::None, 0},
    {"N56", "three-axis magnetic field, uT, big-endian axes at 0x28/0x2A/0x2C (0x18)",
     "constant value=45", S::Register, 0x18, "0F:3D",
     {{0x28, 2, 0.0, kMagnetScale, true, true}, {0x2A, 2, 0.0, kMagnetScale, true, true},
      {0x2C, 2, 0.0, kMagnetScale, true, true}},
     -1300.0, 1300.0, nullptr, M::None, E::None, 0},
    {"N2H", "temperature, 1/128 degC per count at register 0 (0x49)",
     "constant value=21.5", S::Register, 0x49, "0F:17", {{0x00, 2, 0.0, 1.0 / 128.0, true, false}},
     -40.0, 125.0, nullptr, M::None, E::None, 0},
    {"N76", "surface temperature, 1/16 degC in 13 bits at 0x05 (0x4A)",
     "constant value=23.5", S::Register, 0x4A, "07:04", {{0x05, 2, 0.0, 0.0625, true, false}},
     -55.0, 125.0, nullptr, M::None, E::None, 0},
    {"N82", "sound level, 10-bit reading over 0x00/0x01 (0x4D)",
     "constant value=55", S::Register, 0x4D, "0F:82", {{0x00, 2, 40.0, 70.0 / 1023.0, false, false}},
     40.0, 110.0, nullptr, M::None, E::None, 0},
    {"N46", "rotary motion, degrees, 14-bit angle at 0x0E (0x36)",
     "constant value=90", S::Register, 0x36, "0B:46", {{0x0E, 2, 0.0, 360.0 / 65536.0, false, false}},
     0.0, 360.0, nullptr, M::None, E::None, 0},
    {"N23", "current, A, 0.1 mA per count at 0x04 (0x40)",
     "constant value=0.25", S::Register, 0x40, "FE:54", {{0x04, 2, 0.0, 1e-4, true, false}},
     -1.0, 1.0, nullptr, M::None, E::None, 0},
    {"N24", "GPS receiver, NMEA text streamed at register 0xFF (0x42)",
     "nmea", S::Gps, kGpsAddress, "F0:24", {}, -180.0, 180.0, nullptr, M::None, E::None, 0},
    {"N13E", "drop counter, 32-bit count at register 0 (0x70)",
     "pulses period=1 width=0.1 high=1 offset=0", S::Register, 0x70, "0F:13", {{0x00, 4, 0.0, 1.0, false, false}},
     0.0, 2147.483647, nullptr, M::None, E::None, 0},
    {"N19", "function generator, 16-bit registers 32..62 (0x75)",
     "constant value=0", S::FunctionGenerator, kFunctionGeneratorAddress, "0F:19", {}, -5.0, 5.0,
     nullptr, M::None, E::None, 0},
    {"SC_LIGHT_EEPROM", "light, lx, 16-bit reading without register (0x23), memory chip 0x57",
     "constant value=350", S::CurrentRegister, 0x23, nullptr, {{0x00, 2, 0.0, 1000.0 / 65535.0, false, false}},
     0.0, 1000.0, "SC_L", M::Plain, E::None, 0},
    {"R7JE", "photogate behind the adapter, gate state", "pulses period=1 width=0.1 high=1 offset=0",
     S::Adapter, kAdapterAddress, nullptr, {}, 0.0, 1000.0, nullptr, M::None, E::Linear, 4095},
    {"R7JF", "smart photogate behind the adapter, gate state", "pulses period=1 width=0.1 high=1 offset=0",
     S::Adapter, kAdapterAddress, nullptr, {}, 0.0, 2147.4836, nullptr, M::None, E::Linear, 2147483647.0},
    {"R7LF", "motion detector, m", "constant value=1.2", S::Adapter, kAdapterAddress, nullptr, {},
     0.15, 6.0, nullptr, M::None, E::Logarithmic, 0},
    {"R21E", "thermocouple adapter, degC", "constant value=24", S::Adapter, kAdapterAddress, nullptr, {},
     -200.0, 1200.0, nullptr, M::None, E::SwappedLine, 0},
    {"RE3E", "conductivity adapter, uS/cm", "constant value=800", S::Adapter, kAdapterAddress, nullptr, {},
     0.0, 20000.0, nullptr, M::None, E::Logarithmic, 0},
    {"R55V", "conductivity, uS/cm", "constant value=500", S::Adapter, kAdapterAddress, nullptr, {},
     0.0, 2000.0, nullptr, M::None, E::SwappedLine, 0},
    {"R53E", "voltage adapter, V", "constant value=1.5", S::Adapter, kAdapterAddress, nullptr, {},
     -10.0, 10.0, nullptr, M::None, E::SwappedLine, 0},
    {"R97E", "humidity adapter, %RH", "constant value=45", S::Adapter, kAdapterAddress, nullptr, {},
     0.0, 100.0, nullptr, M::None, E::Humidity, 0},
    {"R99", "weather station, %RH", "constant value=50", S::Adapter, kAdapterAddress, nullptr, {},
     0.0, 100.0, nullptr, M::None, E::Weather, 0},
    {"R93", "humidity, %RH", "constant value=45", S::Adapter, kAdapterAddress, nullptr, {},
     0.0, 100.0, nullptr, M::None, E::Humidity, 0},
    {"R97", "humidity and temperature, %RH", "constant value=45", S::Adapter, kAdapterAddress, nullptr, {},
     0.0, 100.0, nullptr, M::None, E::Humidity, 0},
    {"R98", "ultraviolet, mW/m2", "constant value=60", S::Adapter, kAdapterAddress, nullptr, {},
     0.0, 200.0, nullptr, M::None, E::Logarithmic, 0},
    {"R5E", "carbon dioxide, ppm", "constant value=800", S::Adapter, kAdapterAddress, nullptr, {},
     0.0, 10000.0, nullptr, M::None, E::Logarithmic, 0},
    {"R5F", "oxygen, %", "constant value=20.9", S::Adapter, kAdapterAddress, nullptr, {},
     0.0, 27.0, nullptr, M::None, E::Logarithmic, 0},
    {"R83", "force, N", "constant value=10", S::Adapter, kAdapterAddress, nullptr, {},
     -50.0, 50.0, nullptr, M::None, E::Logarithmic, 0},
    {"R87", "acceleration, m/s2", "constant value=9.8", S::Adapter, kAdapterAddress, nullptr, {},
     -50.0, 50.0, nullptr, M::None, E::Logarithmic, 0},
    {"R84", "differential voltage, V", "constant value=1.5", S::Adapter, kAdapterAddress, nullptr, {},
     -6.0, 6.0, nullptr, M::None, E::Logarithmic, 0},
    {"R7H", "current, A", "constant value=0.3", S::Adapter, kAdapterAddress, nullptr, {},
     -1.0, 1.0, nullptr, M::None, E::Logarithmic, 0},
    {"R58", "gas pressure, kPa", "constant value=101.3", S::Adapter, kAdapterAddress, nullptr, {},
     0.0, 400.0, nullptr, M::None, E::Logarithmic, 0},
    {"R54", "magnetic field, mT", "constant value=1.2", S::Adapter, kAdapterAddress, nullptr, {},
     -6.4, 6.4, nullptr, M::None, E::Logarithmic, 0},
    {"R75", "voltage, -10..+10 V", "constant value=4.5", S::Adapter, kAdapterAddress, nullptr, {},
     -10.0, 10.0, nullptr, M::None, E::Logarithmic, 0},
    {"R72", "voltage, -1..+1 V", "constant value=0.5", S::Adapter, kAdapterAddress, nullptr, {},
     -1.0, 1.0, nullptr, M::None, E::Logarithmic, 0},
    {"R55", "conductivity, low range, uS/cm", "constant value=120", S::Adapter, kAdapterAddress, nullptr, {},
     0.0, 200.0, nullptr, M::None, E::Logarithmic, 0},
    {"CABL", "bare cable, 0..5 V", "constant value=2.5", S::Adapter, kAdapterAddress, nullptr, {},
     0.0, 5.0, nullptr, M::None, E::Linear, 4095},
    {"W7H", "current, 10 A", "constant value=1.5", S::CurrentRegister, 0x48, nullptr, {SignedWord(-10.0, 10.0)},
     -10.0, 10.0, "W7H", M::TwoSlopes, E::None, 0},
    {"W75", "voltage, 30 V", "constant value=12", S::CurrentRegister, 0x48, nullptr, {SignedWord(-30.0, 30.0)},
     -30.0, 30.0, "W75", M::TwoSlopes, E::None, 0},
    {"W72", "voltage, 2 V", "constant value=0.75", S::CurrentRegister, 0x48, nullptr, {SignedWord(-2.0, 2.0)},
     -2.0, 2.0, "W72", M::TwoSlopes, E::None, 0},
    {"W83", "force, 500 N", "constant value=120", S::CurrentRegister, 0x48, nullptr, {SignedWord(-500.0, 500.0)},
     -500.0, 500.0, "W83", M::TwoSlopes, E::None, 0},
    {"W87", "acceleration, 250 m/s2", "constant value=9.8", S::CurrentRegister, 0x48, nullptr,
     {SignedWord(-250.0, 250.0)}, -250.0, 250.0, "W87", M::TwoSlopes, E::None, 0},
    {"W84", "differential voltage, 20 V", "constant value=3.3", S::CurrentRegister, 0x48, nullptr,
     {SignedWord(-20.0, 20.0)}, -20.0, 20.0, "W84", M::TwoSlopes, E::None, 0},
    {"W82", "temperature, degC (the catalogue line over unsigned words: 47.5..135)", "constant value=60", S::CurrentRegister, 0x48, nullptr,
     {SignedWord(-40.0, 135.0)}, -40.0, 135.0, "W82", M::Plain, E::None, 0},
};
// clang-format on

// The smallest 16-bit raw word whose compensated result reaches `target`; both results grow
// with their raw word.
template <typename Result>
uint32_t InvertRising(double target, Result result)
{
    uint32_t lo = 0, hi = 0xFFFF;
    while (lo < hi) {
        const uint32_t mid = (lo + hi) / 2;
        if (result(mid) < target)
            lo = mid + 1;
        else
            hi = mid;
    }
    return lo;
}

// The pressure chip: register 0xF6 answers the temperature word and the pressure word in turn
// (a write to the control register 0xF4 starts over with the temperature), 0xF8 the extra bits.
// Its raw words come from the published compensation, run backwards: the temperature it is
// given, the signal as the pressure in hectopascals.
class BarometerChip : public I2cChip {
public:
    BarometerChip(const Signal* signal, double celsius) : I2cChip(0x77), signal_(signal)
    {
        uint16_t registers[11];
        PressureChipRegisterWords(kDataSheetWords, registers);
        for (int i = 0; i < 11; ++i)
            SetRegsLE(0xAA + 2 * i, registers[i], 2);
        ut_ = InvertRising(celsius * 10.0, [&](uint32_t ut) {
            PressureReading r{};
            return CompensatePressure(kDataSheetWords, int32_t(ut), 0, 0, r) ? double(r.tenthsCelsius) : -1e9;
        });
    }
    void Sample(double t) override
    {
        const double pascals = signal_->Value(t) * 100.0;
        up_ = InvertRising(pascals, [&](uint32_t up) {
            PressureReading r{};
            return CompensatePressure(kDataSheetWords, int32_t(ut_), int32_t(up), 0, r) ? double(r.pascals) : -1e18;
        });
    }
    void Read(uint8_t address, int reg, std::span<uint8_t> out) override
    {
        const int at = reg != kNoRegister ? reg : pointer_;
        if (at == 0xF6) {
            SetRegsLE(0xF6, temperatureNext_ ? ut_ : up_, 2);
            temperatureNext_ = !temperatureNext_;
            SetReg(0xF8, 0);
        }
        I2cChip::Read(address, reg, out);
    }
    void Write(uint8_t address, int reg, std::span<const uint8_t> data) override
    {
        const int at = reg != kNoRegister ? reg : (data.empty() ? kNoRegister : data[0]);
        I2cChip::Write(address, reg, data);
        if (at == 0xF4)
            temperatureNext_ = true;
    }

private:
    const Signal* signal_;
    uint32_t ut_ = 0;
    uint32_t up_ = 0;
    bool temperatureNext_ = true;
};

// A chip that answers reads without a register from its live field, as converters with a single
// result register do.
class CurrentRegisterChip : public SignalChip {
public:
    CurrentRegisterChip(uint8_t address, const Signal* signal, std::span<const LiveField> fields)
        : SignalChip(address, signal, fields), first_(fields.empty() ? 0 : fields[0].reg)
    {
    }
    void Read(uint8_t address, int reg, std::span<uint8_t> out) override
    {
        SignalChip::Read(address, reg != kNoRegister ? reg : first_, out);
    }

private:
    uint8_t first_;
};

uint16_t BigEndian16(int32_t value)
{
    const uint16_t v = uint16_t(value);
    return uint16_t((v >> 8) | (v << 8));
}

void PutFloat(std::array<uint8_t, 256>& mem, int at, float value)
{
    platform::WriteLE32(mem, size_t(at), std::bit_cast<uint32_t>(value));
}

void PutWord(std::array<uint8_t, 256>& mem, int at, int32_t value)
{
    platform::WriteLE16(mem, size_t(at), uint16_t(value));
}

}  // namespace

void DescribeKitAdapter(AdapterChip& chip, const KitModel& m)
{
    chip.SetText(adapter::kModelCode, adapter::kModelCodeBytes, m.code);
    chip.SetText(adapter::kInfoFile, adapter::kInfoFileBytes, m.code);
    chip.SetText(adapter::kName, adapter::kNameBytes, m.description);
    auto& mem = chip.Memory();
    mem[adapter::kKindByte] = 2;  // a two-point line
    const double low = m.low, high = m.high;
    switch (m.encoding) {
    case E::Logarithmic: {
        // Reference 0 and empty first tables select the constant lower-range term; the second raw
        // table lifts the reading by kLogBase, so that T0 + T1 ln(base + reading) spreads the range
        // over readings 0..30000 with a nearly even step.
        const double t1 = (high - low) / std::log((kit::kLogBase + kit::kLargestReading) / kit::kLogBase);
        PutFloat(mem, 0x44, float(low - t1 * std::log(kit::kLogBase) - kit::kReferenceTerm));
        PutFloat(mem, 0x48, float(t1));
        PutWord(mem, 0x60, 0);
        PutWord(mem, 0x62, 1000);
        PutWord(mem, 0x68, int32_t(kit::kLogBase));
        PutWord(mem, 0x6A, int32_t(kit::kLogBase) + 1000);
        chip.SetLiveEncoder([low, t1](double v) {
            const double reading = std::round(kit::kLogBase * std::exp((v - low) / t1) - kit::kLogBase);
            return uint32_t(BigEndian16(int32_t(std::clamp(reading, 0.0, kit::kLargestReading))));
        });
        break;
    }
    case E::SwappedLine:
        // Points from the top down: 4095 -> high, 2048 -> middle, 0 -> low.
        PutFloat(mem, 0x14, float(high));
        PutFloat(mem, 0x18, float(low + (high - low) * 2048.0 / 4095.0));
        PutFloat(mem, 0x1C, float(low));
        PutWord(mem, 0x30, 4095);
        PutWord(mem, 0x32, 2048);
        PutWord(mem, 0x34, 0);
        chip.SetLiveEncoder([low, high](double v) {
            const double raw = std::clamp(std::round((v - low) / (high - low) * 4095.0), 0.0, 4095.0);
            return uint32_t(BigEndian16(int32_t(raw)));
        });
        break;
    case E::Linear: {
        const double rawMax = m.rawMax;
        chip.SetLiveEncoder([low, high, rawMax](double v) {
            return uint32_t(std::clamp(std::round((v - low) / (high - low) * rawMax), 0.0, rawMax));
        });
        break;
    }
    case E::Humidity:
        chip.SetLiveEncoder([](double v) {
            const auto tenths = [](double x) { return uint32_t(uint16_t(int16_t(std::lround(x * 10.0)))); };
            return tenths(v) << 16 | tenths(kit::kRoomTemperature);
        });
        break;
    case E::Weather: {
        // The station carries the same pressure chip, and hands out its words one per read.
        uint16_t words[adapter::kWordCount];
        PressureChipRegisterWords(kDataSheetWords, words);
        for (int i = 0; i < adapter::kWordCount; ++i)
            chip.SetWord(i, int16_t(words[i]));
        chip.SetLiveEncoder([](double v) { return uint32_t(std::clamp(std::lround(v * 10.0), 0L, 0xFFFFL)); });
        break;
    }
    case E::None:
        break;
    }
}

namespace {

// A memory image: zero calibration kinds (the catalogue's line applies), the two-slope kind over
// the live field's line, or for the force sensor a first-degree polynomial through the origin
// with slope 1.
std::vector<uint8_t> MemoryImage(KitMemory memory, const LiveField& live)
{
    std::vector<uint8_t> image(memory_chip::kBytes, 0);
    if (memory == M::TwoSlopes) {
        // Calibration kind 5: one line on both sides of raw 0.
        platform::WriteLE32(image, 0, 5);
        for (int side = 0; side < 2; ++side) {
            platform::WriteLE32(image, size_t(8 + 16 + 8 * side), std::bit_cast<uint32_t>(float(live.scale)));
            platform::WriteLE32(image, size_t(8 + 20 + 8 * side), std::bit_cast<uint32_t>(float(live.zero)));
        }
    }
    if (memory == M::Polynomial) {
        platform::WriteLE32(image, 0, 257);
        platform::WriteLE32(image, 8, std::bit_cast<uint32_t>(1.0f));
    }
    return image;
}

}  // namespace

std::span<const KitModel> KitModels()
{
    return kKit;
}

const KitModel* FindKitModel(std::string_view code)
{
    // The pressure sensor of the classroom scenarios.
    if (code == "barometer")
        code = "N11";
    for (const KitModel& m : kKit)
        if (code == m.code)
            return &m;
    return nullptr;
}

uint32_t CodeWord(std::string_view text)
{
    uint32_t word = 0;
    for (size_t i = 0; i < 4; ++i)
        word = word << 8 | (i < text.size() ? uint8_t(text[i]) : 0u);
    return word;
}

std::unique_ptr<VirtualSensor> MakeKitSensor(const KitModel& m, const SensorSpec& spec, std::string& error)
{
    SignalSpec signal = spec.signal;
    if (!spec.signalGiven && !ParseSignal(m.defaultSignal, signal, error))
        return nullptr;
    auto sensor = std::make_unique<VirtualSensor>(m.code, signal);
    sensor->SetStreamRange(m.low, m.high);
    uint8_t address = m.address;
    if (!AddressOption(spec, address, error))
        return nullptr;
    const std::span<const LiveField> live(m.live);
    I2cChip* main = nullptr;
    switch (m.shape) {
    case S::Register:
        main = &sensor->AddChip(std::make_unique<SignalChip>(address, sensor->SignalPointer(), live));
        break;
    case S::CurrentRegister:
        main = &sensor->AddChip(std::make_unique<CurrentRegisterChip>(address, sensor->SignalPointer(), live));
        break;
    case S::Barometer: {
        double celsius = kit::kRoomTemperature;
        if (!NumberOption(spec, "temperature", celsius, error))
            return nullptr;
        main = &sensor->AddChip(std::make_unique<BarometerChip>(sensor->SignalPointer(), celsius));
        break;
    }
    case S::Gps:
        main = &sensor->AddChip(std::make_unique<GpsChip>(sensor->SignalPointer()));
        break;
    case S::FunctionGenerator:
        main = &sensor->AddChip(std::make_unique<FunctionGeneratorChip>());
        break;
    case S::Adapter: {
        // Every adapter answers with identification word 529.
        auto chip = std::make_unique<AdapterChip>(sensor->SignalPointer(), LiveField{}, uint16_t(529));
        DescribeKitAdapter(*chip, m);
        main = &sensor->AddChip(std::move(chip));
        break;
    }
    }
    if (m.idRegisters && !LoadRegisterText(*main, m.idRegisters, error))
        return nullptr;
    if (const auto it = spec.options.find("regs"); it != spec.options.end())
        if (!LoadRegisterText(*main, it->second, error))
            return nullptr;
    // A memory=HEX option stands for what the sensor's memory holds now (a user's calibration).
    std::optional<std::vector<uint8_t>> image;
    if (!MemoryOption(spec, image, error))
        return nullptr;
    if (m.memoryCode)
        sensor->AddChip(MakeMemoryChip(image ? *image : MemoryImage(m.memory, m.live[0]), CodeWord(m.memoryCode),
                                       kFastPathMarker));
    else if (image)
        sensor->AddChip(MakeMemoryChip(*image));
    return sensor;
}

}  // namespace devsim
