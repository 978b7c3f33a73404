#pragma once

#include "devicelink/protocol/MeasureSetupBlock.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// How the logger runs the I2C part of a set-up block on one channel. Access types are the
// catalogue's codes (devicelink::access): the logger's timing bit only changes the bus timing and
// READ_ADC_DATA reads the analogue path, so each type comes down to reading a register, reading
// without one, writing to a register or writing without one.
namespace devsim {

class VirtualSensor;

namespace access = devicelink::access;

// One write the bus carried out, as a test or the verbose log sees it.
struct WriteRecord {
    int channel = 0;
    int address = 0;
    int reg = -1;  // -1: written without a register address
    std::vector<uint8_t> data;
    std::string ToText() const;
};

using WriteObserver = std::function<void(const WriteRecord&)>;

// Value words the channel answers for one sample at device time t: with a byte count above 4,
// the bytes of one block read from entry 0's register, packed little-endian into words; else one
// word per entry of byte-count bytes, also packed little-endian. An empty channel (or an address
// nobody answers) reads as 0xFF bytes. At most maxWords words.
std::vector<uint32_t> ReadChannel(VirtualSensor* sensor, const devicelink::MeasureSetupBlock& block, int c,
                                  double t, size_t maxWords);

// The set-up writes of the channel's entries (write type not -1) that precede sampling.
void RunSetupWrites(VirtualSensor* sensor, const devicelink::MeasureSetupBlock& block, int c,
                    const WriteObserver& observer);

// A register-write block: for each entry (at least one) byte-count bytes of its write-data word,
// to its read register for the addressed types; with a byte count above 4 one write of that
// many bytes taken from the channel's write-data words in order.
void WriteChannel(VirtualSensor* sensor, const devicelink::MeasureSetupBlock& block, int c,
                  const WriteObserver& observer);

}  // namespace devsim
