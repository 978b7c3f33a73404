#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

// One chip on a channel's virtual I2C bus. The base is a plain 256-byte register map with an
// auto-incrementing register pointer, which is how most sensor chips behave; chips with live
// values refresh their registers in Sample() before every read.
namespace devsim {

inline constexpr int kNoRegister = -1;

class I2cChip {
public:
    explicit I2cChip(uint8_t address) : address_(address) {}
    virtual ~I2cChip() = default;

    uint8_t Address() const { return address_; }
    virtual bool Answers(uint8_t address) const { return address == address_; }

    // Refreshes live registers for the device time t (seconds).
    virtual void Sample(double /*t*/) {}
    // Reads out.size() bytes from reg (kNoRegister: from the register pointer), advancing the
    // pointer past them.
    virtual void Read(uint8_t address, int reg, std::span<uint8_t> out);
    // Writes data at reg; without a register the first byte sets the pointer and the rest is
    // written from there.
    virtual void Write(uint8_t address, int reg, std::span<const uint8_t> data);

    uint8_t Reg(int reg) const { return regs_[size_t(reg & 0xFF)]; }
    void SetReg(int reg, uint8_t value) { regs_[size_t(reg & 0xFF)] = value; }
    // Stores value low byte first over `bytes` registers from reg.
    void SetRegsLE(int reg, uint32_t value, int bytes);
    void SetRegsBE(int reg, uint32_t value, int bytes);
    uint32_t RegsLE(int reg, int bytes) const;
    void LoadRegs(int reg, std::span<const uint8_t> bytes);

protected:
    std::array<uint8_t, 256> regs_{};
    uint8_t pointer_ = 0;

private:
    uint8_t address_;
};

// A live value placed in registers: raw = round((signal - zero) / scale), clamped to the field.
struct LiveField {
    uint8_t reg = 0;
    uint8_t bytes = 0;   // 0 = unused
    double zero = 0.0;
    double scale = 1.0;
    bool isSigned = false;
    bool bigEndian = false;  // most significant byte at reg, as most sensor chips store words
};

// Converts a physical value into the raw field value the way LiveField describes.
uint32_t EncodeLiveField(const LiveField& field, double value);

}  // namespace devsim
