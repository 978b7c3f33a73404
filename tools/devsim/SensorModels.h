#pragma once

#include "tools/devsim/I2cChip.h"
#include "tools/devsim/VirtualSensor.h"

#include <memory>
#include <span>
#include <string>
#include <optional>
#include <string_view>
#include <vector>

// The table of virtual sensor models. A new model is one more row: which chip it puts on the bus,
// at which address, where its live value goes and how it is scaled, its fixed registers (chip id,
// calibration words) and, behind an adapter, its description.
namespace devsim {

enum class ChipKind { Register, Adapter, Gps, FunctionGenerator };

struct SensorModel {
    const char* name;
    const char* description;
    const char* defaultSignal;
    ChipKind chip;
    uint8_t address;                // of the main chip (113 for the adapter kind)
    LiveField live[2];
    double streamLow, streamHigh;   // physical range mapped onto 0..4095 in streams
    const char* fixedRegisters;     // "RR:HEX RR:HEX ..." loaded into the main chip
    // Adapter kind only: model code (the kit sensor whose tables and reading it takes), name,
    // information file, identification word.
    const char* adapterCode;
    const char* adapterName;
    const char* adapterInfo;
    uint16_t adapterId;
};

std::span<const SensorModel> SensorModels();

// The address=N option of a sensor description into `address` (left alone without one); false with a message on
// a bad value.
bool AddressOption(const SensorSpec& spec, uint8_t& address, std::string& error);
// A numeric key=value option into `value` (left alone without one); false with a message on a bad value.
bool NumberOption(const SensorSpec& spec, const std::string& key, double& value, std::string& error);
// The memory=HEX option: the memory chip's 128-byte image (zero-filled past what is given) into
// `image` (left empty without one); false with a message on a bad value.
bool MemoryOption(const SensorSpec& spec, std::optional<std::vector<uint8_t>>& image, std::string& error);

// Loads "RR:HEX RR:HEX ..." (commas allowed) into a chip's registers.
bool LoadRegisterText(I2cChip& chip, std::string_view text, std::string& error);
const SensorModel* FindSensorModel(std::string_view name);

// Builds a sensor from its spec: one of the models above or a kit sensor named by its model code
// (KitSensors.h). Options understood by every model: address=N (main chip),
// regs="RR:HEX,..." (preset main-chip registers), memory=HEX (the 128-byte memory chip at 0x57,
// added, or for a kit sensor that carries one its image), code=, name=, info=, id= (adapter description). Null with a message on an unknown model
// or a bad option.
std::unique_ptr<VirtualSensor> MakeSensor(const SensorSpec& spec, std::string& error);

// "temperature signal..." or "temperature sine offset=20 ..." style text: the model, then either
// a signal (kind and key=value words) or model options (key=value words that are no signal
// parameter). Used by the scenario file and the control commands alike.
bool ParseSensorSpec(std::string_view text, SensorSpec& out, std::string& error);

}  // namespace devsim
