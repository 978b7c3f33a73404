// Saving and opening a project whose current data set holds four channels of 1,048,576 entries
// (32 MiB of samples): the working copy saved after a new recording, saved with nothing changed
// (what every showing of the project manager does), read back, saved as (packed, synced) and opened.
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include <benchmark/benchmark.h>

#include "logger/project/ProjectFile.h"

namespace {

namespace fs = std::filesystem;
using namespace project;

class FullSet {
public:
    FullSet()
    {
        std::string pattern = (fs::temp_directory_path() / "corvik-bench-project-XXXXXX").string();
        folder_ = ::mkdtemp(pattern.data());
        project_ = std::make_unique<ProjectFile>(*block_, *samples_, folder_.string());
        project_->NewProject(u"Benchmark", {2026, 12, 9, 12, 0, 0});
        DataSetRecord& record = block_->records[0];
        record.inUse = 1;
        record.dataSetSerial = kSerialBase + 1;
        for (int c = 0; c < kChannelCount; ++c) {
            record.channelRecorded[c] = 1;
            record.sampleCount[c] = kMaxSampleEntries;
            for (int i = 0; i < kMaxSampleEntries; ++i) {
                samples_->rawValues[c][i] = uint32_t(i * 7 + c);
                samples_->rawTimes[c][i] = i * 1000;
            }
        }
        block_->currentIndex = 0;
        project_->SaveProject();
    }
    ~FullSet()
    {
        std::error_code ignored;
        fs::remove_all(folder_, ignored);
    }
    ProjectFile& Project() { return *project_; }
    ExperimentBlock& Block() { return *block_; }
    std::string File(const char* name) const { return (folder_ / name).string(); }

private:
    fs::path folder_;
    std::unique_ptr<ExperimentBlock> block_ = std::make_unique<ExperimentBlock>();
    std::unique_ptr<SampleArrays> samples_ = std::make_unique<SampleArrays>();
    std::unique_ptr<ProjectFile> project_;
};

void Check(benchmark::State& state, ProjectResult result)
{
    if (result != ProjectResult::Ok)
        state.SkipWithError("project operation failed");
}

void BM_SaveNewRecording(benchmark::State& state)
{
    FullSet set;
    for (auto _ : state) {
        set.Block().records[0].dataSetSerial += 1;
        Check(state, set.Project().SaveProject());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * 32 * 1024 * 1024);
}
BENCHMARK(BM_SaveNewRecording)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_SaveUnchanged(benchmark::State& state)
{
    FullSet set;
    for (auto _ : state)
        Check(state, set.Project().SaveProject());
}
BENCHMARK(BM_SaveUnchanged)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_LoadProject(benchmark::State& state)
{
    FullSet set;
    for (auto _ : state)
        Check(state, set.Project().LoadProject());
    state.SetBytesProcessed(int64_t(state.iterations()) * 32 * 1024 * 1024);
}
BENCHMARK(BM_LoadProject)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_SaveProjectAs(benchmark::State& state)
{
    FullSet set;
    const std::string target = set.File("saved.vrd");
    for (auto _ : state)
        Check(state, set.Project().SaveProjectAs(target));
}
BENCHMARK(BM_SaveProjectAs)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_OpenProject(benchmark::State& state)
{
    FullSet set;
    const std::string chosen = set.File("chosen.vrd");
    Check(state, set.Project().SaveProjectAs(chosen));
    for (auto _ : state)
        Check(state, set.Project().OpenProject(chosen));
}
BENCHMARK(BM_OpenProject)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
