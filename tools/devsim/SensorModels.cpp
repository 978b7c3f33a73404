#include "tools/devsim/SensorModels.h"

#include "tools/devsim/Chips.h"
#include "tools/devsim/KitSensors.h"
#include "tools/devsim/TextWords.h"

#include "platform/CLocale.h"

namespace devsim {

namespace {

// Plain models for bus-level tests, beside the kit sensors (KitSensors.h). The temperature probe
// (1/16 degC counts) and the photogate (gate state as one byte) are no kit sensors: no recipe of
// the catalogue recognises them. The voltage model is the kit's "R75" whose description the
// options can change.
constexpr SensorModel kModels[] = {
    {"temperature", "temperature probe, -40..125 degC, 1/16 degC per count at register 0 (address 0x48)",
     "constant value=21.5", ChipKind::Register, 0x48,
     {{0x00, 2, 0.0, 0.0625, true}, {}}, -40.0, 125.0, "0F:54", nullptr, nullptr, nullptr, 0},
    {"voltage", "voltage, -10..+10 V, the kit's R75 behind the adapter (address 113)",
     "sine amplitude=5 period=10", ChipKind::Adapter, kAdapterAddress,
     {{0, 2, -10.0, 20.0 / 4095.0, false}, {}}, -10.0, 10.0, nullptr, "R75", "Voltage", "R75", 529},
    {"photogate", "photogate, register 0 is 1 while the beam is blocked (address 0x20)",
     "pulses period=1 width=0.1 high=1 offset=0", ChipKind::Register, 0x20,
     {{0x00, 1, 0.0, 1.0, false}, {}}, 0.0, 1.0, "0F:47", nullptr, nullptr, nullptr, 0},
    {"gps", "GPS receiver, NMEA text streamed at register 0xFF (address 0x42)",
     "nmea", ChipKind::Gps, kGpsAddress, {{}, {}}, 0.0, 1.0, nullptr, nullptr, nullptr, nullptr, 0},
    {"funcgen", "function generator, 16-bit registers 32..62 (address 0x75)",
     "constant value=0", ChipKind::FunctionGenerator, kFunctionGeneratorAddress, {{}, {}}, 0.0, 1.0,
     nullptr, nullptr, nullptr, nullptr, 0},
};

// The kit sensor the model's code names (description, tables, reading), then the options' text.
void DescribeAdapter(AdapterChip& chip, const SensorModel& model, const std::map<std::string, std::string>& options)
{
    const auto option = [&](const char* key, const char* fallback) {
        const auto it = options.find(key);
        return it != options.end() ? it->second : std::string(fallback ? fallback : "");
    };
    if (const KitModel* kit = FindKitModel(model.adapterCode))
        DescribeKitAdapter(chip, *kit);
    chip.SetText(adapter::kModelCode, adapter::kModelCodeBytes, option("code", model.adapterCode));
    chip.SetText(adapter::kInfoFile, adapter::kInfoFileBytes, option("info", model.adapterInfo));
    chip.SetText(adapter::kName, adapter::kNameBytes, option("name", model.adapterName));
}

}  // namespace

bool LoadRegisterText(I2cChip& chip, std::string_view text, std::string& error)
{
    std::string spaced(text);
    for (char& ch : spaced)
        if (ch == ',')
            ch = ' ';
    for (const std::string& item : SplitWords(spaced)) {
        const size_t colon = item.find(':');
        uint64_t reg = 0;
        std::vector<uint8_t> bytes;
        if (colon == std::string::npos || !ParseUnsigned("0x" + item.substr(0, colon), reg) || reg > 0xFF
            || !ParseHexBytes(item.substr(colon + 1), bytes)) {
            error = "bad register preset '" + item + "'";
            return false;
        }
        chip.LoadRegs(int(reg), bytes);
    }
    return true;
}

bool AddressOption(const SensorSpec& spec, uint8_t& address, std::string& error)
{
    const auto it = spec.options.find("address");
    if (it == spec.options.end())
        return true;
    uint64_t a = 0;
    if (!ParseUnsigned(it->second, a) || a > 0x7F) {
        error = "bad address '" + it->second + "'";
        return false;
    }
    address = uint8_t(a);
    return true;
}

bool NumberOption(const SensorSpec& spec, const std::string& key, double& value, std::string& error)
{
    const auto it = spec.options.find(key);
    if (it == spec.options.end())
        return true;
    if (!platform::ParseDouble(it->second, value)) {
        error = "bad " + key + " '" + it->second + "'";
        return false;
    }
    return true;
}

bool MemoryOption(const SensorSpec& spec, std::optional<std::vector<uint8_t>>& image, std::string& error)
{
    const auto it = spec.options.find("memory");
    if (it == spec.options.end())
        return true;
    std::vector<uint8_t> bytes;
    if (!ParseHexBytes(it->second, bytes) || bytes.size() > size_t(memory_chip::kBytes)) {
        error = "memory must be at most 128 hex bytes";
        return false;
    }
    bytes.resize(memory_chip::kBytes, 0);
    image = std::move(bytes);
    return true;
}

std::span<const SensorModel> SensorModels()
{
    return kModels;
}

const SensorModel* FindSensorModel(std::string_view name)
{
    for (const SensorModel& m : kModels)
        if (name == m.name)
            return &m;
    return nullptr;
}

std::unique_ptr<VirtualSensor> MakeSensor(const SensorSpec& spec, std::string& error)
{
    const SensorModel* model = FindSensorModel(spec.model);
    if (!model) {
        if (const KitModel* kit = FindKitModel(spec.model))
            return MakeKitSensor(*kit, spec, error);
        error = "unknown sensor model '" + spec.model + "'";
        return nullptr;
    }
    SignalSpec signal = spec.signal;
    if (!spec.signalGiven && !ParseSignal(model->defaultSignal, signal, error))
        return nullptr;
    auto sensor = std::make_unique<VirtualSensor>(model->name, signal);
    sensor->SetStreamRange(model->streamLow, model->streamHigh);

    uint8_t address = model->address;
    if (!AddressOption(spec, address, error))
        return nullptr;
    I2cChip* main = nullptr;
    switch (model->chip) {
    case ChipKind::Register:
        main = &sensor->AddChip(std::make_unique<SignalChip>(address, sensor->SignalPointer(), model->live));
        break;
    case ChipKind::Adapter: {
        uint16_t id = model->adapterId;
        if (const auto it = spec.options.find("id"); it != spec.options.end()) {
            uint64_t v = 0;
            if (!ParseUnsigned(it->second, v) || v > 0xFFFF) {
                error = "bad identification word '" + it->second + "'";
                return nullptr;
            }
            id = uint16_t(v);
        }
        auto chip = std::make_unique<AdapterChip>(sensor->SignalPointer(), model->live[0], id);
        DescribeAdapter(*chip, *model, spec.options);
        main = &sensor->AddChip(std::move(chip));
        break;
    }
    case ChipKind::Gps:
        main = &sensor->AddChip(std::make_unique<GpsChip>(sensor->SignalPointer()));
        break;
    case ChipKind::FunctionGenerator:
        main = &sensor->AddChip(std::make_unique<FunctionGeneratorChip>());
        break;
    }
    if (model->fixedRegisters && !LoadRegisterText(*main, model->fixedRegisters, error))
        return nullptr;
    if (const auto it = spec.options.find("regs"); it != spec.options.end())
        if (!LoadRegisterText(*main, it->second, error))
            return nullptr;
    std::optional<std::vector<uint8_t>> image;
    if (!MemoryOption(spec, image, error))
        return nullptr;
    if (image)
        sensor->AddChip(MakeMemoryChip(*image));
    return sensor;
}

bool ParseSensorSpec(std::string_view text, SensorSpec& out, std::string& error)
{
    const std::vector<std::string> words = SplitWords(text);
    if (words.empty()) {
        error = "no sensor model given";
        return false;
    }
    SensorSpec spec;
    spec.model = words[0];
    if (!FindSensorModel(spec.model) && !FindKitModel(spec.model)) {
        error = "unknown sensor model '" + spec.model + "'";
        return false;
    }
    std::string signalText;
    for (size_t i = 1; i < words.size(); ++i) {
        std::string key, value;
        if (!SplitKeyValue(words[i], key, value)) {
            if (!signalText.empty()) {
                error = "two signal kinds given";
                return false;
            }
            signalText = words[i];
            continue;
        }
        SignalSpec probe;
        if (!signalText.empty() && SetSignalParameter(probe, key, value))
            signalText += " " + words[i];
        else
            spec.options[key] = value;
    }
    if (!signalText.empty()) {
        if (!ParseSignal(signalText, spec.signal, error))
            return false;
        spec.signalGiven = true;
    }
    out = std::move(spec);
    return true;
}

}  // namespace devsim
