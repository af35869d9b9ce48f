// FrameParser throughput over a stream of valid 8 KiB frames (target: 200 MB/s or more).

#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

#include "link/FrameEncoder.h"
#include "link/FrameParser.h"

static void BM_FrameParser64MiB(benchmark::State& state)
{
    std::vector<uint8_t> data(8192);
    for (size_t i = 0; i < data.size(); ++i)
        data[i] = uint8_t(i * 7);
    const std::vector<uint8_t> frame = EncodeFrame(0x84, data.data(), uint16_t(data.size()));
    std::vector<uint8_t> stream;
    const size_t total = 64u << 20;
    stream.reserve(total + frame.size());
    while (stream.size() < total)
        stream.insert(stream.end(), frame.begin(), frame.end());

    auto rx = std::make_unique<RxFrame>();
    LinkStatistics stats;
    TransferGauge gauge;
    gauge.maximum = int64_t(total);
    FrameParser parser(*rx, stats, gauge);
    for (auto _ : state) {
        size_t frames = 0;
        for (uint8_t b : stream)
            frames += parser.ParseByte(b) != 0;
        benchmark::DoNotOptimize(frames);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(stream.size()));
    state.counters["target_MB/s"] = 200;
}
BENCHMARK(BM_FrameParser64MiB)->Unit(benchmark::kMillisecond)->MinTime(1.0);

