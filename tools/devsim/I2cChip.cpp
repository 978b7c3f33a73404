#include "tools/devsim/I2cChip.h"

#include <algorithm>
#include <cmath>

namespace devsim {

void I2cChip::Read(uint8_t, int reg, std::span<uint8_t> out)
{
    if (reg != kNoRegister)
        pointer_ = uint8_t(reg);
    for (uint8_t& b : out)
        b = regs_[pointer_++];
}

void I2cChip::Write(uint8_t, int reg, std::span<const uint8_t> data)
{
    if (reg == kNoRegister) {
        if (data.empty())
            return;
        pointer_ = data[0];
        data = data.subspan(1);
    } else {
        pointer_ = uint8_t(reg);
    }
    for (uint8_t b : data)
        regs_[pointer_++] = b;
}

void I2cChip::SetRegsLE(int reg, uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        SetReg(reg + i, uint8_t(value >> (8 * i)));
}

void I2cChip::SetRegsBE(int reg, uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        SetReg(reg + i, uint8_t(value >> (8 * (bytes - 1 - i))));
}

uint32_t I2cChip::RegsLE(int reg, int bytes) const
{
    uint32_t v = 0;
    for (int i = 0; i < bytes; ++i)
        v |= uint32_t(Reg(reg + i)) << (8 * i);
    return v;
}

void I2cChip::LoadRegs(int reg, std::span<const uint8_t> bytes)
{
    for (size_t i = 0; i < bytes.size(); ++i)
        SetReg(reg + int(i), bytes[i]);
}

uint32_t EncodeLiveField(const LiveField& field, double value)
{
    if (field.bytes == 0 || field.scale == 0.0)
        return 0;
    const int bits = std::min(32, field.bytes * 8);
    const double raw = std::round((value - field.zero) / field.scale);
    if (field.isSigned) {
        const double lo = -std::ldexp(1.0, bits - 1);
        const double hi = std::ldexp(1.0, bits - 1) - 1.0;
        return uint32_t(int64_t(std::clamp(raw, lo, hi)));
    }
    const double hi = std::ldexp(1.0, bits) - 1.0;
    return uint32_t(std::clamp(raw, 0.0, hi));
}

}  // namespace devsim
