// Reassembly and dispatch of what one 128 KiB TCP read brings: full of 540-byte data frames, or of
// 20-byte frames. The driver's own frame handler does the dispatch, into an active request.

#include "devicelink/link/CorvikUSBDrv.h"

#include <benchmark/benchmark.h>

#include <atomic>
#include <vector>

using namespace devicelink;

namespace {

constexpr size_t kReadBytes = 128 * 1024;

std::vector<uint8_t> StreamOf(const std::vector<uint8_t>& frame)
{
    std::vector<uint8_t> stream;
    while (stream.size() + frame.size() <= kReadBytes)
        stream.insert(stream.end(), frame.begin(), frame.end());
    return stream;
}

// A running measurement with channel 0 taking 128-entry blocks, so data frames are delivered.
struct BoundRun {
    BoundRun()
    {
        request.block.kind = kind::kTimed;
        request.block.enabled[0] = 1;
        request.block.entries[0] = 1;
        request.block.byteCount[0] = 512;
        request.block.capacity[0] = int32_t(values.size());
        request.block.perEvent = 1000000;
        request.host.event = &event;
        request.host.values[0] = values.data();
        request.host.times[0] = times.data();
        request.host.counts[0] = &count;
    }
    platform::Event event{platform::Event::Kind::ManualReset};
    std::vector<uint32_t> values = std::vector<uint32_t>(1 << 20);
    std::vector<int32_t> times = std::vector<int32_t>(1 << 20);
    std::atomic<int32_t> count{0};
    MeasureRequest request;
};

void Reassemble(benchmark::State& state, const std::vector<uint8_t>& stream, CorvikUSBDrv& drv)
{
    FrameReassembler reassembler;
    for (auto _ : state) {
        reassembler.Append(stream, drv);
        benchmark::DoNotOptimize(reassembler.BytesHeld());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(stream.size()));
}

void BM_DataFrames540(benchmark::State& state)
{
    static CorvikUSBDrv drv;
    static BoundRun run;
    drv.Rings().Bind(run.request);
    std::vector<uint32_t> payload(kChannelBlockWords, 0x1234);
    payload[1] = 0;
    Reassemble(state, StreamOf(MakeFrame(code::kChannelBlock, payload)), drv);
}

void BM_SmallFrames20(benchmark::State& state)
{
    static CorvikUSBDrv drv;
    Reassemble(state, StreamOf(MakeFrame(code::kStreamStopped)), drv);
}

}  // namespace

BENCHMARK(BM_DataFrames540);
BENCHMARK(BM_SmallFrames20);
BENCHMARK_MAIN();
