#pragma once

#include "tools/devsim/VirtualSensor.h"

#include <memory>
#include <span>
#include <string>
#include <string_view>

// The sensors of the kit, one virtual model for every model of the sensor catalogue, named by
// its model code ("N11", "R75", "W82", "SC_LIGHT_EEPROM", "CABL"). Each answers the register its
// recognition reads with a value inside that window, carries what identification reads after the
// match (adapter description and tables, memory-chip image, barometer calibration) and encodes its
// signal so that the model's conversion turns it back into the physical value.
namespace devsim {

enum class KitShape {
    Register,           // a chip with live registers at its own address
    CurrentRegister,    // the same, answering reads without a register from its live field
    Barometer,          // the pressure chip at 0x77
    Gps,
    FunctionGenerator,
    Adapter,            // an analogue sensor behind the adapter at 113
};

// How an adapter sensor's reading word is made, by the conversion the model ends with.
enum class AdapterEncoding {
    None,
    Logarithmic,    // reference in the high half, reading in the low half (big-endian halves)
    SwappedLine,    // a 12-bit reading, big-endian, on the adapter's two-point table
    Linear,         // the catalogue's raw range, as one 32-bit word
    Humidity,       // tenths of a degree low, tenths of a percent high
    Weather,        // untagged word: tenths of a percent
};

enum class KitMemory { None, Plain, TwoSlopes, Polynomial };

struct KitModel {
    const char* code;
    const char* description;
    const char* defaultSignal;
    KitShape shape;
    uint8_t address;
    const char* idRegisters;  // "RR:HEX ..." fixed registers of the main chip
    LiveField live[4];
    double low, high;         // the first unit's range in the catalogue
    const char* memoryCode;   // memory chip at 0x57 carrying this code, or null
    KitMemory memory;
    AdapterEncoding encoding;
    double rawMax;            // Linear: raw value of `high`
};

class AdapterChip;

std::span<const KitModel> KitModels();
// By model code; "barometer" names the "N11".
const KitModel* FindKitModel(std::string_view code);
// The adapter's description and tables, and the word its plain read answers.
void DescribeKitAdapter(AdapterChip& chip, const KitModel& model);

// A kit sensor with its chips; options address=N and regs="RR:HEX,..." as for every model, and
// for the barometer temperature=DEGC (the air it measures, 22 by default).
std::unique_ptr<VirtualSensor> MakeKitSensor(const KitModel& model, const SensorSpec& spec, std::string& error);

// The 32-bit word a four-byte big-endian read of the text's first four characters gives.
uint32_t CodeWord(std::string_view text);

// The adapter tables of the logarithmic encoding.
namespace kit {
inline constexpr double kReferenceTerm = 0.0977660822638313;  // the lower-range term at reference 0
inline constexpr double kLargestReading = 30000.0;
inline constexpr double kLogBase = 10000.0;
inline constexpr double kRoomTemperature = 22.0;
}  // namespace kit

}  // namespace devsim
