#include "tools/devsim/I2cBus.h"

#include "tools/devsim/VirtualSensor.h"

#include <algorithm>
#include <cstdio>

namespace devsim {

namespace {

constexpr int kEntries = devicelink::kRegisterEntries;

int Entries(const devicelink::MeasureSetupBlock& b, int c)
{
    return std::min<int>(b.entries[c], kEntries);
}

std::vector<uint8_t> WordBytes(const int32_t* words, size_t wordCount, size_t bytes)
{
    std::vector<uint8_t> out(bytes, 0);
    for (size_t i = 0; i < bytes && i / 4 < wordCount; ++i)
        out[i] = uint8_t(uint32_t(words[i / 4]) >> (8 * (i % 4)));
    return out;
}

void PackWords(std::span<const uint8_t> bytes, std::vector<uint32_t>& words)
{
    for (size_t i = 0; i < bytes.size(); i += 4) {
        uint32_t w = 0;
        for (size_t j = 0; j < 4 && i + j < bytes.size(); ++j)
            w |= uint32_t(bytes[i + j]) << (8 * j);
        words.push_back(w);
    }
}

void ReadBytes(VirtualSensor* sensor, uint8_t address, int reg, std::span<uint8_t> out, double t)
{
    I2cChip* chip = sensor ? sensor->ChipAt(address) : nullptr;
    if (!chip) {
        std::fill(out.begin(), out.end(), 0xFF);
        return;
    }
    chip->Sample(t);
    chip->Read(address, reg, out);
}

void WriteBytes(VirtualSensor* sensor, int c, uint8_t address, int reg, std::vector<uint8_t> data,
                const WriteObserver& observer)
{
    if (I2cChip* chip = sensor ? sensor->ChipAt(address) : nullptr)
        chip->Write(address, reg, data);
    if (observer)
        observer(WriteRecord{c, address, reg, std::move(data)});
}

}  // namespace

std::string WriteRecord::ToText() const
{
    char head[64];
    std::snprintf(head, sizeof head, "ch%d addr 0x%02X reg %s", channel, address,
                  reg < 0 ? "-" : std::to_string(reg).c_str());
    std::string text(head);
    text += " data";
    for (uint8_t b : data) {
        char hex[4];
        std::snprintf(hex, sizeof hex, " %02X", b);
        text += hex;
    }
    return text;
}

std::vector<uint32_t> ReadChannel(VirtualSensor* sensor, const devicelink::MeasureSetupBlock& b, int c, double t,
                                  size_t maxWords)
{
    std::vector<uint32_t> words;
    const uint8_t address = uint8_t(b.address[c] & 0x7F);
    const int type = access::BaseType(b.readType[c]);
    const int byteCount = std::max(0, b.byteCount[c]);
    const bool addressed = type == access::kReadAddressData;
    if (byteCount > 4) {
        std::vector<uint8_t> bytes(std::min<size_t>(size_t(byteCount), maxWords * 4));
        ReadBytes(sensor, address, addressed ? b.readRegister[8 * c] : kNoRegister, bytes, t);
        PackWords(bytes, words);
        return words;
    }
    const int n = std::max(1, Entries(b, c));
    for (int k = 0; k < n && words.size() < maxWords; ++k) {
        uint8_t bytes[4] = {};
        ReadBytes(sensor, address, addressed ? b.readRegister[8 * c + k] : kNoRegister,
                  std::span(bytes, size_t(byteCount)), t);
        PackWords(std::span<const uint8_t>(bytes, 4), words);
    }
    return words;
}

void RunSetupWrites(VirtualSensor* sensor, const devicelink::MeasureSetupBlock& b, int c,
                    const WriteObserver& observer)
{
    const uint8_t address = uint8_t(b.address[c] & 0x7F);
    for (int k = 0; k < Entries(b, c); ++k) {
        const int i = 8 * c + k;
        if (b.writeType[i] == -1)
            continue;
        const size_t length = b.writeLength[i];
        // Lengths beyond one word run on into the channel's following write-data words.
        std::vector<uint8_t> data = WordBytes(&b.writeData[i], size_t(kEntries - k), length);
        const bool addressed = access::BaseType(b.writeType[i]) != access::kWriteNoAddressData;
        WriteBytes(sensor, c, address, addressed ? b.writeRegister[i] : kNoRegister, std::move(data), observer);
    }
}

void WriteChannel(VirtualSensor* sensor, const devicelink::MeasureSetupBlock& b, int c,
                  const WriteObserver& observer)
{
    const uint8_t address = uint8_t(b.address[c] & 0x7F);
    const bool addressed = access::BaseType(b.readType[c]) != access::kWriteNoAddressData;
    const int byteCount = std::max(0, b.byteCount[c]);
    const int32_t* data = &b.writeData[8 * c];
    if (byteCount > 4) {
        WriteBytes(sensor, c, address, addressed ? b.readRegister[8 * c] : kNoRegister,
                   WordBytes(data, kEntries, std::min(byteCount, 4 * kEntries)), observer);
        return;
    }
    const int n = std::max(1, Entries(b, c));
    for (int k = 0; k < n; ++k)
        WriteBytes(sensor, c, address, addressed ? b.readRegister[8 * c + k] : kNoRegister,
                   WordBytes(&data[k], 1, size_t(byteCount)), observer);
}

}  // namespace devsim
