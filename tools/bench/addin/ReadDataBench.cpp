// PvExcelReadData of 10,001 samples on two channels into the cells of the stand-in host: the
// real library reads the rings, converts and hands the numbers to the host. The simulated
// logger delivers the run as fast as it can before each timed read.
#include "tools/devsim/SensorModels.h"
#include "tools/devsim/SimDevice.h"
#include "tools/devsim/SimServer.h"
#include "tools/xlhost/Host.h"

#include "platform/WorkerThread.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>

namespace {

constexpr int kChannels = 0x3;
constexpr int kPeriodMs = 1;
constexpr int kDurationS = 10;
constexpr int kSamples = kDurationS * 1000 / kPeriodMs + 1;
constexpr int kFirstRow = 3;

struct Session {
    devsim::SimDevice device{[] {
        devsim::DeviceOptions options;
        options.fast = true;
        return options;
    }()};
    devsim::SimServer server{device, devsim::ServerOptions{}};
    platform::WorkerThread thread;
    xlhost::Host host;
    bool ready = false;
    std::string error;

    Session()
    {
        devsim::SensorSpec spec;
        if (!server.Listen(error) || !thread.Start([this](const std::atomic<bool>&) { server.Run(); }))
            return;
        for (const auto& [channel, text] : {std::pair{0, "N2H constant value=21.5"}, {1, "R75 constant value=2.5"}}) {
            if (!devsim::ParseSensorSpec(text, spec, error) || !device.Plug(channel, spec, error))
                return;
        }
        // The catalogue and language module from the build, whatever the user's settings say.
        setenv("CORVIK_REGISTRY_DIR", "/nonexistent-corvik-registry", 1);
        std::filesystem::current_path(CORVIK_SHARE_DIR);
        setenv("CORVIK_TRANSPORT", "tcp", 1);
        setenv("CORVIK_DEVICE_HOST", "127.0.0.1", 1);
        setenv("CORVIK_DEVICE_PORT", std::to_string(server.Port()).c_str(), 1);
        if (!host.LoadAddIn(CORVIK_ADDIN_LIBRARY, error))
            return;
        ready = Call("PvExcelInit") == 1 && Call("PvExcelSensorDetection", {100, 1}) == 1;
        if (!ready)
            error = "the add-in did not open the simulated logger";
    }
    ~Session()
    {
        if (host.AddIn())
            host.AddIn()->Command("xlAutoClose");
        host.UnloadAddIn();
        server.Quit();
        thread.Join();
    }
    int Call(const char* name, const std::vector<int>& arguments = {})
    {
        return host.AddIn()->Call(name, arguments).value_or(-1);
    }
    // A new run, delivered whole into the add-in's rings before it is read.
    bool PrepareRun()
    {
        Call("PvExcelReadStop");
        host.Cells().ClearAll();
        if (Call("PvExcelReadStart", {kChannels, kPeriodMs, kDurationS, kFirstRow, 0}) != 1)
            return false;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (device.Measuring() && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        std::this_thread::sleep_for(std::chrono::milliseconds(100));  // the last frames in flight
        return !device.Measuring();
    }
};

void BM_ReadDataTwoChannels(benchmark::State& state)
{
    Session s;
    if (!s.ready) {
        state.SkipWithError(s.error.c_str());
        return;
    }
    for (auto _ : state) {
        state.PauseTiming();
        if (!s.PrepareRun()) {
            state.SkipWithError("the simulated logger did not finish the run");
            return;
        }
        state.ResumeTiming();
        benchmark::DoNotOptimize(s.Call("PvExcelReadData"));
        state.PauseTiming();
        // Every sample of both channels is in its cell.
        if (!s.host.Cells().NumberAt(kFirstRow + kSamples - 1, 1) || !s.host.Cells().NumberAt(kFirstRow + kSamples - 1, 2) ||
            s.host.Cells().NumberAt(kFirstRow + kSamples, 0)) {
            state.SkipWithError("the sheet does not hold the run");
            return;
        }
        state.ResumeTiming();
    }
    state.counters["samples"] = double(kSamples);
    state.counters["cells"] = double(3 * kSamples);
}
BENCHMARK(BM_ReadDataTwoChannels)->Unit(benchmark::kMillisecond)->Iterations(10);

}  // namespace

BENCHMARK_MAIN();
