#pragma once

#include "tools/devsim/I2cChip.h"
#include "tools/devsim/Signal.h"

#include "devicelink/protocol/Vocabulary.h"

#include <deque>
#include <functional>
#include <memory>

// The chip kinds that virtual sensors are built from.
namespace devsim {

namespace adapter = devicelink::adapter;
namespace memory_chip = devicelink::memory_chip;
namespace generator = devicelink::generator;

inline constexpr uint8_t kAdapterAddress = adapter::kAddress;
inline constexpr uint8_t kMemoryChipAddress = memory_chip::kAddress;
inline constexpr uint8_t kFunctionGeneratorAddress = generator::kAddress;
inline constexpr uint8_t kGpsAddress = 0x42;

// A sensor chip whose live registers follow the sensor's signal.
class SignalChip : public I2cChip {
public:
    static constexpr int kMaxFields = 4;
    SignalChip(uint8_t address, const Signal* signal, std::span<const LiveField> fields);
    void Sample(double t) override;

private:
    const Signal* signal_;
    LiveField fields_[kMaxFields] = {};
};

// The 128-byte memory chip of sensors that keep their calibration on board (registers 128..255).
// Sensors recognised by it also carry their model code's first four characters at register 0,
// as the 32-bit word a 4-byte read delivers (first character most significant), and the ADC-path
// marker at register 4; that identification area ignores writes.
std::unique_ptr<I2cChip> MakeMemoryChip(std::span<const uint8_t> image);
inline constexpr uint8_t kFastPathMarker = memory_chip::kFastPathMarker;
std::unique_ptr<I2cChip> MakeMemoryChip(std::span<const uint8_t> image, uint32_t codeWord, uint8_t marker);

// An analogue sensor behind an adapter at address 113. The adapter answers a plain 2-byte read
// with the live reading; writing 0x520000 + m * 256 + n selects n bytes at memory location m for
// the next read; 0xAA5571 written to address 0 unlocks the description. Reads at the general
// call address 0 give the identification word. Location 0x8C hands out its calibration words one
// per read, each tagged with its index in the top byte.
class AdapterChip : public I2cChip {
public:
    // Turns the signal into the 32-bit word a plain read answers; without one the live field
    // describes it.
    using LiveEncoder = std::function<uint32_t(double value)>;

    AdapterChip(const Signal* signal, const LiveField& live, uint16_t idWord);
    bool Answers(uint8_t address) const override { return address == Address() || address == 0; }
    void Sample(double t) override;
    void Read(uint8_t address, int reg, std::span<uint8_t> out) override;
    void Write(uint8_t address, int reg, std::span<const uint8_t> data) override;

    std::array<uint8_t, 256>& Memory() { return memory_; }
    void SetText(int location, int bytes, std::string_view text);
    void SetWord(int index, int16_t value) { words_[size_t(index)] = value; }
    void SetLiveEncoder(LiveEncoder encoder) { encoder_ = std::move(encoder); }
    int Unlocks() const { return unlocks_; }
    int LastCommandByte() const { return lastCommand_; }

private:
    const Signal* signal_;
    LiveField live_;
    LiveEncoder encoder_;
    uint16_t idWord_;
    uint32_t liveRaw_ = 0;
    std::array<uint8_t, 256> memory_{};
    int16_t words_[adapter::kWordCount] = {};
    int selected_ = -1;  // location chosen for the next read, -1 none
    int nextWord_ = 0;
    int unlocks_ = 0;
    int lastCommand_ = -1;
};

// A GPS receiver: registers 0xFD/0xFE give the bytes waiting (low byte first), register 0xFF
// streams the NMEA text, 0xFF once the text is used up.
class GpsChip : public I2cChip {
public:
    explicit GpsChip(const Signal* signal) : I2cChip(kGpsAddress), signal_(signal) {}
    void Sample(double t) override;
    void Read(uint8_t address, int reg, std::span<uint8_t> out) override;
    size_t Waiting() const { return text_.size(); }

private:
    const Signal* signal_;
    std::deque<uint8_t> text_;
    int64_t nextSecond_ = 0;
};

// The function generator: 16-bit registers per bank (bank 1 adds 16): 32 run, 34 amplitude code,
// 36/38 the frequency float32 low/high halves.
class FunctionGeneratorChip : public I2cChip {
public:
    FunctionGeneratorChip() : I2cChip(kFunctionGeneratorAddress) {}
    bool Running(int bank) const { return RegsLE(generator::kRun + generator::kBankStride * bank, 2) == 1; }
    int AmplitudeCode(int bank) const
    {
        return int(RegsLE(generator::kAmplitude + generator::kBankStride * bank, 2));
    }
    float Frequency(int bank) const;
};

}  // namespace devsim
