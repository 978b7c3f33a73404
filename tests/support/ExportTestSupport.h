#pragma once

#include <sys/resource.h>

#include <array>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "logger/export/core/CsvSnapshot.h"
#include "logger/export/core/HtmlReport.h"
#include "logger/project/ProjectFile.h"
#include "platform/Text.h"
#include "tests/support/AnalysisTestSupport.h"
#include "tests/support/ProjectTestSupport.h"

namespace exporttest {

namespace fs = std::filesystem;
using projecttest::ReadBytes;
using projecttest::TempFolder;
using projecttest::WriteBytes;

inline std::string ReadText(const std::string& path)
{
    const std::vector<uint8_t> bytes = ReadBytes(path);
    return std::string(bytes.begin(), bytes.end());
}

inline void WriteText(const std::string& path, const std::string& text)
{
    WriteBytes(path, std::vector<uint8_t>(text.begin(), text.end()));
}

inline std::vector<std::string> FilesIn(const fs::path& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// What one channel of a recorded set holds: its samples and how many values each sample has.
struct ChannelSpec {
    int channel = 0;
    int samples = 0;
    int valuesPerSample = 1;
};

// Raw entries that tell set, channel, sample and value apart: value = (entry) / 100 on the chart.
inline uint32_t RawValue(int set, int channel, int sample, int value)
{
    return uint32_t(100000 * (set + 1) + 10000 * channel + 1000 * value + sample);
}

// The measurement chart as plain arrays, over the analysis tests' series table (so that the
// analysis engine reads the same series). Refresh converts the current set as the measurement
// screen does when a set is loaded: value v of channel c into series c + 4v, values of the raw
// entries / 100, times of the raw times (milliseconds) in seconds. Channels the set did not record
// keep what they showed before, as a chart not cleared would.
class FakeChart : public analysistest::FakeSeriesTable, public project::RunSeriesSource {
public:
    project::RunSeries Series(int index) const override
    {
        if (index < 0 || index >= 16)
            return {};
        const analysistest::FakeSeries& s = series[index];
        const std::u16string& name = fixedNames[index].empty() ? names[index] : fixedNames[index];
        return {s.hasData, s.used, s.values.get(), s.times.get(), name, xTitles[index]};
    }

    void Refresh(const project::DataSetRecord& record, const project::SampleArrays& samples)
    {
        ++refreshes;
        for (int c = 0; c < project::kChannelCount; ++c) {
            const int entries = project::StoredEntryCount(record, c);
            if (record.channelRecorded[c] != 1 || entries == 0)
                continue;
            const int n = std::max(1, valuesPerSample[c]);
            const int count = entries / n;
            for (int v = 0; v < n; ++v) {
                const int index = c + 4 * v;
                Allocate(index, std::max(count, 1));
                for (int i = 0; i < count; ++i) {
                    series[index].values[i] = float(samples.rawValues[c][i * n + v]) / 100.0f;
                    series[index].times[i] = float(samples.rawTimes[c][i * n]) * 0.001f;
                }
                series[index].used = count;
                series[index].hasData = true;
                names[index] = platform::AsciiToUtf16(std::string(1, char('A' + c)) + "-v" + std::to_string(v)) + u"(V)";
                xTitles[index] = u"Time (s)";
            }
        }
    }

    std::u16string names[32];
    std::u16string fixedNames[32];   // names that stay whatever set is loaded
    std::u16string xTitles[32];
    int valuesPerSample[4] = {1, 1, 1, 1};
    int refreshes = 0;
};

class FakeUnits : public analysis::ChannelUnitSource {
public:
    analysis::ChannelUnit Unit(const project::DataSetRecord&, int channel, int output) const override
    {
        analysis::ChannelUnit unit;
        unit.decimals = digits[channel][output];
        unit.unit = u"V";
        return unit;
    }
    int digits[4][4] = {{2, 2, 2, 2}, {2, 2, 2, 2}, {2, 2, 2, 2}, {2, 2, 2, 2}};
};

// The working project, with loads that can be made to fail: a set's load, or every load from the
// n-th on.
class FlakyStore : public project::RunStore {
public:
    FlakyStore(project::ProjectFile& project, project::ExperimentBlock& block) : project_(project), block_(block) {}
    project::ProjectResult SaveProject() override
    {
        return failSave ? project::ProjectResult::IoError : project_.SaveProject();
    }
    project::ProjectResult SaveProjectKeepRecord() override { return project_.SaveProjectKeepRecord(); }
    project::ProjectResult LoadProject() override
    {
        ++loads;
        if (block_.currentIndex == failLoadOf || (failFromLoad > 0 && loads >= failFromLoad))
            return project::ProjectResult::IoError;
        return project_.LoadProject();
    }

    int failLoadOf = -2;
    int failFromLoad = 0;
    bool failSave = false;
    int loads = 0;

private:
    project::ProjectFile& project_;
    project::ExperimentBlock& block_;
};

// A project in a folder of its own with the fakes around it; the chart follows every load.
class ExportFixture : public ::testing::Test {
protected:
    ExportFixture()
    {
        EXPECT_EQ(project.NewProject(u"Project", {2026, 12, 9, 5, 40, 0}), project::ProjectResult::Ok);
        project.SetLoadedHandler([this] {
            if (const project::DataSetRecord* record = project::RecordAt(*block, block->currentIndex))
                chart.Refresh(*record, *samples);
        });
    }

    // Records set k as the current set: a timed run of `periodUs`, the channels as given, then
    // saved into the working copy and shown on the chart.
    project::DataSetRecord& Record(int k, const std::vector<ChannelSpec>& channels, int32_t periodUs = 100000,
                                  bool perChannelRates = false)
    {
        block->currentIndex = k;
        project::DataSetRecord& record = block->records[k];
        std::memset(&record, 0, sizeof record);
        project::InitNoteRecord(record.note);
        platform::CopyToField(record.title, u"Run " + platform::AsciiToUtf16(std::to_string(k + 1)));
        record.inUse = 1;
        record.dataSetSerial = project::kSerialBase + k + 1;
        record.selectedChannel = -1;
        record.period = periodUs;
        record.rate = 1000000 / periodUs;
        record.perChannelRates = perChannelRates ? 1 : 0;
        record.elapsedMs = 12500;
        project::ResetAnalysisArea(record);
        for (const ChannelSpec& spec : channels) {
            const int c = spec.channel;
            const int n = spec.valuesPerSample;
            chart.valuesPerSample[c] = n;
            record.channelRecorded[c] = 1;
            record.channelPeriod[c] = periodUs * (c + 1);
            record.sampleCount[c] = spec.samples * n;
            devicelink::ChannelState state = project::ToDeviceState(record.channels[c]);
            state.outputCount = n;
            record.channels[c] = project::ToStateImage(state);
            const int32_t stepMs = (perChannelRates ? record.channelPeriod[c] : periodUs) / 1000;
            for (int i = 0; i < spec.samples; ++i) {
                for (int v = 0; v < n; ++v) {
                    samples->rawValues[c][i * n + v] = RawValue(k, c, i, v);
                    samples->rawTimes[c][i * n + v] = i * stepMs;
                }
            }
        }
        EXPECT_EQ(project.SaveProject(), project::ProjectResult::Ok);
        chart.Refresh(record, *samples);
        return record;
    }

    exporting::CsvSources Csv() { return {*block, store, project.Record(), chart, units, texts}; }

    TempFolder folder;
    std::unique_ptr<project::ExperimentBlock> block = std::make_unique<project::ExperimentBlock>();
    std::unique_ptr<project::SampleArrays> samples = std::make_unique<project::SampleArrays>();
    project::ProjectFile project{*block, *samples, folder.Path().string()};
    FlakyStore store{project, *block};
    FakeChart chart;
    FakeUnits units;
    analysistest::FakeTexts texts;
};

// Files above `bytes` cannot be written while it lives, as on a full disk.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &saved_);
        rlimit limit = saved_;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() { setrlimit(RLIMIT_FSIZE, &saved_); }

private:
    rlimit saved_{};
};

// Parses a CSV file with Python's csv module; rows of cells, or nullopt without python3.
inline std::optional<std::vector<std::vector<std::string>>> ParseWithPython(const std::string& path)
{
    const std::string script =
        "import csv,sys\n"
        "with open(sys.argv[1], newline='', encoding='utf-8-sig') as f:\n"
        "    for row in csv.reader(f):\n"
        "        sys.stdout.write('\\x1f'.join(row) + '\\x1e')\n";
    const std::string scriptPath = path + ".py";
    WriteText(scriptPath, script);
    FILE* pipe = ::popen(("python3 '" + scriptPath + "' '" + path + "' 2>/dev/null").c_str(), "r");
    if (!pipe)
        return std::nullopt;
    std::string output;
    char buffer[65536];
    size_t n = 0;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
        output.append(buffer, n);
    const int status = ::pclose(pipe);
    std::remove(scriptPath.c_str());
    if (status != 0)
        return std::nullopt;
    std::vector<std::vector<std::string>> rows;
    size_t start = 0;
    for (size_t end; (end = output.find('\x1e', start)) != std::string::npos; start = end + 1) {
        std::vector<std::string> row;
        const std::string line = output.substr(start, end - start);
        size_t cell = 0;
        for (size_t sep; (sep = line.find('\x1f', cell)) != std::string::npos; cell = sep + 1)
            row.push_back(line.substr(cell, sep - cell));
        row.push_back(line.substr(cell));
        rows.push_back(row);
    }
    return rows;
}

}  // namespace exporttest
