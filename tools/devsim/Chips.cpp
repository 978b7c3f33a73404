#include "tools/devsim/Chips.h"

#include <algorithm>
#include <bit>
#include <cmath>

namespace devsim {

SignalChip::SignalChip(uint8_t address, const Signal* signal, std::span<const LiveField> fields)
    : I2cChip(address), signal_(signal)
{
    for (size_t i = 0; i < fields.size() && i < kMaxFields; ++i)
        fields_[i] = fields[i];
}

void SignalChip::Sample(double t)
{
    const double value = signal_->Value(t);
    for (const LiveField& f : fields_)
        if (f.bytes > 0 && f.bigEndian)
            SetRegsBE(f.reg, EncodeLiveField(f, value), f.bytes);
        else if (f.bytes > 0)
            SetRegsLE(f.reg, EncodeLiveField(f, value), f.bytes);
}

std::unique_ptr<I2cChip> MakeMemoryChip(std::span<const uint8_t> image)
{
    auto chip = std::make_unique<I2cChip>(kMemoryChipAddress);
    chip->LoadRegs(memory_chip::kFirstRegister, image.first(std::min<size_t>(image.size(), memory_chip::kBytes)));
    return chip;
}

namespace {

// The identification area below the calibration image is written at the factory only: set-up
// bytes sent to the chip's address leave the code and the marker as they are.
class IdentifiedMemoryChip : public I2cChip {
public:
    IdentifiedMemoryChip() : I2cChip(kMemoryChipAddress) {}
    void Write(uint8_t address, int reg, std::span<const uint8_t> data) override
    {
        const int first = reg != kNoRegister ? reg : (data.empty() ? 0 : data[0]);
        if (first >= memory_chip::kFirstRegister)
            I2cChip::Write(address, reg, data);
    }
};

}  // namespace

std::unique_ptr<I2cChip> MakeMemoryChip(std::span<const uint8_t> image, uint32_t codeWord, uint8_t marker)
{
    auto chip = std::make_unique<IdentifiedMemoryChip>();
    chip->LoadRegs(memory_chip::kFirstRegister, image.first(std::min<size_t>(image.size(), memory_chip::kBytes)));
    chip->SetRegsLE(memory_chip::kCodeRegister, codeWord, 4);
    chip->SetReg(memory_chip::kMarkerRegister, marker);
    return chip;
}

AdapterChip::AdapterChip(const Signal* signal, const LiveField& live, uint16_t idWord)
    : I2cChip(kAdapterAddress), signal_(signal), live_(live), idWord_(idWord)
{
}

void AdapterChip::Sample(double t)
{
    const double value = signal_->Value(t);
    liveRaw_ = encoder_ ? encoder_(value) : EncodeLiveField(live_, value);
}

void AdapterChip::SetText(int location, int bytes, std::string_view text)
{
    for (int i = 0; i < bytes; ++i)
        memory_[size_t(location + i) & 0xFF] = i < int(text.size()) ? uint8_t(text[size_t(i)]) : 0;
}

void AdapterChip::Read(uint8_t address, int reg, std::span<uint8_t> out)
{
    std::fill(out.begin(), out.end(), 0);
    if (address == 0) {
        for (size_t i = 0; i < out.size() && i < 2; ++i)
            out[i] = uint8_t(idWord_ >> (8 * i));
        return;
    }
    int location = reg != kNoRegister ? reg : selected_;
    selected_ = -1;
    if (location == adapter::kWordStream) {
        const int index = nextWord_;
        nextWord_ = (nextWord_ + 1) % adapter::kWordCount;
        const uint32_t word = uint32_t(index) << 24 | uint16_t(words_[index]);
        for (size_t i = 0; i < out.size() && i < 4; ++i)
            out[i] = uint8_t(word >> (8 * i));
        return;
    }
    if (location >= 0) {
        for (size_t i = 0; i < out.size(); ++i)
            out[i] = memory_[size_t(location + int(i)) & 0xFF];
        return;
    }
    for (size_t i = 0; i < out.size() && i < 4; ++i)
        out[i] = uint8_t(liveRaw_ >> (8 * i));
}

void AdapterChip::Write(uint8_t, int reg, std::span<const uint8_t> data)
{
    if (reg != kNoRegister) {
        for (size_t i = 0; i < data.size(); ++i)
            memory_[size_t(reg + int(i)) & 0xFF] = data[i];
        return;
    }
    uint32_t value = 0;
    for (size_t i = 0; i < data.size() && i < 4; ++i)
        value |= uint32_t(data[i]) << (8 * i);
    if (data.size() == 3 && value == adapter::kUnlock) {
        ++unlocks_;
        nextWord_ = 0;
    } else if (data.size() == 3 && (value >> 16) == (adapter::kSelectBase >> 16)) {
        selected_ = int((value >> 8) & 0xFF);
        if (selected_ == adapter::kWordStream && nextWord_ >= adapter::kWordCount)
            nextWord_ = 0;
    } else if (data.size() >= adapter::kWritePrefixBytes + 2 &&
               std::equal(data.begin(), data.begin() + adapter::kWritePrefixBytes, adapter::kWritePrefix)) {
        // A calibration point: location, length, then the bytes, lowest first.
        const size_t head = adapter::kWritePrefixBytes + 2;
        const size_t length = std::min<size_t>(data[head - 1], data.size() - head);
        for (size_t i = 0; i < length; ++i)
            memory_[size_t(data[head - 2] + i) & 0xFF] = data[head + i];
    } else if (data.size() == 1) {
        lastCommand_ = data[0];
    }
}

void GpsChip::Sample(double t)
{
    const int64_t now = int64_t(std::floor(t));
    // A receiver that nobody reads keeps only its last few seconds.
    if (now - nextSecond_ > 4)
        nextSecond_ = now - 4;
    for (; nextSecond_ <= now; ++nextSecond_)
        for (char ch : signal_->NmeaSentences(nextSecond_))
            text_.push_back(uint8_t(ch));
    while (text_.size() > 4096)
        text_.pop_front();
    SetRegsLE(0xFD, uint32_t(std::min<size_t>(text_.size(), 0xFFFF)), 2);
}

void GpsChip::Read(uint8_t address, int reg, std::span<uint8_t> out)
{
    if (reg != kNoRegister)
        pointer_ = uint8_t(reg);
    if (pointer_ != 0xFF) {
        I2cChip::Read(address, kNoRegister, out);
        return;
    }
    for (uint8_t& b : out) {
        if (text_.empty()) {
            b = 0xFF;
        } else {
            b = text_.front();
            text_.pop_front();
        }
    }
    SetRegsLE(0xFD, uint32_t(std::min<size_t>(text_.size(), 0xFFFF)), 2);
}

float FunctionGeneratorChip::Frequency(int bank) const
{
    const int at = generator::kFrequency + generator::kBankStride * bank;
    const uint32_t bits = RegsLE(at, 2) | RegsLE(at + 2, 2) << 16;
    return std::bit_cast<float>(bits);
}

}  // namespace devsim
