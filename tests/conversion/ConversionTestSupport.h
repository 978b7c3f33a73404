#pragma once

#include "devicelink/conversion/ConversionState.h"
#include "devicelink/conversion/SampleConversion.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string_view>
#include <vector>

// One conversion call with output arrays of exactly the size the caller contract asks for, so
// that the sanitizer build catches any write past them. Unwritten slots keep a sentinel.
struct Conversion {
    static constexpr float kUntouched = -12345.0f;

    devicelink::ConversionParams p{};
    std::vector<float> values;
    std::vector<float> times;
    int32_t produced = -1;

    Conversion(int32_t kind, int32_t entries = 1, int32_t outputs = 1)
    {
        p.conversionKind = kind;
        p.entriesPerSample = entries;
        p.outputsPerSample = outputs;
        p.byteCount = 2;
        p.multiplierM = 1.0f;
        p.timeScale = 1.0f;
    }

    // Calibration points (raw, value) from index `first` on.
    void Points(std::initializer_list<std::pair<int32_t, float>> points, int first = 0)
    {
        for (auto [raw, value] : points) {
            p.rawPoints[first] = raw;
            p.pointValues[first++] = value;
        }
    }

    // Times default to 10 x the entry index.
    int32_t Run(const std::vector<int32_t>& raw, int32_t channel = 0, int32_t timeOffset = 0,
                size_t capacity = 0)
    {
        std::vector<int32_t> rawTimes(raw.size());
        for (size_t k = 0; k < raw.size(); ++k)
            rawTimes[k] = int32_t(10 * k);
        const int32_t entries = std::max(1, p.entriesPerSample);
        const int32_t count = int32_t(raw.size()) / entries;
        if (capacity == 0)
            capacity = size_t(std::max(1, count)) * size_t(p.allOutputs == 1 ? std::max(1, p.outputsPerSample) : 1);
        values.assign(capacity, kUntouched);
        times.assign(capacity, kUntouched);
        EXPECT_EQ(devicelink::ConvertSamples(channel, count, raw.data(), rawTimes.data(), values.data(),
                                             times.data(), timeOffset, &p, &produced), 1);
        return produced;
    }

    // The GPS kind's samples are the receiver's characters, one register byte a word (the upper
    // bytes carry nothing; set here so that they are seen to be ignored).
    int32_t RunBytes(std::string_view bytes)
    {
        std::vector<int32_t> raw(bytes.size());
        for (size_t k = 0; k < bytes.size(); ++k)
            raw[k] = int32_t(0x5A5A0000u | uint8_t(bytes[k]));
        std::vector<int32_t> rawTimes(bytes.size(), 500);
        values.assign(std::max<size_t>(3, bytes.size()), kUntouched);
        times.assign(values.size(), kUntouched);
        EXPECT_EQ(devicelink::ConvertSamples(0, int32_t(bytes.size()), raw.data(), rawTimes.data(),
                                             values.data(), times.data(), 0, &p, &produced), 1);
        return produced;
    }
};

// The low half of a word as the sensor sends a big-endian register pair.
inline int32_t BigEndian16(int32_t value)
{
    const uint32_t v = uint32_t(value) & 0xFFFFu;
    return int32_t(((v & 0xFFu) << 8) | (v >> 8));
}

class ConversionTest : public ::testing::Test {
protected:
    void SetUp() override { devicelink::ResetConversionState(); }
};
