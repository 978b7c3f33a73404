#pragma once

#include "devicelink/protocol/CommandFrame.h"
#include "devicelink/protocol/MeasureSetupBlock.h"
#include "tools/devsim/SensorModels.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace devsim::testing {

// A sensor from its scenario text ("temperature ramp start=20 slope=0.5", "R75").
inline std::unique_ptr<VirtualSensor> Make(const std::string& text)
{
    SensorSpec spec;
    std::string error;
    EXPECT_TRUE(ParseSensorSpec(text, spec, error)) << error;
    auto sensor = MakeSensor(spec, error);
    EXPECT_TRUE(sensor) << error;
    return sensor;
}

// A one-channel request as the sensor object fills it: n entries from `firstRegister` on.
inline devicelink::MeasureSetupBlock OneChannel(int c, int address, int type, int byteCount, int entries,
                                                int firstRegister = 0, int stride = 1)
{
    devicelink::MeasureSetupBlock b{};
    b.enabled[c] = 1;
    b.address[c] = address;
    b.readType[c] = uint8_t(type);
    b.byteCount[c] = byteCount;
    b.entries[c] = uint8_t(entries);
    for (int k = 0; k < 8; ++k) {
        b.readRegister[8 * c + k] = uint8_t(firstRegister + stride * k);
        b.writeType[8 * c + k] = -1;
    }
    return b;
}

inline std::vector<uint32_t> Words(const devicelink::MeasureSetupBlock& b)
{
    std::vector<uint32_t> w(sizeof b / 4);
    std::memcpy(w.data(), &b, sizeof b);
    return w;
}

// The payload words of a device frame built by the codec.
inline std::vector<uint32_t> PayloadOf(const std::vector<uint8_t>& frame)
{
    std::vector<uint32_t> w(frame.size() / 4);
    std::memcpy(w.data(), frame.data(), w.size() * 4);
    return std::vector<uint32_t>(w.begin() + 3, w.end() - 2);
}

inline uint32_t CodeOf(const std::vector<uint8_t>& frame)
{
    uint32_t code = 0;
    std::memcpy(&code, frame.data() + 4, 4);
    return code;
}

}  // namespace devsim::testing
