#pragma once

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "logger/project/ExperimentRecords.h"
#include "logger/project/ProjectFile.h"
#include "logger/project/ProjectRecord.h"
#include "logger/project/RunModel.h"
#include "platform/Text.h"

namespace projecttest {

namespace fs = std::filesystem;

// A fresh folder per test, removed afterwards.
class TempFolder {
public:
    TempFolder()
    {
        std::string pattern = (fs::temp_directory_path() / "corvik-project-XXXXXX").string();
        path_ = ::mkdtemp(pattern.data());
    }
    ~TempFolder()
    {
        std::error_code ignored;
        fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ignored);
        fs::remove_all(path_, ignored);
    }
    std::string File(const std::string& name) const { return (path_ / name).string(); }
    const fs::path& Path() const { return path_; }

private:
    fs::path path_;
};

inline std::vector<uint8_t> ReadBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

template <typename T>
T WordAt(const std::vector<uint8_t>& bytes, size_t offset)
{
    T value{};
    std::memcpy(&value, bytes.data() + offset, sizeof value);
    return value;
}

template <typename T>
void PutWord(std::vector<uint8_t>& bytes, size_t offset, T value)
{
    std::memcpy(bytes.data() + offset, &value, sizeof value);
}

inline std::unique_ptr<project::ProjectRecord> RecordOf(const std::vector<uint8_t>& bytes)
{
    auto record = std::make_unique<project::ProjectRecord>();
    if (bytes.size() >= size_t(project::kDataAreaOffset))
        std::memcpy(record.get(), bytes.data() + project::kProjectRecordOffset, sizeof *record);
    return record;
}

// Distinct, recognisable entries for a channel of a data set.
inline uint32_t ValueEntry(int set, int channel, int i) { return uint32_t(set << 28 | channel << 24 | i); }
inline int32_t TimeEntry(int set, int channel, int i) { return int32_t(0x00800000 | set << 20 | channel << 18 | i); }

inline void FillSamples(project::SampleArrays& samples, int set, const std::vector<int32_t>& counts)
{
    int channel = 0;
    for (int32_t count : counts) {
        for (int32_t i = 0; i < count; ++i) {
            samples.rawValues[channel][i] = ValueEntry(set, channel, i);
            samples.rawTimes[channel][i] = TimeEntry(set, channel, i);
        }
        ++channel;
    }
}

// What a stopped measurement leaves: the record in use with its counts, the samples in the arrays.
inline void StopInto(project::ExperimentBlock& block, project::SampleArrays& samples, int set,
                     const std::vector<int32_t>& counts)
{
    project::DataSetRecord& record = block.records[set];
    record.inUse = 1;
    int channel = 0;
    for (int32_t count : counts) {
        record.channelRecorded[channel] = count > 0;
        record.sampleCount[channel] = count;
        ++channel;
    }
    FillSamples(samples, set, counts);
    record.dataSetSerial += 1;
}

inline void ExpectSamples(const project::SampleArrays& samples, int set, const std::vector<int32_t>& counts)
{
    int channel = 0;
    for (int32_t count : counts) {
        for (int32_t i = 0; i < count; ++i) {
            if (samples.rawValues[channel][i] != ValueEntry(set, channel, i) ||
                samples.rawTimes[channel][i] != TimeEntry(set, channel, i)) {
                ADD_FAILURE() << "set " << set << " channel " << channel << " entry " << i;
                return;
            }
        }
        ++channel;
    }
}

class FakeSensor : public project::ChannelSetupSource {
public:
    FakeSensor()
    {
        for (int c = 0; c < project::kChannelCount; ++c)
            std::memset(states[c].bytes, 0x5A + c, sizeof states[c].bytes);
    }
    const project::ChannelStateImage* ChannelState(int channel) const override
    {
        return present ? &states[channel] : nullptr;
    }
    bool IsChannelConnected(int channel) const override { return connected[channel]; }
    int32_t DefaultChannelRate(int channel) const override { return defaultRate[channel]; }

    project::ChannelStateImage states[project::kChannelCount];
    bool present = true;
    bool connected[project::kChannelCount] = {true, true, false, false};
    int32_t defaultRate[project::kChannelCount] = {10, 20, 30, 40};
};

// A new project in a folder of its own, over a block and sample arrays of its own.
class ProjectFixture : public ::testing::Test {
protected:
    ProjectFixture() { EXPECT_EQ(project.NewProject(u"Project", {2026, 12, 9, 5, 40, 0}), project::ProjectResult::Ok); }

    std::vector<uint8_t> Working() const { return ReadBytes(project.WorkingPath()); }

    // Records into set k as the current set and saves it into the working copy.
    void RecordAndSave(int k, const std::vector<int32_t>& counts)
    {
        block->currentIndex = k;
        StopInto(*block, *samples, k, counts);
        ASSERT_EQ(project.SaveProject(), project::ProjectResult::Ok);
    }

    TempFolder folder;
    std::unique_ptr<project::ExperimentBlock> block = std::make_unique<project::ExperimentBlock>();
    std::unique_ptr<project::SampleArrays> samples = std::make_unique<project::SampleArrays>();
    project::ProjectFile project{*block, *samples, folder.Path().string()};
};

}  // namespace projecttest
